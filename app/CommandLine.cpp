#include "app/CommandLine.h"

#include "app/HeadlessHost.h"
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/UsageReport.h"
#include "platform/PageSizes.h"
#include "publish/JpegOptions.h"
#include "publish/Publisher.h"
#include "support/MessageSink.h"
#include "tileset/TileSet.h"
#include "view/MapThumbnail.h"
#include "view/PdfPrint.h"

#include <charconv>
#include <ostream>

namespace {

// Tileset load errors of a headless run go where the run's other errors go.
class StreamMessageSink : public MessageSink {
public:
    explicit StreamMessageSink(std::ostream& stream) : stream_(stream) {}
    void ShowError(const WString& caption, const WString& text) override {
        WString line = text;
        line.Trim(false, true);
        stream_ << caption.ToUtf8() << ": " << line.ToUtf8() << "\n";
    }

private:
    std::ostream& stream_;
};

// One map opened exactly as the editor opens it, with its tileset from the program's directory. No
// settings store: a headless run must neither read nor change the user's editor settings.
struct HeadlessSession {
    HeadlessSession(const WString& dataDirectory, std::ostream& err)
        : dataDirectory(dataDirectory), err(err), sink(err),
          tileSet(TileSetContext{dataDirectory, nullptr, &sink, false}), host(tileSet, dataDirectory),
          document(tileSet, state, &host) {}

    // False, after telling err why, when the map or its tileset cannot be read.
    bool Open(const std::string& path) {
        if (!document.OnOpenDocument(WString::FromUtf8(path))) {
            Fail(u"Could not open", path);
            return false;
        }
        return true;
    }

    bool Save(const std::string& path) {
        if (!document.OnSaveDocument(WString::FromUtf8(path))) {
            Fail(u"Could not save", path);
            return false;
        }
        return true;
    }

    void Fail(const char16_t* lead, const std::string& path) {
        err << CGridvellumDoc::FileFailureMessage(lead, WString::FromUtf8(path), document.FileError())
                   .ToUtf8()
            << "\n";
    }

    const WString dataDirectory{};
    std::ostream& err;
    StreamMessageSink sink;
    TileSet tileSet;
    ProgramState state;
    HeadlessHost host;
    CGridvellumDoc document;
};

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// A whole decimal number from 1 to MapThumbnail::kMaxSize and nothing else; 0 otherwise.
int ParseSize(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last != end || value < 1 || value > MapThumbnail::kMaxSize) {
        return 0;
    }
    return value;
}

// A decimal fraction in (0, 1] and nothing else; 0 otherwise.
float ParseScale(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || last != end || !(value > 0.0 && value <= 1.0)) {
        return 0.0f;
    }
    return static_cast<float>(value);
}

// A whole number from 1 to 100 and nothing else; 0 otherwise.
int ParseQuality(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last != end || value < 1 || value > 100) {
        return 0;
    }
    return value;
}

} // namespace

CommandLine CommandLine::Parse(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) {
        return line;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "-?") {
        line.mode_ = Mode::Help;
    } else if (first == "--version") {
        line.mode_ = Mode::Version;
    } else if (first == "--save-as") {
        if (args.size() != 3) {
            line.mode_ = Mode::Invalid;
            line.error_ = "--save-as needs exactly two paths: the map to open and the file to save.";
            return line;
        }
        line.mode_ = Mode::SaveAs;
        line.inputPath_ = args[1];
        line.outputPath_ = args[2];
        return line;
    } else if (first == "--report") {
        if (args.size() != 2 && args.size() != 3) {
            line.mode_ = Mode::Invalid;
            line.error_ = "--report needs the map to report on and, optionally, the file to write.";
            return line;
        }
        line.mode_ = Mode::Report;
        line.inputPath_ = args[1];
        line.outputPath_ = args.size() == 3 ? args[2] : std::string();
        return line;
    } else if (first == "--thumbnail") {
        return ParseThumbnail(args);
    } else if (first == "--print-pdf") {
        return ParsePrintPdf(args);
    } else if (first == "--publish") {
        return ParsePublish(args);
    } else if (IsOption(first)) {
        line.mode_ = Mode::Invalid;
        line.error_ = "Unknown option " + first + ".";
        return line;
    } else {
        line.mapPath_ = first;
    }
    if (args.size() > 1) {
        line.mode_ = Mode::Invalid;
        line.error_ = "Unexpected argument " + args[1] + ".";
    }
    return line;
}

