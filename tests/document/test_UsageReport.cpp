#include "DocFixture.h"

#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UsageReport.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace doctest;

namespace {

const std::string kHeaderLines = "tile                                available    used\n"
                                 "-----------------------------------------------------\n";

class UsageReportTest : public ::testing::Test, public DocumentTest {
protected:
    void Place(int definition, double x, double y) {
        TileRef* tile = doc.AddTile(definition);
        ASSERT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation(x, y));
        tile->UpdateBounds();
    }
    std::string Report(double width, double height) const {
        return UsageReport::Build(doc, width, height).ToUtf8();
    }
};

TEST_F(UsageReportTest, ListsUsedDefinitionsInTilesetOrderWithFixedColumns) {
    Place(kDoor, 0, 0);
    Place(kFloor, 0, 0);
    Place(kDoor, 64, 0);
    Place(kFloor, 576, 384); // the map spans 640 x 448 units
    double width = 0;
    double height = 0;
    UsageReport::MapSizeInCells(doc, width, height);
    EXPECT_EQ(width, 10.0);
    EXPECT_EQ(height, 7.0);
    const std::string expected = "map width = 10.0\nmap height = 7.0\n\n" + kHeaderLines + "Floor" +
                                 std::string(35, ' ') + "--        " + "2" + std::string(9, ' ') + "\n" +
                                 "Door" + std::string(36, ' ') + "2" + std::string(9, ' ') + "2" +
                                 std::string(9, ' ') + "\n";
    EXPECT_EQ(Report(width, height), expected);
}

TEST_F(UsageReportTest, SizesKeepTheirDigitsAndEmptyMapsShowOnlyTheHeader) {
    EXPECT_EQ(Report(100.0 / 64, 100.0 / 64), "map width = 1.5625\nmap height = 1.5625\n\n" + kHeaderLines);
    EXPECT_EQ(Report(0, 2.5), "map width = 0.0\nmap height = 2.5\n\n" + kHeaderLines);
    EXPECT_EQ(UsageReport::FormatNumber(20).ToUtf8(), "20.0");
    EXPECT_EQ(UsageReport::FormatNumber(1234567).ToUtf8(), "1.23457e+06");
}

TEST_F(UsageReportTest, TextTilesAreNotCountedAndLongNamesAreWrittenWhole) {
    const std::string longName(45, 'L');
    dir.Write("long.set",
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet>\r\n<Tile name=\"" +
                  longName + "\" type=\"0\" maxcount=\"7\">floor.png</Tile>\r\n</TileSet>\r\n");
    tileSet.Load(u"long.set");
    Place(0, 0, 0);
    auto text = std::make_unique<TextTile>(doc.Context());
    text->SetText(u"Label");
    doc.InsertTile(std::move(text));
    const std::string report = Report(1, 1);
    EXPECT_EQ(report.substr(report.find(kHeaderLines) + kHeaderLines.size()),
              longName + "7" + std::string(9, ' ') + "1" + std::string(9, ' ') + "\n");
}

TEST_F(UsageReportTest, WritesTheSameTextToTheFileAndReportsFailure) {
    Place(kChest, 0, 0);
    const WString path = dir.WJoin("out/report.txt");
    std::filesystem::create_directories(dir.Join("out"));
    ASSERT_TRUE(UsageReport::Write(path, doc, 1, 1).IsEmpty());
    EXPECT_EQ(dir.Read("out/report.txt"), Report(1, 1));
    EXPECT_EQ(UsageReport::Write(dir.WJoin("missing/report.txt"), doc, 1, 1).ToUtf8(),
              "No such file or directory");
    EXPECT_EQ(UsageReport::Write(dir.WJoin("out"), doc, 1, 1).ToUtf8(), "Is a directory"); // a folder
}

TEST_F(UsageReportTest, ReportGoesToTheProgramFolderOrElseTheUserDataFolder) {
    Place(kChest, 0, 0);
    WString path;
    WString error;
    ASSERT_TRUE(UsageReport::Generate(doc, dir.WPath(), path, error));
    EXPECT_EQ(path.ToUtf8(), dir.Join("report.txt"));
    EXPECT_EQ(dir.Read("report.txt"), Report(1, 1));

    // An installed program cannot write beside itself.
    const std::string previous = std::getenv("XDG_DATA_HOME") != nullptr ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_DATA_HOME", dir.Join("userdata").c_str(), 1);
    const bool generated = UsageReport::Generate(doc, dir.WJoin("no/such/program/dir"), path, error);
    if (previous.empty()) {
        ::unsetenv("XDG_DATA_HOME");
    } else {
        ::setenv("XDG_DATA_HOME", previous.c_str(), 1);
    }
    ASSERT_TRUE(generated) << error.ToUtf8();
    EXPECT_EQ(path.ToUtf8(), dir.Join("userdata/Gridvellum/report.txt"));
    EXPECT_EQ(dir.Read("userdata/Gridvellum/report.txt"), Report(1, 1));
}

TEST_F(UsageReportTest, NoWritablePlaceIsAnErrorForTheUser) {
    dir.Write("blocker", "a file where the data folder would go");
    ::setenv("XDG_DATA_HOME", dir.Join("blocker").c_str(), 1);
    WString path;
    WString error;
    EXPECT_FALSE(UsageReport::Generate(doc, dir.WJoin("absent"), path, error));
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(error.IsEmpty());
}

TEST_F(UsageReportTest, CommandLineWritesTheFileOrReturnsTheText) {
    ASSERT_TRUE(OpenBytes("map.gv", MapText("<TileRef name=\"test.set:Wall\" matrix=\"" +
                                            Encoded(1, 0, 0, 1, 64, 0) + "\"/>\r\n")));
    WString text;
    WString error;
    ASSERT_TRUE(UsageReport::ForCommandLine(doc, WString(), text, error));
    const std::string expected = "map width = 1.0\nmap height = 1.0\n\n" + kHeaderLines + "Wall" +
                                 std::string(36, ' ') + "1" + std::string(9, ' ') + "1" +
                                 std::string(9, ' ') + "\n";
    EXPECT_EQ(text.ToUtf8(), expected);

    WString unused;
    ASSERT_TRUE(UsageReport::ForCommandLine(doc, dir.WJoin("cli.txt"), unused, error));
    EXPECT_EQ(dir.Read("cli.txt"), expected);
    EXPECT_FALSE(UsageReport::ForCommandLine(doc, dir.WJoin("none/cli.txt"), unused, error));
    EXPECT_NE(error.ToUtf8().find("none/cli.txt"), std::string::npos);
}

} // namespace
