#include "platform/PagePainter.h"

#include "platform/QtFontChoice.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace {

QColor ColorOf(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

struct PagePainter::Impl {
    QPagedPaintDevice* device = nullptr;
    QPainter painter;
    PageMetrics metrics;

    void ClipToPrintableArea() {
        painter.setClipRect(QRectF(0, 0, metrics.printableWidth, metrics.printableHeight));
    }
    bool UseFont(const FontDescription& font) {
        QtFontChoice choice;
        if (!choice.Make(font)) {
            return false;
        }
        // Pixel sizes mean the device's pixels once the font is bound to the device's painter.
        painter.setFont(QFont(choice.Font(), device));
        return true;
    }
};

PagePainter::PagePainter() : impl_(std::make_unique<Impl>()) {}

PagePainter::~PagePainter() {
    if (IsActive()) {
        impl_->painter.end();
    }
}

bool PagePainter::Begin(QPagedPaintDevice& device) {
    if (IsActive() || !impl_->painter.begin(&device)) {
        return false;
    }
    impl_->device = &device;
    const QPageLayout layout = device.pageLayout();
    const int resolution = device.logicalDpiX();
    const QRect paper = layout.fullRectPixels(resolution);
    const QRect printable = layout.paintRectPixels(resolution);
    PageMetrics& metrics = impl_->metrics;
    metrics.dpiX = device.logicalDpiX();
    metrics.dpiY = device.logicalDpiY();
    metrics.offsetX = printable.left() - paper.left();
    metrics.offsetY = printable.top() - paper.top();
    metrics.printableWidth = printable.width();
    metrics.printableHeight = printable.height();
    impl_->ClipToPrintableArea();
    return true;
}

bool PagePainter::IsActive() const {
    return impl_->painter.isActive();
}

PageMetrics PagePainter::Metrics() const {
    return impl_->metrics;
}

bool PagePainter::NewPage() {
    if (!IsActive() || !impl_->device->newPage()) {
        return false;
    }
    impl_->ClipToPrintableArea();
    return true;
}

bool PagePainter::End() {
    return IsActive() && impl_->painter.end();
}

void PagePainter::DrawPixels(const PixelBlock& block, double left, double top, double width, double height) {
    if (!IsActive() || block.pixels == nullptr || block.width < 1 || block.height < 1 ||
        (block.bytesPerPixel != 3 && block.bytesPerPixel != 4) || block.stride % 4 != 0) {
        return;
    }
    const QImage::Format format = block.bytesPerPixel == 3 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    const QImage image(block.pixels, block.width, block.height, block.stride, format);
    // The rows are stored bottom-up: draw them upside down into the rectangle.
    QPainter& painter = impl_->painter;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A PDF would otherwise store the pixels as JPEG, blurring tile edges and text.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.translate(left, top + height);
    painter.scale(width / block.width, -height / block.height);
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}

void PagePainter::DrawLine(double x0, double y0, double x1, double y1, double penWidth, std::uint32_t color) {
    if (!IsActive()) {
        return;
    }
    QPen pen(ColorOf(color));
    pen.setWidthF(penWidth);
    pen.setCapStyle(Qt::FlatCap);
    impl_->painter.setPen(pen);
    impl_->painter.drawLine(QPointF(x0, y0), QPointF(x1, y1));
}

void PagePainter::FillRect(double left, double top, double width, double height, std::uint32_t color) {
    if (IsActive()) {
        impl_->painter.fillRect(QRectF(left, top, width, height), ColorOf(color));
    }
}

bool PagePainter::DrawText(const FontDescription& font, double x, double baselineY, std::u16string_view text,
                           std::uint32_t color) {
    if (!IsActive() || !impl_->UseFont(font)) {
        return false;
    }
    impl_->painter.setPen(ColorOf(color));
    impl_->painter.drawText(QPointF(x, baselineY), ToQString(text));
    return true;
}

double PagePainter::TextWidth(const FontDescription& font, std::u16string_view text) {
    if (!IsActive() || !impl_->UseFont(font)) {
        return 0.0;
    }
    return QFontMetricsF(impl_->painter.font(), impl_->device).horizontalAdvance(ToQString(text));
}
