// The map view, the About box and publishing in a run that draws through OpenGL, and the start that
// finds no OpenGL context. The OpenGlDrawing cases need a real context: ctest runs them under a
// virtual X server (tests/app/extra.cmake); on the offscreen platform they are skipped, and the
// fallback case runs instead.
#include "AppFixture.h"

#include "app/CGridvellumApp.h"
#include "app/CGridvellumView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/GlMapSurface.h"
#include "app/GlPictureBands.h"
#include "app/dialogs/CAboutDialog.h"
#include "common/TestPng.h"
#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "gl/GlErrorReport.h"
#include "gl/GlRenderer.h"
#include "gl/GlTextureCache.h"
#include "gl/TextFont.h"
#include "platform/GlContextProbe.h"
#include "platform/QtSettingsStore.h"
#include "publish/Publisher.h"
#include "raster/DcRasterCanvas.h"
#include "raster/ImageFile.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"
#include "view/Camera.h"
#include "view/PublishRenderer.h"
#include "view/SoftwareFrame.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace apptest;

namespace {

// How far two pictures of one map drawn by the two renderers are apart. The renderers place pixel
// centres half a pixel apart and round edges their own way, so each pixel is compared with the
// nearest match among the other picture's pixel and its eight neighbours: a shifted edge costs
// nothing, a wrong colour, a missing or misplaced picture does.
struct Difference {
    double mean = 0.0;     // of the largest channel difference per pixel
    double farShare = 0.0; // share of pixels more than a filtering step from any neighbour
};

constexpr int kFarChannel = 40;

int ChannelDistance(const std::uint8_t* a, const std::uint8_t* b) {
    return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

int NearestDistance(const RasterCanvas& a, const RasterCanvas& b, int x, int row) {
    const std::uint8_t* pixel = a.Rows()[row] + x * a.BytesPerPixel();
    int nearest = 255;
    for (int r = std::max(row - 1, 0); r <= std::min(row + 1, b.Height() - 1); ++r) {
        for (int c = std::max(x - 1, 0); c <= std::min(x + 1, b.Width() - 1); ++c) {
            nearest = std::min(nearest, ChannelDistance(pixel, b.Rows()[r] + c * b.BytesPerPixel()));
        }
    }
    return nearest;
}

// Both pictures in stored rows (bottom first), blue, green, red first in each pixel, of one size.
Difference Compare(const RasterCanvas& a, const RasterCanvas& b) {
    Difference result;
    long long sum = 0;
    long long far = 0;
    for (int row = 0; row < a.Height(); ++row) {
        for (int x = 0; x < a.Width(); ++x) {
            const int d = NearestDistance(a, b, x, row);
            sum += d;
            far += d > kFarChannel ? 1 : 0;
        }
    }
    const double count = static_cast<double>(a.Width()) * a.Height();
    result.mean = sum / count;
    result.farShare = far / count;
    return result;
}

// A widget's picture (top row first) as a canvas of stored rows.
bool ToCanvas(const QImage& image, RasterCanvas& canvas) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!canvas.SetBitsPerPixel(32) || !canvas.Create(rgb.width(), rgb.height())) {
        return false;
    }
    for (int row = 0; row < rgb.height(); ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(rgb.height() - 1 - row));
        std::uint8_t* to = canvas.Rows()[row];
        for (int x = 0; x < rgb.width(); ++x, to += 4) {
            to[0] = static_cast<std::uint8_t>(qBlue(from[x]));
            to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
            to[2] = static_cast<std::uint8_t>(qRed(from[x]));
            to[3] = 255;
        }
    }
    return true;
}

int CountColours(const RasterCanvas& canvas) {
    std::vector<std::uint32_t> colours;
    for (int row = 0; row < canvas.Height(); row += 2) {
        for (int x = 0; x < canvas.Width(); x += 2) {
            const std::uint8_t* p = canvas.Rows()[row] + x * canvas.BytesPerPixel();
            colours.push_back(p[0] | (p[1] << 8) | (p[2] << 16));
        }
    }
    std::sort(colours.begin(), colours.end());
    return static_cast<int>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

// A 64 x 64 floor of four coloured quarters crossed by a gradient, so a picture turned, flipped or
// shifted by a few pixels shows.
std::string PatternedFloor() {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool right = x >= 32;
            const bool low = y >= 32;
            pixels.push_back(static_cast<std::uint8_t>(right ? 230 : 40));
            pixels.push_back(static_cast<std::uint8_t>(low ? 200 : 60 + x * 2));
            pixels.push_back(static_cast<std::uint8_t>(right == low ? 50 : 220));
        }
    }
    return testsupport::EncodePng(64, 64, 3, pixels);
}

