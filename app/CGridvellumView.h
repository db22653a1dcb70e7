#pragma once

#include "tileset/TilePanel.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"

#include <QWidget>

#include <functional>

class CGridvellumDoc;
class QKeyEvent;
class QString;
class SettingsStore;
struct ProgramState;

// The map view: shows the document through the camera, drawn by the program's own renderer into a
// screen-sized canvas that is copied to the window in one block. It zooms with the wheel and the
// keypad, measures the frame rate on F9 and reports transient text to the status bar.
//
// The tile the user pressed on in the tile panel stays pending in the panel until the map takes it.
class CGridvellumView : public QWidget {
    Q_OBJECT

public:
    using StatusSink = std::function<void(const QString& text)>;

    CGridvellumView(CGridvellumDoc& doc, SettingsStore& settings, TilePanel& panel,
                    QWidget* parent = nullptr);
    ~CGridvellumView() override;

    Camera& GetCamera() { return camera_; }
    const Camera& GetCamera() const { return camera_; }
    SoftwareFrame& Frame() { return frame_; }
    FrameOverlays& Overlays() { return overlays_; }
    CGridvellumDoc& Document() { return doc_; }

    void SetStatusSink(StatusSink sink) { status_ = std::move(sink); }
    // Called once, after the first frame reached the window.
    void SetFirstFrameHandler(std::function<void()> handler) { firstFrame_ = std::move(handler); }
    int FramesPainted() const { return framesPainted_; }

    // When the view is first shown and for every new or opened document: reads the Quick Draw
    // setting and fits the map into the view (at once when the view has a size, else at its first
    // resize).
    void OnInitialUpdate();
    void ZoomExtents();
    void SetZoomPercent(int percent);
    void ToggleQuickDraw();

    // The tile picked in the panel that the map has not taken yet.
    const PanelPick& PendingPick() const { return panel_.Pick(); }
    // The map takes the pick; the panel forgets it.
    PanelPick TakePendingPick();

    // Keys of the view; the tile panel forwards its keys here so they work while it has the focus.
    // True when the key was used.
    bool HandleKeyPress(QKeyEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FitIfPending();
    void ShowStatus(const WString& text);

    CGridvellumDoc& doc_;
    SettingsStore& settings_;
    TilePanel& panel_;
    Camera camera_;
    SoftwareFrame frame_;
    FrameOverlays overlays_;
    StatusSink status_;
    std::function<void()> firstFrame_;
    bool fitPending_ = false;
    int framesPainted_ = 0;
};
