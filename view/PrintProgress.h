#pragma once

// What a long print tells whoever watches it: the editor shows a progress dialog with Cancel, the
// command line nothing.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // done of total parts are printed. False when the user asked to stop.
    virtual bool Advance(int done, int total) = 0;
};
