#include "app/CMainFrame.h"

#include "app/CGridvellumApp.h"
#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CommandTable.h"
#include "view/Camera.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

QString ToQString(const WString& text) {
    return QString::fromUtf16(text.c_str(), text.Length());
}

WString FromQString(const QString& text) {
    return WString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int>(text.size()));
}

} // namespace

CMainFrame::CMainFrame(CGridvellumApp& app) : app_(app) {
    setObjectName("MainFrame");
    setAcceptDrops(true);

    // The status text: one field across the bottom of the frame.
    statusText_ = new QLabel(this);
    statusBar()->addWidget(statusText_, 1);
    statusBar()->setSizeGripEnabled(true);
    SetStatusText("Ready");

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    view_ = new CGridvellumView(app_.Document(), app_.Store(), app_.Panel());
    leftView_ = new CLeftView(app_.Panel(), app_.Document(), *view_);
    splitter_->addWidget(leftView_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    view_->SetStatusSink([this](const QString& text) { SetStatusText(text); });
    // The panel's count marks follow every change the tools make to the map.
    view_->SetRepaintHandler([this] { leftView_->update(); });
    view_->SetToolChangedHandler([this] { UpdateCommands(); });

    BuildMenus();
    BuildToolBar();
    resize(1200, 800);
    ApplyPanelWidth();
    UpdateCommands();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetStatusText(const QString& text) {
    statusText_->setText(text);
}

QString CMainFrame::StatusText() const {
    return statusText_->text();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

QAction* CMainFrame::MakeAction(int id, bool checkable) {
    // The menu shows the accelerator beside the text from the shortcuts; the frame owns the action.
    auto* action = new QAction(QString::fromStdString(CommandTable::MenuLabel(id)), this);
    QList<QKeySequence> keys;
    for (const std::string& key : CommandTable::Accelerators(id)) {
        keys.append(QKeySequence(QString::fromStdString(key), QKeySequence::PortableText));
    }
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
    return action;
}

void CMainFrame::BuildMenus() {
    fileMenu_ = menuBar()->addMenu("&File");
    viewMenu_ = menuBar()->addMenu("&View");
    BuildFileMenu();
    BuildViewMenu();
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] {
        RefreshRecentFiles();
        UpdateCommands();
    });
    connect(viewMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    // Keys without a menu entry still belong to the window.
    for (int id : {CommandTable::kNextPane, CommandTable::kPreviousPane}) {
        addAction(MakeAction(id));
    }
}

void CMainFrame::BuildFileMenu() {
    for (int id : {CommandTable::kNew, CommandTable::kOpen, CommandTable::kSave, CommandTable::kSaveAs}) {
        fileMenu_->addAction(MakeAction(id));
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(MakeAction(CommandTable::kChangeTileSet));
    fileMenu_->addAction(MakeAction(CommandTable::kPublish));
    fileMenu_->addSeparator();
    // Until a map was opened, the recent-file place shows a greyed "Recent File".
    recentPlaceholder_ = MakeAction(CommandTable::kRecentFile);
    recentPlaceholder_->setEnabled(false);
    fileMenu_->addAction(recentPlaceholder_);
    for (int i = 0; i < RecentFiles::kCapacity; ++i) {
        QAction* entry = fileMenu_->addAction(QString());
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i] { OpenRecent(i); });
        recentActions_.push_back(entry);
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(MakeAction(CommandTable::kExit));
}

void CMainFrame::BuildViewMenu() {
    viewMenu_->addAction(MakeAction(CommandTable::kZoomExtents));
    for (int percent : Camera::kZoomMenuPercents) {
        viewMenu_->addAction(MakeAction(CommandTable::ZoomCommand(percent), true));
    }
    viewMenu_->addSeparator();
    for (int id : {CommandTable::kPanTool, CommandTable::kEditTool, CommandTable::kTextTool}) {
        viewMenu_->addAction(MakeAction(id, true));
    }
    viewMenu_->addSeparator();
    viewMenu_->addAction(MakeAction(CommandTable::kSuperWheel, true));
    viewMenu_->addSeparator();
    viewMenu_->addAction(MakeAction(CommandTable::kSmallTiles, true));
    viewMenu_->addAction(MakeAction(CommandTable::kLargeTiles, true));
    viewMenu_->addSeparator();
    for (int columns = 1; columns <= 6; ++columns) {
        viewMenu_->addAction(MakeAction(CommandTable::ColumnsCommand(columns), true));
    }
    viewMenu_->addSeparator();
    viewMenu_->addAction(MakeAction(CommandTable::kQuickDraw, true));
    viewMenu_->addAction(MakeAction(CommandTable::kOpenGl, true));
    viewMenu_->addAction(MakeAction(CommandTable::kShowDrawTime, true));
}

void CMainFrame::BuildToolBar() {
    toolBar_ = addToolBar("Standard");
    toolBar_->setObjectName("StandardToolBar");
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (int id :
         {CommandTable::kNew, CommandTable::kOpen, CommandTable::kSave, CommandTable::kZoomExtents}) {
        toolBar_->addAction(Action(id));
    }
    // The zoom button pops up the ten zoom entries under itself.
    QAction* zoom = MakeAction(CommandTable::kZoomPopup);
    QMenu* zoomMenu = new QMenu(this);
    for (int percent : Camera::kZoomMenuPercents) {
        zoomMenu->addAction(Action(CommandTable::ZoomCommand(percent)));
    }
    connect(zoomMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    zoom->setMenu(zoomMenu);
    toolBar_->addAction(zoom);
    if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(zoom))) {
        button->setPopupMode(QToolButton::InstantPopup);
    }
}

void CMainFrame::RunCommand(int id) {
    if (const int percent = CommandTable::ZoomPercent(id)) {
        view_->SetZoomPercent(percent);
    } else if (const int columns = CommandTable::ColumnsOf(id)) {
        app_.SetPanelColumns(columns);
    } else {
        switch (id) {
        case CommandTable::kNew:
            app_.FileNew();
            break;
        case CommandTable::kOpen:
            app_.FileOpen();
            break;
        case CommandTable::kSave:
            app_.FileSave();
            break;
        case CommandTable::kSaveAs:
            app_.FileSaveAs();
            break;
        case CommandTable::kChangeTileSet:
            app_.ChangeTileSet();
            break;
        case CommandTable::kPublish:
            app_.PublishToJpeg();
            break;
        case CommandTable::kExit:
            close();
            break;
        case CommandTable::kZoomExtents:
            view_->ZoomExtents();
            break;
        case CommandTable::kSuperWheel:
            app_.ToggleSuperWheel();
            break;
        case CommandTable::kSmallTiles:
            app_.SetPanelTileSize(TilePanel::kSmallTiles);
            break;
        case CommandTable::kLargeTiles:
            app_.SetPanelTileSize(TilePanel::kLargeTiles);
            break;
        case CommandTable::kQuickDraw:
            view_->ToggleQuickDraw();
            break;
        case CommandTable::kOpenGl:
            app_.ToggleOpenGl();
            break;
        case CommandTable::kShowDrawTime:
            app_.ToggleShowDrawTime();
            break;
        case CommandTable::kNextPane:
        case CommandTable::kPreviousPane:
            SwitchPane();
            break;
        case CommandTable::kPanTool:
            view_->Tools().SetTool(ViewTool::Pan);
            break;
        case CommandTable::kEditTool:
            view_->Tools().SetTool(ViewTool::Edit);
            break;
        case CommandTable::kTextTool:
            view_->Tools().SetTool(ViewTool::Text);
            break;
        default:
            break;
        }
    }
    UpdateCommands();
}

void CMainFrame::UpdateCommands() {
    const ProgramState& state = app_.State();
    const TilePanel& panel = app_.Panel();
    auto check = [this](int id, bool on) {
        if (QAction* action = Action(id)) {
            action->setChecked(on);
        }
    };
    for (int percent : Camera::kZoomMenuPercents) {
        check(CommandTable::ZoomCommand(percent), view_->GetCamera().IsZoomPercentChecked(percent));
    }
    for (int columns = 1; columns <= 6; ++columns) {
        check(CommandTable::ColumnsCommand(columns), panel.Columns() == columns);
    }
    check(CommandTable::kSmallTiles, panel.TileSize() == TilePanel::kSmallTiles);
    check(CommandTable::kLargeTiles, panel.TileSize() == TilePanel::kLargeTiles);
    check(CommandTable::kSuperWheel, state.superWheel);
    check(CommandTable::kQuickDraw, view_->Frame().QuickDraw());
    // The check shows how this run draws, not what the next start will do.
    check(CommandTable::kOpenGl, state.openGlThisRun);
    check(CommandTable::kShowDrawTime, state.showDrawTime);
    // Publishing needs a tile to publish.
    if (QAction* publish = Action(CommandTable::kPublish)) {
        publish->setEnabled(app_.Document().TileCount() > 0);
    }
    const ViewTool tool = view_->Tools().Current();
    check(CommandTable::kPanTool, tool == ViewTool::Pan);
    check(CommandTable::kEditTool, tool == ViewTool::Edit);
    check(CommandTable::kTextTool, tool == ViewTool::Text);
}

void CMainFrame::ApplyPanelWidth() {
    const int pane = app_.Panel().PaneWidth();
    const int total = std::max(splitter_->width(), width());
    leftView_->setMinimumWidth(TilePanel::kScrollBarWidth + 1);
    splitter_->setSizes({pane, std::max(1, total - pane - splitter_->handleWidth())});
    leftView_->Relayout();
}

void CMainFrame::RefreshRecentFiles() {
    const std::vector<WString>& paths = app_.Recent().Paths();
    recentPlaceholder_->setVisible(paths.empty());
    for (int i = 0; i < static_cast<int>(recentActions_.size()); ++i) {
        QAction* entry = recentActions_[i];
        const bool used = i < static_cast<int>(paths.size());
        entry->setVisible(used);
        if (used) {
            entry->setText(ToQString(RecentFiles::MenuText(i, paths[i])));
            entry->setToolTip(ToQString(paths[i]));
        }
    }
}

void CMainFrame::OpenRecent(int index) {
    const std::vector<WString>& paths = app_.Recent().Paths();
    if (index >= 0 && index < static_cast<int>(paths.size())) {
        const WString path = paths[index]; // the list changes while the map opens
        app_.OpenMap(path);
    }
}

void CMainFrame::SwitchPane() {
    if (view_->hasFocus()) {
        leftView_->setFocus(Qt::TabFocusReason);
    } else {
        view_->setFocus(Qt::TabFocusReason);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (app_.SaveModified()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    // Several files dropped at once: the program shows one map, so the first one opens.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            app_.OpenMap(FromQString(url.toLocalFile()));
            return;
        }
    }
}
