#pragma once

#include <memory>
#include <string>

class QPagedPaintDevice;

// A PDF file written whole or not at all: the pages go into a temporary file beside the target, which
// replaces the target only when every byte reached the disk. A PDF that is abandoned or fails leaves
// nothing behind, and an existing file of the same name keeps its content.
class PdfOutput {
public:
    PdfOutput();
    ~PdfOutput(); // removes the temporary file unless committed
    PdfOutput(const PdfOutput&) = delete;
    PdfOutput& operator=(const PdfOutput&) = delete;

    // Opens the temporary file for pages of the given size (a PageSizes identifier) at 1200 dots
    // per inch. False, with the reason, when the file cannot be made.
    bool Open(const std::string& target, int pageSizeId, std::string& reason);
    // The device to paint on; valid after a successful Open.
    QPagedPaintDevice& Device();
    // After the painting ended: makes the file the target. False, with the reason, on any failure.
    bool Commit(std::string& reason);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
