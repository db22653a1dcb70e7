#pragma once

#include "support/WString.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class AutosaveStore;
class CGridvellumDoc;

// Keeps a copy of one document's unsaved changes in the autosave folder. The copy holds exactly the
// bytes a save would write, taken from the document on the caller's thread (the document is never
// touched elsewhere) and written to the disk on a thread of its own through the same temporary file
// and rename as a save, so a slow or full disk never stalls editing. The map's own file, its undo
// history and its modified flag are never touched.
class Autosave {
public:
    Autosave(CGridvellumDoc& doc, AutosaveStore& store);
    ~Autosave();
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // One autosave moment: when the map has unsaved changes that the copy does not hold yet, its
    // bytes are taken now and written in the background. False when there was nothing to write or
    // the previous write is still running (the next moment catches up).
    bool Tick();
    // The changes were saved or thrown away, or the map closed: the copy goes. Waits for a write
    // that is still running, so it cannot bring the copy back.
    void Forget();
    // A copy recovered into the document becomes its copy, now kept by this process.
    void Adopt(const WString& copyPath, const WString& originalPath);
    // Returns once no write is running.
    void WaitForWrite();
    // Empty while the document has no copy.
    const WString& CopyPath() const { return copyPath_; }
    // Why the last write failed, once; empty when it did not.
    WString TakeProblem();

private:
    bool EnsureCopyPath();
    void StartWrite(std::string bytes);
    void SetProblem(const WString& problem);

    CGridvellumDoc& doc_;
    AutosaveStore& store_;
    WString copyPath_;
    // The map file the copy belongs to, as it was when the copy was named.
    WString boundPath_;
    // What the copy holds (or is being written with), so an unchanged map is not written again.
    std::string written_;
    std::thread writer_;
    std::atomic<bool> writing_{false};
    std::mutex problemLock_;
    WString problem_;
};
