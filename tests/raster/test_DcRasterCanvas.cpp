#include "platform/CanvasPainter.h"
#include "platform/PlatformFont.h"
#include "raster/DcRasterCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes StorageOf(const RasterCanvas& canvas) {
    return Bytes(canvas.Pixels(), canvas.Pixels() + canvas.TotalSize());
}

// Colour bytes of the pixel at picture coordinates (x to the right, y down from the top), 0x00BBGGRR.
std::uint32_t PictureColor(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* p = canvas.Rows()[canvas.Height() - 1 - y] + x * canvas.BytesPerPixel();
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

void MakeWhite(DcRasterCanvas& canvas, int width, int height, int bits) {
    canvas.SetBitsPerPixel(bits);
    ASSERT_TRUE(canvas.Create(width, height));
    canvas.Fill(0x00FFFFFF);
}

// Which picture pixels differ from white, as rows of '#' and '.', top row first.
std::string InkMap(const RasterCanvas& canvas) {
    std::string map;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            map += PictureColor(canvas, x, y) == 0x00FFFFFF ? '.' : '#';
        }
        map += '\n';
    }
    return map;
}

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    long ink = 0;
};

// Bounding box of dark pixels in picture coordinates, with the summed darkness.
InkBox DarkInk(const RasterCanvas& canvas, int fromY = 0, int toY = -1) {
    InkBox box;
    if (toY < 0) {
        toY = canvas.Height();
    }
    for (int y = fromY; y < toY; ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const int darkness = 255 - static_cast<int>(PictureColor(canvas, x, y) & 0xFF);
            if (darkness > 64) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
            box.ink += darkness;
        }
    }
    return box;
}
} // namespace

TEST(DcRasterCanvas, LineAtClientTopLandsInTheLastStoredRow) {
    for (int bits : {24, 32}) {
        DcRasterCanvas canvas;
        MakeWhite(canvas, 8, 4, bits);
        CanvasPainter& painter = canvas.Painter();
        ASSERT_TRUE(painter.IsAttached());
        painter.SetPen(PenStyle::Solid, 1, 0x000000FF); // red
        painter.DrawLine(1, 0, 5, 0);
        painter.Flush();
        EXPECT_EQ(InkMap(canvas), ".####...\n"
                                  "........\n"
                                  "........\n"
                                  "........\n")
            << bits;
        EXPECT_EQ(PictureColor(canvas, 1, 0), 0x000000FFu);
        const std::uint8_t* top = canvas.Rows()[3] + canvas.BytesPerPixel();
        EXPECT_EQ(top[0], 0);   // blue
        EXPECT_EQ(top[2], 255); // red
        if (bits == 32) {
            EXPECT_EQ(top[3], 255); // painting makes pixels opaque
        }
    }
}

TEST(DcRasterCanvas, ConnectedSegmentsAndRectanglesHitWholePixels) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 8, 6, 32);
    CanvasPainter& painter = canvas.Painter();
    painter.SetPen(PenStyle::Solid, 0, 0);
    painter.MoveTo(0, 5);
    painter.LineTo(0, 3);
    painter.LineTo(3, 3);
    painter.SetNullBrush();
    painter.Rectangle(4, 0, 8, 3);
    painter.Flush();
    EXPECT_EQ(InkMap(canvas), "....####\n"
                              "....#..#\n"
                              "....####\n"
                              "###.....\n"
                              "#.......\n"
                              "#.......\n");
}

TEST(DcRasterCanvas, FillRectAndBrushFillCoverExactlyTheirPixels) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 6, 5, 24);
    CanvasPainter& painter = canvas.Painter();
    painter.FillRect(1, 1, 3, 4, 0x00123456);
    painter.SetPen(PenStyle::Null, 0, 0);
    painter.SetBrush(0x00000000);
    painter.Rectangle(4, 0, 6, 2);
    painter.Flush();
    EXPECT_EQ(InkMap(canvas), "....##\n"
                              ".##.##\n"
                              ".##...\n"
                              ".##...\n"
                              "......\n");
    EXPECT_EQ(PictureColor(canvas, 2, 3), 0x00123456u);
}

