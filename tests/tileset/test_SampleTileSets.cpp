#include "TileSetFixture.h"

#include "raster/ImageFile.h"
#include "raster/RasterCanvas.h"
#include "tileset/TileSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace tilesettest;

namespace {

// The tilesets installed beside the program must load without a single error box, with every picture
// they name found on disk.
TEST(SampleTileSetsTest, BundledTilesetsLoadCleanlyWithAllTheirPictures) {
    const std::string binDir = GV_BIN_DIR;
    for (const char* name : {"sample.set", "sample_extra.set"}) {
        if (!std::filesystem::exists(binDir + "/" + name)) {
            GTEST_SKIP() << "the sample data has not been built into " << binDir;
        }
        MemorySettings settings;
        RecordingSink sink;
        TileSet tileSet(TileSetContext{WString::FromUtf8(binDir), &settings, &sink, false});
        tileSet.Load(WString::FromUtf8(name));

        EXPECT_TRUE(sink.boxes.empty()) << name << ": " << (sink.boxes.empty() ? "" : sink.boxes[0].second);
        ASSERT_GT(tileSet.DefinitionCount(), 0) << name;
        for (int i = 0; i < tileSet.DefinitionCount(); ++i) {
            const TileDef& tile = tileSet.Definition(i);
            RasterCanvas direct;
            EXPECT_TRUE(LoadImageFile(direct, tile.ImageSlot().path)) << tile.Key().ToUtf8();
            EXPECT_EQ(tile.Image().Width(), direct.Width()) << tile.Key().ToUtf8();
            EXPECT_EQ(tileSet.Find(tile.Key()), i);
        }
        EXPECT_TRUE(tileSet.StepImage().IsLoaded()) << name;
        EXPECT_TRUE(tileSet.GuiExpandedImage().IsLoaded()) << name;
    }
}

} // namespace
