#include "app/WindowIcon.h"

#include "common/ScratchDir.h"
#include "support/WString.h"
#include "support/XmlDocument.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kShareIcons = std::string(GV_BIN_DIR) + "/../share/icons/hicolor/";

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WindowIcon, EverySizeComesFromThePicturesBesideTheProgram) {
    const QIcon icon = WindowIcon::FromDirectory(WString::FromUtf8(std::string(GV_BIN_DIR) + "/"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 7);
    for (const int size : WindowIcon::kSizes) {
        const QImage picture = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(picture.width(), size);
        // A rounded board: transparent in the corner, opaque in the middle.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << size;
        // The window shows the drawing the icon theme gets.
        const std::string beside =
            Bytes(std::string(GV_BIN_DIR) + "/icons/gridvellum-" + std::to_string(size) + ".png");
        const std::string themed =
            Bytes(kShareIcons + std::to_string(size) + "x" + std::to_string(size) + "/apps/gridvellum.png");
        EXPECT_FALSE(beside.empty());
        EXPECT_EQ(beside, themed) << size;
    }
    testsupport::ScratchDir empty;
    EXPECT_TRUE(WindowIcon::FromDirectory(WString::FromUtf8(empty.Path() + "/")).isNull());
}

TEST(WindowIcon, ScalableIconsAreSvgDocuments) {
    for (const char* file : {"apps/gridvellum.svg", "mimetypes/application-x-gridvellum-map.svg",
                             "mimetypes/application-x-gridvellum-tileset.svg"}) {
        XmlDocument svg;
        ASSERT_TRUE(svg.Load(WString::FromUtf8(kShareIcons + "scalable/" + file))) << file;
        EXPECT_EQ(svg.Name().ToUtf8(), "svg") << file;
        EXPECT_GE(svg.ChildCount(), 4) << file;
    }
}

} // namespace
