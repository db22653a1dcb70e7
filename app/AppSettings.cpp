#include "app/AppSettings.h"

#include "document/ProgramState.h"
#include "support/SettingsStore.h"

#include <algorithm>
#include <cstdint>
#include <vector>

AppSettings::AppSettings(SettingsStore& store, bool exactAutosave)
    : store_(store), exactAutosave_(exactAutosave) {}

bool AppSettings::ReadFlag(const WString& key) const {
    std::vector<std::uint8_t> bytes;
    return store_.ReadBinary(key, bytes) && !bytes.empty() && bytes.front() != 0;
}

void AppSettings::WriteFlag(const WString& key, bool on) {
    const std::uint8_t byte = on ? 1 : 0;
    store_.WriteBinary(key, &byte, 1);
}

void AppSettings::ReadAtStart(ProgramState& state) {
    state.openGlThisRun = ReadFlag(kOpenGlKey);
    state.openGlNextRun = state.openGlThisRun;
    WriteFlag(kOpenGlKey, false);
    tileSize_ = LimitTileSize(store_.ReadInt(kTileSizeKey, kDefaultTileSize));
    columns_ = LimitColumns(store_.ReadInt(kColumnsKey, kDefaultColumns));
    state.superWheel = ReadFlag(kSuperWheelKey);
    const int autosave = store_.ReadInt(kAutosaveKey, kDefaultAutosaveSeconds);
    autosaveSeconds_ = exactAutosave_ ? std::max(0, autosave) : LimitAutosaveSeconds(autosave);
}

void AppSettings::WriteAtExit(const ProgramState& state) {
    WriteFlag(kOpenGlKey, state.openGlNextRun);
    WriteFlag(kSuperWheelKey, state.superWheel);
}

void AppSettings::SetPanel(int tileSize, int columns) {
    tileSize_ = LimitTileSize(tileSize);
    columns_ = LimitColumns(columns);
    store_.WriteInt(kTileSizeKey, tileSize_);
    store_.WriteInt(kColumnsKey, columns_);
}

int AppSettings::LimitTileSize(int stored) {
    return stored == 64 || stored == 128 ? stored : 128;
}

int AppSettings::LimitAutosaveSeconds(int stored) {
    return stored == 0 ? 0 : std::max(stored, kShortestAutosaveSeconds);
}

int AppSettings::LimitColumns(int stored) {
    return stored >= 1 && stored <= 6 ? stored : 6;
}