TEST(DcRasterCanvas, NotRasterOpInvertsAndASecondPassRestores) {
    for (int bits : {24, 32}) {
        DcRasterCanvas canvas;
        canvas.SetBitsPerPixel(bits);
        ASSERT_TRUE(canvas.Create(9, 7));
        for (std::size_t i = 0; i < canvas.TotalSize(); ++i) {
            canvas.Pixels()[i] = static_cast<std::uint8_t>(i * 37 + 11);
        }
        if (bits == 32) {
            for (int y = 0; y < 7; ++y) {
                for (int x = 0; x < 9; ++x) {
                    canvas.Rows()[y][x * 4 + 3] = 255; // what painting leaves behind anyway
                }
            }
        }
        const Bytes original = StorageOf(canvas);
        CanvasPainter& painter = canvas.Painter();
        painter.SetRasterOp(RasterOp::NotDestination);
        painter.SetPen(PenStyle::Solid, 0, 0);
        painter.SetNullBrush();
        painter.Rectangle(1, 1, 7, 6);
        painter.Flush();
        const std::uint8_t* inverted =
            canvas.Rows()[7 - 1 - 1] + 1 * canvas.BytesPerPixel(); // picture (1, 1)
        const std::uint8_t* before = original.data() + (inverted - canvas.Pixels());
        EXPECT_EQ(inverted[0], static_cast<std::uint8_t>(~before[0])) << bits;
        EXPECT_EQ(inverted[2], static_cast<std::uint8_t>(~before[2])) << bits;
        const std::uint8_t* inside = canvas.Rows()[7 - 1 - 3] + 3 * canvas.BytesPerPixel(); // picture (3, 3)
        EXPECT_EQ(inside[1], original[inside - canvas.Pixels() + 1]) << bits;

        painter.Rectangle(1, 1, 7, 6);
        painter.Flush();
        EXPECT_EQ(StorageOf(canvas), original) << bits;
    }
}

TEST(DcRasterCanvas, ClipRectKeepsDrawingInsideAndRestoreLiftsIt) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 6, 4, 32);
    CanvasPainter& painter = canvas.Painter();
    painter.Save();
    painter.SetClipRect(2, 1, 4, 3);
    painter.FillRect(0, 0, 6, 4, 0);
    painter.Restore();
    painter.FillRect(0, 3, 1, 4, 0);
    painter.Flush();
    EXPECT_EQ(InkMap(canvas), "......\n"
                              "..##..\n"
                              "..##..\n"
                              "#.....\n");
}

TEST(DcRasterCanvas, EllipseStaysInsideItsBox) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 20, 20, 32);
    CanvasPainter& painter = canvas.Painter();
    painter.SetPen(PenStyle::Solid, 1, 0);
    painter.SetBrush(0x0000FF00);
    painter.Ellipse(3, 5, 14, 16);
    painter.Flush();
    const InkBox box = DarkInk(canvas);
    EXPECT_GE(box.left, 3);
    EXPECT_LE(box.right, 13);
    EXPECT_GE(box.top, 5);
    EXPECT_LE(box.bottom, 15);
    EXPECT_EQ(PictureColor(canvas, 8, 10), 0x0000FF00u); // the brush inside
    EXPECT_EQ(PictureColor(canvas, 3, 5), 0x00FFFFFFu);  // the corner of the box stays
}

