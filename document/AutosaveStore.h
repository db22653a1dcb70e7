#pragma once

#include "support/WString.h"

#include <vector>

// One autosave copy found in the autosave folder.
struct AutosaveCopy {
    WString copyPath;
    // The map file the copy belongs to; empty for a map that was never saved.
    WString originalPath;
    // What the user knows the map by: its file name, or "untitled".
    WString mapName;
    // When the copy was written, in seconds since 1970.
    long long savedAt = 0;
    bool readable = false;
    // Why the copy cannot be read; empty when it can.
    WString problem;
};

// The folder of autosave copies: one map file per open map with unsaved changes, and beside each
// an info file ("<copy>.origin") that records the map file it belongs to and the process that keeps
// it. A copy whose process no longer runs was left by a run that did not end normally; one whose
// process still runs belongs to another editor window and is never offered or touched.
//
// Names come from the map ("castle.gv", "untitled.gv") and are numbered when taken ("castle-2.gv"),
// so a copy the user chose to keep for later is never overwritten by the next run's copy of the
// same map. Nothing here needs a window; the editor shows the copies and asks what to do.
class AutosaveStore {
public:
    static constexpr const char16_t* kInfoSuffix = u".origin";
    static constexpr const char* kInfoHeader = "Gridvellum autosave";
    static constexpr const char16_t* kUntitled = u"untitled";

    // directory ends with '/'.
    explicit AutosaveStore(WString directory);

    // $XDG_STATE_HOME/Gridvellum/autosave/, else ~/.local/state/Gridvellum/autosave/; empty when
    // neither variable is set.
    static WString DefaultDirectory();
    const WString& Directory() const { return directory_; }

    // Reserves a copy name for the map at originalPath (empty for a new map) and records the map
    // and this process in its info file. Empty, with reason, when the folder cannot be made or
    // written.
    WString Claim(const WString& originalPath, WString& reason) const;
    // Records originalPath and this process as the keeper of an existing copy.
    static bool WriteInfo(const WString& copyPath, const WString& originalPath, WString& reason);
    // The copies no running process keeps, newest first. Each is read through once, so that the
    // list can say which ones cannot be recovered and why.
    std::vector<AutosaveCopy> Orphans() const;
    // Removes the copy and its info file; true when neither is left.
    static bool Remove(const WString& copyPath);
    static WString InfoPathOf(const WString& copyPath);

private:
    bool MakeDirectory(WString& reason) const;
    AutosaveCopy Describe(const WString& copyPath) const;

    WString directory_;
};
