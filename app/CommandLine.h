#pragma once

#include "support/WString.h"

#include <iosfwd>
#include <string>
#include <vector>

// The program's command line. Without options it starts the editor (optionally with a map to open);
// the options run without any window, so maps can be converted on machines without a display:
//   --save-as IN.gv OUT.gv   opens IN exactly as the editor does and saves it as OUT
//   --report MAP.gv [OUT]    writes the tile usage report of MAP to OUT, or to standard output
//   --thumbnail MAP.gv OUT.png SIZE   draws MAP in its publish colours, fitted to SIZE x SIZE pixels
//   --publish MAP.gv OUT.jpg [--scale S] [--quality Q]   publishes MAP as the editor does
//   --print-pdf MAP.gv OUT.pdf [--page-size NAME] [--poster]   the printout of MAP as a PDF file
//   --help, --version
class CommandLine {
public:
    enum class Mode { Editor, Help, Version, SaveAs, Report, Thumbnail, PrintPdf, Publish, Invalid };

    // Exit statuses of the headless modes.
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

    // args without the program's own name.
    static CommandLine Parse(const std::vector<std::string>& args);

    Mode GetMode() const { return mode_; }
    bool IsHeadless() const { return mode_ != Mode::Editor; }
    // Modes that draw or save text tiles, which measure with platform fonts: they need an
    // application object, which the offscreen platform gives without a display.
    bool NeedsFonts() const {
        return mode_ == Mode::SaveAs || mode_ == Mode::Thumbnail || mode_ == Mode::PrintPdf ||
               mode_ == Mode::Publish;
    }
    // The map the editor opens at start; empty for a new map.
    const std::string& MapPath() const { return mapPath_; }
    const std::string& InputPath() const { return inputPath_; }
    const std::string& OutputPath() const { return outputPath_; }
    const std::string& ErrorText() const { return error_; }
    // The side of the thumbnail's square in pixels.
    int ThumbnailSize() const { return thumbnailSize_; }
    // The paper of --print-pdf (a PageSizes identifier) and whether it prints a poster.
    int PageSizeId() const { return pageSizeId_; }
    bool Poster() const { return poster_; }
    // --publish: the scale in (0, 1] (1 unless given) and the JPEG quality 1 .. 100 (50 unless given).
    float PublishScale() const { return publishScale_; }
    int PublishQuality() const { return publishQuality_; }

    static std::string VersionText();
    static std::string HelpText(const std::string& programName);

    // Runs a headless mode and returns the exit status. Tilesets load from dataDirectory. Saving needs
    // an application object (text tiles measure with platform fonts).
    int Run(const WString& dataDirectory, std::ostream& out, std::ostream& err,
            const std::string& programName = "gridvellum") const;

private:
    int RunSaveAs(const WString& dataDirectory, std::ostream& err) const;
    int RunReport(const WString& dataDirectory, std::ostream& out, std::ostream& err) const;
    int RunThumbnail(const WString& dataDirectory, std::ostream& err) const;
    int RunPublish(const WString& dataDirectory, std::ostream& err) const;
    static CommandLine ParseThumbnail(const std::vector<std::string>& args);
    int RunPrintPdf(const WString& dataDirectory, std::ostream& err) const;
    static CommandLine ParsePrintPdf(const std::vector<std::string>& args);
    static CommandLine ParsePublish(const std::vector<std::string>& args);

    Mode mode_ = Mode::Editor;
    std::string mapPath_;
    std::string inputPath_;
    std::string outputPath_;
    std::string error_;
    int thumbnailSize_ = 0;
    int pageSizeId_ = 0;
    bool poster_ = false;
    float publishScale_ = 1.0f;
    int publishQuality_ = 50;
};