void StoreOpenGl(const AppHarness& harness, bool on) {
    QtSettingsStore store(harness.SettingsPath());
    const std::uint8_t byte = on ? 1 : 0;
    store.WriteBinary(u"OpenGL", &byte, 1);
}

// Runs the event loop until done() or a few seconds have passed.
bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

TEST(OpenGlStart, StoredOpenGlWithoutAContextStartsOnTheSoftwareRendererAndSaysSo) {
    if (GlContextProbe::CanMakeContext()) {
        GTEST_SKIP() << "this platform makes OpenGL contexts; the fallback is for those that do not";
    }
    AppHarness harness;
    StoreOpenGl(harness, true);
    std::unique_ptr<CGridvellumApp> app = harness.MakeApp();
    ASSERT_TRUE(app->Start(WString()));
    CGridvellumView& view = app->Frame()->View();
    EXPECT_FALSE(view.DrawsWithOpenGl());
    EXPECT_EQ(view.GlSurface(), nullptr);
    EXPECT_EQ(app->Frame()->StatusText().toStdString(),
              WString(CGridvellumApp::kOpenGlFallbackText).ToUtf8());
    // The check mark shows what draws in this run; the choice itself waits for a start that can.
    EXPECT_FALSE(app->State().openGlThisRun);
    EXPECT_TRUE(app->State().openGlNextRun);
    app->Frame()->UpdateCommands();
    EXPECT_FALSE(app->Frame()->Action(CommandTable::kOpenGl)->isChecked());
    // The window shows the map through the program's own renderer.
    app->Frame()->grab();
    EXPECT_GE(view.FramesPainted(), 1);
    app->ShowAbout();
    ASSERT_EQ(harness.script.aboutShown.size(), 1u);
    EXPECT_FALSE(harness.script.aboutShown[0].openGlInUse);
    app->Shutdown();
    std::vector<std::uint8_t> stored;
    QtSettingsStore(harness.SettingsPath()).ReadBinary(u"OpenGL", stored);
    EXPECT_EQ(stored, std::vector<std::uint8_t>{1});
}

class OpenGlDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        if (!GlContextProbe::CanMakeContext()) {
            GTEST_SKIP() << "no OpenGL context on this platform; ctest runs these under a virtual X server";
        }
        harness.dir.Write("floor.png", PatternedFloor());
        StoreOpenGl(harness, true);
        app = harness.MakeApp();
        ASSERT_TRUE(app->Start(WString()));
        view = &app->Frame()->View();
        ASSERT_TRUE(view->DrawsWithOpenGl());
        ASSERT_TRUE(
            ProcessUntil([this] { return view->GlSurface()->IsReady() && view->FramesPainted() > 0; }));
    }
    void TearDown() override { app.reset(); }

    // A floor, turned and flipped floors, a wall and (unless left out) the selected chest with its
    // handles shown, else the selected wall.
    void PlaceMap(bool withChest = true) {
        CGridvellumDoc& doc = app->Document();
        doc.AddTile(0)->SetTransform(Matrix3::Translation(0, 0));
        doc.AddTile(0)->SetTransform(Matrix3::FromParts(1.5707963267948966, 160, 0, 1.0, 1.0));
        TileRef* flipped = doc.AddTile(0);
        flipped->SetTransform(Matrix3::FromParts(0.0, -40, 90, 1.5, 1.5));
        flipped->SetFlipped(true);
        TileRef* selected = doc.AddTile(1);
        selected->SetTransform(Matrix3::Translation(-120, -60));
        if (withChest) {
            selected = doc.AddTile(2);
            selected->SetTransform(Matrix3::Translation(60, 80));
        }
        for (int i = 0; i < doc.TileCount(); ++i) {
            doc.TileAt(i)->UpdateBounds();
        }
        doc.DeselectAll();
        selected->SetSelected(true);
        app->State().showResizeHandles = true;
        // Magnified, so the pictures' texels cover many pixels and the filtering shows.
        view->ZoomExtents();
        view->GetCamera().SetZoom(2.5f);
    }

    // The frame the OpenGL surface shows now.
    bool GlFrame(RasterCanvas& canvas) {
        const int before = view->FramesPainted();
        view->update();
        if (!ProcessUntil([this, before] { return view->FramesPainted() > before; })) {
            return false;
        }
        return ToCanvas(view->GlSurface()->grabFramebuffer(), canvas);
    }

    // The same frame by the program's own renderer, through a camera with the view's transform.
    const RasterCanvas& SoftwareFrameOf() {
        Camera camera(true);
        camera.Resize(view->width(), view->height());
        camera.SetViewMatrix(view->GetCamera().ViewMatrix());
        software.Draw(camera, app->Document(), view->Overlays());
        return software.Canvas();
    }

    AppHarness harness;
    std::unique_ptr<CGridvellumApp> app;
    CGridvellumView* view = nullptr;
    SoftwareFrame software;
};

