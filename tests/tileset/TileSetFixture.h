#pragma once

#include "support/MessageSink.h"
#include "support/SettingsStore.h"
#include "support/WString.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Helpers shared by the tileset tests: a scratch directory that plays the program's directory, small
// images written byte by byte, and in-memory stand-ins for the settings store and the message box.
namespace tilesettest {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    WString WPath() const { return WString::FromUtf8(path_); }
    std::string Join(const std::string& relative) const { return path_ + "/" + relative; }

    // Writes bytes to a file under the directory, creating the folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const;
    void MakeDir(const std::string& relative) const;

private:
    std::string path_;
};

// A PNG of 8-bit RGB (3 channels) or RGBA (4 channels) pixels, top row first.
std::string EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels);
// A width x height PNG of one colour.
std::string SolidPng(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// The UTF-8 text of a .set file: a declaration and the given root element.
std::string SetFile(const std::string& rootElement);

class MemorySettings : public SettingsStore {
public:
    int ReadInt(const WString& key, int defaultValue) const override;
    void WriteInt(const WString& key, int value) override;
    WString ReadString(const WString& key, const WString& defaultValue) const override;
    void WriteString(const WString& key, const WString& value) override;
    bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const override;
    void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) override;

    std::map<std::string, std::vector<std::uint8_t>> binary;
    std::map<std::string, std::string> text;
};

class RecordingSink : public MessageSink {
public:
    void ShowError(const WString& caption, const WString& text) override;

    // caption, text of each message box, in order.
    std::vector<std::pair<std::string, std::string>> boxes;
};

} // namespace tilesettest
