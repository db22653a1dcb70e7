#pragma once

#include "publish/JpegOptions.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QSlider;

// "JPEG Options": the scale of the published picture from "100%" to "10%" with the size it gives,
// and the JPEG quality from 1 to 100. Only OK confirms; the close box and Escape publish nothing.
class CJPEGOptionsDialog : public QDialog {
    Q_OBJECT

public:
    CJPEGOptionsDialog(QWidget* parent, const JpegOptions& start, double mapWidth, double mapHeight);

    JpegOptions Chosen() const;

    // The options confirmed with OK; none when the dialog was closed otherwise.
    static std::optional<JpegOptions> Ask(QWidget* parent, const JpegOptions& start, double mapWidth,
                                          double mapHeight);

private:
    void UpdateSize();
    void UpdateQuality();

    double mapWidth_;
    double mapHeight_;
    QComboBox* scale_ = nullptr;
    QLabel* size_ = nullptr;
    QSlider* quality_ = nullptr;
    QLabel* qualityText_ = nullptr;
};
