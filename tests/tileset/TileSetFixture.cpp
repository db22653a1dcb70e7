#include "TileSetFixture.h"

namespace tilesettest {

std::string SetFile(const std::string& rootElement) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + rootElement;
}

void RecordingSink::ShowError(const WString& caption, const WString& text) {
    boxes.emplace_back(caption.ToUtf8(), text.ToUtf8());
}

} // namespace tilesettest
