#pragma once

#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// A stream whose whole content lives in one memory buffer. Opening for reading loads the complete
// file, writing only fills the buffer, and Close stores the buffer. Parsers and decoders therefore
// work on memory (Data(), Size()) and touch the disk once per file.
//
// Names starting with one of three prefixes never reach the disk:
//   ":TMPFIL:"  anonymous scratch file, freed with its last handle;
//   ":TMPQOR:"  named memory file, kept in a process-wide registry after Close until Delete; opening
//               it with "r" or "a" returns the registered file (the first one of that name);
//   ":SCFQOR:"  never stored, always reported as existing, cannot be deleted.
//
// Mode letters, in any order: "r" read existing content, "w" write, "a" append (existing content,
// position at the end, every write at the end), "+" update, "t" text, "b" binary. On Linux text and
// binary mode are the same bytes; the flag is only remembered.
//
// Handles are shared_ptr: a registered file is shared by the registry and by everyone who opened
// it, so deleting it by name while a handle is still held cannot leave that handle dangling.
//
// Storing is all or nothing: Close writes a temporary file beside the target, flushes it to the
// disk and renames it over the target, so a failed save keeps the previous file intact and Close
// reports false. A handle dropped without Close stores nothing, so an error path that bails out
// halfway never replaces a good file with half a document.
class MemFile {
public:
    static constexpr size_t kInitialCapacity = 10240;
    static constexpr size_t kGrowthLimit = 1048576;

    // Null only when a ":TMPQOR:" name opened for reading or appending is not registered, or when
    // memory runs out. A file that cannot be read gives an empty stream (Size() == 0), not null.
    static std::shared_ptr<MemFile> Open(const WString& name, const WString& mode);
    // A fresh ":TMPFIL:<n>" file opened "wb+"; n counts up from 0 for the whole process.
    static std::shared_ptr<MemFile> NewTemporary();

    // accessMode as the platform's access test: 0 exists, 2 writable, 4 readable, 6 both.
    static bool Exists(const WString& name, int accessMode = 0);
    // Removes a registered ":TMPQOR:" file or a file on disk. ":SCFQOR:" names cannot be deleted.
    static bool Delete(const WString& name);

    // Test support: forgets every registered memory file and restarts the temporary counter.
    static void ResetRegistry();
    static size_t RegisteredCount();

    // Only Open and NewTemporary make files; the key keeps the constructor theirs.
    class Key {
        friend class MemFile;
        Key() = default;
    };
    MemFile(Key, const WString& name);
    MemFile(const MemFile&) = delete;
    MemFile& operator=(const MemFile&) = delete;
    ~MemFile();

    // Copies up to itemSize * count bytes from the position; returns the whole items copied.
    size_t Read(void* buffer, size_t itemSize, size_t count);
    // Writes at the position (at the end when appending); returns count, or 0 when memory ran out.
    size_t Write(const void* buffer, size_t itemSize, size_t count);
    bool PutByte(std::uint8_t byte);
    // whence 0: from the start (offset >= 0); 1: from the position (result within 0..Size());
    // 2: from the end (offset <= 0). A rejected seek keeps the position and returns false.
    bool Seek(long long offset, int whence);
    size_t Tell() const { return position_; }

    // Stores the content when the file was opened for writing under an ordinary name. Returns false
    // when the bytes did not reach the disk. Afterwards a non-registered file is empty and spent.
    bool Close();

    const WString& Name() const { return name_; }
    const std::uint8_t* Data() const { return data_.get(); } // null for an empty loaded file
    size_t Size() const { return length_; }
    size_t Capacity() const { return capacity_; }
    bool IsTextMode() const { return textMode_; }
    bool IsRegistered() const { return registered_; }
    bool IsSealed() const { return sealed_; }
    // The system's error number of the last disk access that failed (reading the file when it was
    // opened, storing it on Close); 0 when none did.
    int LastError() const { return error_; }

private:
    struct ModeFlags;
    class Registry;

    static std::shared_ptr<MemFile> Create(const WString& name);
    static Registry& TheRegistry();
    void ApplyMode(const ModeFlags& flags);
    bool LoadFromDisk();
    bool Reserve(size_t needed);
    // 0, or the error number of the step that failed.
    int StoreToDisk() const;

    WString name_;
    std::unique_ptr<std::uint8_t[]> data_;
    size_t capacity_ = 0;
    size_t length_ = 0;
    size_t position_ = 0;
    bool writeBack_ = false;
    bool textMode_ = false;
    bool append_ = false;
    bool registered_ = false;
    bool sealed_ = false;
    int error_ = 0;
};
