#include "raster/BlendTable.h"
#include "raster/RasterCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(BlendTable, EdgeValuesAndTheQuotientFirstRounding) {
    const BlendTable& t = BlendTable::Get();
    EXPECT_EQ(t.Lookup(255, 255), 255);
    EXPECT_EQ(t.Lookup(255, 128), 128);
    EXPECT_EQ(t.Lookup(1, 254), 0);
    // The quotient first: 147 / 255 * 85 = 48.99999... truncates to 48, not 49.
    EXPECT_EQ(t.Lookup(85, 147), 48);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(t.Lookup(v, 255), v) << v;
        EXPECT_EQ(t.Lookup(v, 0), 0) << v;
        EXPECT_EQ(t.Lookup(0, v), 0) << v;
    }
}

TEST(BlendTable, DiffersFromIntegerDivisionInExactlyTwelveEntries) {
    const BlendTable& t = BlendTable::Get();
    int differences = 0;
    for (int w = 0; w < 256; ++w) {
        for (int v = 0; v < 256; ++v) {
            const int integer = (v * w) / 255;
            const int entry = t.Lookup(v, w);
            EXPECT_LE(integer - entry, 1);
            EXPECT_GE(integer - entry, 0);
            differences += entry != integer ? 1 : 0;
        }
    }
    EXPECT_EQ(differences, 12);
}

TEST(BlendTable, DataAndWeightRowsAddressTheSameEntries) {
    const BlendTable& t = BlendTable::Get();
    EXPECT_EQ(t.Data()[147 * 256 + 85], 48);
    EXPECT_EQ(t.WeightRow(147)[85], 48);
    EXPECT_EQ(&BlendTable::Get(), &t);
}

TEST(BlendTable, BlendPixelMixesTheColourBytesOnly) {
    std::uint8_t destination[4] = {200, 100, 0, 77};
    const std::uint8_t source[4] = {0, 100, 255, 9};
    RasterCanvas::BlendPixel(destination, source, 128, 127);
    // T(0,128)+T(200,127), T(100,128)+T(100,127), T(255,128)+T(0,127); alpha untouched.
    EXPECT_EQ(destination[0], 0 + 99);
    EXPECT_EQ(destination[1], 50 + 49);
    EXPECT_EQ(destination[2], 128 + 0);
    EXPECT_EQ(destination[3], 77);

    std::uint8_t bright[3] = {255, 255, 255};
    const std::uint8_t white[3] = {255, 255, 255};
    RasterCanvas::BlendPixel(bright, white, 255, 255); // weights beyond a whole saturate
    EXPECT_EQ(bright[0], 255);
    EXPECT_EQ(bright[2], 255);
}
