#include "platform/PdfOutput.h"

#include "support/SaveTemporary.h"

#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A printer's own PDF output keeps this much paper free on every side.
constexpr double kMarginPoints = 10.0;
constexpr int kResolution = 1200;

mode_t NewFileMode() {
    // The umask can only be read by setting it; the program is single-threaded.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace

struct PdfOutput::Impl {
    std::string target;
    std::string temp;
    QFile file;
    std::unique_ptr<QPdfWriter> writer;
    bool committed = false;

    ~Impl() {
        writer.reset();
        file.close();
        if (!temp.empty() && !committed) {
            ::unlink(temp.c_str());
        }
    }
};

PdfOutput::PdfOutput() : impl_(std::make_unique<Impl>()) {}

PdfOutput::~PdfOutput() = default;

bool PdfOutput::Open(const std::string& target, int pageSizeId, std::string& reason) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        reason = "Not a plain file";
        return false;
    }
    SaveTemporary::RemoveStale(target);
    std::string temp = SaveTemporary::TemplateFor(target);
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = ErrorText(errno);
        return false;
    }
    impl_->temp = temp;
    impl_->target = target;
    ::fchmod(fd, NewFileMode());
    if (!impl_->file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = impl_->file.errorString().toStdString();
        return false;
    }
    impl_->writer = std::make_unique<QPdfWriter>(&impl_->file);
    impl_->writer->setResolution(kResolution);
    impl_->writer->setCreator(QStringLiteral("Gridvellum"));
    impl_->writer->setPageLayout(QPageLayout(
        QPageSize(static_cast<QPageSize::PageSizeId>(pageSizeId)), QPageLayout::Portrait,
        QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point));
    return true;
}

QPagedPaintDevice& PdfOutput::Device() {
    return *impl_->writer;
}

bool PdfOutput::Commit(std::string& reason) {
    Impl& impl = *impl_;
    if (!impl.writer || impl.committed) {
        reason = "Nothing was written";
        return false;
    }
    impl.writer.reset();
    const bool flushed = impl.file.error() == QFileDevice::NoError && impl.file.flush();
    if (!flushed) {
        reason = impl.file.errorString().toStdString();
        return false;
    }
    if (::fsync(impl.file.handle()) != 0) {
        reason = ErrorText(errno);
        return false;
    }
    impl.file.close();
    if (impl.file.error() != QFileDevice::NoError) {
        reason = impl.file.errorString().toStdString();
        return false;
    }
    if (::rename(impl.temp.c_str(), impl.target.c_str()) != 0) {
        reason = ErrorText(errno);
        return false;
    }
    impl.committed = true;
    return true;
}
