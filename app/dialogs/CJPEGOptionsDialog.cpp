#include "app/dialogs/CJPEGOptionsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSlider>
#include <QString>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString ToQString(const WString& text) {
    return QString::fromUtf16(text.c_str(), text.Length());
}

} // namespace

CJPEGOptionsDialog::CJPEGOptionsDialog(QWidget* parent, const JpegOptions& start, double mapWidth,
                                       double mapHeight)
    : QDialog(parent), mapWidth_(mapWidth), mapHeight_(mapHeight) {
    setWindowTitle(QStringLiteral("JPEG Options"));
    setObjectName(QStringLiteral("JpegOptionsDialog"));
    scale_ = new QComboBox(this);
    for (int index = 0; index < JpegOptions::kScaleCount; ++index) {
        scale_->addItem(ToQString(JpegOptions::ScaleText(index)));
    }
    scale_->setCurrentIndex(std::clamp(start.scaleIndex, 0, JpegOptions::kScaleCount - 1));
    size_ = new QLabel(this);
    quality_ = new QSlider(Qt::Horizontal, this);
    quality_->setRange(1, 100);
    quality_->setValue(std::clamp(start.quality, 1, 100));
    qualityText_ = new QLabel(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scale_);
    layout->addWidget(size_);
    layout->addWidget(quality_);
    layout->addWidget(qualityText_);
    layout->addWidget(buttons);

    connect(scale_, &QComboBox::currentIndexChanged, this, &CJPEGOptionsDialog::UpdateSize);
    connect(quality_, &QSlider::valueChanged, this, &CJPEGOptionsDialog::UpdateQuality);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    UpdateSize();
    UpdateQuality();
}

void CJPEGOptionsDialog::UpdateSize() {
    size_->setText(ToQString(JpegOptions::SizeText(mapWidth_, mapHeight_, scale_->currentIndex())));
}

void CJPEGOptionsDialog::UpdateQuality() {
    qualityText_->setText(ToQString(JpegOptions::QualityText(quality_->value())));
}

JpegOptions CJPEGOptionsDialog::Chosen() const {
    JpegOptions options;
    options.scaleIndex = scale_->currentIndex();
    options.quality = std::clamp(quality_->value(), 1, 100);
    return options;
}

std::optional<JpegOptions> CJPEGOptionsDialog::Ask(QWidget* parent, const JpegOptions& start, double mapWidth,
                                                   double mapHeight) {
    CJPEGOptionsDialog dialog(parent, start, mapWidth, mapHeight);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Chosen();
}
