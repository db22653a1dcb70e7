#pragma once

#include "support/WString.h"

class SettingsStore;
struct ProgramState;

// The editor's own values in the settings store: the renderer choice, the tile panel's size and
// columns and the wheel mode. Values outside their limits are read as the nearest sensible choice
// so that a hand-edited or damaged store never breaks the panel.
class AppSettings {
public:
    static constexpr const char16_t* kOpenGlKey = u"OpenGL";
    static constexpr const char16_t* kSuperWheelKey = u"SuperWheel";
    static constexpr const char16_t* kTileSizeKey = u"TileSize";
    static constexpr const char16_t* kColumnsKey = u"NumTileColumns";
    static constexpr const char16_t* kAutosaveKey = u"AutosaveSeconds";

    static constexpr int kDefaultTileSize = 128;
    static constexpr int kDefaultColumns = 1;
    static constexpr int kDefaultAutosaveSeconds = 120;
    static constexpr int kShortestAutosaveSeconds = 5;

    // exactAutosave takes a stored autosave interval as it is (tests that give their own store wait
    // a second, not five); the user's store keeps the shortest interval.
    explicit AppSettings(SettingsStore& store, bool exactAutosave = false);

    // Start-up: the stored OpenGL choice decides this run and starts as the choice for the next one,
    // then OpenGL is written as 0 at once, so a run that crashes is followed by one without OpenGL.
    // The panel's size and columns and the wheel mode are read with their limits.
    void ReadAtStart(ProgramState& state);
    // A clean exit: the OpenGL choice for the next run and the wheel mode.
    void WriteAtExit(const ProgramState& state);

    int TileSize() const { return tileSize_; }
    int Columns() const { return columns_; }
    // Seconds between autosaves; 0 when autosave is off.
    int AutosaveSeconds() const { return autosaveSeconds_; }
    // The panel's size and columns after a panel command, stored at once (both values).
    void SetPanel(int tileSize, int columns);

    // 64 and 128 are kept; anything else becomes 128.
    static int LimitTileSize(int stored);
    // 1 to 6 are kept; anything else becomes 6.
    static int LimitColumns(int stored);
    // 0 (off) is kept; anything below 5 becomes 5, so a slip of the hand cannot make the editor write
    // its copies without pause.
    static int LimitAutosaveSeconds(int stored);

    SettingsStore& Store() { return store_; }

private:
    bool ReadFlag(const WString& key) const;
    void WriteFlag(const WString& key, bool on);

    SettingsStore& store_;
    int tileSize_ = kDefaultTileSize;
    int columns_ = kDefaultColumns;
    bool exactAutosave_ = false;
    int autosaveSeconds_ = kDefaultAutosaveSeconds;
};
