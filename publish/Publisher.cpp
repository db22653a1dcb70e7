#include "publish/Publisher.h"

#include "document/CGridvellumDoc.h"
#include "platform/CanvasPainter.h"
#include "publish/HtmlPage.h"
#include "publish/PictureBands.h"
#include "publish/PublishProgress.h"
#include "raster/DcRasterCanvas.h"
#include "raster/JpegStreamWriter.h"
#include "support/FileUtils.h"
#include "support/SafeFileWriter.h"
#include "tileset/TileSet.h"
#include "view/PublishRenderer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCopyrightLeft = 10;

std::uint32_t InverseColorRef(const Rgb8& color) {
    return static_cast<std::uint32_t>(255 - color.r) | (static_cast<std::uint32_t>(255 - color.g) << 8) |
           (static_cast<std::uint32_t>(255 - color.b) << 16);
}

WString Reason(const std::string& text) {
    return WString::FromUtf8(text);
}

WString FileProblem(const WString& path, const std::string& why) {
    WString text(u"Could not write \"");
    text.Append(path);
    text.Append(u"\": ");
    text.Append(Reason(why));
    return text;
}

// Hands each band to the JPEG writer as rows top first, and tells the progress how far it got.
class EncodingSink : public PublishRenderer::BandSink {
public:
    EncodingSink(CGridvellumDoc& doc, const Publisher::Layout& layout, JpegStreamWriter& writer,
                 PublishProgress* progress)
        : doc_(doc), layout_(layout), writer_(writer), progress_(progress) {}

    bool TakeBand(DcRasterCanvas& band, int firstRow) override {
        Publisher::DrawCopyright(doc_, layout_, band, firstRow);
        rows_.resize(static_cast<size_t>(band.Height()));
        for (int row = 0; row < band.Height(); ++row) {
            rows_[static_cast<size_t>(row)] = band.Rows()[band.Height() - 1 - row];
        }
        if (!writer_.WriteRows(rows_.data(), band.Height())) {
            failed = true;
            return false;
        }
        if (progress_ != nullptr && !progress_->Continue(firstRow + band.Height(), layout_.height)) {
            cancelled = true;
            return false;
        }
        return true;
    }

    bool failed = false;
    bool cancelled = false;

private:
    CGridvellumDoc& doc_;
    const Publisher::Layout& layout_;
    JpegStreamWriter& writer_;
    PublishProgress* progress_;
    std::vector<const std::uint8_t*> rows_;
};

WString TooLarge(const Publisher::Layout& layout) {
    WString text(u"The picture would be ");
    text.Append(WString::FromInt(layout.width));
    text.Append(u" x ");
    text.Append(WString::FromInt(layout.height));
    text.Append(u" pixels, but a JPEG holds at most 65,535 pixels a side. Choose a smaller scale.");
    return text;
}

bool WritePicture(CGridvellumDoc& doc, const Publisher::Layout& layout, int quality,
                  PublishProgress* progress, PictureBands* bands, SafeFileWriter& file, const WString& path,
                  WString& reason) {
    if (!file.Open()) {
        reason = FileProblem(path, file.Error());
        return false;
    }
    JpegStreamWriter writer;
    if (!writer.Start(file.Stream(), layout.width, layout.height, doc.Tiles().GridSize(), quality)) {
        reason = FileProblem(path, writer.Error());
        return false;
    }
    EncodingSink sink(doc, layout, writer, progress);
    const int bandRows = Publisher::BandRows(layout.width);
    const bool drawn = bands != nullptr ? bands->Render(doc, layout.width, layout.height, layout.worldToImage,
                                                        bandRows, sink)
                                        : PublishRenderer::RenderBands(doc, layout.width, layout.height,
                                                                       layout.worldToImage, bandRows, sink);
    if (sink.cancelled) {
        reason = WString(u"Publishing was cancelled.");
        return false;
    }
    if (!drawn || !writer.Finish()) {
        const std::string why = sink.failed || drawn ? writer.Error()
                                : bands != nullptr   ? std::string("the picture could not be drawn")
                                                     : std::string("Not enough memory");
        reason = FileProblem(path, why);
        return false;
    }
    return true;
}

