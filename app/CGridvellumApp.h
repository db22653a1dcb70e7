#pragma once

#include "app/AppSettings.h"
#include "app/CommandRegistry.h"
#include "app/FrameHost.h"
#include "app/RecentFiles.h"
#include "app/dialogs/DialogValues.h"
#include "document/Autosave.h"
#include "document/AutosaveStore.h"
#include "document/CGridvellumDoc.h"
#include "document/DocumentHost.h"
#include "document/ProgramState.h"
#include "publish/JpegOptions.h"
#include "publish/PublishProgress.h"
#include "support/MessageSink.h"
#include "support/SettingsStore.h"
#include "support/WString.h"
#include "tileset/TilePanel.h"
#include "tileset/TileSet.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CMainFrame;
class MapPrinting;
class QTimer;

// Starts the editor with a display: builds the application object, processes the map named on the
// command line and runs until the main window closes. The exit status of the run.
int RunEditor(int argc, char** argv);

// The editor application: owns the settings, the one tileset of the run, the program-wide switches,
// the document, the tile panel and the main frame. It is the document's host (repainting, the window
// title, choosing tilesets) and the tileset's message sink.
class CGridvellumApp : public DocumentHost, public MessageSink, public FrameHost {
public:
    // Everything the application asks the user. The editor answers with dialogs; tests script it.
    class Prompts {
    public:
        enum class SaveChoice { Save, Discard, Cancel };
        enum class RecoveryChoice { Recover, Discard, Later };
        virtual ~Prompts() = default;
        virtual SaveChoice AskSaveChanges(const WString& documentTitle) = 0;
        // A path, or empty when the user cancelled.
        virtual WString AskOpenMap() = 0;
        virtual WString AskSaveMap(const WString& proposedName) = 0;
        virtual WString AskTileSet() = 0;
        virtual void ShowMessage(const WString& caption, const WString& text) = 0;
        // The dialogs: true on OK with values holding the edited values; false (values untouched)
        // on Cancel.
        virtual bool AskTileScale(TileScaleValues& values) = 0;
        virtual bool AskTileColor(TileColorValues& values) = 0;
        // scenario in and out in the stored form (single line feeds); showHelp runs for its Help
        // button while the dialog stays open.
        virtual bool AskScenario(WString& scenario, const std::function<void()>& showHelp) = 0;
        virtual void ShowAbout(const AboutValues& values) = 0;
        // The autosave copies an earlier run left behind. Without an answer they wait for later.
        virtual RecoveryChoice AskRecovery(const std::vector<AutosaveCopy>& copies) {
            (void)copies;
            return RecoveryChoice::Later;
        }
        // Publishing: the JPEG file to write (empty when cancelled), the options confirmed with OK
        // (none when the dialog was closed otherwise) and the progress of the publish itself.
        virtual WString AskPublishPath(const WString& proposedName) = 0;
        virtual std::optional<JpegOptions> AskJpegOptions(const JpegOptions& start, double mapWidth,
                                                          double mapHeight) = 0;
        virtual std::unique_ptr<PublishProgress> ShowPublishProgress() = 0;
    };

    struct Options {
        // Where tilesets, tile images and help live; the program's own directory when empty.
        WString dataDirectory;
        // The user's settings when null.
        std::unique_ptr<SettingsStore> settings;
        // Dialogs over the main window when null.
        std::unique_ptr<Prompts> prompts;
        // Shows a file with the desktop's application for it, without waiting; the desktop's opener
        // when empty. It calls onFailure with the reason when nothing could show the file.
        using FileOpener = std::function<bool(
            const WString& path, std::function<void(const WString& path, const WString& reason)> onFailure)>;
        FileOpener openFile;
        // Where autosave copies go; the user's state folder when empty.
        WString autosaveDirectory;
        // Starts another editor window, which offers the copies this one did not take (one map
        // per window). Null: they wait for the next start.
        std::function<void()> startAnotherEditor;
    };

    static constexpr const char16_t* kApplicationName = u"Gridvellum";
    static constexpr const char16_t* kOpenGlOnText =
        u"OpenGL will be enabled the next time you start Gridvellum.";
    static constexpr const char16_t* kOpenGlOffText =
        u"OpenGL will be dissabled the next time you start Gridvellum.";
    static constexpr const char16_t* kOpenGlFallbackText =
        u"OpenGL is not available here; the map is drawn without it in this run.";
    // Files shown to the user from the program's directory.
    static constexpr const char16_t* kHelpFile = u"help.txt";
    static constexpr const char16_t* kScenarioHelpFile = u"scenario_text_tokens.jpg";

    explicit CGridvellumApp(Options options);
    ~CGridvellumApp() override;
    CGridvellumApp(const CGridvellumApp&) = delete;
    CGridvellumApp& operator=(const CGridvellumApp&) = delete;

