#include "app/CommandLine.h"
#include "document/MapFile.h"
#include "support/Matrix3.h"

#include "common/PdfPages.h"
#include "common/ScratchDir.h"
#include "platform/PageSizes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

std::string Declared(const std::string& body) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + body;
}

std::string Encoded(double x, double y) {
    return MapFile::EncodeMatrix(Matrix3::Translation(x, y)).ToUtf8();
}

// A map in exactly the form the program writes, so a save that changes nothing gives the same bytes.
std::string Map(const std::string& tileset, const std::string& tiles) {
    return Declared("<Gridvellum xmlns=\"gridvellum\" tileset=\"" + tileset + "\" version=\"1\">\r\n" +
                    tiles + "</Gridvellum>");
}

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        // Tile images that do not exist load as grey squares, which is all a conversion needs.
        dir.Write("tiles/dungeon.set", Declared("<TileSet gridsize=\"64\">\r\n"
                                                "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>\r\n"
                                                "<Tile name=\"Door\" type=\"1\">door.png</Tile>\r\n"
                                                "</TileSet>\r\n"));
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return CommandLine::Parse(args).Run(dir.WPath(), out, err);
    }
    testsupport::ScratchDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST(CommandLineParse, OptionsChooseTheMode) {
    EXPECT_EQ(CommandLine::Parse({}).GetMode(), CommandLine::Mode::Editor);
    const CommandLine withMap = CommandLine::Parse({"keep.gv"});
    EXPECT_EQ(withMap.GetMode(), CommandLine::Mode::Editor);
    EXPECT_EQ(withMap.MapPath(), "keep.gv");
    EXPECT_FALSE(withMap.IsHeadless());
    EXPECT_EQ(CommandLine::Parse({"--help"}).GetMode(), CommandLine::Mode::Help);
    EXPECT_EQ(CommandLine::Parse({"--version"}).GetMode(), CommandLine::Mode::Version);
    const CommandLine saveAs = CommandLine::Parse({"--save-as", "a.gv", "b.gv"});
    EXPECT_EQ(saveAs.GetMode(), CommandLine::Mode::SaveAs);
    EXPECT_EQ(saveAs.InputPath(), "a.gv");
    EXPECT_EQ(saveAs.OutputPath(), "b.gv");
    EXPECT_EQ(CommandLine::Parse({"--save-as", "a.gv"}).GetMode(), CommandLine::Mode::Invalid);
    EXPECT_EQ(CommandLine::Parse({"--frobnicate"}).GetMode(), CommandLine::Mode::Invalid);
    EXPECT_EQ(CommandLine::Parse({"a.gv", "b.gv"}).GetMode(), CommandLine::Mode::Invalid);
}

TEST_F(CommandLineTest, VersionAndHelpGoToStandardOutput) {
    EXPECT_EQ(Run({"--version"}), CommandLine::kSuccess);
    EXPECT_EQ(out.str(), "Gridvellum Version 3.0.6.0\n");
    EXPECT_EQ(Run({"--help"}), CommandLine::kSuccess);
    EXPECT_NE(out.str().find("--save-as IN.gv OUT.gv"), std::string::npos);
    EXPECT_EQ(Run({"--frobnicate"}), CommandLine::kUsageError);
    EXPECT_NE(err.str().find("Unknown option --frobnicate"), std::string::npos);
    EXPECT_TRUE(out.str().empty());
}

TEST_F(CommandLineTest, SaveAsResolvesABackslashTilesetAndRewritesTheMap) {
    const std::string map =
        Map("tiles\\dungeon.set", "   <Scenario>Go.</Scenario>\r\n"
                                  "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                                      Encoded(64, 0) +
                                      "\"/>\r\n"
                                      "   <TileRef name=\"tiles\\dungeon.set:Door\" matrix=\"" +
                                      Encoded(0, 0) +
                                      "\"/>\r\n"
                                      "   <TextTile matrix=\"" +
                                      Encoded(16, 16) + "\" text=\"Hall\"/>\r\n");
    dir.Write("in.gv", map);
    ASSERT_EQ(Run({"--save-as", dir.Join("in.gv"), dir.Join("out.gv")}), CommandLine::kSuccess) << err.str();
    EXPECT_EQ(dir.Read("out.gv"), map);
    EXPECT_TRUE(err.str().empty()) << err.str();

    // Off-grid tiles come out snapped, as the editor would save them.
    dir.Write("loose.gv",
              Map("tiles\\dungeon.set",
                  "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" + Encoded(70, -3) + "\"/>\r\n"));
    ASSERT_EQ(Run({"--save-as", dir.Join("loose.gv"), dir.Join("tight.gv")}), CommandLine::kSuccess);
    EXPECT_NE(dir.Read("tight.gv").find(Encoded(64, 0)), std::string::npos);
}