TEST(DcRasterCanvas, StretchedCopyScalesAndKeepsThePictureUpright) {
    RasterCanvas source;
    ASSERT_TRUE(source.Create(2, 2));
    // Picture top row: red, green; bottom row: blue, black. The top row is the last stored row.
    const std::uint8_t pixels[16] = {255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    ASSERT_TRUE(source.SetPixels(pixels, 8, 3));
    source.Rows()[1][3] = 0;
    source.Rows()[1][4] = 255;
    source.Rows()[1][5] = 0;

    // The same picture with four bytes per pixel and every alpha byte 0: copies take the colour only.
    RasterCanvas transparent;
    transparent.SetBitsPerPixel(32);
    ASSERT_TRUE(transparent.Create(2, 2));
    ASSERT_TRUE(transparent.CopyFrom24(source));
    for (int y = 0; y < 2; ++y) {
        transparent.Rows()[y][3] = transparent.Rows()[y][7] = 0;
    }

    for (int bits : {24, 32, 33}) {
        const PixelBlock block = bits == 33 ? transparent.AsPixelBlock() : source.AsPixelBlock();
        DcRasterCanvas canvas;
        MakeWhite(canvas, 6, 5, bits == 33 ? 32 : bits);
        canvas.Painter().StretchBlit(1, 1, 4, 4, block, 0, 0, 2, 2);
        canvas.Painter().Flush();
        const std::uint32_t red = 0x000000FF, green = 0x0000FF00, blue = 0x00FF0000, black = 0;
        const std::uint32_t expected[4][4] = {{red, red, green, green},
                                              {red, red, green, green},
                                              {blue, blue, black, black},
                                              {blue, blue, black, black}};
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(PictureColor(canvas, x + 1, y + 1), expected[y][x])
                    << bits << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(PictureColor(canvas, 0, 0), 0x00FFFFFFu);
        EXPECT_EQ(PictureColor(canvas, 5, 4), 0x00FFFFFFu);

        // A negative destination width mirrors left to right.
        canvas.Painter().StretchBlit(5, 1, -4, 4, block, 0, 0, 2, 2);
        canvas.Painter().Flush();
        EXPECT_EQ(PictureColor(canvas, 1, 1), green) << bits;
        EXPECT_EQ(PictureColor(canvas, 4, 4), blue) << bits;
    }
}

TEST(DcRasterCanvas, IndexedXorBlitsCancelOut) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(4, 4));
    canvas.Fill(0x00336699);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            canvas.Rows()[y][x * 4 + 3] = 255;
        }
    }
    const Bytes original = StorageOf(canvas);
    alignas(4) const std::uint8_t indices[5] = {0xEE, 0, 1, 1, 0}; // 2 x 2, packed rows, unaligned
    std::uint32_t palette[256] = {};
    palette[1] = 0x00FFFFFF;
    PixelBlock block;
    block.pixels = indices + 1;
    block.width = 2;
    block.height = 2;
    block.stride = 2;
    block.bytesPerPixel = 1;
    block.palette = palette;
    canvas.Painter().StretchBlit(0, 0, 4, 4, block, 0, 0, 2, 2, BlitOp::Xor);
    canvas.Painter().Flush();
    // Index 1 sits at stored (1, 0) and (0, 1): picture bottom right and top left quadrants.
    EXPECT_EQ(PictureColor(canvas, 0, 0), 0x00CC9966u);
    EXPECT_EQ(PictureColor(canvas, 3, 0), 0x00336699u);
    EXPECT_EQ(PictureColor(canvas, 3, 3), 0x00CC9966u);
    canvas.Painter().StretchBlit(0, 0, 4, 4, block, 0, 0, 2, 2, BlitOp::Xor);
    canvas.Painter().Flush();
    EXPECT_EQ(StorageOf(canvas), original);
}

TEST(DcRasterCanvas, TextStandsUprightAndReadsLeftToRight) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 60, 60, 32);
    CanvasPainter& painter = canvas.Painter();
    FontDescription font;
    font.height = -48;
    ASSERT_TRUE(painter.SetFont(font));
    painter.SetTextColor(0);
    painter.SetTextAlign(TextAlign::Top);
    painter.TextOut(10, 2, u"L");
    painter.Flush();
    const InkBox box = DarkInk(canvas);
    ASSERT_GT(box.bottom, box.top + 20);
    // An "L": a full-height stem on the left and a foot at the bottom, so the lower half and the left
    // half carry more ink than the others. Mirrored either way, one of these fails.
    const int middleY = (box.top + box.bottom + 1) / 2;
    const long upper = DarkInk(canvas, box.top, middleY).ink;
    const long lower = DarkInk(canvas, middleY, box.bottom + 1).ink;
    EXPECT_GT(lower, upper * 3 / 2);
    int stemColumn = -1, footRow = -1;
    for (int x = box.left; x <= box.right && stemColumn < 0; ++x) {
        if ((PictureColor(canvas, x, middleY) & 0xFF) < 64) {
            stemColumn = x;
        }
    }
    for (int y = box.bottom; y >= box.top && footRow < 0; --y) {
        if ((PictureColor(canvas, box.right, y) & 0xFF) < 128) {
            footRow = y;
        }
    }
    EXPECT_LT(stemColumn - box.left, 3); // the stem is at the left edge
    EXPECT_GT(footRow, middleY);         // the far right of the glyph is near the bottom
    EXPECT_GE(box.top, 2);               // top-aligned text starts at or below y
}