TEST_F(OpenGlDrawing, TheViewShowsTheMapAsTheSoftwareRendererDoes) {
    app->Frame()->UpdateCommands();
    EXPECT_TRUE(app->Frame()->Action(CommandTable::kOpenGl)->isChecked());
    EXPECT_GT(view->GlSurface()->TextureCount(), 0);
    PlaceMap();
    RasterCanvas shown;
    ASSERT_TRUE(GlFrame(shown));
    ASSERT_EQ(shown.Width(), view->width());
    ASSERT_EQ(shown.Height(), view->height());

    const RasterCanvas& software = SoftwareFrameOf();
    ASSERT_EQ(software.Width(), shown.Width());

    // Tiles of many colours, not a blank view; and the two renderers agree but for edges.
    EXPECT_GE(CountColours(shown), 40);
    const Difference difference = Compare(shown, software);
    EXPECT_LT(difference.mean, 4.0);
    EXPECT_LT(difference.farShare, 0.02);
}

// The textures of the first tileset go with it: after the change every tile shows the new
// tileset's picture, as the software renderer draws it.
TEST_F(OpenGlDrawing, AChangedTileSetIsDrawnWithItsOwnPictures) {
    // The other tileset has no chest.
    PlaceMap(false);
    RasterCanvas before;
    ASSERT_TRUE(GlFrame(before));
    harness.script.tileSetAnswers.push_back(harness.dir.WJoin("beta.set"));
    app->ChangeTileSet();
    ASSERT_EQ(app->Tiles().Name().ToUtf8(), "beta.set");
    RasterCanvas shown;
    ASSERT_TRUE(GlFrame(shown));
    // The floors now show the wall's picture and the wall the floor's.
    EXPECT_GT(Compare(shown, before).farShare, 0.05);
    const RasterCanvas& software = SoftwareFrameOf();
    const Difference difference = Compare(shown, software);
    EXPECT_LT(difference.mean, 4.0);
    EXPECT_LT(difference.farShare, 0.02);
}

// An OpenGL error during a frame is reported in the status bar, and the frame is still drawn.
TEST_F(OpenGlDrawing, AnOpenGlErrorOfAFrameIsShownInTheStatusBar) {
    view->GlSurface()->makeCurrent();
    // An enumerant no driver knows leaves GL_INVALID_ENUM for the next frame to find.
    view->GlSurface()->context()->functions()->glEnable(0x7FFF);
    view->GlSurface()->doneCurrent();
    RasterCanvas shown;
    ASSERT_TRUE(GlFrame(shown));
    EXPECT_EQ(app->Frame()->StatusText().toStdString(), GlErrorReport::Describe(0x0500).ToUtf8());
    EXPECT_EQ(GlErrorReport::Describe(0x0500).ToUtf8().rfind("had error: #(1280)", 0), 0u);
}

TEST_F(OpenGlDrawing, TheAboutBoxReportsTheDriver) {
    app->ShowAbout();
    ASSERT_EQ(harness.script.aboutShown.size(), 1u);
    const AboutValues& values = harness.script.aboutShown[0];
    EXPECT_TRUE(values.openGlInUse);
    EXPECT_FALSE(values.openGlVersion.IsEmpty());
    EXPECT_GE(values.maxTextureSize, 1024);
    const std::string text = CAboutDialog::InfoText(values).ToUtf8();
    const std::string version = "\r\n\r\nOpenGL Version : " + values.openGlVersion.ToUtf8() + "\r\n";
    EXPECT_NE(text.find(version), std::string::npos) << text.substr(0, 200);
    EXPECT_NE(text.find("\r\nMax texture size: " + std::to_string(values.maxTextureSize) +
                        "\r\n\r\nExtensions : \r\n"),
              std::string::npos);
    // Every driver of a compatibility context names this extension, on a line of its own.
    EXPECT_NE(text.find("\r\nGL_ARB_texture_non_power_of_two\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nOpenGL texture sizes can be any value."), std::string::npos);
}