TEST_F(CommandLineTest, MissingTilesetIsAnErrorAndWritesNothing) {
    dir.Write("in.gv", Map("tiles\\crypt.set", "   <TileRef name=\"tiles\\crypt.set:Floor\" matrix=\"" +
                                                   Encoded(0, 0) + "\"/>\r\n"));
    EXPECT_EQ(Run({"--save-as", dir.Join("in.gv"), dir.Join("out.gv")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("tiles\\crypt.set"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir.Join("out.gv")));
}

TEST_F(CommandLineTest, UnreadableMapAndUnwritableOutputAreErrors) {
    EXPECT_EQ(Run({"--save-as", dir.Join("absent.gv"), dir.Join("out.gv")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not open \"" + dir.Join("absent.gv") + "\""), std::string::npos);
    dir.Write("broken.gv", "<Gridvellum tileset=");
    EXPECT_EQ(Run({"--save-as", dir.Join("broken.gv"), dir.Join("out.gv")}), CommandLine::kFailure);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("out.gv")));

    dir.Write("in.gv", Map("tiles\\dungeon.set", ""));
    EXPECT_EQ(Run({"--save-as", dir.Join("in.gv"), dir.Join("no/folder/out.gv")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not save"), std::string::npos);
}

TEST_F(CommandLineTest, UnreadableTilesetIsAnErrorAndKeepsAnExistingOutput) {
    const std::string map =
        Map("tiles\\dungeon.set",
            "   <TileRef name=\"tiles\\dungeon.set:Door\" matrix=\"" + Encoded(0, 0) + "\"/>\r\n");
    dir.Write("in.gv", map);
    dir.Write("out.gv", "the previous map");
    const std::string setPath = dir.Join("tiles/dungeon.set");
    const std::string whole = dir.Read("tiles/dungeon.set");
    // Cut off in the middle of the file, as an interrupted copy leaves it.
    dir.Write("tiles/dungeon.set", whole.substr(0, whole.size() / 2));
    const std::string expected = "Could not open \"" + dir.Join("in.gv") + "\": its tileset \"" + setPath +
                                 "\" cannot be read: File is not a readable XML document.\n";
    EXPECT_EQ(Run({"--save-as", dir.Join("in.gv"), dir.Join("out.gv")}), CommandLine::kFailure);
    EXPECT_EQ(err.str(), expected);
    EXPECT_EQ(dir.Read("out.gv"), "the previous map");
    EXPECT_EQ(Run({"--report", dir.Join("in.gv"), dir.Join("usage.txt")}), CommandLine::kFailure);
    EXPECT_EQ(err.str(), expected);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("usage.txt")));

    // A base tileset that cannot be read loses the tiles defined there just the same.
    dir.Write("tiles/dungeon.set", whole);
    dir.Write("tiles/crypt.set", Declared("<TileSet basetilesets=\"tiles\\dungeon.set, tiles\\gone.set\">\r\n"
                                          "</TileSet>\r\n"));
    dir.Write("crypt.gv", Map("tiles\\crypt.set", ""));
    EXPECT_EQ(Run({"--save-as", dir.Join("crypt.gv"), dir.Join("out.gv")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("\"" + dir.Join("tiles/gone.set") + "\" cannot be read: File does not exist."),
              std::string::npos)
        << err.str();
    EXPECT_EQ(dir.Read("out.gv"), "the previous map");
}

// A file system that fills up after a few kilobytes: a small memory file system where this process may
// mount one, else a limit on the size of the files this process writes.
class FullDisk {
public:
    explicit FullDisk(const std::string& path) : path_(path) {
        std::filesystem::create_directories(path_);
        mounted_ = ::mount("gvtest", path_.c_str(), "tmpfs", 0, "size=16k") == 0;
        if (!mounted_) {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
            ::getrlimit(RLIMIT_FSIZE, &previous_);
            rlimit small = previous_;
            small.rlim_cur = 8192;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
    }
    ~FullDisk() {
        if (mounted_) {
            ::umount2(path_.c_str(), MNT_DETACH);
        } else {
            ::setrlimit(RLIMIT_FSIZE, &previous_);
        }
    }
    std::string Reason() const { return mounted_ ? "No space left on device" : "File too large"; }

private:
    std::string path_;
    bool mounted_ = false;
    rlimit previous_{};
};

TEST_F(CommandLineTest, SaveOntoAFullDiskGivesTheReasonAndKeepsTheOldFile) {
    std::string tiles;
    for (int i = 0; i < 400; ++i) {
        tiles += "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" + Encoded(64 * i, 0) + "\"/>\r\n";
    }
    dir.Write("big.gv", Map("tiles\\dungeon.set", tiles));
    const std::string target = dir.Join("small/T.gv");
    FullDisk disk(dir.Join("small"));
    dir.Write("small/T.gv", "the previous map");
    EXPECT_EQ(Run({"--save-as", dir.Join("big.gv"), target}), CommandLine::kFailure);
    EXPECT_EQ(err.str(), "Could not save \"" + target + "\": " + disk.Reason() + ".\n");
    EXPECT_EQ(dir.Read("small/T.gv"), "the previous map");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Join("small")),
                            std::filesystem::directory_iterator()),
              1); // the temporary file went with the failed save
}

} // namespace

TEST_F(CommandLineTest, ReportPrintsOrWritesTheUsageOfTheMap) {
    dir.Write("in.gv", Map("tiles\\dungeon.set",
                           "   <TileRef name=\"tiles\\dungeon.set:Door\" matrix=\"" + Encoded(0, 0) +
                               "\"/>\r\n"
                               "   <TileRef name=\"tiles\\dungeon.set:Door\" matrix=\"" +
                               Encoded(64, 0) + "\"/>\r\n"));
    ASSERT_EQ(Run({"--report", dir.Join("in.gv")}), CommandLine::kSuccess) << err.str();
    const std::string printed = out.str();
    EXPECT_NE(printed.find("map width = "), std::string::npos) << printed;
    EXPECT_NE(printed.find("Door"), std::string::npos) << printed;

    ASSERT_EQ(Run({"--report", dir.Join("in.gv"), dir.Join("usage.txt")}), CommandLine::kSuccess)
        << err.str();
    EXPECT_TRUE(out.str().empty());
    const std::string written = dir.Read("usage.txt");
    EXPECT_NE(written.find("map width = "), std::string::npos);
    EXPECT_NE(written.find("Door"), std::string::npos);

    EXPECT_EQ(Run({"--report", dir.Join("absent.gv")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not open"), std::string::npos);
    EXPECT_EQ(CommandLine::Parse({"--report"}).GetMode(), CommandLine::Mode::Invalid);
}

TEST(CommandLineParse, ThumbnailTakesAMapAPictureAndASize) {
    const CommandLine line = CommandLine::Parse({"--thumbnail", "a.gv", "a.png", "128"});
    EXPECT_EQ(line.GetMode(), CommandLine::Mode::Thumbnail);
    EXPECT_EQ(line.InputPath(), "a.gv");
    EXPECT_EQ(line.OutputPath(), "a.png");
    EXPECT_EQ(line.ThumbnailSize(), 128);
    EXPECT_TRUE(line.NeedsFonts());
    for (const char* size : {"0", "-5", "12px", "", "4097", "99999999999"}) {
        const CommandLine bad = CommandLine::Parse({"--thumbnail", "a.gv", "a.png", size});
        EXPECT_EQ(bad.GetMode(), CommandLine::Mode::Invalid) << size;
        EXPECT_NE(bad.ErrorText().find("whole number from 1 to 4096"), std::string::npos) << size;
    }
    EXPECT_EQ(CommandLine::Parse({"--thumbnail", "a.gv", "a.png"}).GetMode(), CommandLine::Mode::Invalid);
}

TEST_F(CommandLineTest, ThumbnailWritesAFittedPngOrNothing) {
    // Two floor tiles side by side, their missing pictures 10 x 10 grey squares: a map of 74 x 10 units,
    // drawn at half size into a square of 37 pixels.
    dir.Write("in.gv", Map("tiles\\dungeon.set",
                           "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" + Encoded(0, 0) +
                               "\"/>\r\n"
                               "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                               Encoded(64, 0) + "\"/>\r\n"));
    ASSERT_EQ(Run({"--thumbnail", dir.Join("in.gv"), dir.Join("in.png"), "37"}), CommandLine::kSuccess)
        << err.str();
    EXPECT_TRUE(err.str().empty()) << err.str();
    const std::string png = dir.Read("in.png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The header's width and height, big-endian at bytes 16 and 20.
    auto field = [&](std::size_t at) {
        return (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(field(16), 37);
    EXPECT_EQ(field(20), 5);

    EXPECT_EQ(Run({"--thumbnail", dir.Join("absent.gv"), dir.Join("absent.png"), "100"}),
              CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not open"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("absent.png")));
    dir.Write("crypt.gv", Map("tiles\\crypt.set", ""));
    EXPECT_EQ(Run({"--thumbnail", dir.Join("crypt.gv"), dir.Join("crypt.png"), "100"}),
              CommandLine::kFailure);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("crypt.png")));
    EXPECT_EQ(Run({"--thumbnail", dir.Join("in.gv"), dir.Join("no/folder/x.png"), "100"}),
              CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not write \"" + dir.Join("no/folder/x.png") + "\": No such file"),
              std::string::npos)
        << err.str();
}

TEST(CommandLineParse, PrintPdfTakesAPageSizeAndThePosterSwitchInAnyOrder) {
    const CommandLine line =
        CommandLine::Parse({"--print-pdf", "--poster", "a.gv", "--page-size", "letter", "b.pdf"});
    ASSERT_EQ(line.GetMode(), CommandLine::Mode::PrintPdf) << line.ErrorText();
    EXPECT_EQ(line.InputPath(), "a.gv");
    EXPECT_EQ(line.OutputPath(), "b.pdf");
    EXPECT_EQ(line.PageSizeId(), PageSizes::Find("Letter"));
    EXPECT_TRUE(line.Poster());
    const CommandLine plain = CommandLine::Parse({"--print-pdf", "a.gv", "b.pdf"});
    EXPECT_EQ(plain.PageSizeId(), PageSizes::Find("A4"));
    EXPECT_FALSE(plain.Poster());
    EXPECT_TRUE(plain.NeedsFonts()); // text tiles are printed with platform fonts

    const CommandLine unknown = CommandLine::Parse({"--print-pdf", "a.gv", "b.pdf", "--page-size", "Napkin"});
    EXPECT_EQ(unknown.GetMode(), CommandLine::Mode::Invalid);
    EXPECT_NE(unknown.ErrorText().find("Unknown page size Napkin; known sizes include A4, A3, A5, Letter"),
              std::string::npos)
        << unknown.ErrorText();
    EXPECT_EQ(CommandLine::Parse({"--print-pdf", "a.gv", "b.pdf", "--page-size"}).GetMode(),
              CommandLine::Mode::Invalid);
    EXPECT_EQ(CommandLine::Parse({"--print-pdf", "a.gv"}).GetMode(), CommandLine::Mode::Invalid);
    EXPECT_EQ(CommandLine::Parse({"--print-pdf", "a.gv", "b.pdf", "c.pdf"}).GetMode(),
              CommandLine::Mode::Invalid);
    EXPECT_EQ(CommandLine::Parse({"--print-pdf", "a.gv", "b.pdf", "--scale", "2"}).GetMode(),
              CommandLine::Mode::Invalid);
}

TEST_F(CommandLineTest, PrintPdfWritesThePrintoutOrNothing) {
    dir.Write("in.gv", Map("tiles\\dungeon.set", "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                                                     Encoded(0, 0) + "\"/>\r\n"));
    ASSERT_EQ(Run({"--print-pdf", dir.Join("in.gv"), dir.Join("in.pdf"), "--page-size", "Legal"}),
              CommandLine::kSuccess)
        << err.str();
    EXPECT_TRUE(err.str().empty()) << err.str();
    EXPECT_EQ(testsupport::PdfPageCount(dir.Join("in.pdf")), 1);
    const testsupport::PagePicture page = testsupport::RenderPdfPage(dir.Join("in.pdf"), 1, 20);
    EXPECT_EQ(page.width, 170); // 8.5 x 14 inches
    EXPECT_EQ(page.height, 280);

    // A map that cannot be opened, or a PDF that cannot be written, leaves no file and keeps an old one.
    dir.Write("old.pdf", "the previous printout");
    EXPECT_EQ(Run({"--print-pdf", dir.Join("absent.gv"), dir.Join("old.pdf")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not open \"" + dir.Join("absent.gv") + "\""), std::string::npos);
    EXPECT_EQ(dir.Read("old.pdf"), "the previous printout");
    EXPECT_EQ(Run({"--print-pdf", dir.Join("in.gv"), dir.Join("no/folder/x.pdf")}), CommandLine::kFailure);
    EXPECT_EQ(err.str(),
              "Could not write \"" + dir.Join("no/folder/x.pdf") + "\": No such file or directory.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Join("no/folder/x.pdf")));
    EXPECT_EQ(Run({"--print-pdf", dir.Join("in.gv"), dir.Path()}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Not a plain file"), std::string::npos) << err.str();
}

// The installed program itself, started without a display, on the sample map beside it.
TEST(CommandLineProgram, PrintPdfRunsWithoutADisplay) {
    testsupport::ScratchDir dir;
    const std::string program = std::string(GV_BIN_DIR) + "/gridvellum";
    const std::string map = std::string(GV_BIN_DIR) + "/sample.gv";
    auto run = [&](const std::string& arguments) {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= '" + program +
                                    "' --print-pdf '" + map + "' " + arguments + " 2>'" +
                                    dir.Join("err.txt") + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(run("'" + dir.Join("poster.pdf") + "' --poster --page-size A5"), 0) << dir.Read("err.txt");
    EXPECT_EQ(dir.Read("err.txt"), "");
    const int pages = testsupport::PdfPageCount(dir.Join("poster.pdf"));
    EXPECT_GT(pages, 1);
    const std::string text = testsupport::PdfText(dir.Join("poster.pdf"));
    EXPECT_NE(text.find("row 1, column 1"), std::string::npos);
    EXPECT_NE(text.find("row 1, column 2"), std::string::npos);

    EXPECT_EQ(run("'" + dir.Join("gone/out.pdf") + "'"), 1);
    EXPECT_NE(dir.Read("err.txt").find("Could not write"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("gone")));
    EXPECT_EQ(run("'" + dir.Join("bad.pdf") + "' --page-size B99"), 2);
    EXPECT_NE(dir.Read("err.txt").find("Unknown page size B99"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Join("bad.pdf")));
}
namespace {

TEST(CommandLineParse, PublishTakesAScaleFractionAndAWholeQuality) {
    const CommandLine plain = CommandLine::Parse({"--publish", "a.gv", "a.jpg"});
    ASSERT_EQ(plain.GetMode(), CommandLine::Mode::Publish);
    EXPECT_EQ(plain.InputPath(), "a.gv");
    EXPECT_EQ(plain.OutputPath(), "a.jpg");
    EXPECT_FLOAT_EQ(plain.PublishScale(), 1.0f);
    EXPECT_EQ(plain.PublishQuality(), 50);
    EXPECT_TRUE(plain.NeedsFonts());
    const CommandLine both =
        CommandLine::Parse({"--publish", "a.gv", "a.jpg", "--quality", "90", "--scale", "0.25"});
    ASSERT_EQ(both.GetMode(), CommandLine::Mode::Publish);
    EXPECT_FLOAT_EQ(both.PublishScale(), 0.25f);
    EXPECT_EQ(both.PublishQuality(), 90);
    EXPECT_FLOAT_EQ(CommandLine::Parse({"--publish", "a", "b", "--scale", "1"}).PublishScale(), 1.0f);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--publish", "a.gv"},
             {"--publish", "a.gv", "--scale", "0.5"},
             {"--publish", "a.gv", "a.jpg", "--scale"},
             {"--publish", "a.gv", "a.jpg", "--scale", "0"},
             {"--publish", "a.gv", "a.jpg", "--scale", "1.5"},
             {"--publish", "a.gv", "a.jpg", "--scale", "-0.5"},
             {"--publish", "a.gv", "a.jpg", "--scale", "half"},
             {"--publish", "a.gv", "a.jpg", "--scale", "0.5x"},
             {"--publish", "a.gv", "a.jpg", "--scale", "nan"},
             {"--publish", "a.gv", "a.jpg", "--scale", "1e-1"},
             {"--publish", "a.gv", "a.jpg", "--quality", "0"},
             {"--publish", "a.gv", "a.jpg", "--quality", "101"},
             {"--publish", "a.gv", "a.jpg", "--quality", "7.5"},
             {"--publish", "a.gv", "a.jpg", "--quality", "9", "--quality", "9"},
             {"--publish", "a.gv", "a.jpg", "extra"}}) {
        const CommandLine line = CommandLine::Parse(bad);
        EXPECT_EQ(line.GetMode(), CommandLine::Mode::Invalid) << bad.back();
        EXPECT_FALSE(line.ErrorText().empty());
    }
}

TEST_F(CommandLineTest, PublishWritesThePictureAndPageOrReportsWhyNot) {
    dir.Write("in.gv",
              Declared("<Gridvellum xmlns=\"gridvellum\" tileset=\"tiles\\dungeon.set\" version=\"1\">\r\n"
                       "   <Scenario>[Goal]&#10;Escape.</Scenario>\r\n"
                       "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                       Encoded(0, 0) + "\"/>\r\n   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                       Encoded(64, 64) + "\"/>\r\n</Gridvellum>"));
    ASSERT_EQ(Run({"--publish", dir.Join("in.gv"), dir.Join("out/the map.jpg"), "--scale", "0.5"}),
              CommandLine::kFailure); // no such folder yet
    EXPECT_NE(err.str().find("No such file or directory"), std::string::npos) << err.str();
    dir.MakeDir("out");
    ASSERT_EQ(Run({"--publish", dir.Join("in.gv"), dir.Join("out/the map.jpg"), "--scale", "0.5", "--quality",
                   "80"}),
              CommandLine::kSuccess)
        << err.str();
    EXPECT_TRUE(err.str().empty()) << err.str();
    const std::string jpeg = dir.Read("out/the map.jpg");
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    const std::string page = dir.Read("out/the map.htm");
    EXPECT_NE(page.find("<title>\r\nthe map\r\n</title>"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"the%20map.jpg\">"), std::string::npos);

    auto leftInOut = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.Join("out")),
                             std::filesystem::directory_iterator());
    };
    EXPECT_EQ(Run({"--publish", dir.Join("absent.gv"), dir.Join("out/absent.jpg")}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("Could not open"), std::string::npos);
    EXPECT_EQ(Run({"--publish", dir.Join("in.gv"), dir.Join("out/x.jpg"), "--quality", "500"}),
              CommandLine::kUsageError);
    EXPECT_NE(err.str().find("The quality must be a whole number from 1 to 100, not 500."),
              std::string::npos);
    EXPECT_EQ(leftInOut(), 2);

    // A full disk mid-picture leaves neither the picture nor its page, nor a temporary.
    std::string tiles;
    for (int i = 0; i < 36; ++i) {
        tiles += "   <TileRef name=\"tiles\\dungeon.set:Floor\" matrix=\"" +
                 Encoded(512 * (i % 6), 512 * (i / 6)) + "\"/>\r\n";
    }
    dir.Write("big.gv", Map("tiles\\dungeon.set", "   <Scenario>Run.</Scenario>\r\n" + tiles));
    {
        FullDisk disk(dir.Join("small"));
        EXPECT_EQ(Run({"--publish", dir.Join("big.gv"), dir.Join("small/big.jpg"), "--quality", "100"}),
                  CommandLine::kFailure);
        EXPECT_NE(err.str().find(dir.Join("small/big.jpg")), std::string::npos) << err.str();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Join("small")),
                                std::filesystem::directory_iterator()),
                  0);
    }
}

// The real program, as a user's script runs it: the exit status and the message on standard error.
TEST_F(CommandLineTest, RealProgramExitsNonZeroWithAMessageWhenItCannotPublish) {
    const std::string program = std::string(GV_BIN_DIR) + "/gridvellum";
    const std::string command = "QT_QPA_PLATFORM= '" + program + "' --publish '" + dir.Join("none.gv") +
                                "' '" + dir.Join("none.jpg") + "' --scale 0.5 2> '" + dir.Join("err.txt") +
                                "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(dir.Read("err.txt").find("Could not open \"" + dir.Join("none.gv") + "\""), std::string::npos)
        << dir.Read("err.txt");
    EXPECT_FALSE(std::filesystem::exists(dir.Join("none.jpg")));
}

} // namespace
