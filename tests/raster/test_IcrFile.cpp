#include "raster/IcrFile.h"

#include "raster/RasterCanvas.h"
#include "support/MemFile.h"
#include "support/WString.h"
#include "test_ImageFileFixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

class IcrFileTest : public ::testing::Test {
protected:
    void SetUp() override { MemFile::ResetRegistry(); }
    void TearDown() override { MemFile::ResetRegistry(); }

    // Stores raw bytes as a named memory file, replacing any earlier one; the loader sees it like any file.
    static WString Memory(const char* name, const Bytes& bytes) {
        const WString path = WString(":TMPQOR:") + WString(name);
        MemFile::Delete(path); // a second file of the same name would hide behind the first
        std::shared_ptr<MemFile> file = MemFile::Open(path, u"wb");
        file->Write(bytes.data(), 1, bytes.size());
        file->Close();
        return path;
    }

    static Bytes Contents(const WString& path) {
        std::shared_ptr<MemFile> file = MemFile::Open(path, u"rb");
        return file != nullptr && file->Data() != nullptr ? Bytes(file->Data(), file->Data() + file->Size())
                                                          : Bytes{};
    }

    static Bytes Gunzip(const Bytes& packed) {
        z_stream z{};
        inflateInit2(&z, 15 + 16);
        Bytes out(1 << 16);
        z.next_in = const_cast<Bytef*>(packed.data());
        z.avail_in = static_cast<uInt>(packed.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int result = inflate(&z, Z_FINISH);
        out.resize(result == Z_STREAM_END ? z.total_out : 0);
        inflateEnd(&z);
        return out;
    }

    static void FillRandom(RasterCanvas& canvas, std::uint32_t seed) {
        std::mt19937 random(seed);
        for (std::size_t i = 0; i < canvas.TotalSize(); ++i) {
            canvas.Pixels()[i] = static_cast<std::uint8_t>(random());
        }
    }
};

void AppendUint32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

Bytes RawHeader(int bits, std::uint32_t width, std::uint32_t stride, std::uint32_t height) {
    Bytes out{static_cast<std::uint8_t>(bits)};
    AppendUint32(out, width);
    AppendUint32(out, stride);
    AppendUint32(out, height);
    return out;
}

TEST_F(IcrFileTest, RawFormIsTheHeaderThenTheWholeStorageGzipped) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(5, 3)); // stride 16: one padding byte per row travels too
    FillRandom(canvas, 1);
    const WString path(u":TMPQOR:raw.icr");
    ASSERT_TRUE(IcrFile::Save(canvas, path));

    const Bytes packed = Contents(path);
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(packed[0], 0x1F);
    EXPECT_EQ(packed[1], 0x8B);
    Bytes expected = RawHeader(24, 5, 16, 3);
    expected.insert(expected.end(), canvas.Pixels(), canvas.Pixels() + canvas.TotalSize());
    EXPECT_EQ(Gunzip(packed), expected);

    RasterCanvas loaded;
    ASSERT_TRUE(IcrFile::Load(loaded, path));
    ASSERT_EQ(loaded.TotalSize(), canvas.TotalSize());
    EXPECT_EQ(Bytes(loaded.Pixels(), loaded.Pixels() + loaded.TotalSize()),
              Bytes(canvas.Pixels(), canvas.Pixels() + canvas.TotalSize()));
}

TEST_F(IcrFileTest, ThirtyTwoBitCanvasesComeBackThirtyTwoBitAndExact) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    ASSERT_TRUE(canvas.Create(7, 4));
    FillRandom(canvas, 2);
    ASSERT_TRUE(IcrFile::Save(canvas, u":TMPQOR:alpha.icr"));
    RasterCanvas loaded; // starts at 24 bits
    ASSERT_TRUE(IcrFile::Load(loaded, u":TMPQOR:alpha.icr"));
    EXPECT_EQ(loaded.BitsPerPixel(), 32);
    EXPECT_EQ(Bytes(loaded.Pixels(), loaded.Pixels() + loaded.TotalSize()),
              Bytes(canvas.Pixels(), canvas.Pixels() + canvas.TotalSize()));
}

