#pragma once

#include <QMainWindow>

#include <map>
#include <vector>

class CGridvellumApp;
class CGridvellumView;
class CLeftView;
class CTilePanelPane;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

// The main window: menu bar, toolbar, a one-line status text at the bottom and a splitter with the
// tile panel on the left and the map view on the right. Every menu command, toolbar button and
// accelerator arrives at RunCommand by its identifier from the command table; before a menu opens,
// each entry is enabled and checked from the current state.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(CGridvellumApp& app);
    ~CMainFrame() override;

    CGridvellumView& View() { return *view_; }
    CLeftView& LeftView() { return *leftView_; }
    CTilePanelPane& TilePane() { return *tilePane_; }
    QSplitter& Splitter() { return *splitter_; }
    QToolBar& ToolBar() { return *toolBar_; }

    void SetStatusText(const QString& text);
    QString StatusText() const;

    void RunCommand(int id);
    // The action of a command; null for an identifier the frame does not show.
    QAction* Action(int id) const;
    // Sets every action's enabled and checked state from the application's state.
    void UpdateCommands();
    // The splitter's first column becomes the panel's pane width, and the panel is laid out again.
    void ApplyPanelWidth();
    // The File menu's entries for the recently used maps.
    void RefreshRecentFiles();
    QMenu& FileMenu() { return *fileMenu_; }
    QMenu& ViewMenu() { return *viewMenu_; }
    const std::vector<QAction*>& RecentFileActions() const { return recentActions_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(int id, bool checkable = false);
    void BuildMenus();
    void BuildFileMenu();
    void BuildViewMenu();
    void BuildToolBar();
    void OpenRecent(int index);
    void SwitchPane();

    CGridvellumApp& app_;
    QSplitter* splitter_ = nullptr;
    CGridvellumView* view_ = nullptr;
    CLeftView* leftView_ = nullptr;
    CTilePanelPane* tilePane_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* statusText_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    std::vector<QAction*> recentActions_;
    std::map<int, QAction*> actions_;
};
