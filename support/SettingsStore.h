#pragma once

#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The per-user settings of the program: integers, strings and small binary values, all kept in the
// one section "Gridvellum". Lower layers see only this interface, so the tileset and the document
// can be tested against an in-memory store and never touch a user's real settings.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int ReadInt(const WString& key, int defaultValue) const = 0;
    virtual void WriteInt(const WString& key, int value) = 0;

    virtual WString ReadString(const WString& key, const WString& defaultValue) const = 0;
    virtual void WriteString(const WString& key, const WString& value) = 0;

    // False when no binary value is stored under key; a stored empty value answers true with no bytes.
    virtual bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const = 0;
    virtual void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) = 0;
};
