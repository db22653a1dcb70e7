#include "support/FileUtils.h"

#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileUtilsTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return dir_.Join(name); }
    WString NameOf(const std::string& name) const { return WString::FromUtf8(PathOf(name)); }

    testsupport::ScratchDir dir_;
};

} // namespace

TEST_F(FileUtilsTest, StreamHoldsThirtyTwoKibibytesBeforeTouchingTheDisk) {
    FileUtils::Stream out = FileUtils::OpenStream(NameOf("buffered.bin"), "wb");
    ASSERT_NE(out, nullptr);
    const std::vector<char> bytes(30000, 'q');
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out.get()), bytes.size());
    // A default-sized buffer would have spilled to the file by now.
    EXPECT_EQ(fs::file_size(PathOf("buffered.bin")), 0u);
    EXPECT_TRUE(FileUtils::CloseStream(std::move(out)));
    EXPECT_EQ(fs::file_size(PathOf("buffered.bin")), bytes.size());

    EXPECT_EQ(FileUtils::OpenStream(NameOf("missing.bin"), "rb"), nullptr);
    EXPECT_EQ(FileUtils::OpenStream(WString(), "rb"), nullptr);
    EXPECT_FALSE(FileUtils::CloseStream(nullptr));
}

TEST_F(FileUtilsTest, ProgramPathReplacesTheProgramsFileName) {
    const WString expected = WString::FromUtf8(std::string(GV_BIN_DIR) + "/help.txt");
    EXPECT_EQ(FileUtils::ProgramPath(u"help.txt"), expected);
    EXPECT_EQ(FileUtils::ProgramDirectory(), WString::FromUtf8(std::string(GV_BIN_DIR) + "/"));
    // Exactly filling the capacity (terminator included) still fits; one unit less does not.
    EXPECT_EQ(FileUtils::ProgramPath(u"help.txt", expected.Length() + 1), expected);
    EXPECT_TRUE(FileUtils::ProgramPath(u"help.txt", expected.Length()).IsEmpty());
}

TEST_F(FileUtilsTest, AccessRemoveAndShortPath) {
    { std::ofstream(PathOf("tiles.set")) << "x"; }
    EXPECT_TRUE(FileUtils::Access(NameOf("tiles.set"), 0));
    EXPECT_TRUE(FileUtils::Access(NameOf("tiles.set"), 6));
    EXPECT_FALSE(FileUtils::Access(NameOf("other.set"), 0));

    WString shortPath(u"unchanged");
    EXPECT_TRUE(FileUtils::ShortPath(NameOf("tiles.set"), shortPath));
    EXPECT_EQ(shortPath, NameOf("tiles.set"));
    EXPECT_FALSE(FileUtils::ShortPath(NameOf("other.set"), shortPath));

    EXPECT_TRUE(FileUtils::RemoveFile(NameOf("tiles.set")));
    EXPECT_FALSE(fs::exists(PathOf("tiles.set")));
    EXPECT_FALSE(FileUtils::RemoveFile(NameOf("tiles.set")));
    EXPECT_FALSE(FileUtils::RemoveFile(WString()));
}

TEST_F(FileUtilsTest, WideNamesBecomeUtf8OnDisk) {
    const WString name = WString::FromUtf8(PathOf("\xC3\xBC"
                                                  "ber.txt")); // u umlaut
    FileUtils::Stream out = FileUtils::OpenStream(name, "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(FileUtils::CloseStream(std::move(out)));
    EXPECT_TRUE(fs::exists(PathOf("\xC3\xBC"
                                  "ber.txt")));
    EXPECT_TRUE(FileUtils::Access(name, 0));
    EXPECT_EQ(FileUtils::ScreenResolution(), 96.0f);
}