TEST(DcRasterCanvas, BaselineAlignmentAndEscapementTurnTheText) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 120, 120, 24);
    CanvasPainter& painter = canvas.Painter();
    FontDescription font;
    font.height = -20;
    ASSERT_TRUE(painter.SetFont(font));
    painter.SetTextAlign(TextAlign::Baseline);
    painter.TextOut(5, 30, u"HHHH");
    painter.Flush();
    const InkBox flat = DarkInk(canvas);
    EXPECT_GT(flat.right - flat.left, 2 * (flat.bottom - flat.top));
    EXPECT_LE(flat.bottom, 30);
    EXPECT_GE(flat.bottom, 28); // "H" sits on the baseline

    canvas.Fill(0x00FFFFFF);
    font.escapement = 900; // a quarter turn counter-clockwise: the text runs upwards
    ASSERT_TRUE(painter.SetFont(font));
    painter.TextOut(60, 110, u"HHHH");
    painter.Flush();
    const InkBox turned = DarkInk(canvas);
    EXPECT_GT(turned.bottom - turned.top, 2 * (turned.right - turned.left));
    EXPECT_LE(turned.bottom, 110);
    EXPECT_LE(turned.right, 60); // glyphs stand left of a baseline that points up
}

TEST(DcRasterCanvas, GivenAdvancesPlaceEachCharacter) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 100, 30, 32);
    CanvasPainter& painter = canvas.Painter();
    FontDescription font;
    font.height = -16;
    ASSERT_TRUE(painter.SetFont(font));
    painter.SetTextAlign(TextAlign::Top);
    const int advances[2] = {60, 10};
    painter.TextOut(2, 2, u"II", advances);
    painter.Flush();
    const InkBox first = DarkInk(canvas);
    // Two narrow strokes 60 pixels apart, nothing in between.
    EXPECT_LT(first.left, 10);
    EXPECT_GE(first.right, 60);
    EXPECT_LT(first.right, 72);
    bool gapClear = true;
    for (int y = 0; y < 30; ++y) {
        for (int x = 15; x < 55; ++x) {
            gapClear = gapClear && PictureColor(canvas, x, y) == 0x00FFFFFFu;
        }
    }
    EXPECT_TRUE(gapClear);
}

TEST(DcRasterCanvas, PainterFollowsTheStorage) {
    DcRasterCanvas canvas;
    EXPECT_FALSE(canvas.Painter().IsAttached());
    canvas.Painter().DrawLine(0, 0, 5, 5); // detached: nothing to draw on, nothing happens
    ASSERT_TRUE(canvas.Create(4, 4));
    EXPECT_TRUE(canvas.Painter().IsAttached());
    EXPECT_FALSE(canvas.IsMemoryOnly());
    ASSERT_TRUE(canvas.SetBitsPerPixel(32)); // drops the storage
    EXPECT_FALSE(canvas.Painter().IsAttached());
    ASSERT_TRUE(canvas.Create(3, 2));
    EXPECT_EQ(canvas.Painter().Width(), 3);
    EXPECT_EQ(canvas.Painter().Height(), 2);
    EXPECT_FALSE(canvas.Create(99999, 2)); // refused: still painting on the old pixels
    ASSERT_TRUE(canvas.Painter().IsAttached());
    canvas.Painter().FillRect(0, 0, 1, 1, 0x00FFFFFF);
    canvas.Painter().Flush();
    EXPECT_EQ(PictureColor(canvas, 0, 0), 0x00FFFFFFu);
    canvas.Destroy();
    EXPECT_FALSE(canvas.Painter().IsAttached());
}

