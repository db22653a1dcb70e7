#pragma once

#include "app/CommandTable.h"
#include "support/WString.h"

#include <QMainWindow>

#include <map>
#include <vector>

class CGridvellumDoc;
class CGridvellumView;
class CLeftView;
class CommandRegistry;
class FrameHost;
class CTilePanelPane;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class RecentFiles;
class SettingsStore;
class TilePanel;

// The main window: menu bar, toolbar, a one-line status text at the bottom and a splitter with the
// tile panel on the left and the map view on the right. Menus, toolbar and keys are built from the
// command table; what each command does, and whether it is enabled or checked, is asked of the
// command registry, so the window knows nothing of who answers.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    struct Parts {
        CGridvellumDoc& doc;
        SettingsStore& settings;
        TilePanel& panel;
        RecentFiles& recent;
        CommandRegistry& commands;
        FrameHost& host;
        // The program's own folder, where the drawn toolbar pictures lie (the data folder of a test
        // may be elsewhere).
        WString programDirectory;
        // The map view draws through OpenGL (a context was found to work).
        bool openGl = false;
    };

    explicit CMainFrame(Parts parts);
    ~CMainFrame() override;

    CGridvellumView& View() { return *view_; }
    CLeftView& LeftView() { return *leftView_; }
    CTilePanelPane& TilePane() { return *tilePane_; }
    QSplitter& Splitter() { return *splitter_; }
    QToolBar& ToolBar() { return *toolBar_; }

    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Runs the command when it is enabled, then brings every entry up to date.
    void RunCommand(int id);
    // The action of a command; null for an identifier the frame does not show.
    QAction* Action(int id) const;
    // Sets every action's enabled and checked state from the registry.
    void UpdateCommands();
    // The splitter's first column becomes the panel's pane width, and the panel is laid out again.
    void ApplyPanelWidth();
    // The File menu's entries for the recently used maps.
    void RefreshRecentFiles();
    // Makes the global flag pop-up again from its template: the labels of flags 0 to 9 with their
    // check marks, entries beyond the tileset's flags left out. Runs each time it opens.
    void RebuildGlobalFlagsMenu();
    QMenu& FileMenu() { return *fileMenu_; }
    QMenu& EditMenu() { return *editMenu_; }
    QMenu& ViewMenu() { return *viewMenu_; }
    QMenu& HelpMenu() { return *helpMenu_; }
    QMenu& ZoomMenu() { return *zoomMenu_; }
    QMenu& GlobalFlagsMenu() { return *globalFlagsMenu_; }
    const std::vector<QAction*>& RecentFileActions() const { return recentActions_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(int id, QObject* owner = nullptr);
    QMenu* BuildMenu(const char* title, MenuPlace place);
    void AddRecentFileEntries(QMenu& menu);
    void BuildToolBar();
    void RegisterFrameCommands();
    void OpenRecent(int index);
    void SwitchPane();

    CGridvellumDoc& doc_;
    RecentFiles& recent_;
    CommandRegistry& commands_;
    FrameHost& host_;
    WString programDirectory_;
    QSplitter* splitter_ = nullptr;
    CGridvellumView* view_ = nullptr;
    CLeftView* leftView_ = nullptr;
    CTilePanelPane* tilePane_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* statusText_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* zoomMenu_ = nullptr;
    QMenu* globalFlagsMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    std::vector<QAction*> recentActions_;
    std::map<int, QAction*> actions_;
};