    // Reads the settings, builds the main frame, opens mapPath (or a new map when it is empty or
    // cannot be opened) and shows the window. False when no window could be made.
    bool Start(const WString& mapPath);
    // A clean exit: stores the OpenGL choice for the next run, the wheel mode and the recent files.
    void Shutdown();

    // File commands. Each returns whether it did what it was asked (false after a cancel or failure).
    bool FileNew();
    bool FileOpen();
    // Opens path like File Open after the file dialog: unsaved changes are offered for saving first;
    // a file that cannot be opened is reported and the open map stays.
    bool OpenMap(const WString& path) override;
    bool FileSave();
    bool FileSaveAs();
    void ChangeTileSet();
    // Publish to JPEG: asks for the file and the options, then writes the picture and its page. A
    // failure is reported; a cancel anywhere publishes nothing. False when nothing was published.
    bool PublishToJpeg();
    // Offers to save unsaved changes. False when the user cancelled (or the save failed).
    bool SaveModified() override;
    // Writes the tile usage report and shows it; a report that cannot be written is reported with
    // its reason, and nothing is shown then.
    void GenerateReport();
    // Shows a file of the program's directory with the desktop's application for it, without
    // waiting; when nothing can show it, a message names the file and the reason.
    void ShowProgramFile(const WString& fileName);
    void EditScenario();
    void ShowAbout();

    // Tint of new tiles: the colour dialog from the current default, which OK switches on.
    void SetDefaultTileColor();
    void ClearDefaultTileColor() { state_.defaultTint.on = false; }
    // Flips global flag `flag`, stores it under its label and repaints; nothing for a flag the
    // tileset does not define.
    void ToggleGlobalFlag(int flag);
    void ToggleRecordPaths() { state_.recordPaths = !state_.recordPaths; }
    void ToggleShowResizeHandles();

    // View switches.
    void ToggleOpenGl();
    void ToggleSuperWheel() { state_.superWheel = !state_.superWheel; }
    void ToggleShowDrawTime();
    // Tile size and column commands: nothing when the value is already current.
    void SetPanelTileSize(int tileSize);
    void SetPanelColumns(int columns);

    // "Untitled [<tileset>]" for a map without a file, else "<file name> [<tileset>]".
    static WString TitleFor(const WString& pathName, const WString& tileSetName);

    CGridvellumDoc& Document() { return doc_; }
    TileSet& Tiles() { return tileSet_; }
    ProgramState& State() { return state_; }
    AppSettings& Settings() { return appSettings_; }
    SettingsStore& Store() { return *settings_; }
    RecentFiles& Recent() { return recent_; }
    CommandRegistry& Commands() { return commands_; }
    Prompts& Asks() { return *prompts_; }
    const WString& ProgramDirectory() const { return tileSet_.Context().dataDirectory; }
    TilePanel& Panel() { return *panel_; }
    // Null before Start.
    CMainFrame* Frame() { return frame_.get(); }
    // The File menu's printing, with the printer it keeps for the run; only after Start.
    MapPrinting& Printing() { return *printing_; }
    const WString& WindowTitle() const { return title_; }
    Autosave& Autosaver() { return autosave_; }
    AutosaveStore& AutosaveFolder() { return autosaveStore_; }
    // One autosave moment, as the timer runs it every AutosaveSeconds.
    void AutosaveNow();

    // DocumentHost.
    void RepaintMap() override;
    ClientSize ViewClientSize() const override;
    bool EnsureTileSet() override;
    bool SetTileSetByName(const WString& name, WString& problem) override;
    void SetTitle(const WString& title) override;

    // MessageSink: tileset load errors and other messages go to a message box.
    void ShowError(const WString& caption, const WString& text) override;

private:
    // Tells the user why the map's tileset cannot be used and lets them pick another; its name, or
    // empty when they cancelled.
    WString AskTileSetInstead(const WString& problem);
    void AfterTileSetLoad();
    void AfterDocumentLoaded();
    bool SaveTo(const WString& path);
    void ReportOpenFailure(const WString& path, const WString& reason);
    // Offers what earlier runs left in the autosave folder; true when a copy became the document.
    bool RecoverAutosaves();
    void StartAutosaveTimer();

    // A store given by the caller (a test) takes the autosave interval as it is. Set before settings_
    // takes the store over.
    const bool exactAutosave_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<Prompts> prompts_;
    Options::FileOpener openFile_;
    AppSettings appSettings_;
    RecentFiles recent_;
    ProgramState state_;
    TileSet tileSet_;
    CGridvellumDoc doc_;
    std::unique_ptr<TilePanel> panel_;
    // Outlives the frame, whose actions ask it until the last moment.
    CommandRegistry commands_;
    AutosaveStore autosaveStore_;
    Autosave autosave_;
    std::unique_ptr<QTimer> autosaveTimer_;
    std::function<void()> startAnotherEditor_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<MapPrinting> printing_;
    // An opener's failure arrives from the event loop, perhaps after this object is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    WString title_;
    bool shutDown_ = false;
};
