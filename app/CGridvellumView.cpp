#include "app/CGridvellumView.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QString>
#include <QTransform>
#include <QWheelEvent>

CGridvellumView::CGridvellumView(CGridvellumDoc& doc, SettingsStore& settings, TilePanel& panel,
                                 QWidget* parent)
    : QWidget(parent), doc_(doc), settings_(settings), panel_(panel), camera_(true) {
    setFocusPolicy(Qt::StrongFocus);
    // Every frame covers the whole client area, so the toolkit need not erase it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(32, 32);
}

CGridvellumView::~CGridvellumView() = default;

void CGridvellumView::OnInitialUpdate() {
    frame_.LoadQuickDraw(settings_);
    fitPending_ = true;
    FitIfPending();
    update();
}

void CGridvellumView::FitIfPending() {
    if (!fitPending_ || width() < 1 || height() < 1) {
        return;
    }
    camera_.Resize(width(), height());
    camera_.ZoomExtents(doc_);
    fitPending_ = false;
}

void CGridvellumView::ZoomExtents() {
    camera_.Resize(width(), height());
    camera_.ZoomExtents(doc_);
    update();
}

void CGridvellumView::SetZoomPercent(int percent) {
    camera_.SetZoomPercent(percent);
    update();
}

void CGridvellumView::ToggleQuickDraw() {
    frame_.ToggleQuickDraw(settings_);
    update();
}

PanelPick CGridvellumView::TakePendingPick() {
    const PanelPick pick = panel_.Pick();
    panel_.ClearPick();
    return pick;
}

void CGridvellumView::ShowStatus(const WString& text) {
    if (status_ && !text.IsEmpty()) {
        status_(QString::fromUtf16(text.c_str(), text.Length()));
    }
}

void CGridvellumView::paintEvent(QPaintEvent*) {
    camera_.Resize(width(), height());
    FitIfPending();
    const FrameTimingReport report = frame_.Draw(camera_, doc_, overlays_);
    const DcRasterCanvas& canvas = frame_.Canvas();
    QPainter painter(this);
    if (canvas.HasPixels() && canvas.Width() == width() && canvas.Height() == height()) {
        // The canvas keeps its rows bottom-up; the flip lays its first stored row at the bottom.
        const QImage rows(canvas.Pixels(), canvas.Width(), canvas.Height(), canvas.Stride(),
                          QImage::Format_RGB32);
        painter.setTransform(QTransform(1, 0, 0, -1, 0, canvas.Height()));
        painter.drawImage(0, 0, rows);
    } else {
        painter.fillRect(rect(), Qt::black);
    }
    painter.end();
    ShowStatus(report.StatusText());
    ++framesPainted_;
    if (report.repaintAgain) {
        update();
    }
    if (framesPainted_ == 1 && firstFrame_) {
        firstFrame_();
    }
}

void CGridvellumView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (camera_.Resize(width(), height())) {
        update();
    }
    FitIfPending();
}

void CGridvellumView::wheelEvent(QWheelEvent* event) {
    const QPointF position = event->position();
    const ClientPoint clientPt{static_cast<int>(position.x()), static_cast<int>(position.y())};
    const bool buttonDown = (event->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) != 0;
    const int delta = event->angleDelta().y();
    if (delta != 0 && camera_.Wheel(delta, clientPt, buttonDown, doc_.State().superWheel, doc_)) {
        update();
    }
    event->accept();
}

bool CGridvellumView::HandleKeyPress(QKeyEvent* event) {
    const bool keypad = (event->modifiers() & Qt::KeypadModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Plus:
        if (!keypad) {
            return false;
        }
        camera_.KeypadZoomIn();
        break;
    case Qt::Key_Minus:
        if (!keypad) {
            return false;
        }
        camera_.KeypadZoomOut();
        break;
    case Qt::Key_F9:
        frame_.Timing().StartMeasurement();
        break;
    default:
        return false;
    }
    update();
    return true;
}

void CGridvellumView::keyPressEvent(QKeyEvent* event) {
    if (!HandleKeyPress(event)) {
        QWidget::keyPressEvent(event);
    }
}
