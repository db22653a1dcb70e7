#pragma once

#include "support/SettingsStore.h"
#include "support/WString.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A settings store that keeps everything in memory, so that tests never touch the user's settings.
class MemorySettings : public SettingsStore {
public:
    int ReadInt(const WString& key, int defaultValue) const override;
    void WriteInt(const WString& key, int value) override;
    WString ReadString(const WString& key, const WString& defaultValue) const override;
    void WriteString(const WString& key, const WString& value) override;
    bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const override;
    void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) override;

    std::map<std::string, std::vector<std::uint8_t>> binary;
    std::map<std::string, std::string> text; // numbers and strings, as text
};

} // namespace testsupport
