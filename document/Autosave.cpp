#include "document/Autosave.h"

#include "document/AutosaveStore.h"
#include "document/CGridvellumDoc.h"
#include "support/FileUtils.h"
#include "support/MemFile.h"
#include "support/XmlDocument.h"

#include <cerrno>

Autosave::Autosave(CGridvellumDoc& doc, AutosaveStore& store) : doc_(doc), store_(store) {}

Autosave::~Autosave() {
    WaitForWrite();
}

void Autosave::WaitForWrite() {
    if (writer_.joinable()) {
        writer_.join();
    }
    writing_ = false;
}

bool Autosave::EnsureCopyPath() {
    // A map saved under another name, or another map, needs a copy of its own name.
    if (!copyPath_.IsEmpty() && boundPath_ == doc_.PathName()) {
        return true;
    }
    Forget();
    WString reason;
    copyPath_ = store_.Claim(doc_.PathName(), reason);
    if (copyPath_.IsEmpty()) {
        SetProblem(reason);
        return false;
    }
    boundPath_ = doc_.PathName();
    return true;
}

bool Autosave::Tick() {
    if (!doc_.IsModified() || writing_) {
        return false;
    }
    XmlDocument file;
    doc_.WriteXml(file, false);
    std::string bytes = file.ToFileBytes();
    if (bytes == written_ && !copyPath_.IsEmpty() && boundPath_ == doc_.PathName()) {
        return false;
    }
    if (!EnsureCopyPath()) {
        return false;
    }
    StartWrite(std::move(bytes));
    return true;
}

void Autosave::StartWrite(std::string bytes) {
    WaitForWrite();
    written_ = std::move(bytes);
    writing_ = true;
    // The thread reads only its own copies of the path and the bytes; written_ stays unchanged until
    // the next StartWrite, which joins this thread first.
    writer_ = std::thread([this, path = copyPath_, data = written_] {
        std::shared_ptr<MemFile> file = MemFile::Open(path, u"wb");
        if (!file || file->Write(data.data(), 1, data.size()) != data.size()) {
            SetProblem(FileUtils::ErrorText(ENOMEM));
        } else if (!file->Close()) {
            SetProblem(FileUtils::ErrorText(file->LastError()));
        }
        writing_ = false;
    });
}

void Autosave::Forget() {
    WaitForWrite();
    if (!copyPath_.IsEmpty()) {
        AutosaveStore::Remove(copyPath_);
    }
    copyPath_.Clear();
    boundPath_.Clear();
    written_.clear();
}

void Autosave::Adopt(const WString& copyPath, const WString& originalPath) {
    Forget();
    WString reason;
    if (!AutosaveStore::WriteInfo(copyPath, originalPath, reason)) {
        SetProblem(reason);
    }
    copyPath_ = copyPath;
    boundPath_ = doc_.PathName();
    // What the copy holds is what the document was just read from; the next change writes again.
    XmlDocument file;
    doc_.WriteXml(file, false);
    written_ = file.ToFileBytes();
}

void Autosave::SetProblem(const WString& problem) {
    std::lock_guard<std::mutex> lock(problemLock_);
    problem_ = problem;
}

WString Autosave::TakeProblem() {
    std::lock_guard<std::mutex> lock(problemLock_);
    WString problem = problem_;
    problem_.Clear();
    return problem;
}