bool WritePage(const CGridvellumDoc& doc, const WString& imagePath, SafeFileWriter& file, WString& reason) {
    const WString pagePath = HtmlPage::PathBeside(imagePath);
    const std::string bytes = HtmlPage::Build(doc.Scenario(), pagePath, imagePath, doc.Tiles().Settings());
    if (!file.Open() || !file.Write(bytes.data(), bytes.size())) {
        reason = FileProblem(pagePath, file.Error());
        return false;
    }
    return true;
}

} // namespace

Publisher::Layout Publisher::LayoutFor(const CGridvellumDoc& doc, float scale) {
    Layout layout;
    layout.mapBounds = doc.DocumentBounds(false, false);
    const TileSet& tileSet = doc.Tiles();
    layout.band = tileSet.Settings().copyright.IsEmpty() ? 0 : tileSet.GridSize() / 4;
    // Products in single precision, as the scale itself is: 1000 units at 0.9 make 900 pixels.
    const double width = static_cast<double>(layout.mapBounds.Width() * scale);
    const double height = static_cast<double>(layout.mapBounds.Height() * scale);
    layout.width = width < 1e9 ? static_cast<int>(width) : 1000000000;
    layout.height = layout.band + (height < 1e9 ? static_cast<int>(height) : 1000000000);
    const double s = scale;
    layout.worldToImage = Matrix3::Scaling(s, s) *
                          Matrix3::Translation(-layout.mapBounds.MinX() * s, -layout.mapBounds.MinY() * s);
    return layout;
}

int Publisher::BandRows(int width) {
    const long long rowBytes = 3LL * std::max(width, 1);
    return static_cast<int>(std::clamp<long long>(kBandBytes / rowBytes, 16, kMaxSide));
}

void Publisher::DrawCopyright(const CGridvellumDoc& doc, const Layout& layout, DcRasterCanvas& band,
                              int firstRow) {
    const TileSetSettings& settings = doc.Tiles().Settings();
    // Glyphs reach at most a character height below their baseline; bands below that see none.
    if (layout.band <= 0 || settings.copyright.IsEmpty() || firstRow > 2 * layout.band) {
        return;
    }
    FontDescription font;
    font.face.assign(settings.fontName.c_str(), static_cast<size_t>(settings.fontName.Length()));
    font.height = -layout.band;
    font.weight = 400;
    font.antialiased = true;
    CanvasPainter& painter = band.Painter();
    painter.Save();
    if (painter.SetFont(font)) {
        painter.SetTextColor(InverseColorRef(settings.backPublishColor));
        painter.SetTextBackground(false, 0);
        painter.SetTextAlign(TextAlign::Baseline);
        painter.TextOut(kCopyrightLeft, layout.band - firstRow,
                        std::u16string_view(settings.copyright.c_str(),
                                            static_cast<size_t>(settings.copyright.Length())));
    }
    painter.Restore();
    painter.Flush();
}

bool Publisher::Publish(CGridvellumDoc& doc, const WString& imagePath, float scale, int quality,
                        PublishProgress* progress, WString& reason, PictureBands* bands) {
    const Layout layout = LayoutFor(doc, scale);
    if (doc.TileCount() == 0 || layout.width < 1 || layout.height - layout.band < 1) {
        reason = WString(u"The map has no tiles to publish at this scale.");
        return false;
    }
    if (layout.width > kMaxSide || layout.height > kMaxSide) {
        reason = TooLarge(layout);
        return false;
    }
    SafeFileWriter picture(FileUtils::NativePath(imagePath));
    if (!WritePicture(doc, layout, quality, progress, bands, picture, imagePath, reason)) {
        return false;
    }
    SafeFileWriter page(FileUtils::NativePath(HtmlPage::PathBeside(imagePath)));
    const bool withPage = !doc.Scenario().IsEmpty();
    if (withPage && !WritePage(doc, imagePath, page, reason)) {
        return false;
    }
    if (!picture.Commit()) {
        reason = FileProblem(imagePath, picture.Error());
        return false;
    }
    if (withPage && !page.Commit()) {
        reason = FileProblem(HtmlPage::PathBeside(imagePath), page.Error());
        // The picture alone would pass for a whole publish.
        ::unlink(picture.Target().c_str());
        return false;
    }
    return true;
}
