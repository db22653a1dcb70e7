#include "app/CTilePanelPane.h"

#include "app/CLeftView.h"
#include "tileset/TilePanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

WString FromQString(const QString& text) {
    return WString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int>(text.size()));
}

} // namespace

CTilePanelPane::CTilePanelPane(CLeftView& leftView, QWidget* parent)
    : QWidget(parent), leftView_(leftView), box_(new QLineEdit(this)), matches_(new QLabel(this)) {
    setObjectName("TilePanelPane");
    box_->setObjectName("TileSearch");
    box_->setPlaceholderText("Search tiles");
    box_->setClearButtonEnabled(true);
    box_->installEventFilter(this);
    matches_->setObjectName("TileMatches");

    // The count has a line of its own, shown only during a search: the narrowest pane (one column of
    // small tiles) has no room for it beside the box.
    matches_->setContentsMargins(4, 0, 4, 2);
    matches_->hide();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(2, 2, 2, 2);
    searchRow->addWidget(box_, 1);
    column->addLayout(searchRow);
    column->addWidget(matches_);
    leftView_.setParent(this);
    // A tileset loaded during a search changes the matches without a keystroke; the count follows
    // every repaint of the panel.
    leftView_.installEventFilter(this);
    column->addWidget(&leftView_, 1);

    connect(box_, &QLineEdit::textChanged, this, &CTilePanelPane::OnSearchChanged);
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, &CTilePanelPane::FocusSearch);
}

CTilePanelPane::~CTilePanelPane() = default;

void CTilePanelPane::FocusSearch() {
    box_->setFocus(Qt::ShortcutFocusReason);
    box_->selectAll();
}

QString CTilePanelPane::MatchText(int matches) {
    if (matches == 0) {
        return QStringLiteral("No matches");
    }
    return matches == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(matches);
}

void CTilePanelPane::OnSearchChanged(const QString& text) {
    leftView_.Panel().SetFilter(FromQString(text));
    ShowMatchCount();
    leftView_.Relayout();
}

void CTilePanelPane::ShowMatchCount() {
    const TilePanel& panel = leftView_.Panel();
    const QString text = panel.IsFiltered() ? MatchText(panel.MatchCount()) : QString();
    if (matches_->text() != text) {
        matches_->setText(text);
    }
    if (matches_->isVisibleTo(this) != panel.IsFiltered()) {
        matches_->setVisible(panel.IsFiltered());
    }
}

bool CTilePanelPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &leftView_ && event->type() == QEvent::Paint) {
        ShowMatchCount();
        return false;
    }
    if (watched == box_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Escape ends the search and hands the keyboard back to the panel, whose keys reach the map.
        box_->clear();
        leftView_.setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
