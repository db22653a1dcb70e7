#include "app/CGridvellumView.h"
#include "app/CommandRegistry.h"
#include "app/CommandTable.h"
#include "app/GlMapSurface.h"
#include "app/PanCursor.h"
#include "app/ToolEvents.h"
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "platform/QtText.h"
#include "view/FrameComposer.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QString>
#include <QToolTip>
#include <QTransform>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// The tip's rectangle: the pixels around the mouse, so that it follows every move.
QRect TipRect(QPoint clientPt) {
    return QRect(clientPt.x() - 1, clientPt.y() - 1, 3, 3);
}

} // namespace

CGridvellumView::CGridvellumView(CGridvellumDoc& doc, SettingsStore& settings, TilePanel& panel, bool openGl,
                                 QWidget* parent)
    : QWidget(parent), doc_(doc), settings_(settings), panel_(panel), camera_(true), edits_(doc),
      tools_(doc, edits_, camera_, overlays_, *this, frame_.Timing(), &panel), panCursor_(MakePanCursor()) {
    setFocusPolicy(Qt::StrongFocus);
    // Every frame covers the whole client area, so the toolkit need not erase it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hovering shows cursors, tips and the text tool's box.
    setMouseTracking(true);
    setMinimumSize(32, 32);
    if (openGl) {
        glSurface_ = new GlMapSurface(*this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(glSurface_);
    }
    tools_.ShowToolState();
}

void CGridvellumView::SetStatusSink(StatusSink sink) {
    status_ = std::move(sink);
    tools_.ShowToolState();
}

CGridvellumView::~CGridvellumView() = default;

void CGridvellumView::OnInitialUpdate() {
    tools_.DocumentReplaced();
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

Vec2 CGridvellumView::CentreWorldPoint() {
    camera_.Resize(width(), height());
    return camera_.ClientToWorld(ClientPoint{width() / 2, height() / 2});
}

void CGridvellumView::RegisterCommands(CommandRegistry& commands) {
    commands.Register(CommandTable::kZoomExtents, {.run = [this] { ZoomExtents(); }});
    for (int percent : Camera::kZoomMenuPercents) {
        commands.Register(CommandTable::ZoomCommand(percent),
                          {.run = [this, percent] { SetZoomPercent(percent); },
                           .checked = [this, percent] { return camera_.IsZoomPercentChecked(percent); }});
    }
    const std::pair<int, ViewTool> tools[] = {{CommandTable::kPanTool, ViewTool::Pan},
                                              {CommandTable::kEditTool, ViewTool::Edit},
                                              {CommandTable::kTextTool, ViewTool::Text}};
    // A plain copy rather than a structured binding: clang 14 refuses to capture those in a lambda.
    for (const auto& entry : tools) {
        const ViewTool tool = entry.second;
        commands.Register(entry.first, {.run = [this, tool] { tools_.SetTool(tool); },
                                        .checked = [this, tool] { return tools_.Current() == tool; }});
    }
    commands.Register(CommandTable::kQuickDraw, {.run = [this] { ToggleQuickDraw(); },
                                                 .checked = [this] { return frame_.QuickDraw(); }});
}

void CGridvellumView::ShowStatus(const WString& text) {
    if (status_ && !text.IsEmpty()) {
        status_(ToQString(text));
    }
}

void CGridvellumView::Repaint() {
    update();
    if (repaintHandler_) {
        repaintHandler_();
    }
}

void CGridvellumView::SetCursor(CursorShape shape) {
    switch (shape) {
    case CursorShape::Arrow:
        setCursor(Qt::ArrowCursor);
        break;
    case CursorShape::Cross:
        setCursor(Qt::CrossCursor);
        break;
    case CursorShape::SizeAll:
        setCursor(Qt::SizeAllCursor);
        break;
    case CursorShape::Pan:
        setCursor(panCursor_);
        break;
    case CursorShape::IBeam:
        setCursor(Qt::IBeamCursor);
        break;
    case CursorShape::Forbidden:
        setCursor(Qt::ForbiddenCursor);
        break;
    }
}

void CGridvellumView::SetToolTip(const WString& text) {
    toolTip_ = text;
    if (toolTip_.IsEmpty()) {
        QToolTip::hideText();
    } else if (QToolTip::isVisible()) {
        // A tip already showing follows the mouse onto the next tile at once.
        const QPoint clientPt = mapFromGlobal(QCursor::pos());
        QToolTip::showText(QCursor::pos(), ToQString(toolTip_), this, TipRect(clientPt));
    }
}

int CGridvellumView::PopupMenu(const WString& title, const std::vector<PopupItem>& items, ClientPoint at) {
    QMenu menu(ToQString(title), this);
    for (const PopupItem& item : items) {
        QAction* action = menu.addAction(ToQString(item.label));
        action->setCheckable(true);
        action->setChecked(item.checked);
        action->setData(item.id);
    }
    const QPoint globalPt = mapToGlobal(QPoint(at.x, at.y));
    QAction* chosen = menuRunner_ ? menuRunner_(menu, globalPt) : menu.exec(globalPt);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

void CGridvellumView::ToolChanged(ViewTool) {
    if (toolChanged_) {
        toolChanged_();
    }
}

void CGridvellumView::DropTileSetTextures() {
    if (glSurface_ != nullptr) {
        glSurface_->DropTextures();
    }
}

void CGridvellumView::TileSetLoaded() {
    if (glSurface_ != nullptr) {
        glSurface_->TileSetLoaded();
    }
    update();
}

void CGridvellumView::ComposeGlFrame(FrameRenderer& renderer) {
    camera_.Resize(width(), height());
    FitIfPending();
    FrameTiming& timing = frame_.Timing();
    timing.BeginFrame();
    if (camera_.ClientWidth() > 0 && camera_.ClientHeight() > 0) {
        FrameComposer(renderer, doc_).ComposeView(camera_, overlays_, frame_.QuickDraw());
    }
    FramePainted(timing.EndFrame(doc_.State().showDrawTime));
}

void CGridvellumView::FramePainted(const FrameTimingReport& report) {
    ShowStatus(report.StatusText());
    ++framesPainted_;
    if (report.repaintAgain) {
        update();
    }
    if (firstFrame_) {
        std::function<void()> handler = std::move(firstFrame_);
        firstFrame_ = nullptr;
        handler();
    }
}

void CGridvellumView::SetFirstFrameHandler(std::function<void()> handler) {
    firstFrame_ = std::move(handler);
    if (framesPainted_ > 0) {
        update();
    }
}

void CGridvellumView::paintEvent(QPaintEvent*) {
    if (glSurface_ != nullptr) {
        // The surface covers the view and draws the frame; a repaint of the view is one of it.
        glSurface_->update();
        return;
    }
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
    FramePainted(report);
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
    // Menu shortcuts (Ctrl+S and the like) are not the tools' keys.
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
        return false;
    }
    bool used = tools_.KeyDown(toolevents::KeyOf(*event));
    // The key's characters follow its key-down, as typing into a text needs them.
    const QString text = event->text();
    for (QChar unit : text) {
        used = tools_.Character(unit.unicode()) || used;
    }
    return used;
}

bool CGridvellumView::HandleKeyRelease(QKeyEvent* event) {
    // Holding SPACE repeats its release too; only the real one ends the temporary pan.
    return !event->isAutoRepeat() && tools_.KeyUp(toolevents::KeyOf(*event));
}

void CGridvellumView::keyPressEvent(QKeyEvent* event) {
    if (!HandleKeyPress(event)) {
        QWidget::keyPressEvent(event);
    }
}

void CGridvellumView::keyReleaseEvent(QKeyEvent* event) {
    if (!HandleKeyRelease(event)) {
        QWidget::keyReleaseEvent(event);
    }
}

void CGridvellumView::TakeFocusWhileActive() {
    if (!hasFocus() && QApplication::focusWidget() != nullptr) {
        setFocus(Qt::MouseFocusReason);
    }
}

void CGridvellumView::mousePressEvent(QMouseEvent* event) {
    camera_.Resize(width(), height());
    tools_.Press(toolevents::FromMouse(*event));
    event->accept();
}

void CGridvellumView::mouseMoveEvent(QMouseEvent* event) {
    TakeFocusWhileActive();
    camera_.Resize(width(), height());
    tools_.Move(toolevents::FromMouse(*event));
    event->accept();
}

void CGridvellumView::mouseReleaseEvent(QMouseEvent* event) {
    tools_.Release(toolevents::FromMouse(*event));
    event->accept();
}

void CGridvellumView::PanelMouseMove(const QMouseEvent& event, QPoint clientPt) {
    TakeFocusWhileActive();
    camera_.Resize(width(), height());
    tools_.Move(toolevents::FromMouse(event, clientPt));
}

void CGridvellumView::PanelMouseRelease(const QMouseEvent& event, QPoint clientPt) {
    tools_.Release(toolevents::FromMouse(event, clientPt));
}

bool CGridvellumView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    if (toolTip_.IsEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), ToQString(toolTip_), this, TipRect(help->pos()));
    }
    return true;
}
