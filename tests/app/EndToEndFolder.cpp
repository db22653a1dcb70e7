#include "EndToEndFolder.h"

#include "common/TestPng.h"
#include "support/WString.h"

#include <QString>
#include <QtGlobal>

#include <fstream>
#include <sstream>

namespace e2e {

std::string WorkDir() {
    return qEnvironmentVariable("GV_E2E_DIR").toStdString();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WritePanelButtons(const std::filesystem::path& program) {
    for (const char* name : {"expanded", "collapsed", "unlocked", "locked", "hidden"}) {
        const int width = std::string(name) == "expanded" || std::string(name) == "collapsed" ? 111 : 17;
        WriteFile(program / ("gui_typebutton_" + std::string(name) + ".png"),
                  testsupport::SolidPng(width, 17, 90, 90, 90));
    }
}

LoadedMap::LoadedMap(const std::string& programDir, const char16_t* tileSetName)
    : tileSet(TileSetContext{WString::FromUtf8(programDir + "/"), nullptr, nullptr, false}),
      doc(tileSet, state, nullptr) {
    tileSet.Load(tileSetName);
}

} // namespace e2e
