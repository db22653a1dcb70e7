#include "view/PdfPrint.h"

#include "platform/PagePainter.h"
#include "platform/PdfOutput.h"
#include "view/PrintJob.h"

bool PdfPrint::Write(CGridvellumDoc& doc, const std::string& path, int pageSizeId, bool poster,
                     std::string& reason) {
    PdfOutput output;
    if (!output.Open(path, pageSizeId, reason)) {
        return false;
    }
    PagePainter painter;
    if (!painter.Begin(output.Device())) {
        reason = "The PDF could not be started";
        return false;
    }
    PrintJob job(doc, painter, poster, nullptr);
    if (job.Run() != PrintJob::Result::Printed) {
        reason = job.Problem();
        return false;
    }
    if (!painter.End()) {
        reason = "The PDF could not be finished";
        return false;
    }
    return output.Commit(reason);
}
