#pragma once

class CGridvellumDoc;

// The one bracket around everything a mouse or key action does to the document: Begin takes the
// snapshot, Commit turns a change into one undo step, Cancel closes the bracket without a step once
// the caller has put the tiles back. The tool box owns the only session, so a drag, the keys and the
// drop never open brackets of their own against each other.
class EditSession {
public:
    explicit EditSession(CGridvellumDoc& doc) : doc_(doc) {}

    // Opening again restarts the bracket from the document as it is now.
    void Begin();
    // True when the bracket made an undo step. Committing a closed bracket does nothing.
    bool Commit();
    // Forgets the change flag and the snapshot: no step, the document as the caller left it.
    void Cancel();
    bool IsOpen() const { return open_; }

private:
    CGridvellumDoc& doc_;
    bool open_ = false;
};
