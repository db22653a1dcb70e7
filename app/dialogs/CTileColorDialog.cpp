#include "app/dialogs/CTileColorDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Paints the checkerboard from the dialog's current values.
class TintPreview : public QWidget {
public:
    TintPreview(std::function<TileColorValues()> values, QWidget* parent)
        : QWidget(parent), values_(std::move(values)) {
        setFixedSize(CTileColorDialog::kPreviewColumns * CTileColorDialog::kSquarePixels,
                     CTileColorDialog::kPreviewRows * CTileColorDialog::kSquarePixels);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const TileColorValues values = values_();
        const int side = CTileColorDialog::kSquarePixels;
        for (int row = 0; row < CTileColorDialog::kPreviewRows; ++row) {
            for (int column = 0; column < CTileColorDialog::kPreviewColumns; ++column) {
                painter.fillRect(column * side, row * side, side, side,
                                 CTileColorDialog::SquareColor(values, column, row));
            }
        }
    }

private:
    std::function<TileColorValues()> values_;
};

int Channel255(double value) {
    return std::clamp(static_cast<int>(value * 255.0), 0, 255);
}

} // namespace

CTileColorDialog::CTileColorDialog(const TileColorValues& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tile Color"));
    preview_ = new TintPreview([this] { return Values(); }, this);
    preview_->move(kPreviewLeft, kPreviewTop);

    auto* outer = new QVBoxLayout(this);
    // The checkerboard keeps its fixed place above the sliders.
    outer->addSpacing(kPreviewTop + kPreviewRows * kSquarePixels);
    auto* grid = new QGridLayout();
    const char* labels[] = {"Red", "Green", "Blue", "Alpha"};
    const double starts[] = {start.red, start.green, start.blue, start.alpha};
    for (int channel = kRed; channel <= kAlpha; ++channel) {
        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setRange(0, kSliderRange);
        // Position 0 at the top, which means a value of 1.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(kSliderRange / 4);
        slider->setPageStep(kSliderRange / 10);
        slider->setMinimumHeight(120);
        slider->setValue(PositionOf(starts[channel]));
        // The preview follows every move at once.
        connect(slider, &QSlider::valueChanged, this, [this] { preview_->update(); });
        sliders_[channel] = slider;
        grid->addWidget(slider, 0, channel, Qt::AlignHCenter);
        grid->addWidget(new QLabel(QString::fromLatin1(labels[channel]), this), 1, channel, Qt::AlignHCenter);
    }
    outer->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
    setMinimumWidth(kPreviewLeft * 2 + kPreviewColumns * kSquarePixels);
}

int CTileColorDialog::PositionOf(double value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    const double clamped = std::clamp(value, 0.0, 1.0);
    return kSliderRange - static_cast<int>(std::lround(clamped * kSliderRange));
}

double CTileColorDialog::ValueAt(int position) {
    return static_cast<double>(kSliderRange - position) / kSliderRange;
}

QColor CTileColorDialog::SquareColor(const TileColorValues& values, int column, int row) {
    const double a = values.alpha;
    const bool overWhite = (row * kPreviewColumns + column) % 2 == 1;
    const double lift = overWhite ? 1.0 - a : 0.0;
    return QColor(Channel255(values.red * a + lift), Channel255(values.green * a + lift),
                  Channel255(values.blue * a + lift));
}

TileColorValues CTileColorDialog::Values() const {
    return TileColorValues{ValueAt(sliders_[kRed]->value()), ValueAt(sliders_[kGreen]->value()),
                           ValueAt(sliders_[kBlue]->value()), ValueAt(sliders_[kAlpha]->value())};
}
