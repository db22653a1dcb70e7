#include "app/CGridvellumApp.h"
#include "app/AppCommands.h"
#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CMainFrame.h"
#include "app/CommandLine.h"
#include "app/EditCommands.h"
#include "app/GlMapSurface.h"
#include "app/GlPictureBands.h"
#include "app/MapPrinting.h"
#include "app/WindowIcon.h"
#include "app/dialogs/CAboutDialog.h"
#include "app/dialogs/CJPEGOptionsDialog.h"
#include "app/dialogs/CRecoveryDialog.h"
#include "app/dialogs/CScaleDialog.h"
#include "app/dialogs/CScenarioDialog.h"
#include "app/dialogs/CTileColorDialog.h"
#include "app/dialogs/PublishProgressDialog.h"
#include "document/Flags.h"
#include "document/TileSetChange.h"
#include "document/UsageReport.h"
#include "platform/GlContextProbe.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtText.h"
#include "platform/ShellOpen.h"
#include "publish/PictureBands.h"
#include "publish/Publisher.h"
#include "support/FileUtils.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QString>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char16_t* kMapFilter = u"Gridvellum Files (*.gv);;All Files (*)";
constexpr const char16_t* kMapExtension = u".gv";
constexpr const char16_t* kJpegFilter = u"JPG Files (*.jpg)|*.jpg|All Files (*.*)|*.*||";
constexpr const char16_t* kPublishCaption = u"Publish to JPEG";
// Set to a file path, the editor saves a picture of its window once the map has been drawn for the
// first time and quits: the smoke test of a real start.
constexpr const char* kScreenshotVariable = "GRIDVELLUM_SCREENSHOT";
// Set to a file path, the editor writes where the tile panel and the map view are on the screen once
// the map has been drawn for the first time ("panel x y width height", then "map ...") and which
// renderer drew it ("renderer opengl" or "renderer software"), so that a test can drive the real
// window with real pointer events.
constexpr const char* kGeometryVariable = "GRIDVELLUM_GEOMETRY";

// The "description|pattern|...||" filters of the shared tileset code as the file dialog wants them:
// "description;;description", each description naming its patterns in brackets.
QString DialogFilter(const WString& barFilter) {
    QStringList descriptions;
    const QStringList fields = ToQString(barFilter).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < fields.size(); i += 2) {
        if (!fields[i].isEmpty()) {
            descriptions.append(fields[i]);
        }
    }
    return descriptions.join(QStringLiteral(";;"));
}

// The editor's answers: dialogs over the main window.
class DialogPrompts : public CGridvellumApp::Prompts {
public:
    DialogPrompts(std::function<QWidget*()> parent, WString dataDirectory)
        : parent_(std::move(parent)), dataDirectory_(std::move(dataDirectory)) {}

    SaveChoice AskSaveChanges(const WString& documentTitle) override {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            parent_(), ToQString(CGridvellumApp::kApplicationName),
            QStringLiteral("Save changes to %1?").arg(ToQString(documentTitle)),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? SaveChoice::Save
               : answer == QMessageBox::Discard ? SaveChoice::Discard
                                                : SaveChoice::Cancel;
    }

    WString AskOpenMap() override {
        return FromQString(QFileDialog::getOpenFileName(parent_(), QStringLiteral("Open"), QString(),
                                                        ToQString(kMapFilter)));
    }

    WString AskSaveMap(const WString& proposedName) override {
        return FromQString(QFileDialog::getSaveFileName(parent_(), QStringLiteral("Save As"),
                                                        ToQString(proposedName), ToQString(kMapFilter)));
    }

    WString AskTileSet() override {
        return FromQString(QFileDialog::getOpenFileName(parent_(), QStringLiteral("Open"),
                                                        ToQString(dataDirectory_),
                                                        DialogFilter(TileSetChange::kFileFilter)));
    }

    void ShowMessage(const WString& caption, const WString& text) override {
        QMessageBox::information(parent_(), ToQString(caption), ToQString(text));
    }

    bool AskTileScale(TileScaleValues& values) override {
        CScaleDialog dialog(values, parent_());
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        values = dialog.Values();
        return true;
    }

    bool AskTileColor(TileColorValues& values) override {
        CTileColorDialog dialog(values, parent_());
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        values = dialog.Values();
        return true;
    }

    bool AskScenario(WString& scenario, const std::function<void()>& showHelp) override {
        CScenarioDialog dialog(scenario, showHelp, parent_());
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        scenario = dialog.Scenario();
        return true;
    }

