#pragma once

#include "raster/DcRasterCanvas.h"

#include <QWidget>

class CGridvellumDoc;
class CGridvellumView;
class QScrollBar;
class TilePanel;

// The tile panel's window: paints the panel, turns presses into panel clicks, scrolls with its bar
// and the wheel, shows tooltips and passes keys on to the map view so that keyboard commands work
// while the panel has the focus.
//
// The toolkit keeps sending the moves of a button pressed here to this window, wherever the mouse
// goes. Once such a move reaches the map view, this window passes it and every later move and the
// release on to the map, so a tile dragged out of the panel arrives with the button still held.
class CLeftView : public QWidget {
    Q_OBJECT

public:
    CLeftView(TilePanel& panel, CGridvellumDoc& doc, CGridvellumView& mapView, QWidget* parent = nullptr);
    ~CLeftView() override;

    // After the tileset, the tile size or the columns changed: lays the panel out for the current
    // height, updates the scroll bar and repaints.
    void Relayout();
    QScrollBar& ScrollBar() { return *scrollBar_; }
    TilePanel& Panel() { return panel_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void SyncScrollBar();
    void OnScrollBarMoved(int value);
    int CountPlaced(int definition) const;
    // Passes a held-button move on to the map view once it is over it; true when passed on.
    bool PassMoveToMap(QMouseEvent* event);

    TilePanel& panel_;
    CGridvellumDoc& doc_;
    CGridvellumView& mapView_;
    QScrollBar* scrollBar_; // a child widget, owned by this window
    DcRasterCanvas canvas_;
    bool syncing_ = false;
    // The held button's moves go to the map view until it is released.
    bool passingToMap_ = false;
};
