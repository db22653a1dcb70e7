#include "app/GlPictureBands.h"

#include "document/CGridvellumDoc.h"
#include "gl/GlRenderer.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/PublishRenderer.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Sections larger than this gain nothing but memory.
constexpr int kLargestSection = 2048;

Camera PictureCamera(const GlRenderer& renderer, int width, int height, const Matrix3& worldToImage) {
    Camera camera(renderer);
    camera.Resize(width, height);
    camera.SetViewMatrix(worldToImage);
    return camera;
}

// The section's pixels, bottom row first as OpenGL reads them, into the band's stored rows (bottom
// first too) from column left on.
void CopyIntoBand(const std::vector<std::uint8_t>& bgra, int width, int rows, DcRasterCanvas& band,
                  int left) {
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* from = bgra.data() + static_cast<size_t>(row) * width * 4;
        std::uint8_t* to = band.Rows()[row] + static_cast<size_t>(left) * 3;
        for (int x = 0; x < width; ++x, from += 4, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

} // namespace

GlPictureBands::GlPictureBands(GlRenderer& renderer, std::function<bool()> makeCurrent,
                               std::function<void()> doneCurrent, int maxSection)
    : renderer_(renderer), makeCurrent_(std::move(makeCurrent)), doneCurrent_(std::move(doneCurrent)),
      maxSection_(maxSection) {}

int GlPictureBands::SectionLimit() const {
    QOpenGLFunctions& gl = *QOpenGLContext::currentContext()->functions();
    GLint textureSide = 0;
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSide);
    GLint viewport[2] = {0, 0};
    gl.glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    int side = std::min({kLargestSection, static_cast<int>(textureSide), static_cast<int>(viewport[0]),
                         static_cast<int>(viewport[1])});
    if (maxSection_ > 0) {
        side = std::min(side, maxSection_);
    }
    return side;
}

bool GlPictureBands::Render(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage,
                            int bandRows, PublishRenderer::BandSink& sink) {
    if (width < 1 || height < 1 || bandRows < 1 || !makeCurrent_()) {
        return false;
    }
    sectionSide_ = SectionLimit();
    const int side = sectionSide_;
    const int rowsPerBand = std::min(bandRows, side);
    std::unique_ptr<QOpenGLFramebufferObject> target;
    if (side > 0) {
        target =
            std::make_unique<QOpenGLFramebufferObject>(std::min(width, side), std::min(height, rowsPerBand));
    }
    DcRasterCanvas band;
    bool drawn = target && target->isValid() && band.SetBitsPerPixel(24);
    // Every section settles like the whole picture, so the sections meet without seams.
    const Camera picture = PictureCamera(renderer_, width, height, worldToImage);
    const Rect2 pictureWorld = picture.VisibleWorld();
    std::vector<std::uint8_t> pixels;
    for (int firstRow = 0; drawn && firstRow < height; firstRow += rowsPerBand) {
        const int rows = std::min(rowsPerBand, height - firstRow);
        // The band's bottom stored row, counted in picture rows from the bottom.
        const int bottom = height - firstRow - rows;
        if (!band.EnsureSize(width, rows) || !makeCurrent_() || !target->bind()) {
            drawn = false;
            break;
        }
        QOpenGLFunctions& gl = *QOpenGLContext::currentContext()->functions();
        for (int left = 0; left < width; left += side) {
            const int columns = std::min(side, width - left);
            const Camera section =
                PictureCamera(renderer_, columns, rows,
                              picture.ViewMatrix() * Matrix3::Translation(-static_cast<double>(left),
                                                                          -static_cast<double>(bottom)));
            gl.glViewport(0, 0, columns, rows);
            FrameComposer(renderer_, doc)
                .ComposePublish(section, pictureWorld, PublishRenderer::BandCull(section, pictureWorld));
            pixels.resize(static_cast<size_t>(columns) * rows * 4);
            gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
            gl.glReadPixels(0, 0, columns, rows, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
            CopyIntoBand(pixels, columns, rows, band, left);
        }
        target->release();
        doneCurrent_();
        if (!sink.TakeBand(band, firstRow)) {
            drawn = false;
        }
    }
    if (makeCurrent_()) {
        target.reset();
        doneCurrent_();
    }
    return drawn;
}