    void ShowAbout(const AboutValues& values) override {
        CAboutDialog dialog(values, parent_());
        dialog.exec();
    }

    RecoveryChoice AskRecovery(const std::vector<AutosaveCopy>& copies) override {
        std::vector<CRecoveryDialog::Row> rows;
        for (const AutosaveCopy& copy : copies) {
            rows.push_back(CRecoveryDialog::Row{
                ToQString(copy.mapName),
                QDateTime::fromSecsSinceEpoch(copy.savedAt).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                ToQString(copy.originalPath), ToQString(copy.problem)});
        }
        switch (CRecoveryDialog::Ask(rows, parent_())) {
        case CRecoveryDialog::Answer::Recover:
            return RecoveryChoice::Recover;
        case CRecoveryDialog::Answer::Discard:
            return RecoveryChoice::Discard;
        case CRecoveryDialog::Answer::Later:
            break;
        }
        return RecoveryChoice::Later;
    }

    WString AskPublishPath(const WString& proposedName) override {
        // The dialog asks before replacing an existing file and adds ".jpg" to a name without it.
        QFileDialog dialog(parent_(), ToQString(kPublishCaption), ToQString(proposedName),
                           DialogFilter(kJpegFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return WString();
        }
        return FromQString(dialog.selectedFiles().front());
    }

    std::optional<JpegOptions> AskJpegOptions(const JpegOptions& start, double mapWidth,
                                              double mapHeight) override {
        return CJPEGOptionsDialog::Ask(parent_(), start, mapWidth, mapHeight);
    }

    std::unique_ptr<PublishProgress> ShowPublishProgress() override {
        return std::make_unique<PublishProgressDialog>(parent_());
    }

private:
    std::function<QWidget*()> parent_;
    WString dataDirectory_;
};

WString AbsolutePath(const WString& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(FileUtils::NativePath(path), error);
    return error ? path : WString::FromUtf8(absolute.lexically_normal().string());
}

} // namespace

CGridvellumApp::CGridvellumApp(Options options)
    : exactAutosave_(options.settings != nullptr),
      settings_(options.settings ? std::move(options.settings) : std::make_unique<QtSettingsStore>()),
      prompts_(std::move(options.prompts)), openFile_(std::move(options.openFile)),
      appSettings_(*settings_, exactAutosave_),
      tileSet_(TileSetContext{options.dataDirectory.IsEmpty() ? FileUtils::ProgramDirectory()
                                                              : options.dataDirectory,
                              settings_.get(), this, false}),
      doc_(tileSet_, state_, this),
      autosaveStore_(options.autosaveDirectory.IsEmpty() ? AutosaveStore::DefaultDirectory()
                                                         : options.autosaveDirectory),
      autosave_(doc_, autosaveStore_), startAnotherEditor_(std::move(options.startAnotherEditor)) {
    if (!prompts_) {
        prompts_ = std::make_unique<DialogPrompts>([this]() -> QWidget* { return frame_.get(); },
                                                   tileSet_.Context().dataDirectory);
    }
    if (!openFile_) {
        openFile_ = ShellOpen::Open;
    }
}

CGridvellumApp::~CGridvellumApp() {
    autosaveTimer_.reset();
    // The windows refer to the document and the panel; they go first.
    printing_.reset();
    frame_.reset();
    doc_.SetHost(nullptr);
}

bool CGridvellumApp::Start(const WString& mapPath) {
    recent_.Load(*settings_);
    appSettings_.ReadAtStart(state_);
    // The stored choice stays for the next start; this run draws with what works here.
    const bool openGlFailed = state_.openGlThisRun && !GlContextProbe::CanMakeContext();
    if (openGlFailed) {
        state_.openGlThisRun = false;
    }
    panel_ = std::make_unique<TilePanel>(tileSet_, appSettings_.TileSize(), appSettings_.Columns());
    frame_ =
        std::make_unique<CMainFrame>(CMainFrame::Parts{doc_, *settings_, *panel_, recent_, commands_, *this,
                                                       FileUtils::ProgramDirectory(), state_.openGlThisRun});
    printing_ = std::make_unique<MapPrinting>(doc_, *this, frame_.get());
    AppCommands::Register(*this, commands_);
    EditCommands::Register(commands_, doc_, frame_->View(), *prompts_);
    frame_->UpdateCommands();
    // A map brought back from its autosave copy takes the place of the one named to open.
    bool opened = RecoverAutosaves();
    if (!opened && !mapPath.IsEmpty()) {
        opened = OpenMap(mapPath);
    }
    if (!opened) {
        doc_.OnNewDocument();
        AfterDocumentLoaded();
    }
    frame_->setWindowTitle(ToQString(title_));
    frame_->show();
    frame_->View().OnInitialUpdate();
    if (openGlFailed) {
        frame_->SetStatusText(ToQString(kOpenGlFallbackText));
    }
    StartAutosaveTimer();
    return true;
}

