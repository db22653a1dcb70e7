#include "MemorySettings.h"

#include <cstdlib>

namespace testsupport {

int MemorySettings::ReadInt(const WString& key, int defaultValue) const {
    auto found = text.find(key.ToUtf8());
    return found == text.end() ? defaultValue : std::atoi(found->second.c_str());
}

void MemorySettings::WriteInt(const WString& key, int value) {
    text[key.ToUtf8()] = std::to_string(value);
}

WString MemorySettings::ReadString(const WString& key, const WString& defaultValue) const {
    auto found = text.find(key.ToUtf8());
    return found == text.end() ? defaultValue : WString::FromUtf8(found->second);
}

void MemorySettings::WriteString(const WString& key, const WString& value) {
    text[key.ToUtf8()] = value.ToUtf8();
}

bool MemorySettings::ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const {
    auto found = binary.find(key.ToUtf8());
    if (found == binary.end()) {
        return false;
    }
    bytes = found->second;
    return true;
}

void MemorySettings::WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) {
    binary[key.ToUtf8()].assign(bytes, bytes + count);
}

} // namespace testsupport
