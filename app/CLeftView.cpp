#include "app/CLeftView.h"

#include "app/CGridvellumView.h"
#include "document/CGridvellumDoc.h"
#include "platform/QtText.h"
#include "tileset/TilePanel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QTransform>
#include <QWheelEvent>

CLeftView::CLeftView(TilePanel& panel, CGridvellumDoc& doc, CGridvellumView& mapView, QWidget* parent)
    : QWidget(parent), panel_(panel), doc_(doc), mapView_(mapView),
      scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    canvas_.SetBitsPerPixel(32);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scrollBar_->setSingleStep(TilePanel::kLineStep);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &CLeftView::OnScrollBarMoved);
}

CLeftView::~CLeftView() = default;

int CLeftView::CountPlaced(int definition) const {
    return doc_.CountPlaced(definition);
}

void CLeftView::Relayout() {
    panel_.Layout(height());
    SyncScrollBar();
    update();
}

void CLeftView::SyncScrollBar() {
    syncing_ = true;
    scrollBar_->setGeometry(width() - TilePanel::kScrollBarWidth, 0, TilePanel::kScrollBarWidth, height());
    scrollBar_->setRange(0, panel_.MaxScroll());
    scrollBar_->setPageStep(std::max(1, panel_.ClientHeight()));
    scrollBar_->setValue(panel_.ScrollPosition());
    scrollBar_->setEnabled(panel_.ScrollBarEnabled());
    syncing_ = false;
}

void CLeftView::OnScrollBarMoved(int value) {
    if (syncing_) {
        return;
    }
    if (panel_.ScrollTo(value)) {
        update();
    }
    SyncScrollBar();
}

void CLeftView::paintEvent(QPaintEvent*) {
    const int paintWidth = std::max(1, width() - TilePanel::kScrollBarWidth);
    const int paintHeight = std::max(1, height());
    QPainter painter(this);
    if (!canvas_.EnsureSize(paintWidth, paintHeight)) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    panel_.Paint(canvas_, [this](int definition) { return CountPlaced(definition); });
    const QImage rows(canvas_.Pixels(), canvas_.Width(), canvas_.Height(), canvas_.Stride(),
                      QImage::Format_RGB32);
    // Stored rows run bottom-up; the flip puts the first one at the bottom.
    painter.setTransform(QTransform(1, 0, 0, -1, 0, canvas_.Height()));
    painter.drawImage(0, 0, rows);
}

void CLeftView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void CLeftView::mousePressEvent(QMouseEvent* event) {
    passingToMap_ = false;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    switch (panel_.MouseDown(at.x(), at.y())) {
    case TilePanel::Click::StateCycled:
        // Tiles of a category that just became locked or hidden may not stay selected.
        doc_.DeselectUnavailable();
        mapView_.update();
        break;
    case TilePanel::Click::ExpandToggled:
        SyncScrollBar();
        break;
    case TilePanel::Click::Picked:
    case TilePanel::Click::None:
        break;
    }
    update();
}

void CLeftView::mouseReleaseEvent(QMouseEvent* event) {
    // A release over the panel ends the drag; one over the map (the mouse left with the button held)
    // belongs to the map view, which finishes the drop with it.
    if (passingToMap_) {
        passingToMap_ = false;
        mapView_.PanelMouseRelease(*event, mapView_.mapFromGlobal(event->globalPosition().toPoint()));
        return;
    }
    panel_.MouseUp();
    QWidget::mouseReleaseEvent(event);
}

bool CLeftView::PassMoveToMap(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) == 0) {
        passingToMap_ = false;
        return false;
    }
    const QPoint mapPt = mapView_.mapFromGlobal(event->globalPosition().toPoint());
    // Over the map a move is the map's. Beyond it, only while the map holds the mouse: a tile it
    // took from the panel follows the mouse anywhere and scrolls the map past its edges.
    passingToMap_ = mapView_.rect().contains(mapPt) || (passingToMap_ && mapView_.WantsMouse());
    if (!passingToMap_) {
        return false;
    }
    mapView_.PanelMouseMove(*event, mapPt);
    return true;
}

void CLeftView::mouseMoveEvent(QMouseEvent* event) {
    if (PassMoveToMap(event)) {
        return;
    }
    // Take the focus while the program is active, so that the wheel scrolls the panel under the mouse.
    if (!hasFocus() && QApplication::focusWidget() != nullptr) {
        setFocus(Qt::MouseFocusReason);
    }
    QWidget::mouseMoveEvent(event);
}

void CLeftView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0 && panel_.Wheel(delta)) {
        SyncScrollBar();
        update();
    }
    event->accept();
}

void CLeftView::keyPressEvent(QKeyEvent* event) {
    if (!mapView_.HandleKeyPress(event)) {
        QWidget::keyPressEvent(event);
    }
}

void CLeftView::keyReleaseEvent(QKeyEvent* event) {
    // Releasing SPACE over the panel must end the map's temporary pan.
    if (!mapView_.HandleKeyRelease(event)) {
        QWidget::keyReleaseEvent(event);
    }
}

bool CLeftView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const WString text = panel_.Tooltip(help->pos().x(), help->pos().y(),
                                        [this](int definition) { return CountPlaced(definition); });
    if (text.IsEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), ToQString(text), this);
    }
    return true;
}
