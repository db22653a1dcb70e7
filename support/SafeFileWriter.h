#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A file written as a stream, for output too large to gather in memory first (a published picture
// of 20,000 pixels a side), that still reaches its name whole or not at all: the bytes go to a
// temporary file beside the target, named as SaveTemporary names it, and only Commit renames it
// over the target. A writer dropped without Commit removes its temporary, so a failed or cancelled
// write leaves neither a partial file nor a changed target.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file. False, with Error() set, when the target's folder cannot take it.
    bool Open();
    // The open stream for libraries that write through stdio; null before Open and after Commit.
    std::FILE* Stream() { return stream_; }
    bool Write(const void* data, std::size_t size);
    // Flushes the bytes to the disk and renames the temporary over the target. False, with Error()
    // set and the target unchanged, when any step fails.
    bool Commit();
    // Throws the written bytes away; the target stays as it was.
    void Discard();

    const std::string& Target() const { return target_; }
    // The system's reason for the last failure ("No space left on device").
    const std::string& Error() const { return error_; }

private:
    bool Fail(int error);

    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    std::string error_;
};
