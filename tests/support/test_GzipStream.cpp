#include "support/GzipStream.h"
#include "support/MemFile.h"

#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

class GzipStreamTest : public ::testing::Test {
protected:
    void SetUp() override { MemFile::ResetRegistry(); }
    void TearDown() override { MemFile::ResetRegistry(); }
    std::string PathOf(const std::string& name) const { return dir_.Join(name); }
    WString NameOf(const std::string& name) const { return WString::FromUtf8(PathOf(name)); }

    testsupport::ScratchDir dir_;
};

Bytes ReadDisk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteDisk(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Image-like data: long runs that compress well, mixed with noise that does not.
Bytes SampleData(size_t n) {
    Bytes bytes(n);
    std::uint32_t state = 12345;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] =
            (i / 700) % 2 == 0 ? static_cast<std::uint8_t>(i / 64) : static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

// Reads until the end or an error, in odd-sized pieces; returns false when an error ended it.
bool ReadAll(GzipStream& stream, Bytes& out, unsigned piece = 1000) {
    std::vector<std::uint8_t> buffer(piece);
    for (;;) {
        const int n = stream.Read(buffer.data(), piece);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        EXPECT_LE(static_cast<unsigned>(n), piece);
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
}

// Decompresses with zlib alone, so our writer is checked against an independent reader.
Bytes ZlibGunzip(const Bytes& compressed) {
    z_stream s{};
    EXPECT_EQ(inflateInit2(&s, 15 + 16), Z_OK);
    Bytes out;
    std::vector<std::uint8_t> chunk(4096);
    s.next_in = const_cast<Bytef*>(compressed.data());
    s.avail_in = static_cast<uInt>(compressed.size());
    int ret = Z_OK;
    while (ret == Z_OK) {
        s.next_out = chunk.data();
        s.avail_out = static_cast<uInt>(chunk.size());
        ret = inflate(&s, Z_NO_FLUSH);
        out.insert(out.end(), chunk.begin(), chunk.end() - s.avail_out);
    }
    EXPECT_EQ(ret, Z_STREAM_END);
    inflateEnd(&s);
    return out;
}

Bytes ZlibGzip(const Bytes& plain) {
    z_stream s{};
    EXPECT_EQ(deflateInit2(&s, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&s, static_cast<uLong>(plain.size())));
    s.next_in = const_cast<Bytef*>(plain.data());
    s.avail_in = static_cast<uInt>(plain.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

TEST_F(GzipStreamTest, WrittenFileIsStandardGzipAndReadsBackUnchanged) {
    const Bytes plain = SampleData(100000);
    auto out = GzipStream::Open(NameOf("tile.icr"), "wb");
    ASSERT_NE(out, nullptr);
    // Pieces of several sizes, one larger than a block.
    size_t at = 0;
    for (size_t piece : {1u, 100u, 20000u, 3u, 50000u}) {
        ASSERT_TRUE(out->Write(plain.data() + at, static_cast<unsigned>(piece)));
        at += piece;
    }
    ASSERT_TRUE(out->Write(plain.data() + at, static_cast<unsigned>(plain.size() - at)));
    EXPECT_FALSE(fs::exists(PathOf("tile.icr")));
    ASSERT_TRUE(out->Close());
    EXPECT_FALSE(out->Write(plain.data(), 1)); // closed

    const Bytes disk = ReadDisk(PathOf("tile.icr"));
    ASSERT_GT(disk.size(), 18u);
    EXPECT_LT(disk.size(), plain.size());
    EXPECT_EQ(disk[0], 0x1F);
    EXPECT_EQ(disk[1], 0x8B);
    // Trailer: CRC-32 and length, least significant byte first.
    EXPECT_EQ(LittleEndian32(&disk[disk.size() - 8]),
              crc32(0L, plain.data(), static_cast<uInt>(plain.size())));
    EXPECT_EQ(LittleEndian32(&disk[disk.size() - 4]), plain.size());
    EXPECT_EQ(ZlibGunzip(disk), plain);

    auto in = GzipStream::Open(NameOf("tile.icr"), "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_FALSE(in->IsTransparent());
    Bytes back;
    EXPECT_TRUE(ReadAll(*in, back, 777));
    EXPECT_EQ(back, plain);
    EXPECT_EQ(in->Read(back.data(), 10), 0); // stays at the end
    EXPECT_TRUE(in->Close());
}

TEST_F(GzipStreamTest, ReadsWhatAnotherGzipWriterMade) {
    const Bytes plain = SampleData(40000);
    WriteDisk(PathOf("foreign.gz"), ZlibGzip(plain));
    auto in = GzipStream::Open(NameOf("foreign.gz"), "rb");
    ASSERT_NE(in, nullptr);
    Bytes back;
    EXPECT_TRUE(ReadAll(*in, back, 65536));
    EXPECT_EQ(back, plain);
}

TEST_F(GzipStreamTest, EmptyAndLevelledStreamsRoundTrip) {
    for (const char* mode : {"wb", "wb0", "wb1", "w9"}) {
        SCOPED_TRACE(mode);
        const Bytes plain = std::string(mode) == "wb" ? Bytes() : SampleData(30000);
        auto out = GzipStream::Open(NameOf("level.gz"), mode);
        ASSERT_NE(out, nullptr);
        ASSERT_TRUE(out->Write(plain.data(), static_cast<unsigned>(plain.size())));
        ASSERT_TRUE(out->Close());
        const Bytes disk = ReadDisk(PathOf("level.gz"));
        EXPECT_EQ(ZlibGunzip(disk), plain);
        if (std::string(mode) == "wb0") {
            EXPECT_GT(disk.size(), plain.size()); // stored, not compressed
        }
        auto in = GzipStream::Open(NameOf("level.gz"), "rb");
        Bytes back;
        EXPECT_TRUE(ReadAll(*in, back));
        EXPECT_EQ(back, plain);
    }
}

TEST_F(GzipStreamTest, DataWithoutTheSignaturePassesThroughUnchanged) {
    const Bytes raw = SampleData(50000); // starts with 0x00, not the gzip signature
    WriteDisk(PathOf("plain.icr"), raw);
    auto in = GzipStream::Open(NameOf("plain.icr"), "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_TRUE(in->IsTransparent());
    Bytes back;
    EXPECT_TRUE(ReadAll(*in, back, 5000));
    EXPECT_EQ(back, raw);

    // A lone first signature byte is still plain data.
    WriteDisk(PathOf("one.bin"), Bytes{0x1F});
    auto one = GzipStream::Open(NameOf("one.bin"), "rb");
    Bytes oneBack;
    EXPECT_TRUE(ReadAll(*one, oneBack));
    EXPECT_EQ(oneBack, Bytes{0x1F});

    // A missing file reads as empty.
    auto missing = GzipStream::Open(NameOf("absent.icr"), "rb");
    ASSERT_NE(missing, nullptr);
    std::uint8_t b = 0;
    EXPECT_EQ(missing->Read(&b, 1), 0);
}

TEST_F(GzipStreamTest, TruncatedStreamsEndInAnErrorNeverInExtraBytes) {
    const Bytes plain = SampleData(20000);
    const Bytes whole = ZlibGzip(plain);
    // Every cut of the header, some in the data, and every cut of the trailer.
    std::vector<size_t> cuts;
    for (size_t n = 2; n < 40; ++n) {
        cuts.push_back(n);
    }
    for (size_t n = 40; n < whole.size() - 8; n += 997) {
        cuts.push_back(n);
    }
    for (size_t n = whole.size() - 8; n < whole.size(); ++n) {
        cuts.push_back(n);
    }
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        WriteDisk(PathOf("cut.gz"), Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        auto in = GzipStream::Open(NameOf("cut.gz"), "rb");
        ASSERT_NE(in, nullptr);
        Bytes back;
        EXPECT_FALSE(ReadAll(*in, back, 4096));
        EXPECT_TRUE(in->HasError());
        ASSERT_LE(back.size(), plain.size());
        EXPECT_TRUE(std::equal(back.begin(), back.end(), plain.begin()));
        std::uint8_t b = 0;
        EXPECT_EQ(in->Read(&b, 1), -1); // the error sticks
    }
}

TEST_F(GzipStreamTest, DamagedStreamsAreReadErrors) {
    const Bytes plain = SampleData(20000);
    const Bytes whole = ZlibGzip(plain);
    struct Damage {
        const char* what;
        size_t at;
    };
    for (const Damage& d : {Damage{"method", 2}, Damage{"data", whole.size() / 2},
                            Damage{"crc", whole.size() - 7}, Damage{"length", whole.size() - 2}}) {
        SCOPED_TRACE(d.what);
        Bytes broken = whole;
        broken[d.at] ^= 0x5A;
        WriteDisk(PathOf("bad.gz"), broken);
        auto in = GzipStream::Open(NameOf("bad.gz"), "rb");
        ASSERT_NE(in, nullptr);
        Bytes back;
        EXPECT_FALSE(ReadAll(*in, back, 4096));
        EXPECT_LE(back.size(), plain.size());
    }
}

TEST_F(GzipStreamTest, ConcatenatedMembersReadAsOneStream) {
    const Bytes a = SampleData(3000);
    const Bytes b(5000, 0xAB);
    Bytes both = ZlibGzip(a);
    const Bytes second = ZlibGzip(b);
    both.insert(both.end(), second.begin(), second.end());
    WriteDisk(PathOf("two.gz"), both);
    auto in = GzipStream::Open(NameOf("two.gz"), "rb");
    Bytes back;
    EXPECT_TRUE(ReadAll(*in, back));
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(back, expected);
}

TEST_F(GzipStreamTest, ReadNeverDeliversMoreThanAsked) {
    WriteDisk(PathOf("big.gz"), ZlibGzip(Bytes(100000, 0)));
    auto in = GzipStream::Open(NameOf("big.gz"), "rb");
    std::uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(in->Read(buffer, 10), 10);
    EXPECT_EQ(buffer[9], 0);
    EXPECT_EQ(buffer[10], 0xEE);
    EXPECT_EQ(in->Read(buffer, 0), 0);
}

TEST_F(GzipStreamTest, MemoryFilesCarryCompressedData) {
    const Bytes plain = SampleData(25000);
    auto out = GzipStream::Open(u":TMPQOR:tile.icr", "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->Write(plain.data(), static_cast<unsigned>(plain.size())));
    ASSERT_TRUE(out->Close());
    auto stored = MemFile::Open(u":TMPQOR:tile.icr", u"rb");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(ZlibGunzip(Bytes(stored->Data(), stored->Data() + stored->Size())), plain);

    auto in = GzipStream::Open(u":TMPQOR:tile.icr", "rb");
    ASSERT_NE(in, nullptr);
    Bytes back;
    EXPECT_TRUE(ReadAll(*in, back));
    EXPECT_EQ(back, plain);
    EXPECT_EQ(GzipStream::Open(u":TMPQOR:never.icr", "rb"), nullptr);
}

TEST_F(GzipStreamTest, WrongUseIsRefused) {
    EXPECT_EQ(GzipStream::Open(NameOf("x.gz"), "ab"), nullptr);
    EXPECT_EQ(GzipStream::Open(NameOf("x.gz"), "rw"), nullptr);
    EXPECT_EQ(GzipStream::Open(NameOf("x.gz"), ""), nullptr);
    EXPECT_EQ(GzipStream::Open(NameOf("x.gz"), nullptr), nullptr);

    auto out = GzipStream::Open(NameOf("x.gz"), "wb");
    std::uint8_t b = 0;
    EXPECT_EQ(out->Read(&b, 1), -1);
    WriteDisk(PathOf("y.gz"), ZlibGzip(Bytes(10, 1)));
    auto in = GzipStream::Open(NameOf("y.gz"), "rb");
    EXPECT_FALSE(in->Write(&b, 1));
}

TEST_F(GzipStreamTest, FailedSaveKeepsThePreviousFile) {
    auto out = GzipStream::Open(NameOf("missing_dir/tile.icr"), "wb");
    ASSERT_NE(out, nullptr);
    const Bytes plain = SampleData(1000);
    ASSERT_TRUE(out->Write(plain.data(), static_cast<unsigned>(plain.size())));
    EXPECT_FALSE(out->Close());

    WriteDisk(PathOf("keep.icr"), Bytes{1, 2, 3});
    {
        auto abandoned = GzipStream::Open(NameOf("keep.icr"), "wb");
        ASSERT_TRUE(abandoned->Write(plain.data(), static_cast<unsigned>(plain.size())));
    } // dropped without Close
    EXPECT_EQ(ReadDisk(PathOf("keep.icr")), (Bytes{1, 2, 3}));
}
