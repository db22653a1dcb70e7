#include "AppFixture.h"

#include "platform/QtSettingsStore.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace apptest {

namespace {

template <typename T> T PopFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
        return fallback;
    }
    T value = queue.front();
    queue.pop_front();
    return value;
}

const char* kAlphaSet = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                        "<Set backcolor=\"10,20,30\" gui_textcolor=\"255,255,0\">"
                        "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>"
                        "<Tile name=\"Wall\" type=\"0\">wall.png</Tile>"
                        "<Tile name=\"Chest\" type=\"1\" maxcount=\"1\">chest.png</Tile>"
                        "</Set>\r\n";

const char* kBetaSet = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<Set backcolor=\"0,0,0\">"
                       "<Tile name=\"Floor\" type=\"0\">wall.png</Tile>"
                       "<Tile name=\"Wall\" type=\"0\">floor.png</Tile>"
                       "</Set>\r\n";

} // namespace

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_app_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(Join(relative)).parent_path());
    std::ofstream(Join(relative), std::ios::binary) << bytes;
}

std::string ScratchDir::Read(const std::string& relative) const {
    std::ifstream in(Join(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ScratchDir::WritePng(const std::string& relative, int width, int height, unsigned rgb) const {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    image.save(QString::fromStdString(Join(relative)), "PNG");
}

CGridvellumApp::Prompts::SaveChoice ScriptedPrompts::AskSaveChanges(const WString& documentTitle) {
    script_.saveQuestions.push_back(documentTitle.ToUtf8());
    return PopFront(script_.saveChoices, SaveChoice::Cancel);
}

WString ScriptedPrompts::AskOpenMap() {
    return PopFront(script_.openAnswers, WString());
}

WString ScriptedPrompts::AskSaveMap(const WString& proposedName) {
    script_.proposedNames.push_back(proposedName.ToUtf8());
    return PopFront(script_.saveAnswers, WString());
}

WString ScriptedPrompts::AskTileSet() {
    return PopFront(script_.tileSetAnswers, WString());
}

void ScriptedPrompts::ShowMessage(const WString& caption, const WString& text) {
    script_.messages.push_back(caption.ToUtf8() + "|" + text.ToUtf8());
}

AppHarness::AppHarness() {
    dir.Write("alpha.set", kAlphaSet);
    dir.Write("beta.set", kBetaSet);
    dir.WritePng("floor.png", 32, 32, 0xC08040);
    dir.WritePng("wall.png", 32, 16, 0x4080C0);
    dir.WritePng("chest.png", 16, 16, 0x20E020);
    dir.WritePng("gui_typebutton_expanded.png", 111, 17, 0x303030);
    dir.WritePng("gui_typebutton_collapsed.png", 111, 17, 0x505050);
    dir.WritePng("gui_typebutton_unlocked.png", 17, 17, 0x00FF00);
    dir.WritePng("gui_typebutton_locked.png", 17, 17, 0xFF8000);
    dir.WritePng("gui_typebutton_hidden.png", 17, 17, 0x800000);
}

AppHarness::~AppHarness() = default;

std::unique_ptr<CGridvellumApp> AppHarness::MakeApp() {
    CGridvellumApp::Options options;
    options.dataDirectory = dir.WPath();
    options.settings = std::make_unique<QtSettingsStore>(SettingsPath());
    options.prompts = std::make_unique<ScriptedPrompts>(script);
    return std::make_unique<CGridvellumApp>(std::move(options));
}

} // namespace apptest