// Collects the bands of a render into one picture of stored rows.
class PictureSink : public PublishRenderer::BandSink {
public:
    PictureSink(int width, int height) {
        picture.SetBitsPerPixel(24);
        picture.Create(width, height);
    }
    bool TakeBand(DcRasterCanvas& band, int firstRow) override {
        const int height = picture.Height();
        for (int row = 0; row < band.Height(); ++row) {
            // Band stored row r is picture row firstRow + (band height - 1 - r) from the top.
            const int storedRow = height - 1 - (firstRow + band.Height() - 1 - row);
            std::copy_n(band.Rows()[row], band.Width() * 3, picture.Rows()[storedRow]);
        }
        ++bands;
        return true;
    }
    RasterCanvas picture;
    int bands = 0;
};

TEST_F(OpenGlDrawing, APublishedPictureDrawnInSmallSectionsMatchesTheSoftwarePicture) {
    PlaceMap();
    const Publisher::Layout layout = Publisher::LayoutFor(app->Document(), 0.8f);
    // A context of its own, as the benchmark and any off-screen user make one.
    QOpenGLContext context;
    context.setFormat(GlContextProbe::Format());
    QOffscreenSurface surface;
    surface.setFormat(GlContextProbe::Format());
    surface.create();
    ASSERT_TRUE(context.create());
    ASSERT_TRUE(context.makeCurrent(&surface));
    {
        GlTextureCache textures;
        TextFont glyphs;
        GlRenderer renderer(textures, glyphs);
        GlRenderer::SetInitialState();
        // Sections of 40 pixels and bands of 30 rows: every seam between them is inside the picture.
        GlPictureBands bands(
            renderer, [&] { return context.makeCurrent(&surface); }, [] {}, 40);
        PictureSink gl(layout.width, layout.height);
        ASSERT_TRUE(bands.Render(app->Document(), layout.width, layout.height, layout.worldToImage, 30, gl));
        EXPECT_EQ(bands.SectionSide(), 40);
        EXPECT_EQ(gl.bands, (layout.height + 29) / 30);
        PictureSink software(layout.width, layout.height);
        ASSERT_TRUE(PublishRenderer::RenderBands(app->Document(), layout.width, layout.height,
                                                 layout.worldToImage, 1000, software));
        EXPECT_GE(CountColours(gl.picture), 40);
        const Difference difference = Compare(gl.picture, software.picture);
        EXPECT_LT(difference.mean, 4.0);
        EXPECT_LT(difference.farShare, 0.02);
    }
    context.doneCurrent();
}

TEST_F(OpenGlDrawing, PublishToJpegDrawsThroughOpenGlAtTheSoftwareSize) {
    PlaceMap();
    ASSERT_NE(view->GlSurface()->Bands(), nullptr);
    EXPECT_EQ(view->GlSurface()->Bands()->SectionSide(), 0);
    harness.script.publishAnswers.push_back(harness.dir.WJoin("gl.jpg"));
    JpegOptions options;
    options.scaleIndex = 3; // 70 %
    options.quality = 95;
    harness.script.jpegAnswers.push_back(options);
    ASSERT_TRUE(app->PublishToJpeg());
    EXPECT_GT(view->GlSurface()->Bands()->SectionSide(), 0);
    WString reason;
    ASSERT_TRUE(Publisher::Publish(app->Document(), harness.dir.WJoin("software.jpg"), options.Scale(),
                                   options.quality, nullptr, reason))
        << reason.ToUtf8();
    RasterCanvas gl;
    RasterCanvas software;
    ASSERT_TRUE(LoadImageFile(gl, harness.dir.WJoin("gl.jpg")));
    ASSERT_TRUE(LoadImageFile(software, harness.dir.WJoin("software.jpg")));
    ASSERT_EQ(gl.Width(), software.Width());
    ASSERT_EQ(gl.Height(), software.Height());
    const Difference difference = Compare(gl, software);
    EXPECT_LT(difference.mean, 6.0);
    EXPECT_LT(difference.farShare, 0.03);
}

} // namespace

namespace {

// A context that cannot be made current (lost with its window, say) draws nothing: the publish says
// so and leaves no file, instead of writing an unfinished picture.
TEST_F(OpenGlDrawing, APublishWhoseContextIsLostLeavesNoFileAndSaysWhy) {
    PlaceMap();
    GlTextureCache textures;
    TextFont glyphs;
    GlRenderer renderer(textures, glyphs);
    GlPictureBands lost(
        renderer, [] { return false; }, [] {});
    WString reason;
    EXPECT_FALSE(
        Publisher::Publish(app->Document(), harness.dir.WJoin("lost.jpg"), 1.0f, 80, nullptr, reason, &lost));
    EXPECT_NE(reason.ToUtf8().find("the picture could not be drawn"), std::string::npos) << reason.ToUtf8();
    EXPECT_FALSE(std::filesystem::exists(harness.dir.Join("lost.jpg")));
}

} // namespace