void CGridvellumApp::StartAutosaveTimer() {
    const int seconds = appSettings_.AutosaveSeconds();
    if (seconds <= 0) {
        return;
    }
    autosaveTimer_ = std::make_unique<QTimer>();
    autosaveTimer_->setInterval(seconds * 1000);
    QObject::connect(autosaveTimer_.get(), &QTimer::timeout, [this] { AutosaveNow(); });
    autosaveTimer_->start();
}

void CGridvellumApp::AutosaveNow() {
    autosave_.Tick();
    const WString problem = autosave_.TakeProblem();
    if (!problem.IsEmpty() && frame_) {
        // The map itself is unharmed; the status line says why its copy could not be kept.
        frame_->SetStatusText(ToQString(u"Autosave failed: " + problem));
    }
}

bool CGridvellumApp::RecoverAutosaves() {
    const std::vector<AutosaveCopy> copies = autosaveStore_.Orphans();
    if (copies.empty()) {
        return false;
    }
    switch (prompts_->AskRecovery(copies)) {
    case Prompts::RecoveryChoice::Later:
        return false;
    case Prompts::RecoveryChoice::Discard:
        for (const AutosaveCopy& copy : copies) {
            AutosaveStore::Remove(copy.copyPath);
        }
        return false;
    case Prompts::RecoveryChoice::Recover:
        break;
    }
    bool recovered = false;
    bool othersWait = false;
    WString unreadable;
    for (const AutosaveCopy& copy : copies) {
        if (copy.readable && recovered) {
            othersWait = true;
            continue;
        }
        if (copy.readable && doc_.OnRecoverDocument(copy.copyPath, copy.originalPath)) {
            autosave_.Adopt(copy.copyPath, doc_.PathName());
            AfterDocumentLoaded();
            recovered = true;
            continue;
        }
        // Kept where it is: the user may still get something out of it by hand.
        unreadable += u"\n\"";
        unreadable += copy.copyPath;
        unreadable += u"\": ";
        unreadable += copy.readable ? doc_.FileError() : copy.problem;
    }
    if (!unreadable.IsEmpty()) {
        prompts_->ShowMessage(kApplicationName,
                              u"These autosave copies cannot be read and were left where they are:" +
                                  unreadable);
    }
    if (othersWait && startAnotherEditor_) {
        startAnotherEditor_();
    }
    return recovered;
}

void CGridvellumApp::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    autosaveTimer_.reset();
    autosave_.WaitForWrite();
    if (!doc_.IsModified()) {
        autosave_.Forget();
    }
    appSettings_.WriteAtExit(state_);
    recent_.Save(*settings_);
}

WString CGridvellumApp::TitleFor(const WString& pathName, const WString& tileSetName) {
    WString title = pathName.IsEmpty() ? WString(u"Untitled") : pathName.NameAndExtensionOf();
    title += u" [";
    title += tileSetName;
    title += u"]";
    return title;
}