TEST_F(IcrFileTest, IndexedFormMatchesColoursExactlyAndRepeatsThePreviousIndexOtherwise) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(4, 2));
    const std::uint8_t palette[] = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    canvas.SetPalette(palette, 3, 3);
    const std::uint8_t stray[] = {1, 2, 3};
    // Stored row 0: entry 1, entry 1, stray, entry 2. Stored row 1: stray, entry 2, stray, entry 0.
    const std::uint8_t* row0[] = {palette + 3, palette + 3, stray, palette + 6};
    const std::uint8_t* row1[] = {stray, palette + 6, stray, palette};
    for (int x = 0; x < 4; ++x) {
        std::memcpy(canvas.Rows()[0] + 3 * x, row0[x], 3);
        std::memcpy(canvas.Rows()[1] + 3 * x, row1[x], 3);
    }
    ASSERT_TRUE(IcrFile::Save(canvas, u":TMPQOR:indexed.icr"));

    Bytes expected{0};
    const Bytes header = RawHeader(24, 4, 12, 2);
    expected.insert(expected.end(), header.begin(), header.end());
    AppendUint32(expected, 3);
    expected.insert(expected.end(), palette, palette + 9);
    expected.insert(expected.end(), {1, 1, 1, 2, 0, 2, 2, 0});
    EXPECT_EQ(Gunzip(Contents(u":TMPQOR:indexed.icr")), expected);

    RasterCanvas loaded;
    ASSERT_TRUE(IcrFile::Load(loaded, u":TMPQOR:indexed.icr"));
    EXPECT_EQ(loaded.PaletteCount(), 3);
    EXPECT_EQ(Bytes(loaded.Rows()[0], loaded.Rows()[0] + 12),
              (Bytes{40, 50, 60, 40, 50, 60, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(Bytes(loaded.Rows()[1], loaded.Rows()[1] + 12),
              (Bytes{10, 20, 30, 70, 80, 90, 70, 80, 90, 10, 20, 30}));
}

TEST_F(IcrFileTest, FilesStoredWithoutCompressionLoadToo) {
    Bytes file = RawHeader(24, 1, 4, 2);
    file.insert(file.end(), {1, 2, 3, 0, 4, 5, 6, 0});
    RasterCanvas canvas;
    ASSERT_TRUE(IcrFile::Load(canvas, Memory("plain.icr", file)));
    EXPECT_EQ(Bytes(canvas.Pixels(), canvas.Pixels() + 8), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
}

TEST_F(IcrFileTest, InconsistentHeadersAndTruncatedDataFail) {
    auto loads = [&](const Bytes& bytes) {
        RasterCanvas canvas;
        return IcrFile::Load(canvas, Memory("bad.icr", bytes));
    };
    Bytes good = RawHeader(24, 1, 4, 2);
    good.insert(good.end(), 8, 7);
    ASSERT_TRUE(loads(good));
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(loads(Bytes(good.begin(), good.begin() + size))) << "cut at " << size;
    }
    Bytes wrongStride = RawHeader(24, 1, 8, 1);
    wrongStride.insert(wrongStride.end(), 8, 7);
    EXPECT_FALSE(loads(wrongStride));                         // never shows unfilled storage
    EXPECT_FALSE(loads(RawHeader(16, 1, 4, 1)));              // unknown depth
    EXPECT_FALSE(loads(RawHeader(24, 40000, 120000, 1)));     // too wide
    EXPECT_FALSE(loads(RawHeader(32, 30000, 120000, 30000))); // over 1 GiB, refused before allocating
    EXPECT_FALSE(loads(RawHeader(24, 0, 0, 1)));              // empty

    Bytes indexed{0};
    const Bytes header = RawHeader(24, 2, 8, 1);
    indexed.insert(indexed.end(), header.begin(), header.end());
    Bytes badIndex = indexed;
    AppendUint32(badIndex, 1);
    badIndex.insert(badIndex.end(), {9, 9, 9, 0, 1}); // index 1 with one palette entry
    EXPECT_FALSE(loads(badIndex));
    Bytes noPalette = indexed;
    AppendUint32(noPalette, 0);
    EXPECT_FALSE(loads(noPalette));
    Bytes bigPalette = indexed;
    AppendUint32(bigPalette, 257);
    bigPalette.insert(bigPalette.end(), 257 * 3 + 2, 0);
    EXPECT_FALSE(loads(bigPalette));
    Bytes indexedAlpha{0, 32};
    indexedAlpha.insert(indexedAlpha.end(), header.begin() + 1, header.end());
    AppendUint32(indexedAlpha, 1);
    indexedAlpha.insert(indexedAlpha.end(), {9, 9, 9, 0, 0});
    EXPECT_FALSE(loads(indexedAlpha));
}

TEST_F(IcrFileTest, SaveIndexedKeepsAFewColoursExactAndRefusesAlphaCanvases) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(6, 5));
    const std::uint8_t colours[3][3] = {{200, 16, 8}, {8, 200, 16}, {16, 8, 200}};
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            std::memcpy(canvas.Rows()[y] + 3 * x, colours[(x + y) % 3], 3);
        }
    }
    ASSERT_TRUE(IcrFile::SaveIndexed(canvas, u":TMPQOR:quantized.icr"));
    EXPECT_EQ(canvas.PaletteCount(), 3);
    RasterCanvas loaded;
    ASSERT_TRUE(IcrFile::Load(loaded, u":TMPQOR:quantized.icr"));
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(Bytes(loaded.Rows()[y], loaded.Rows()[y] + 18),
                  Bytes(canvas.Rows()[y], canvas.Rows()[y] + 18));
    }

    RasterCanvas alpha;
    ASSERT_TRUE(alpha.SetBitsPerPixel(32));
    ASSERT_TRUE(alpha.Create(2, 2));
    EXPECT_FALSE(IcrFile::SaveIndexed(alpha, u":TMPQOR:alpha.icr"));
    RasterCanvas empty;
    EXPECT_FALSE(IcrFile::Save(empty, u":TMPQOR:empty.icr"));
}

} // namespace
