#pragma once

#include "document/EditOps.h"
#include "tileset/TilePanel.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"
#include "view/tools/ToolBox.h"
#include "view/tools/ToolHost.h"

#include <QCursor>
#include <QWidget>

#include <functional>

class CGridvellumDoc;
class CommandRegistry;
class FrameRenderer;
class GlMapSurface;
class QAction;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QString;
class SettingsStore;
struct ProgramState;

// The map view: shows the document through the camera, drawn by the program's own renderer into a
// screen-sized canvas that is copied to the window in one block, or, in a run that draws through
// OpenGL, by an OpenGL surface that covers the view. The surface lets the mouse through, so the view
// alone takes the mouse and keys and hands them to the tools (edit, pan, text) as plain values; it
// zooms with the wheel and reports transient text to the status bar. Camera, tools and overlays are
// the same whichever renderer draws.
//
// The tile the user pressed on in the tile panel stays pending in the panel until the first move of
// the held button over the map takes it.
class CGridvellumView : public QWidget, public ToolHost {
    Q_OBJECT

public:
    using StatusSink = std::function<void(const QString& text)>;
    // Shows a pop-up menu at a global position and returns the chosen action (null for none); tests
    // replace the modal run of the menu with a choice of their own.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPt)>;

    // openGl: draw through OpenGL; only when a context can really be made (GlContextProbe), as a
    // window that holds an OpenGL surface cannot be shown elsewhere.
    CGridvellumView(CGridvellumDoc& doc, SettingsStore& settings, TilePanel& panel, bool openGl = false,
                    QWidget* parent = nullptr);
    ~CGridvellumView() override;

    Camera& GetCamera() { return camera_; }
    const Camera& GetCamera() const { return camera_; }
    SoftwareFrame& Frame() { return frame_; }
    FrameOverlays& Overlays() { return overlays_; }
    CGridvellumDoc& Document() { return doc_; }

    // Shows the current tool's status text at once.
    void SetStatusSink(StatusSink sink);
    // Runs after the tools repaint the map, for windows that show counts of the map's tiles.
    void SetRepaintHandler(std::function<void()> handler) { repaintHandler_ = std::move(handler); }
    void SetToolChangedHandler(std::function<void()> handler) { toolChanged_ = std::move(handler); }
    void SetMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }
    ToolBox& Tools() { return tools_; }
    EditOps& Edits() { return edits_; }
    // The tiles were replaced behind the tools' back (a tileset change): they forget every tile.
    void ForgetTiles() { tools_.DocumentReplaced(); }
    // Called once, after the next frame reached the window (the first one, unless an OpenGL surface
    // drew that while the window was being shown).
    void SetFirstFrameHandler(std::function<void()> handler);
    int FramesPainted() const { return framesPainted_; }

    // The OpenGL surface of a run that draws through OpenGL; null otherwise.
    GlMapSurface* GlSurface() { return glSurface_; }
    bool DrawsWithOpenGl() const { return glSurface_ != nullptr; }
    // Before the tileset's images are freed: an OpenGL surface drops their textures.
    void DropTileSetTextures();
    // The tileset was loaded or replaced: an OpenGL surface makes the new images' textures.
    void TileSetLoaded();
    // One frame through renderer, which draws into the current OpenGL target: the OpenGL surface's
    // paint entry.
    void ComposeGlFrame(FrameRenderer& renderer);

    // When the view is first shown and for every new or opened document: reads the Quick Draw
    // setting and fits the map into the view (at once when the view has a size, else at its first
    // resize).
    void OnInitialUpdate();
    void ZoomExtents();
    void SetZoomPercent(int percent);
    void ToggleQuickDraw();
    // The world point under the middle of the window, where pasted tiles go.
    Vec2 CentreWorldPoint();
    // The view's own commands: zoom extents, the zoom entries, the three tools and Quick Draw.
    void RegisterCommands(CommandRegistry& commands);

    // Keys of the view; the tile panel forwards its keys here so they work while it has the focus.
    // True when the key was used.
    bool HandleKeyPress(QKeyEvent* event);
    bool HandleKeyRelease(QKeyEvent* event);
    // A move or release of a button pressed in the tile panel, at a client point of this view.
    void PanelMouseMove(const QMouseEvent& event, QPoint clientPt);
    void PanelMouseRelease(const QMouseEvent& event, QPoint clientPt);
    // The view asked to keep the mouse while a button is held (a tile dragged in from the panel).
    bool WantsMouse() const { return captured_; }
    const WString& ToolTipText() const { return toolTip_; }

    // ToolHost.
    void Repaint() override;
    void ShowStatus(const WString& text) override;
    void SetCursor(CursorShape shape) override;
    void SetToolTip(const WString& text) override;
    int PopupMenu(const WString& title, const std::vector<PopupItem>& items, ClientPoint at) override;
    void CaptureMouse(bool on) override { captured_ = on; }
    void ToolChanged(ViewTool tool) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FitIfPending();
    void TakeFocusWhileActive();
    // What follows every frame: the status text, the count, the next frame of a frame-rate
    // measurement and the first-frame handler.
    void FramePainted(const FrameTimingReport& report);

    CGridvellumDoc& doc_;
    SettingsStore& settings_;
    TilePanel& panel_;
    Camera camera_;
    SoftwareFrame frame_;
    FrameOverlays overlays_;
    EditOps edits_;
    ToolBox tools_;
    QCursor panCursor_;
    StatusSink status_;
    std::function<void()> firstFrame_;
    std::function<void()> repaintHandler_;
    std::function<void()> toolChanged_;
    MenuRunner menuRunner_;
    GlMapSurface* glSurface_ = nullptr;
    WString toolTip_;
    bool captured_ = false;
    bool fitPending_ = false;
    int framesPainted_ = 0;
};
