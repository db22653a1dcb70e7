#include "app/CMainFrame.h"

#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CTilePanelPane.h"
#include "app/CommandRegistry.h"
#include "app/CommandTable.h"
#include "app/FrameHost.h"
#include "app/RecentFiles.h"
#include "app/ToolBarIcons.h"
#include "document/CGridvellumDoc.h"
#include "document/Flags.h"
#include "platform/QtText.h"
#include "tileset/TilePanel.h"

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

#include <algorithm>

CMainFrame::CMainFrame(Parts parts)
    : doc_(parts.doc), recent_(parts.recent), commands_(parts.commands), host_(parts.host),
      programDirectory_(parts.programDirectory) {
    setObjectName("MainFrame");
    setAcceptDrops(true);

    // The status text: one field across the bottom of the frame.
    statusText_ = new QLabel(this);
    statusBar()->addWidget(statusText_, 1);
    statusBar()->setSizeGripEnabled(true);
    SetStatusText("Ready");

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    view_ = new CGridvellumView(parts.doc, parts.settings, parts.panel, parts.openGl);
    leftView_ = new CLeftView(parts.panel, parts.doc, *view_);
    // The panel sits under its search box; the pane holds both.
    tilePane_ = new CTilePanelPane(*leftView_);
    splitter_->addWidget(tilePane_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    view_->SetStatusSink([this](const QString& text) { SetStatusText(text); });
    // The panel's count marks and the commands' states follow every change the tools make.
    view_->SetRepaintHandler([this] {
        leftView_->update();
        UpdateCommands();
    });
    view_->SetToolChangedHandler([this] { UpdateCommands(); });
    view_->RegisterCommands(commands_);
    RegisterFrameCommands();

    fileMenu_ = BuildMenu("&File", MenuPlace::File);
    editMenu_ = BuildMenu("&Edit", MenuPlace::Edit);
    viewMenu_ = BuildMenu("&View", MenuPlace::View);
    helpMenu_ = BuildMenu("&Help", MenuPlace::Help);
    connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::RefreshRecentFiles);
    // Keys without a menu entry still belong to the window.
    for (const CommandInfo* row : CommandTable::MenuRows(MenuPlace::Keys)) {
        addAction(MakeAction(row->id));
    }
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

QAction* CMainFrame::MakeAction(int id, QObject* owner) {
    const CommandInfo* command = CommandTable::Find(id);
    // The text keeps the table's tab and key, which the menu shows beside the entry as it stands.
    auto* action = new QAction(QString::fromUtf8(command->menuText), owner ? owner : this);
    QList<QKeySequence> keys;
    for (const std::string& key : CommandTable::Accelerators(id)) {
        keys.append(QKeySequence(QString::fromStdString(key), QKeySequence::PortableText));
    }
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setIconText(QString::fromStdString(CommandTable::ToolTip(id)));
    action->setToolTip(QString::fromStdString(CommandTable::ToolTip(id)));
    action->setStatusTip(QString::fromStdString(CommandTable::StatusTip(id)));
    if (*command->icon != '\0') {
        action->setIcon(ToolBarIcons::For(command->icon, programDirectory_));
        // Menus stay text only, as the table writes them.
        action->setIconVisibleInMenu(false);
    }
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
    return action;
}

QMenu* CMainFrame::BuildMenu(const char* title, MenuPlace place) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
    for (const CommandInfo* row : CommandTable::MenuRows(place)) {
        if (row->id == 0) {
            menu->addSeparator();
        } else if (row->id == CommandTable::kRecentFile) {
            AddRecentFileEntries(*menu);
        } else if (row->id == CommandTable::kZoomPopup) {
            zoomMenu_ = menu->addMenu(QString::fromUtf8(row->menuText));
            for (const CommandInfo* zoom : CommandTable::MenuRows(MenuPlace::Zoom)) {
                zoomMenu_->addAction(MakeAction(zoom->id));
            }
            QAction* popup = zoomMenu_->menuAction();
            popup->setIcon(ToolBarIcons::For(row->icon, programDirectory_));
            popup->setIconVisibleInMenu(false);
            popup->setToolTip(QString::fromStdString(CommandTable::ToolTip(row->id)));
            popup->setStatusTip(QString::fromStdString(CommandTable::StatusTip(row->id)));
            connect(zoomMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
            actions_[row->id] = popup;
        } else {
            menu->addAction(MakeAction(row->id));
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    return menu;
}

void CMainFrame::AddRecentFileEntries(QMenu& menu) {
    // Until a map was opened, the recent-file place shows a greyed "Recent File".
    recentPlaceholder_ = MakeAction(CommandTable::kRecentFile);
    menu.addAction(recentPlaceholder_);
    for (int i = 0; i < RecentFiles::kCapacity; ++i) {
        QAction* entry = menu.addAction(QString());
        entry->setVisible(false);
        entry->setStatusTip(QString::fromStdString(CommandTable::StatusTip(CommandTable::kRecentFile)));
        connect(entry, &QAction::triggered, this, [this, i] { OpenRecent(i); });
        recentActions_.push_back(entry);
    }
}

void CMainFrame::BuildToolBar() {
    toolBar_ = addToolBar("Standard");
    toolBar_->setObjectName("StandardToolBar");
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const CommandInfo* flags = CommandTable::Find(CommandTable::kGlobalFlagsPopup);
    globalFlagsMenu_ = new QMenu(QString::fromUtf8(flags->menuText), this);
    QAction* flagsPopup = globalFlagsMenu_->menuAction();
    flagsPopup->setIcon(ToolBarIcons::For(flags->icon, programDirectory_));
    flagsPopup->setToolTip(QString::fromStdString(CommandTable::ToolTip(flags->id)));
    flagsPopup->setStatusTip(QString::fromStdString(CommandTable::StatusTip(flags->id)));
    actions_[flags->id] = flagsPopup;
    connect(globalFlagsMenu_, &QMenu::aboutToShow, this, &CMainFrame::RebuildGlobalFlagsMenu);
    for (int id : CommandTable::ToolBar()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (action == nullptr) {
            action = MakeAction(id);
        }
        toolBar_->addAction(action);
        // The two pop-up buttons open their menus under themselves at the first press.
        if (action->menu() != nullptr) {
            if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(action))) {
                button->setPopupMode(QToolButton::InstantPopup);
            }
        }
    }
}

void CMainFrame::RebuildGlobalFlagsMenu() {
    for (int flag = 0; flag < CommandTable::kGlobalFlagEntries; ++flag) {
        actions_.erase(CommandTable::GlobalFlagCommand(flag));
    }
    globalFlagsMenu_->clear();
    const std::vector<Flags::MenuItem> items = Flags::GlobalFlagMenu(doc_.Tiles());
    for (int flag = 0; flag < static_cast<int>(items.size()); ++flag) {
        QAction* entry = MakeAction(CommandTable::GlobalFlagCommand(flag), globalFlagsMenu_);
        entry->setText(ToQString(items[flag].label));
        globalFlagsMenu_->addAction(entry);
    }
    UpdateCommands();
}

void CMainFrame::RegisterFrameCommands() {
    commands_.Register(CommandTable::kExit, {.run = [this] { close(); }});
    for (int id : {CommandTable::kNextPane, CommandTable::kPreviousPane}) {
        commands_.Register(id, {.run = [this] { SwitchPane(); }});
    }
}

void CMainFrame::RunCommand(int id) {
    commands_.Run(id);
    UpdateCommands();
}

void CMainFrame::UpdateCommands() {
    for (const auto& [id, action] : actions_) {
        // The pop-up buttons and the recent-file place are not commands of their own.
        if (action->menu() != nullptr || action == recentPlaceholder_) {
            continue;
        }
        action->setEnabled(commands_.IsEnabled(id));
        action->setCheckable(commands_.IsCheckable(id));
        action->setChecked(commands_.IsChecked(id));
    }
    if (recentPlaceholder_ != nullptr) {
        recentPlaceholder_->setEnabled(false);
    }
}

void CMainFrame::ApplyPanelWidth() {
    const int pane = leftView_->Panel().PaneWidth();
    const int total = std::max(splitter_->width(), width());
    leftView_->setMinimumWidth(TilePanel::kScrollBarWidth + 1);
    splitter_->setSizes({pane, std::max(1, total - pane - splitter_->handleWidth())});
    leftView_->Relayout();
}

void CMainFrame::RefreshRecentFiles() {
    const std::vector<WString>& paths = recent_.Paths();
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
    const std::vector<WString>& paths = recent_.Paths();
    if (index >= 0 && index < static_cast<int>(paths.size())) {
        const WString path = paths[index]; // the list changes while the map opens
        host_.OpenMap(path);
        UpdateCommands();
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
    if (host_.SaveModified()) {
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
            host_.OpenMap(FromQString(url.toLocalFile()));
            UpdateCommands();
            return;
        }
    }
}
