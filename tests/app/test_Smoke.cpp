// Checks the picture that the editor's smoke run (tests/app/extra.cmake) takes of its own window
// after drawing the sample map for the first time. Run on its own it has no picture to look at.
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

TEST(EditorSmoke, FirstFrameShowsTheSampleMapInTheMapView) {
    const QString path = qEnvironmentVariable("GV_SMOKE_SCREENSHOT");
    if (path.isEmpty()) {
        GTEST_SKIP() << "GV_SMOKE_SCREENSHOT names no picture; the smoke run sets it";
    }
    const QImage shot(path);
    ASSERT_FALSE(shot.isNull()) << path.toStdString();
    ASSERT_GE(shot.width(), 600);
    ASSERT_GE(shot.height(), 400);

    // The middle of the map view: right of any tile panel of one large column, below the toolbar,
    // above the status bar. Zoomed to the extents, the map covers it.
    std::map<QRgb, int> colours;
    int total = 0;
    for (int y = shot.height() * 3 / 10; y < shot.height() * 7 / 10; ++y) {
        for (int x = shot.width() * 45 / 100; x < shot.width() * 85 / 100; ++x) {
            ++colours[shot.pixel(x, y) & 0xFFFFFF];
            ++total;
        }
    }
    int dominant = 0;
    for (const auto& entry : colours) {
        dominant = std::max(dominant, entry.second);
    }
    // A blank view is one colour with a few grid lines; tile pictures bring many.
    EXPECT_GE(colours.size(), 64u);
    EXPECT_LT(dominant, total * 8 / 10);
}

// The editor started once more with OpenGL stored on draws the same window through OpenGL: in the
// middle of the map view its picture matches the first run's, drawn by the program's own renderer, up
// to the small differences of filtering and edge coverage between the two.
TEST(EditorSmoke, OpenGlPictureMatchesTheSoftwarePicture) {
    const QString path = qEnvironmentVariable("GV_SMOKE_SCREENSHOT");
    const QString softwarePath = qEnvironmentVariable("GV_SMOKE_COMPARE_WITH");
    if (path.isEmpty() || softwarePath.isEmpty()) {
        GTEST_SKIP() << "GV_SMOKE_COMPARE_WITH names no picture; the OpenGL smoke run sets it";
    }
    const QImage shot(path);
    const QImage software(softwarePath);
    ASSERT_FALSE(shot.isNull()) << path.toStdString();
    ASSERT_FALSE(software.isNull()) << softwarePath.toStdString();
    ASSERT_EQ(shot.size(), software.size());
    int total = 0;
    int far = 0;
    long long difference = 0;
    for (int y = shot.height() * 3 / 10; y < shot.height() * 7 / 10; ++y) {
        for (int x = shot.width() * 45 / 100; x < shot.width() * 85 / 100; ++x) {
            const QRgb a = shot.pixel(x, y);
            const QRgb b = software.pixel(x, y);
            const int channel = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                          std::abs(qBlue(a) - qBlue(b))});
            difference += channel;
            far += channel > 48 ? 1 : 0;
            ++total;
        }
    }
    EXPECT_LT(static_cast<double>(difference) / total, 10.0);
    EXPECT_LT(far, total / 20);
}

} // namespace
