#pragma once

#include <memory>

class CGridvellumDoc;
class MessageSink;
class QPrinter;
class QWidget;

// The File menu's printing: the print dialog (with the poster choice on a tab of its own), the page
// setup and the print preview, all on one printer that keeps its settings for the whole run.
class MapPrinting {
public:
    // Failures are told through messages; parent owns the dialogs.
    MapPrinting(CGridvellumDoc& doc, MessageSink& messages, QWidget* parent);
    ~MapPrinting();
    MapPrinting(const MapPrinting&) = delete;
    MapPrinting& operator=(const MapPrinting&) = delete;

    void Print();
    void PrintSetup();
    void PrintPreview();

    // Prints the map on printer as the print command does after its dialog; false after a failure
    // (already reported) or a cancel.
    bool PrintOn(QPrinter& printer);

    bool Poster() const { return poster_; }
    void SetPoster(bool on) { poster_ = on; }
    // Made on first use: asking the system for its printers is not free, and most runs never print.
    QPrinter& Printer();

private:
    void Report(const char* problem);

    CGridvellumDoc& doc_;
    MessageSink& messages_;
    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
    bool poster_ = false;
};
