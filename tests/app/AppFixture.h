#pragma once

#include "app/CGridvellumApp.h"
#include "common/ScratchDir.h"
#include "support/WString.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Helpers shared by the editor tests: a scratch folder that plays the program's directory with a
// small tileset in it, a settings file of its own, and scripted answers in place of dialogs.
namespace apptest {

using testsupport::ScratchDir;

// What the application asked and what it is answered, in order.
struct PromptScript {
    std::deque<CGridvellumApp::Prompts::SaveChoice> saveChoices;
    std::deque<WString> openAnswers;
    std::deque<WString> saveAnswers;
    std::deque<WString> tileSetAnswers;
    std::deque<CGridvellumApp::Prompts::RecoveryChoice> recoveryChoices;
    std::deque<WString> publishAnswers;
    std::deque<std::optional<JpegOptions>> jpegAnswers;
    // The progress of a publish answers Cancel after this many bands; never when negative.
    int cancelAfterBands = -1;
    int progressCalls = 0;

    std::vector<std::string> saveQuestions; // the document titles asked about
    std::vector<std::string> proposedNames;
    std::vector<std::string> messages; // "caption|text"

    // The dialogs: each answer is the values OK gives back, or nullopt for Cancel (also when none is
    // left). What each dialog was started with is kept.
    std::deque<std::optional<TileScaleValues>> scaleAnswers;
    std::vector<TileScaleValues> scaleAsked;
    std::deque<std::optional<TileColorValues>> colorAnswers;
    std::vector<TileColorValues> colorAsked;
    std::deque<std::optional<WString>> scenarioAnswers;
    std::vector<WString> scenarioAsked;
    bool pressScenarioHelp = false; // the Help button is pressed before the answer
    std::vector<AboutValues> aboutShown;
    // Files the application asked the desktop to show. With openFails the desktop answers that
    // nothing can show them.
    std::vector<std::string> openedFiles;
    bool openFails = false;
    std::vector<std::vector<AutosaveCopy>> recoveryOffers;
    std::vector<std::string> proposedPictures;
    std::vector<JpegOptions> jpegStarts;
};

class ScriptedPrompts : public CGridvellumApp::Prompts {
public:
    explicit ScriptedPrompts(PromptScript& script) : script_(script) {}
    SaveChoice AskSaveChanges(const WString& documentTitle) override;
    WString AskOpenMap() override;
    WString AskSaveMap(const WString& proposedName) override;
    WString AskTileSet() override;
    void ShowMessage(const WString& caption, const WString& text) override;
    bool AskTileScale(TileScaleValues& values) override;
    bool AskTileColor(TileColorValues& values) override;
    bool AskScenario(WString& scenario, const std::function<void()>& showHelp) override;
    void ShowAbout(const AboutValues& values) override;
    RecoveryChoice AskRecovery(const std::vector<AutosaveCopy>& copies) override;
    WString AskPublishPath(const WString& proposedName) override;
    std::optional<JpegOptions> AskJpegOptions(const JpegOptions& start, double mapWidth,
                                              double mapHeight) override;
    std::unique_ptr<PublishProgress> ShowPublishProgress() override;

private:
    PromptScript& script_;
};

// The tile panel's category button pictures, which every program folder holds beside its tilesets.
void WritePanelButtons(const ScratchDir& dir);

// A program directory with the tileset "alpha.set" (two map tiles, one object with a maximum of
// one, the panel's header pictures) and "beta.set" (the same tile names), and an application that
// keeps its settings in settings.ini there.
class AppHarness {
public:
    AppHarness();
    ~AppHarness();

    // A new application over the same folder and settings file, as a second start would be.
    std::unique_ptr<CGridvellumApp> MakeApp();
    // The settings file's text (after the application synced it).
    std::string SettingsText() const { return dir.Read("settings.ini"); }
    WString SettingsPath() const { return dir.WJoin("settings.ini"); }

    ScratchDir dir;
    PromptScript script;
};

} // namespace apptest