TEST(PlatformFont, CumulativeExtentsIncludeKerningAndWidthStretches) {
    FontDescription fontDescription;
    fontDescription.face = u"Arial";
    fontDescription.height = -100;
    PlatformFont font(fontDescription);
    ASSERT_TRUE(font.IsValid());
    std::vector<int> extents;
    font.CharacterExtents(u"AVA", extents);
    ASSERT_EQ(extents.size(), 3u);
    EXPECT_LT(extents[0], extents[1]);
    EXPECT_LT(extents[1], extents[2]);
    EXPECT_EQ(extents[2], font.TextWidth(u"AVA"));
    // Kerned as a pair, "AV" is narrower than its letters measured apart.
    EXPECT_LT(extents[1], font.TextWidth(u"A") + font.TextWidth(u"V"));
    EXPECT_GT(font.Ascent(), 80);
    EXPECT_GT(font.Descent(), 10);
    EXPECT_EQ(font.Height(), font.Ascent() + font.Descent());

    FontDescription wide = fontDescription;
    wide.width = font.AverageCharWidth() * 2;
    PlatformFont stretched(wide);
    ASSERT_TRUE(stretched.IsValid());
    EXPECT_NEAR(stretched.TextWidth(u"Hello"), 2 * font.TextWidth(u"Hello"), 4);
    EXPECT_EQ(stretched.Ascent(), font.Ascent());

    FontDescription cell = fontDescription;
    cell.height = 100; // a cell height: ascent plus descent
    EXPECT_NEAR(PlatformFont(cell).Height(), 100, 2);

    PlatformFont copy = stretched;
    EXPECT_EQ(copy.TextWidth(u"Hello"), stretched.TextWidth(u"Hello"));
}

TEST(DcRasterCanvas, DottedInvertedBandHasGapsAndLeavesNoTrace) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 30, 12, 32);
    const Bytes original = StorageOf(canvas);
    CanvasPainter& painter = canvas.Painter();
    painter.SetRasterOp(RasterOp::NotDestination);
    painter.SetPen(PenStyle::Dot, 0, 0);
    painter.SetNullBrush();
    painter.Rectangle(0, 0, 30, 12);
    painter.Flush();
    int inverted = 0, kept = 0;
    for (int x = 0; x < 30; ++x) {
        (PictureColor(canvas, x, 0) == 0 ? inverted : kept) += 1;
    }
    EXPECT_GT(inverted, 10);
    EXPECT_GT(kept, 10);
    EXPECT_EQ(PictureColor(canvas, 5, 5), 0x00FFFFFFu); // inside stays
    painter.Rectangle(0, 0, 30, 12);
    painter.Flush();
    EXPECT_EQ(StorageOf(canvas), original);
}

TEST(DcRasterCanvas, PolygonFillAndPolygonClipFollowTheOutline) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 8, 8, 24);
    CanvasPainter& painter = canvas.Painter();
    // No edge passes through a pixel centre, so the result does not hang on tie rules.
    const ClientPoint triangle[3] = {{0, 0}, {8, 0}, {0, 5}};
    painter.SetPen(PenStyle::Null, 0, 0);
    painter.SetBrush(0);
    painter.Polygon(triangle, 3);
    painter.Flush();
    EXPECT_EQ(InkMap(canvas), "#######.\n"
                              "######..\n"
                              "####....\n"
                              "##......\n"
                              "#.......\n"
                              "........\n"
                              "........\n"
                              "........\n");
    const std::string filled = InkMap(canvas);

    DcRasterCanvas clipped;
    MakeWhite(clipped, 8, 8, 32);
    clipped.Painter().SetClipPolygon(triangle, 3);
    clipped.Painter().FillRect(0, 0, 8, 8, 0);
    clipped.Painter().Flush();
    EXPECT_EQ(InkMap(clipped), filled);
}

TEST(DcRasterCanvas, OpaqueTextBackgroundFillsTheTextCell) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, 60, 40, 32);
    CanvasPainter& painter = canvas.Painter();
    FontDescription fontDescription;
    fontDescription.height = -20;
    ASSERT_TRUE(painter.SetFont(fontDescription));
    const PlatformFont font(fontDescription);
    painter.SetTextBackground(true, 0x000000FF);
    painter.TextOut(4, 6, u"  ");
    painter.Flush();
    const int width = font.TextWidth(u"  ");
    ASSERT_GT(width, 4);
    EXPECT_EQ(PictureColor(canvas, 4 + width / 2, 6 + font.Height() / 2), 0x000000FFu);
    EXPECT_EQ(PictureColor(canvas, 4 + width / 2, 6 + font.Height() + 2), 0x00FFFFFFu);
    EXPECT_EQ(PictureColor(canvas, 2, 6 + font.Height() / 2), 0x00FFFFFFu);
}
