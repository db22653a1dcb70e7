#include "TileSetFixture.h"

#include "platform/QtSettingsStore.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <fstream>
#include <sstream>
#include <string>

using namespace tilesettest;

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(QtSettingsStoreTest, OneByteFlagStatesSurviveANewStoreAsOneByte) {
    ScratchDir dir;
    const std::string ini = dir.Join("gv.conf");
    {
        QtSettingsStore store(WString::FromUtf8(ini));
        const std::uint8_t on = 1;
        store.WriteBinary(u"Show Traps", &on, 1);
        store.WriteInt(u"TileSize", 64);
        store.WriteString(u"LastTileSet", u"tiles\\dungeon.set");
    }
    EXPECT_NE(ReadWholeFile(ini).find("[Gridvellum]"), std::string::npos);
    EXPECT_NE(ReadWholeFile(ini).find("@ByteArray(\\x1)"), std::string::npos);

    QtSettingsStore reread(WString::FromUtf8(ini));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(reread.ReadBinary(u"Show Traps", bytes));
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{1});
    EXPECT_EQ(reread.ReadInt(u"TileSize", 128), 64); // comes back as text and still reads
    EXPECT_EQ(reread.ReadString(u"LastTileSet", u"").ToUtf8(), "tiles\\dungeon.set");
}

TEST(QtSettingsStoreTest, MissingOrTextualValuesAreNotBinaryAndKeepDefaults) {
    ScratchDir dir;
    QtSettingsStore store(WString::FromUtf8(dir.Join("gv.conf")));
    std::vector<std::uint8_t> bytes{7};
    EXPECT_FALSE(store.ReadBinary(u"Nothing", bytes));
    store.WriteString(u"Lights", u"1");
    EXPECT_FALSE(store.ReadBinary(u"Lights", bytes));
    EXPECT_EQ(store.ReadInt(u"NumTileColumns", 1), 1);
    EXPECT_EQ(store.ReadString(u"LastTileSet", u"none").ToUtf8(), "none");
    store.WriteString(u"Columns", u"many");
    EXPECT_EQ(store.ReadInt(u"Columns", 3), 3);
}

TEST(QtSettingsStoreTest, TheUserStoreUsesTheProgramsProfileNames) {
    ScratchDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.Path()));
    {
        QtSettingsStore store;
        const std::uint8_t off = 0;
        store.WriteBinary(u"Doors", &off, 1);
    }
    const std::string file =
        ReadWholeFile(dir.Join("Local AppWizard-Generated Applications/Gridvellum.conf"));
    EXPECT_NE(file.find("[Gridvellum]"), std::string::npos);
    EXPECT_NE(file.find("Doors=@ByteArray(\\0)"), std::string::npos);
}

} // namespace
