#include "support/MemFile.h"
#include "support/SaveTemporary.h"

#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A private folder per test, removed afterwards.
class MemFileTest : public ::testing::Test {
protected:
    void SetUp() override { MemFile::ResetRegistry(); }
    void TearDown() override { MemFile::ResetRegistry(); }

    std::string PathOf(const std::string& name) const { return dir_.Join(name); }
    WString NameOf(const std::string& name) const { return WString::FromUtf8(PathOf(name)); }

    static std::string ReadDisk(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteDisk(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    static std::string Content(const MemFile& f) {
        return f.Size() == 0 ? std::string() : std::string(reinterpret_cast<const char*>(f.Data()), f.Size());
    }
    size_t EntriesInDir() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()));
    }

    testsupport::ScratchDir dir_;
};

std::vector<std::uint8_t> Pattern(size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 131 + (i >> 8)) & 0xFF);
    }
    return bytes;
}

} // namespace

TEST_F(MemFileTest, MissingFileReadsAsEmptyStream) {
    auto f = MemFile::Open(NameOf("absent.gv"), u"rb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Seek(0, 2));
    EXPECT_EQ(f->Tell(), 0u);
    EXPECT_EQ(f->Size(), 0u);
    char c = 'x';
    EXPECT_EQ(f->Read(&c, 1, 1), 0u);
    EXPECT_TRUE(f->Close());
    EXPECT_FALSE(fs::exists(PathOf("absent.gv"))); // reading never creates the file
}

TEST_F(MemFileTest, WholeFileIsLoadedAndReadInItems) {
    WriteDisk(PathOf("in.bin"), std::string("0123456789\0AB", 13));
    auto f = MemFile::Open(NameOf("in.bin"), u"rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Content(*f), std::string("0123456789\0AB", 13));

    char buf[16] = {};
    EXPECT_EQ(f->Read(buf, 4, 2), 2u);
    EXPECT_EQ(std::string(buf, 8), "01234567");
    EXPECT_EQ(f->Tell(), 8u);
    // Five bytes remain: one whole item of four, and the stray byte is copied too.
    EXPECT_EQ(f->Read(buf, 4, 3), 1u);
    EXPECT_EQ(std::string(buf, 5), std::string("89\0AB", 5));
    EXPECT_EQ(f->Tell(), 13u);
    EXPECT_EQ(f->Read(buf, 1, 1), 0u);
    EXPECT_TRUE(f->Close());
    EXPECT_EQ(ReadDisk(PathOf("in.bin")), std::string("0123456789\0AB", 13)); // "rb" never stores
}

TEST_F(MemFileTest, WriteBufferGrowsByDoublingThenByMebibytes) {
    auto f = MemFile::NewTemporary();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Capacity(), 10240u);
    const std::vector<std::uint8_t> chunk = Pattern(10241);
    ASSERT_EQ(f->Write(chunk.data(), 1, chunk.size()), chunk.size());
    EXPECT_EQ(f->Capacity(), 30720u);

    // Each step: the larger of the shortfall and min(2 * capacity, 1 MiB).
    const size_t expected[] = {92160, 276480, 829440, 1878016, 2926592};
    for (size_t want : expected) {
        const std::vector<std::uint8_t> fill(f->Capacity() - f->Size() + 1, 7);
        ASSERT_EQ(f->Write(fill.data(), 1, fill.size()), fill.size());
        EXPECT_EQ(f->Capacity(), want);
    }
    EXPECT_EQ(f->Size(), 1878017u);
    EXPECT_EQ(std::vector<std::uint8_t>(f->Data(), f->Data() + chunk.size()), chunk);

    // One large write takes exactly what it lacks.
    auto g = MemFile::NewTemporary();
    const std::vector<std::uint8_t> big = Pattern(100000);
    ASSERT_EQ(g->Write(big.data(), 4, 25000), 25000u);
    EXPECT_EQ(g->Capacity(), 100000u);
    EXPECT_EQ(std::vector<std::uint8_t>(g->Data(), g->Data() + g->Size()), big);
}

TEST_F(MemFileTest, SeekRulesKeepThePositionOnFailure) {
    auto f = MemFile::NewTemporary();
    ASSERT_EQ(f->Write("abcdefgh", 1, 8), 8u);
    EXPECT_TRUE(f->Seek(3, 0));
    EXPECT_FALSE(f->Seek(-4, 1)); // before the start
    EXPECT_EQ(f->Tell(), 3u);
    EXPECT_FALSE(f->Seek(6, 1)); // past the end
    EXPECT_EQ(f->Tell(), 3u);
    EXPECT_TRUE(f->Seek(-3, 1));
    EXPECT_EQ(f->Tell(), 0u);
    EXPECT_TRUE(f->Seek(5, 1));
    EXPECT_EQ(f->Tell(), 5u);
    EXPECT_FALSE(f->Seek(-1, 0));
    EXPECT_FALSE(f->Seek(1, 2));
    EXPECT_FALSE(f->Seek(-9, 2));
    EXPECT_FALSE(f->Seek(0, 3));
    EXPECT_EQ(f->Tell(), 5u);
    EXPECT_TRUE(f->Seek(-2, 2));
    EXPECT_EQ(f->Tell(), 6u);
    char two[2];
    EXPECT_EQ(f->Read(two, 1, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "gh");
}

TEST_F(MemFileTest, SeekPastTheEndReadsNothingAndWritesFillTheGapWithZeros) {
    auto f = MemFile::NewTemporary();
    ASSERT_EQ(f->Write("ab", 1, 2), 2u);
    EXPECT_TRUE(f->Seek(6, 0));
    char c = 'x';
    EXPECT_EQ(f->Read(&c, 1, 1), 0u);
    EXPECT_EQ(c, 'x');
    EXPECT_TRUE(f->PutByte('z'));
    EXPECT_EQ(Content(*f), std::string("ab\0\0\0\0z", 7));
    EXPECT_EQ(f->Tell(), 7u);
}

TEST_F(MemFileTest, OversizedItemCountsDoNotOverflow) {
    auto f = MemFile::NewTemporary();
    ASSERT_EQ(f->Write("hello", 1, 5), 5u);
    EXPECT_EQ(f->Write("hello", SIZE_MAX / 2, 4), 0u);
    EXPECT_EQ(Content(*f), "hello");
    ASSERT_TRUE(f->Seek(0, 0));
    char buf[8] = {};
    EXPECT_EQ(f->Read(buf, SIZE_MAX / 2, 4), 0u); // no whole item, but the bytes that remain
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(f->Tell(), 5u);
}

TEST_F(MemFileTest, WrittenFileReachesDiskOnlyOnClose) {
    const std::vector<std::uint8_t> bytes = Pattern(50000);
    auto f = MemFile::Open(NameOf("out.bin"), u"wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->Write(bytes.data(), 1, bytes.size()), bytes.size());
    EXPECT_FALSE(fs::exists(PathOf("out.bin")));
    EXPECT_TRUE(f->Close());
    const std::string disk = ReadDisk(PathOf("out.bin"));
    EXPECT_EQ(std::vector<std::uint8_t>(disk.begin(), disk.end()), bytes);
    EXPECT_EQ(EntriesInDir(), 1u); // no temporary left behind
    EXPECT_TRUE(f->Close());       // a second close must not store the emptied buffer
    EXPECT_EQ(fs::file_size(PathOf("out.bin")), bytes.size());
}

TEST_F(MemFileTest, EmptyWrittenFileIsStoredEmpty) {
    WriteDisk(PathOf("empty.txt"), "previous content");
    auto f = MemFile::Open(NameOf("empty.txt"), u"wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Close());
    ASSERT_TRUE(fs::exists(PathOf("empty.txt")));
    EXPECT_EQ(fs::file_size(PathOf("empty.txt")), 0u);

    auto g = MemFile::Open(NameOf("new_empty.txt"), u"w");
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->Close());
    EXPECT_TRUE(fs::exists(PathOf("new_empty.txt")));
}

TEST_F(MemFileTest, DroppedWithoutCloseLeavesThePreviousFile) {
    WriteDisk(PathOf("doc.gv"), "good");
    {
        auto f = MemFile::Open(NameOf("doc.gv"), u"wb");
        ASSERT_NE(f, nullptr);
        f->Write("half a docu", 1, 11);
    }
    EXPECT_EQ(ReadDisk(PathOf("doc.gv")), "good");
}

TEST_F(MemFileTest, FailedSaveReportsFalseAndKeepsThePreviousFile) {
    // A missing folder cannot take the file.
    auto f = MemFile::Open(NameOf("no_such_dir/doc.gv"), u"wb");
    ASSERT_NE(f, nullptr);
    f->Write("data", 1, 4);
    EXPECT_FALSE(f->Close());
    EXPECT_FALSE(fs::exists(PathOf("no_such_dir")));

    // A disk that fills up halfway (here a file-size limit) must not cost the previous version.
    WriteDisk(PathOf("map.gv"), "previous map");
    const std::vector<std::uint8_t> big = Pattern(64 * 1024);
    auto g = MemFile::Open(NameOf("map.gv"), u"wb");
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->Write(big.data(), 1, big.size()), big.size());

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool stored = g->Close();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(stored);
    EXPECT_EQ(ReadDisk(PathOf("map.gv")), "previous map");
    EXPECT_EQ(EntriesInDir(), 1u); // the partial temporary is gone
}

TEST_F(MemFileTest, SaveAfterAKilledSaveRemovesOnlyTheDeadSavesTemporary) {
    WriteDisk(PathOf("T.gv"), "previous map");
    // A save killed halfway: its temporary file is written and the process dies before the rename.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string temp = SaveTemporary::TemplateFor(PathOf("T.gv"));
        const int fd = ::mkstemp(temp.data());
        if (fd >= 0 && ::write(fd, "half a m", 8) == 8) {
            ::raise(SIGKILL);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_EQ(EntriesInDir(), 2u);
    // What another save still running writes (this process is alive), what an older program or
    // someone else left, and what another user's killed save left must all stay.
    std::string running = SaveTemporary::TemplateFor(PathOf("T.gv"));
    running.replace(running.size() - 6, 6, "abcdef");
    WriteDisk(running, "busy");
    WriteDisk(PathOf("T.gv.tmpQ1w2E3"), "not ours");
    const std::string foreign = PathOf("T.gv.gvtmp-1-1-zzzzzz");
    WriteDisk(foreign, "another user's");
    const bool canGiveAway = ::geteuid() == 0 && ::chown(foreign.c_str(), 65534, 65534) == 0;
    if (!canGiveAway) {
        fs::remove(foreign);
    }
    const size_t keep = canGiveAway ? 3u : 2u;

    auto f = MemFile::Open(NameOf("T.gv"), u"wb");
    ASSERT_NE(f, nullptr);
    f->Write("the new map", 1, 11);
    ASSERT_TRUE(f->Close());
    EXPECT_EQ(ReadDisk(PathOf("T.gv")), "the new map");
    EXPECT_EQ(EntriesInDir(), 1u + keep);
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(PathOf("T.gv.tmpQ1w2E3")));
    EXPECT_EQ(fs::exists(foreign), canGiveAway);
}

TEST_F(MemFileTest, SavingKeepsPermissionsAndFollowsLinks) {
    WriteDisk(PathOf("shared.set"), "v1");
    ASSERT_EQ(chmod(PathOf("shared.set").c_str(), 0640), 0);
    auto f = MemFile::Open(NameOf("shared.set"), u"wb");
    f->Write("v2", 1, 2);
    ASSERT_TRUE(f->Close());
    struct stat info {};
    ASSERT_EQ(stat(PathOf("shared.set").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadDisk(PathOf("shared.set")), "v2");

    fs::create_symlink(PathOf("shared.set"), PathOf("link.set"));
    auto g = MemFile::Open(NameOf("link.set"), u"wb");
    g->Write("v3", 1, 2);
    ASSERT_TRUE(g->Close());
    EXPECT_TRUE(fs::is_symlink(PathOf("link.set")));
    EXPECT_EQ(ReadDisk(PathOf("shared.set")), "v3");

    // A new file gets the usual permissions, not those of a private temporary.
    const mode_t mask = umask(022);
    auto h = MemFile::Open(NameOf("fresh.set"), u"wb");
    h->Write("x", 1, 1);
    ASSERT_TRUE(h->Close());
    umask(mask);
    ASSERT_EQ(stat(PathOf("fresh.set").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(MemFileTest, AppendWritesAlwaysGoToTheEnd) {
    WriteDisk(PathOf("log.txt"), "abc");
    auto f = MemFile::Open(NameOf("log.txt"), u"ab");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Tell(), 3u);
    ASSERT_EQ(f->Write("def", 1, 3), 3u);
    ASSERT_TRUE(f->Seek(0, 0));
    ASSERT_EQ(f->Write("g", 1, 1), 1u);
    EXPECT_TRUE(f->Close());
    EXPECT_EQ(ReadDisk(PathOf("log.txt")), "abcdefg");

    // "r+" loads and writes in place.
    auto g = MemFile::Open(NameOf("log.txt"), u"r+b");
    ASSERT_TRUE(g->Seek(1, 0));
    ASSERT_EQ(g->Write("XY", 1, 2), 2u);
    EXPECT_TRUE(g->Close());
    EXPECT_EQ(ReadDisk(PathOf("log.txt")), "aXYdefg");
}

TEST_F(MemFileTest, TextModeStoresTheSameBytesAsBinary) {
    auto f = MemFile::Open(NameOf("t.txt"), u"wt");
    ASSERT_TRUE(f->IsTextMode());
    f->Write("a\nb\r\nc", 1, 6);
    ASSERT_TRUE(f->Close());
    EXPECT_EQ(ReadDisk(PathOf("t.txt")), "a\nb\r\nc");
    auto g = MemFile::Open(NameOf("t.txt"), u"rt");
    EXPECT_EQ(Content(*g), "a\nb\r\nc");
}

TEST_F(MemFileTest, NamedMemoryFilesLiveInTheRegistryUntilDeleted) {
    const WString name(u":TMPQOR:tiles.icr");
    EXPECT_FALSE(MemFile::Exists(name));
    EXPECT_EQ(MemFile::Open(name, u"rb"), nullptr); // not registered yet
    EXPECT_EQ(MemFile::Open(name, u"ab"), nullptr);

    auto first = MemFile::Open(name, u"wb");
    auto second = MemFile::Open(name, u"wb");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(MemFile::RegisteredCount(), 2u);
    first->Write("first", 1, 5);
    second->Write("second", 1, 6);
    EXPECT_TRUE(first->Close());
    EXPECT_TRUE(second->Close());
    EXPECT_TRUE(MemFile::Exists(name));
    EXPECT_FALSE(fs::exists(":TMPQOR:tiles.icr"));

    auto reread = MemFile::Open(name, u"rb");
    ASSERT_EQ(reread, first);
    EXPECT_EQ(reread->Tell(), 0u);
    EXPECT_EQ(Content(*reread), "first");

    // Appending reopens at the end; closing keeps the content in memory.
    auto more = MemFile::Open(name, u"ab");
    EXPECT_EQ(more->Tell(), 5u);
    more->Write("+", 1, 1);
    EXPECT_TRUE(more->Close());
    EXPECT_EQ(Content(*MemFile::Open(name, u"rb")), "first+");

    EXPECT_TRUE(MemFile::Delete(name));
    EXPECT_EQ(Content(*MemFile::Open(name, u"rb")), "second");
    EXPECT_TRUE(MemFile::Delete(name));
    EXPECT_FALSE(MemFile::Delete(name));
    EXPECT_FALSE(MemFile::Exists(name));
    EXPECT_EQ(MemFile::RegisteredCount(), 0u);
    // A handle still held after the deletion stays usable.
    EXPECT_EQ(Content(*reread), "first+");
}

TEST_F(MemFileTest, SealedNamesAlwaysExistAndCannotBeDeleted) {
    const WString name(u":SCFQOR:settings");
    EXPECT_TRUE(MemFile::Exists(name));
    EXPECT_TRUE(MemFile::Exists(name, 6));
    EXPECT_FALSE(MemFile::Delete(name));
    auto f = MemFile::Open(name, u"wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsSealed());
    EXPECT_FALSE(f->IsRegistered());
    f->Write("secret", 1, 6);
    EXPECT_TRUE(f->Close());
    EXPECT_FALSE(fs::exists(":SCFQOR:settings"));
    auto g = MemFile::Open(name, u"rb");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Size(), 0u);
}

TEST_F(MemFileTest, TemporariesAreNumberedAndNeverStored) {
    auto a = MemFile::NewTemporary();
    auto b = MemFile::NewTemporary();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->Name(), WString(u":TMPFIL:0"));
    EXPECT_EQ(b->Name(), WString(u":TMPFIL:1"));
    EXPECT_FALSE(a->IsRegistered());
    EXPECT_EQ(MemFile::RegisteredCount(), 0u);
    a->Write("x", 1, 1);
    EXPECT_TRUE(a->Close());
    EXPECT_EQ(a->Size(), 0u); // freed on close
    EXPECT_FALSE(fs::exists(":TMPFIL:0"));
    EXPECT_FALSE(MemFile::Exists(u":TMPFIL:0"));
}

TEST_F(MemFileTest, DiskFilesCanBeTestedAndDeleted) {
    WriteDisk(PathOf("gone.txt"), "x");
    EXPECT_TRUE(MemFile::Exists(NameOf("gone.txt")));
    EXPECT_TRUE(MemFile::Exists(NameOf("gone.txt"), 4));
    EXPECT_TRUE(MemFile::Delete(NameOf("gone.txt")));
    EXPECT_FALSE(MemFile::Exists(NameOf("gone.txt")));
    EXPECT_FALSE(MemFile::Delete(NameOf("gone.txt")));
}

TEST_F(MemFileTest, DirectoriesAndKernelFilesLoadSafely) {
    auto dir = MemFile::Open(dir_.WPath(), u"rb");
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->Size(), 0u);
    // Kernel files report a size of 0 yet have content.
    auto status = MemFile::Open(u"/proc/self/status", u"rb");
    ASSERT_NE(status, nullptr);
    EXPECT_NE(Content(*status).find("Name:"), std::string::npos);
}

TEST_F(MemFileTest, NonAsciiNamesReachTheDiskAsUtf8) {
    const std::string utf8Name = "karte_\xC3\xA9\xE5\x9C\xB0.gv"; // e acute, a CJK ideograph
    auto f = MemFile::Open(WString::FromUtf8(PathOf(utf8Name)), u"wb");
    f->Write("ok", 1, 2);
    ASSERT_TRUE(f->Close());
    EXPECT_EQ(ReadDisk(PathOf(utf8Name)), "ok");
}
