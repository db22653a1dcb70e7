#pragma once

#include <string>

// Names of the temporary files a save writes beside its target before renaming them over it.
//
// A save that is killed halfway (power cut, kill -9) cannot remove its temporary file, so the name
// says who wrote it: "<target>.gvtmp-<pid>-<start>-XXXXXX", where <start> is the writing process's
// start time as the kernel counts it. A pid alone is reused, but no two processes alive at once
// share both numbers, so the next save of the same target can tell a file whose writer has died
// (stale, and removed) from one that another running save is still writing (kept). Files of any
// other name, and files owned by someone else, are never touched.
class SaveTemporary {
public:
    // The mkstemp template for a save of target, for this process.
    static std::string TemplateFor(const std::string& target);
    // Removes the temporary files of earlier saves of target whose writing process has ended.
    // Returns how many were removed.
    static int RemoveStale(const std::string& target);

    // The start time of process pid in clock ticks since boot; 0 when no such process runs.
    static unsigned long long ProcessStartTime(long pid);
};