CommandLine CommandLine::ParseThumbnail(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.size() != 4) {
        line.mode_ = Mode::Invalid;
        line.error_ = "--thumbnail needs the map, the PNG file to write and the size in pixels.";
        return line;
    }
    line.thumbnailSize_ = ParseSize(args[3]);
    if (line.thumbnailSize_ == 0) {
        line.mode_ = Mode::Invalid;
        line.error_ = "The thumbnail size must be a whole number from 1 to " +
                      std::to_string(MapThumbnail::kMaxSize) + ", not " + args[3] + ".";
        return line;
    }
    line.mode_ = Mode::Thumbnail;
    line.inputPath_ = args[1];
    line.outputPath_ = args[2];
    return line;
}

CommandLine CommandLine::ParsePublish(const std::vector<std::string>& args) {
    CommandLine line;
    line.mode_ = Mode::Invalid;
    if (args.size() < 3 || IsOption(args[1]) || IsOption(args[2])) {
        line.error_ = "--publish needs the map and the JPEG file to write.";
        return line;
    }
    bool scaleGiven = false;
    bool qualityGiven = false;
    for (size_t i = 3; i < args.size(); i += 2) {
        const std::string& option = args[i];
        const bool isScale = option == "--scale" && !scaleGiven;
        const bool isQuality = option == "--quality" && !qualityGiven;
        if (!isScale && !isQuality) {
            line.error_ = "Unexpected argument " + option + " after --publish MAP OUT.";
            return line;
        }
        if (i + 1 >= args.size()) {
            line.error_ = option + " needs a value.";
            return line;
        }
        const std::string& value = args[i + 1];
        if (isScale) {
            scaleGiven = true;
            line.publishScale_ = ParseScale(value);
            if (line.publishScale_ == 0.0f) {
                line.error_ =
                    "The scale must be a decimal fraction above 0 and at most 1, not " + value + ".";
                return line;
            }
        } else {
            qualityGiven = true;
            line.publishQuality_ = ParseQuality(value);
            if (line.publishQuality_ == 0) {
                line.error_ = "The quality must be a whole number from 1 to 100, not " + value + ".";
                return line;
            }
        }
    }
    line.mode_ = Mode::Publish;
    line.inputPath_ = args[1];
    line.outputPath_ = args[2];
    return line;
}

CommandLine CommandLine::ParsePrintPdf(const std::vector<std::string>& args) {
    CommandLine line;
    line.mode_ = Mode::Invalid;
    std::vector<std::string> paths;
    line.pageSizeId_ = PageSizes::Default();
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--poster") {
            line.poster_ = true;
        } else if (arg == "--page-size") {
            if (i + 1 == args.size()) {
                line.error_ = "--page-size needs a paper size, such as " + PageSizes::CommonNames();
                return line;
            }
            const std::string& name = args[++i];
            line.pageSizeId_ = PageSizes::Find(name);
            if (line.pageSizeId_ == PageSizes::kNotFound) {
                line.error_ =
                    "Unknown page size " + name + "; known sizes include " + PageSizes::CommonNames();
                return line;
            }
        } else if (IsOption(arg)) {
            line.error_ = "Unknown option " + arg + " for --print-pdf.";
            return line;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        line.error_ = "--print-pdf needs the map and the PDF file to write.";
        return line;
    }
    line.mode_ = Mode::PrintPdf;
    line.inputPath_ = paths[0];
    line.outputPath_ = paths[1];
    return line;
}

std::string CommandLine::VersionText() {
    return "Gridvellum Version 3.0.6.0";
}

