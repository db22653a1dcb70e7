#include "AppFixture.h"

#include "platform/QtSettingsStore.h"

#include "common/TestPng.h"

#include <cstdint>

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

namespace {

// Takes the next scripted answer into values; false (Cancel) when it is nullopt or none is left.
template <typename T> bool Answer(std::deque<std::optional<T>>& answers, T& values) {
    if (answers.empty()) {
        return false;
    }
    const std::optional<T> answer = answers.front();
    answers.pop_front();
    if (!answer) {
        return false;
    }
    values = *answer;
    return true;
}

} // namespace

bool ScriptedPrompts::AskTileScale(TileScaleValues& values) {
    script_.scaleAsked.push_back(values);
    return Answer(script_.scaleAnswers, values);
}

bool ScriptedPrompts::AskTileColor(TileColorValues& values) {
    script_.colorAsked.push_back(values);
    return Answer(script_.colorAnswers, values);
}

bool ScriptedPrompts::AskScenario(WString& scenario, const std::function<void()>& showHelp) {
    script_.scenarioAsked.push_back(scenario);
    if (script_.pressScenarioHelp && showHelp) {
        showHelp();
    }
    return Answer(script_.scenarioAnswers, scenario);
}

void ScriptedPrompts::ShowAbout(const AboutValues& values) {
    script_.aboutShown.push_back(values);
}

CGridvellumApp::Prompts::RecoveryChoice
ScriptedPrompts::AskRecovery(const std::vector<AutosaveCopy>& copies) {
    script_.recoveryOffers.push_back(copies);
    return PopFront(script_.recoveryChoices, RecoveryChoice::Later);
}

WString ScriptedPrompts::AskPublishPath(const WString& proposedName) {
    script_.proposedPictures.push_back(proposedName.ToUtf8());
    return PopFront(script_.publishAnswers, WString());
}

std::optional<JpegOptions> ScriptedPrompts::AskJpegOptions(const JpegOptions& start, double, double) {
    script_.jpegStarts.push_back(start);
    return PopFront(script_.jpegAnswers, std::optional<JpegOptions>());
}

namespace {

class ScriptedProgress : public PublishProgress {
public:
    explicit ScriptedProgress(PromptScript& script) : script_(script) {}
    bool Continue(int, int) override {
        ++script_.progressCalls;
        return script_.cancelAfterBands < 0 || script_.progressCalls < script_.cancelAfterBands;
    }

private:
    PromptScript& script_;
};

} // namespace

std::unique_ptr<PublishProgress> ScriptedPrompts::ShowPublishProgress() {
    return std::make_unique<ScriptedProgress>(script_);
}

void WritePanelButtons(const ScratchDir& dir) {
    dir.Write("gui_typebutton_expanded.png", testsupport::SolidPng(111, 17, 0x303030));
    dir.Write("gui_typebutton_collapsed.png", testsupport::SolidPng(111, 17, 0x505050));
    dir.Write("gui_typebutton_unlocked.png", testsupport::SolidPng(17, 17, 0x00FF00));
    dir.Write("gui_typebutton_locked.png", testsupport::SolidPng(17, 17, 0xFF8000));
    dir.Write("gui_typebutton_hidden.png", testsupport::SolidPng(17, 17, 0x800000));
}

AppHarness::AppHarness() {
    dir.Write("alpha.set", kAlphaSet);
    dir.Write("beta.set", kBetaSet);
    dir.Write("floor.png", testsupport::SolidPng(32, 32, 0xC08040));
    dir.Write("wall.png", testsupport::SolidPng(32, 16, 0x4080C0));
    dir.Write("chest.png", testsupport::SolidPng(16, 16, 0x20E020));
    WritePanelButtons(dir);
}

AppHarness::~AppHarness() = default;

std::unique_ptr<CGridvellumApp> AppHarness::MakeApp() {
    CGridvellumApp::Options options;
    options.dataDirectory = WString::FromUtf8(dir.Path() + "/");
    options.settings = std::make_unique<QtSettingsStore>(SettingsPath());
    options.prompts = std::make_unique<ScriptedPrompts>(script);
    options.openFile = [this](const WString& path,
                              std::function<void(const WString&, const WString&)> onFailure) {
        script.openedFiles.push_back(path.ToUtf8());
        if (script.openFails && onFailure) {
            onFailure(path, WString(u"no application on this desktop could open it"));
            return false;
        }
        return true;
    };
    options.autosaveDirectory = WString::FromUtf8(dir.Path() + "/autosave/");
    return std::make_unique<CGridvellumApp>(std::move(options));
}

} // namespace apptest
