#pragma once

#include "app/dialogs/DialogValues.h"

#include <QColor>
#include <QDialog>

#include <array>

class QSlider;
class QWidget;

// "Tile Color": red, green, blue and alpha (the tint's strength) on four vertical sliders, with a
// checkerboard that shows the tint over black and over white as the sliders move.
class CTileColorDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSliderRange = 1000;
    static constexpr int kPreviewColumns = 17;
    static constexpr int kPreviewRows = 5;
    static constexpr int kSquarePixels = 10;
    static constexpr int kPreviewLeft = 10; // the checkerboard's corner in the dialog
    static constexpr int kPreviewTop = 10;

    enum Channel { kRed, kGreen, kBlue, kAlpha };

    explicit CTileColorDialog(const TileColorValues& start, QWidget* parent = nullptr);

    // The values as the sliders stand, which is what OK gives back.
    TileColorValues Values() const;
    QSlider& Slider(Channel channel) { return *sliders_[channel]; }

    // The top of a slider is 1: position = 1000 - value x 1000, value = (1000 - position) / 1000.
    static int PositionOf(double value);
    static double ValueAt(int position);
    // Square (column, row) of the checkerboard: even squares, counted along the rows, show the tint
    // over black, odd ones over white.
    static QColor SquareColor(const TileColorValues& values, int column, int row);

private:
    std::array<QSlider*, 4> sliders_{};
    QWidget* preview_ = nullptr;
};
