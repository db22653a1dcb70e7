// Reads arbitrary bytes as what a crashed run left in the autosave folder: once as the info file
// beside a good copy, once as a copy of its own with no info file, and lists the leftovers as the
// editor does at start.
#include "document/AutosaveStore.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char kMap[] = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                    "<Gridvellum xmlns=\"gridvellum\" version=\"1\" tileset=\"fuzz.set\"/>\r\n";

std::filesystem::path Folder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("gv_autosave_fuzz_" + std::to_string(::getpid())) / "";
    return folder;
}

void Write(const std::filesystem::path& path, const char* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::filesystem::path folder = Folder();
    std::filesystem::create_directories(folder);
    const char* bytes = reinterpret_cast<const char*>(data);
    Write(folder / "good.gv", kMap, sizeof kMap - 1);
    Write(folder / "good.gv.origin", bytes, size);
    Write(folder / "hostile.gv", bytes, size);
    AutosaveStore store(WString::FromUtf8(folder.string()));
    for (const AutosaveCopy& copy : store.Orphans()) {
        if (copy.copyPath.IsEmpty() || (!copy.readable && copy.problem.IsEmpty())) {
            __builtin_trap(); // every copy is named, and an unreadable one says why
        }
    }
    return 0;
}
