#pragma once

#include <QString>
#include <QWidget>

class CLeftView;
class QKeyEvent;
class QLabel;
class QLineEdit;

// The left pane of the main window: a search box with the number of matching tiles above the tile
// panel. Typing narrows the panel to the tiles whose name holds the text; Escape or an empty box
// gives the full panel back. Ctrl+F anywhere in the window puts the keyboard into the box.
class CTilePanelPane : public QWidget {
    Q_OBJECT

public:
    // Takes the panel's window as its own child, below the search row.
    explicit CTilePanelPane(CLeftView& leftView, QWidget* parent = nullptr);
    ~CTilePanelPane() override;

    QLineEdit& SearchBox() { return *box_; }
    QLabel& MatchLabel() { return *matches_; }
    CLeftView& LeftView() { return leftView_; }
    // Focuses the box with its text selected, so typing replaces the last search.
    void FocusSearch();
    // "No matches", "1 match", "12 matches".
    static QString MatchText(int matches);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSearchChanged(const QString& text);
    void ShowMatchCount();

    CLeftView& leftView_;
    QLineEdit* box_;
    QLabel* matches_;
};
