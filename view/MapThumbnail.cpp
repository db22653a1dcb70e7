#include "view/MapThumbnail.h"

#include "document/CGridvellumDoc.h"
#include "raster/DcRasterCanvas.h"
#include "raster/ImageFile.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "support/WString.h"
#include "view/PublishRenderer.h"

#include <algorithm>
#include <cmath>

MapThumbnail::Fit MapThumbnail::FitInto(const Rect2& worldBounds, int size) {
    const double width = worldBounds.Width();
    const double height = worldBounds.Height();
    const double longer = std::max(width, height);
    if (!(longer > 0.0)) {
        return Fit{size, size, 1.0};
    }
    const double scale = std::min(1.0, size / longer);
    // Rounded rather than truncated: at the fitting scale the longer side is exactly size pixels even
    // when the division was not exact.
    auto pixels = [&](double extent) {
        return std::clamp(static_cast<int>(std::lround(extent * scale)), 1, size);
    };
    return Fit{pixels(width), pixels(height), scale};
}

bool MapThumbnail::Draw(CGridvellumDoc& doc, int size, DcRasterCanvas& picture) {
    if (size < 1 || size > kMaxSize) {
        return false;
    }
    const Rect2 bounds = doc.DocumentBounds(false, false);
    const Fit fit = FitInto(bounds, size);
    if (!picture.SetBitsPerPixel(24) || !picture.EnsureSize(fit.width, fit.height)) {
        return false;
    }
    const Matrix3 worldToPicture = Matrix3::Product(Matrix3::Translation(-bounds.MinX(), -bounds.MinY()),
                                                    Matrix3::Scaling(fit.scale, fit.scale));
    PublishRenderer::Render(picture, doc, worldToPicture);
    return true;
}

bool MapThumbnail::Write(CGridvellumDoc& doc, int size, const WString& path, WString& reason) {
    if (size < 1 || size > kMaxSize) {
        reason = WString(u"The thumbnail size must be a whole number from 1 to ");
        reason.Append(WString::FromInt(kMaxSize));
        return false;
    }
    DcRasterCanvas picture;
    if (!Draw(doc, size, picture)) {
        reason = WString(u"Not enough memory for the thumbnail");
        return false;
    }
    return SavePngFile(picture, path, &reason);
}
