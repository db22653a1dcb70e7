#pragma once

#include "common/MemorySettings.h"
#include "common/ScratchDir.h"
#include "common/TestPng.h"
#include "support/MessageSink.h"
#include "support/WString.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Helpers shared by the tileset tests: a scratch directory that plays the program's directory, small
// images written byte by byte, and in-memory stand-ins for the settings store and the message box.
namespace tilesettest {

using testsupport::EncodePng;
using testsupport::MemorySettings;
using testsupport::ScratchDir;
using testsupport::SolidPng;

// The UTF-8 text of a .set file: a declaration and the given root element.
std::string SetFile(const std::string& rootElement);

class RecordingSink : public MessageSink {
public:
    void ShowError(const WString& caption, const WString& text) override;

    // caption, text of each message box, in order.
    std::vector<std::pair<std::string, std::string>> boxes;
};

} // namespace tilesettest
