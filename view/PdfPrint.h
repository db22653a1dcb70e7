#pragma once

#include <string>

class CGridvellumDoc;

// The printout as a PDF file, for printing elsewhere or without a display: the same pages a printer
// gets from the print command, at 1200 dots per inch. The file is written whole or not at all.
class PdfPrint {
public:
    // pageSizeId: a PageSizes identifier. False, with the reason, when nothing was written.
    static bool Write(CGridvellumDoc& doc, const std::string& path, int pageSizeId, bool poster,
                      std::string& reason);
};
