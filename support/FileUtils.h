#pragma once

#include "support/WString.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

// Thin file-system helpers. Wide names reach the operating system as UTF-8.
class FileUtils {
public:
    // An open C stream together with the buffer it was given; closes on destruction.
    class Stream {
    public:
        Stream() = default;
        Stream(std::nullptr_t) {}
        Stream(Stream&& other) noexcept;
        Stream& operator=(Stream&& other) noexcept;
        ~Stream();

        std::FILE* get() const { return file_; }
        explicit operator bool() const { return file_ != nullptr; }
        friend bool operator==(const Stream& s, std::nullptr_t) { return s.file_ == nullptr; }
        // Flushes and closes; false when buffered bytes could not be written.
        bool Close();

    private:
        friend class FileUtils;
        std::FILE* file_ = nullptr;
        std::unique_ptr<char[]> buffer_; // must outlive the stream that writes through it
    };

    static constexpr size_t kStreamBufferSize = 32768;

    // The name as the operating system wants it.
    static std::string NativePath(const WString& path);

    // A C stream with a fully buffered 32 KiB buffer, or null.
    static Stream OpenStream(const WString& path, const char* mode);
    // Flushes and closes; false when buffered bytes could not be written.
    static bool CloseStream(Stream stream);

    // The running program's directory followed by fileName; empty when the result would not fit
    // in capacity units (terminator included) or the program's path cannot be found.
    static WString ProgramPath(const WString& fileName, int capacity = 1024);
    // The directory of the running program with its trailing '/'; empty when unknown. Symbolic links
    // are resolved (the kernel names the executable itself), so a program started through an
    // installed link such as bin/gridvellum finds its files beside its real location.
    static WString ProgramDirectory();

    // accessMode: 0 exists, 2 writable, 4 readable, 6 both.
    static bool Access(const WString& path, int accessMode);
    static bool RemoveFile(const WString& path);

    // The system's text for an error number, such as "No space left on device".
    static WString ErrorText(int errorNumber);

    // Short (8.3) names do not exist here: an existing path is its own short form.
    // False when the file does not exist.
    static bool ShortPath(const WString& longPath, WString& shortPath);

    // Logical pixels per inch of the screen, the default canvas resolution. The lower layers have
    // no window system, so this is the desktop standard.
    static float ScreenResolution() { return 96.0f; }
};