bool CGridvellumApp::SaveModified() {
    if (!doc_.IsModified()) {
        return true;
    }
    switch (prompts_->AskSaveChanges(doc_.Title())) {
    case Prompts::SaveChoice::Save:
        return FileSave();
    case Prompts::SaveChoice::Discard:
        // The changes are given up; their copy goes with them.
        autosave_.Forget();
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

bool CGridvellumApp::FileNew() {
    if (!SaveModified()) {
        return false;
    }
    doc_.OnNewDocument();
    autosave_.Forget();
    AfterDocumentLoaded();
    return true;
}

bool CGridvellumApp::FileOpen() {
    const WString path = prompts_->AskOpenMap();
    return !path.IsEmpty() && OpenMap(path);
}

bool CGridvellumApp::OpenMap(const WString& path) {
    if (path.IsEmpty() || !SaveModified()) {
        return false;
    }
    const WString absolute = AbsolutePath(path);
    if (!doc_.OnOpenDocument(absolute)) {
        recent_.Remove(absolute);
        prompts_->ShowMessage(kApplicationName, CGridvellumDoc::FileFailureMessage(
                                                    u"Could not open", absolute, doc_.FileError()));
        return false;
    }
    recent_.Add(absolute);
    autosave_.Forget();
    AfterDocumentLoaded();
    return true;
}

bool CGridvellumApp::FileSave() {
    if (doc_.PathName().IsEmpty()) {
        return FileSaveAs();
    }
    return SaveTo(doc_.PathName());
}

bool CGridvellumApp::FileSaveAs() {
    // A map without a file proposes "Untitled", never its bracketed title.
    const WString proposed = doc_.PathName().IsEmpty() ? WString(u"Untitled") : doc_.PathName();
    WString path = prompts_->AskSaveMap(proposed);
    if (path.IsEmpty()) {
        return false;
    }
    if (path.NameAndExtensionOf().ExtensionOf().IsEmpty()) {
        path += kMapExtension;
    }
    return SaveTo(AbsolutePath(path));
}

bool CGridvellumApp::SaveTo(const WString& path) {
    if (!doc_.OnSaveDocument(path)) {
        // The document stays modified, so nothing is lost by closing this message.
        prompts_->ShowMessage(kApplicationName,
                              CGridvellumDoc::FileFailureMessage(u"Could not save", path, doc_.FileError()));
        return false;
    }
    recent_.Add(path);
    autosave_.Forget();
    return true;
}

bool CGridvellumApp::PublishToJpeg() {
    if (doc_.TileCount() == 0) {
        return false;
    }
    WString proposed = doc_.PathName().IsEmpty() ? WString(u"untitled") : doc_.PathName().NameOf();
    proposed.Append(u".jpg");
    const WString path = prompts_->AskPublishPath(proposed);
    if (path.IsEmpty()) {
        return false;
    }
    const Rect2 bounds = doc_.DocumentBounds(false, false);
    const std::optional<JpegOptions> options =
        prompts_->AskJpegOptions(JpegOptions::Load(*settings_), bounds.Width(), bounds.Height());
    if (!options) {
        return false;
    }
    options->Store(*settings_);
    WString reason;
    bool published = false;
    {
        // A run that draws through OpenGL publishes through it too, into framebuffers of its own.
        GlMapSurface* surface = frame_ ? frame_->View().GlSurface() : nullptr;
        PictureBands* bands = surface != nullptr ? surface->Bands() : nullptr;
        const std::unique_ptr<PublishProgress> progress = prompts_->ShowPublishProgress();
        published =
            Publisher::Publish(doc_, path, options->Scale(), options->quality, progress.get(), reason, bands);
    }
    RepaintMap();
    if (!published && !reason.IsEmpty()) {
        prompts_->ShowMessage(kPublishCaption, reason);
    }
    return published;
}

void CGridvellumApp::ChangeTileSet() {
    const WString picked = prompts_->AskTileSet();
    if (picked.IsEmpty()) {
        return;
    }
    WString message;
    if (!TileSetChange::ChangeTileSet(doc_, this, picked, message)) {
        if (!message.IsEmpty()) {
            prompts_->ShowMessage(kApplicationName, message);
        }
        return;
    }
    SetTitle(TitleFor(doc_.PathName(), tileSet_.Name()));
    if (frame_) {
        // The tiles came back as new objects; what the tools held of the old ones is gone.
        frame_->View().ForgetTiles();
    }
    RepaintMap();
}

void CGridvellumApp::ToggleOpenGl() {
    state_.openGlNextRun = !state_.openGlNextRun;
    prompts_->ShowMessage(kApplicationName, state_.openGlNextRun ? kOpenGlOnText : kOpenGlOffText);
    RepaintMap();
}

void CGridvellumApp::ToggleShowDrawTime() {
    state_.showDrawTime = !state_.showDrawTime;
    RepaintMap();
}

void CGridvellumApp::SetPanelTileSize(int tileSize) {
    if (panel_ && panel_->SetTileSize(tileSize)) {
        appSettings_.SetPanel(panel_->TileSize(), panel_->Columns());
        if (frame_) {
            frame_->ApplyPanelWidth();
        }
    }
}

void CGridvellumApp::SetPanelColumns(int columns) {
    if (panel_ && panel_->SetColumns(columns)) {
        appSettings_.SetPanel(panel_->TileSize(), panel_->Columns());
        if (frame_) {
            frame_->ApplyPanelWidth();
        }
    }
}

void CGridvellumApp::AfterDocumentLoaded() {
    if (frame_) {
        frame_->View().OnInitialUpdate();
        frame_->LeftView().update();
        frame_->UpdateCommands();
    }
}

void CGridvellumApp::GenerateReport() {
    WString path;
    WString error;
    if (!UsageReport::Generate(doc_, ProgramDirectory(), path, error)) {
        // An old report may still lie there: showing it would pass it off as this map's.
        prompts_->ShowMessage(kApplicationName, error);
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    openFile_(path, [this, alive](const WString& shown, const WString& reason) {
        if (!alive.expired()) {
            ReportOpenFailure(shown, reason);
        }
    });
}

void CGridvellumApp::ShowProgramFile(const WString& fileName) {
    WString path = ProgramDirectory();
    path += fileName;
    std::weak_ptr<bool> alive = alive_;
    openFile_(path, [this, alive](const WString& shown, const WString& reason) {
        if (!alive.expired()) {
            ReportOpenFailure(shown, reason);
        }
    });
}

void CGridvellumApp::ReportOpenFailure(const WString& path, const WString& reason) {
    prompts_->ShowMessage(kApplicationName,
                          CGridvellumDoc::FileFailureMessage(u"Could not show", path, reason));
}

void CGridvellumApp::EditScenario() {
    WString scenario = doc_.Scenario();
    if (!prompts_->AskScenario(scenario, [this] { ShowProgramFile(kScenarioHelpFile); })) {
        return;
    }
    doc_.SetScenario(scenario);
    doc_.SetModifiedFlag(true);
}

void CGridvellumApp::ShowAbout() {
    AboutValues values;
    values.copyright = tileSet_.Settings().copyright;
    GlMapSurface* surface = frame_ ? frame_->View().GlSurface() : nullptr;
    // Only a run that draws through OpenGL has a driver to report on.
    if (surface != nullptr && surface->IsReady()) {
        const GlDescription& described = surface->Description();
        values.openGlInUse = true;
        values.openGlVersion = described.version;
        values.openGlExtensions = described.extensions;
        values.maxTextureSize = described.maxTextureSize;
    }
    prompts_->ShowAbout(values);
}

void CGridvellumApp::SetDefaultTileColor() {
    DefaultTint& tint = state_.defaultTint;
    TileColorValues values{tint.color.r / 255.0, tint.color.g / 255.0, tint.color.b / 255.0, tint.strength};
    if (!prompts_->AskTileColor(values)) {
        return;
    }
    // Channels as whole steps of 255, the fraction dropped.
    auto channel = [](double value) {
        return static_cast<std::uint8_t>(std::clamp(value, 0.0, 1.0) * 255.0);
    };
    tint.color = Rgb8{channel(values.red), channel(values.green), channel(values.blue)};
    tint.strength = values.alpha;
    tint.on = true;
}

void CGridvellumApp::ToggleGlobalFlag(int flag) {
    if (Flags::ToggleGlobalFlag(tileSet_, flag)) {
        RepaintMap();
    }
}

void CGridvellumApp::ToggleShowResizeHandles() {
    state_.showResizeHandles = !state_.showResizeHandles;
    RepaintMap();
}

void CGridvellumApp::AfterTileSetLoad() {
    if (panel_) {
        panel_->RebuildAll();
    }
    if (frame_) {
        frame_->LeftView().Relayout();
        frame_->View().TileSetLoaded();
    }
}

void CGridvellumApp::RepaintMap() {
    if (frame_) {
        frame_->View().update();
        // Count marks in the panel follow the map.
        frame_->LeftView().update();
    }
}

ClientSize CGridvellumApp::ViewClientSize() const {
    if (!frame_) {
        return ClientSize{};
    }
    return ClientSize{frame_->View().width(), frame_->View().height()};
}

bool CGridvellumApp::EnsureTileSet() {
    const bool wasLoaded = tileSet_.IsLoaded();
    const bool loaded = TileSetChange::ChooseAtStart(tileSet_, [this] { return prompts_->AskTileSet(); });
    if (loaded && !wasLoaded) {
        AfterTileSetLoad();
    }
    return loaded;
}

bool CGridvellumApp::SetTileSetByName(const WString& name, WString& problem) {
    // A map that names no tileset keeps the loaded one (or gets the usual start-up choice).
    if (name.IsEmpty()) {
        if (EnsureTileSet()) {
            return true;
        }
        problem = u"no tileset was chosen for it.";
        return false;
    }
    if (tileSet_.IsLoaded() && name.EqualsNoCase(tileSet_.Name())) {
        return true;
    }
    const WString& directory = tileSet_.Context().dataDirectory;
    WString chosen = name;
    if (!TileSetChange::CanOpenMapsWith(directory, name, problem)) {
        // As when no tileset is found at all, the user may pick one; a map from another machine is
        // often made with a tileset that is here under another name.
        chosen = AskTileSetInstead(problem);
        if (chosen.IsEmpty() || !TileSetChange::CanOpenMapsWith(directory, chosen, problem)) {
            return false;
        }
    }
    const WString previous = tileSet_.Name();
    if (frame_) {
        // Textures go before the images they were made from.
        frame_->View().DropTileSetTextures();
    }
    if (!TileSetChange::SetTileSetByName(tileSet_, chosen)) {
        return true;
    }
    if (!tileSet_.IsWhole()) {
        // Changed on the disk since the check: the map must not be read over what is left of it.
        problem = TileSetChange::NotWholeProblem(chosen);
        if (!previous.IsEmpty()) {
            TileSetChange::SetTileSetByName(tileSet_, previous);
        }
        AfterTileSetLoad();
        return false;
    }
    AfterTileSetLoad();
    return true;
}

WString CGridvellumApp::AskTileSetInstead(const WString& problem) {
    WString text(u"This map cannot be opened as it is: ");
    text += problem;
    text += u"\n\nChoose another tileset to open it with, or cancel to leave it closed.";
    prompts_->ShowMessage(kApplicationName, text);
    return TileSetChange::NameFromPickedFile(prompts_->AskTileSet());
}

void CGridvellumApp::SetTitle(const WString& title) {
    title_ = title;
    if (frame_) {
        frame_->setWindowTitle(ToQString(title_));
    }
}

void CGridvellumApp::ShowError(const WString& caption, const WString& text) {
    prompts_->ShowMessage(caption, text);
}

namespace {

// One line per window: its name and its screen rectangle.
bool WriteGeometry(CMainFrame& frame, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QTextStream out(&file);
    auto line = [&out](const char* name, const QWidget& widget) {
        const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
        out << name << ' ' << origin.x() << ' ' << origin.y() << ' ' << widget.width() << ' '
            << widget.height() << '\n';
    };
    line("panel", frame.LeftView());
    line("map", frame.View());
    out << "renderer " << (frame.View().DrawsWithOpenGl() ? "opengl" : "software") << '\n';
    out.flush();
    return file.error() == QFileDevice::NoError;
}

} // namespace

int RunEditor(int argc, char** argv) {
    QApplication application(argc, argv);
    // The desktop matches the windows to the menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("gridvellum"));
    QApplication::setWindowIcon(WindowIcon::FromDirectory(FileUtils::ProgramDirectory()));
    const CommandLine line = CommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    CGridvellumApp::Options options;
    // One map per window: the copies this window does not take are offered by the next one.
    options.startAnotherEditor = [] { QProcess::startDetached(QCoreApplication::applicationFilePath(), {}); };
    CGridvellumApp app{std::move(options)};
    if (!app.Start(WString::FromUtf8(line.MapPath()))) {
        return 1;
    }
    int status = 0;
    const QString screenshot = qEnvironmentVariable(kScreenshotVariable);
    const QString geometry = qEnvironmentVariable(kGeometryVariable);
    if (!screenshot.isEmpty() || !geometry.isEmpty()) {
        app.Frame()->View().SetFirstFrameHandler([&app, &application, &status, screenshot, geometry] {
            if (!geometry.isEmpty() && !WriteGeometry(*app.Frame(), geometry)) {
                status = 1;
            }
            if (screenshot.isEmpty()) {
                return;
            }
            // After the paint that reached the window returns, so the grab sees the whole frame.
            QTimer::singleShot(0, &application, [&app, &application, &status, screenshot] {
                if (!app.Frame()->grab().save(screenshot, "PNG")) {
                    status = 1;
                }
                application.quit();
            });
        });
    }
    const int loopStatus = application.exec();
    app.Shutdown();
    return status != 0 ? status : loopStatus;
}