std::string CommandLine::HelpText(const std::string& programName) {
    return "Usage:\n"
           "  " +
           programName +
           " [MAP.gv]                 start the editor, optionally with a map\n"
           "  " +
           programName +
           " --save-as IN.gv OUT.gv   open IN.gv as the editor does and save it as OUT.gv\n"
           "  " +
           programName +
           " --report MAP.gv [OUT]    write the tile usage report of MAP.gv to OUT (or print it)\n"
           "  " +
           programName +
           " --thumbnail MAP.gv OUT.png SIZE\n"
           "                                     draw MAP.gv in its publish colours, fitted to SIZE x SIZE\n"
           "                                     pixels, into the PNG file OUT.png\n"
           "  " +
           programName +
           " --publish MAP.gv OUT.jpg [--scale S] [--quality Q]\n"
           "                                     publish MAP.gv as the JPEG OUT.jpg at scale S (a fraction\n"
           "                                     above 0 and at most 1, default 1) and quality Q (1 to 100,\n"
           "                                     default 50), with its scenario page OUT.htm beside it\n"
           " --print-pdf MAP.gv OUT.pdf [--page-size A4|Letter|...] [--poster]\n"
           "                                     print MAP.gv into the PDF file OUT.pdf: one grid cell an\n"
           "                                     inch, shrunk to fit one page, or as a poster over as many\n"
           "                                     pages as it needs (A4 unless told)\n"
           "  " +
           programName +
           " --help                   show this text\n"
           "  " +
           programName +
           " --version                show the version\n"
           "\n"
           "Tilesets named by a map are read from the program's directory. --save-as, --report,\n"
           "--thumbnail, --publish and --print-pdf need no display.\n";
}

int CommandLine::Run(const WString& dataDirectory, std::ostream& out, std::ostream& err,
                     const std::string& programName) const {
    switch (mode_) {
    case Mode::Help:
        out << HelpText(programName);
        return kSuccess;
    case Mode::Version:
        out << VersionText() << "\n";
        return kSuccess;
    case Mode::SaveAs:
        return RunSaveAs(dataDirectory, err);
    case Mode::Report:
        return RunReport(dataDirectory, out, err);
    case Mode::Thumbnail:
        return RunThumbnail(dataDirectory, err);
    case Mode::PrintPdf:
        return RunPrintPdf(dataDirectory, err);
    case Mode::Publish:
        return RunPublish(dataDirectory, err);
    case Mode::Invalid:
        err << programName << ": " << error_ << "\n"
            << "Try " << programName << " --help.\n";
        return kUsageError;
    case Mode::Editor:
        break;
    }
    err << programName << ": the editor cannot run headless.\n";
    return kUsageError;
}

int CommandLine::RunSaveAs(const WString& dataDirectory, std::ostream& err) const {
    HeadlessSession session(dataDirectory, err);
    if (!session.Open(inputPath_)) {
        return kFailure;
    }
    return session.Save(outputPath_) ? kSuccess : kFailure;
}

int CommandLine::RunReport(const WString& dataDirectory, std::ostream& out, std::ostream& err) const {
    HeadlessSession session(dataDirectory, err);
    if (!session.Open(inputPath_)) {
        return kFailure;
    }
    WString text;
    WString error;
    if (!UsageReport::ForCommandLine(session.document, WString::FromUtf8(outputPath_), text, error)) {
        err << error.ToUtf8() << "\n";
        return kFailure;
    }
    out << text.ToUtf8();
    return kSuccess;
}

int CommandLine::RunThumbnail(const WString& dataDirectory, std::ostream& err) const {
    HeadlessSession session(dataDirectory, err);
    if (!session.Open(inputPath_)) {
        return kFailure;
    }
    const WString path = WString::FromUtf8(outputPath_);
    WString reason;
    if (!MapThumbnail::Write(session.document, thumbnailSize_, path, reason)) {
        err << CGridvellumDoc::FileFailureMessage(u"Could not write", path, reason).ToUtf8() << "\n";
        return kFailure;
    }
    return kSuccess;
}

int CommandLine::RunPublish(const WString& dataDirectory, std::ostream& err) const {
    HeadlessSession session(dataDirectory, err);
    if (!session.Open(inputPath_)) {
        return kFailure;
    }
    WString reason;
    if (!Publisher::Publish(session.document, WString::FromUtf8(outputPath_), publishScale_, publishQuality_,
                            nullptr, reason)) {
        err << "Could not publish \"" << inputPath_ << "\": " << reason.ToUtf8() << "\n";
        return kFailure;
    }
    return kSuccess;
}

int CommandLine::RunPrintPdf(const WString& dataDirectory, std::ostream& err) const {
    HeadlessSession session(dataDirectory, err);
    if (!session.Open(inputPath_)) {
        return kFailure;
    }
    std::string reason;
    if (!PdfPrint::Write(session.document, outputPath_, pageSizeId_, poster_, reason)) {
        const WString path = WString::FromUtf8(outputPath_);
        err << CGridvellumDoc::FileFailureMessage(u"Could not write", path, WString::FromUtf8(reason))
                   .ToUtf8()
            << "\n";
        return kFailure;
    }
    return kSuccess;
}
