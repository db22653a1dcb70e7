// Checks the thumbnail that the installed program drew of the installed sample map during the install
// run (tests/app/install_check.cmake). Run on its own it has no picture to look at.
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

TEST(InstalledThumbnail, IsA128PixelPictureOfTheSampleMap) {
    const QString installed = qEnvironmentVariable("GV_INSTALLED_THUMBNAIL");
    const QString built = qEnvironmentVariable("GV_BUILT_THUMBNAIL");
    if (installed.isEmpty() || built.isEmpty()) {
        GTEST_SKIP()
            << "GV_INSTALLED_THUMBNAIL and GV_BUILT_THUMBNAIL name no pictures; the install run sets them";
    }
    QImage picture;
    ASSERT_TRUE(picture.load(installed, "PNG")) << installed.toStdString();
    // The sample map is wider than high and larger than the square: its width fills it.
    EXPECT_EQ(picture.width(), 128);
    EXPECT_GT(picture.height(), 32);
    EXPECT_LE(picture.height(), 128);

    // The installed program found its tileset and tile pictures beside its real location: it draws
    // exactly what the program in the build folder draws from the build's data.
    QImage reference;
    ASSERT_TRUE(reference.load(built, "PNG")) << built.toStdString();
    EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), reference.convertToFormat(QImage::Format_RGB32));

    // A map, not an empty background: many colours and no colour covering most of the picture.
    std::map<QRgb, int> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            ++colours[picture.pixel(x, y) & 0xFFFFFF];
        }
    }
    int dominant = 0;
    for (const auto& entry : colours) {
        dominant = std::max(dominant, entry.second);
    }
    EXPECT_GE(colours.size(), 256u);
    EXPECT_LT(dominant, picture.width() * picture.height() / 2);
}

} // namespace
