#pragma once

#include "support/WString.h"

class CGridvellumDoc;
class TileSet;

// The tile usage report "report.txt": the map's size in drawn grid cells, then one line per tile
// definition that the map uses, with its maximum and the number placed.
class UsageReport {
public:
    static constexpr const char16_t* kFileName = u"report.txt";
    static constexpr int kNameColumn = 40;
    static constexpr int kCountColumn = 10;

    // The report text with line feeds. Width and height are in cells; each count is of map tiles
    // (text tiles are not counted).
    static WString Build(const CGridvellumDoc& doc, double widthCells, double heightCells);
    // The map's extents divided by the drawn grid size, as real numbers.
    static void MapSizeInCells(const CGridvellumDoc& doc, double& widthCells, double& heightCells);

    // Writes the report in the system's 8-bit code page, whole or not at all. Empty when the report
    // reached the disk, else the system's reason ("No space left on device").
    static WString Write(const WString& path, const CGridvellumDoc& doc, double widthCells,
                         double heightCells);
    // "Can't write the report file:", the path and the reason, each on a line of its own.
    static WString WriteFailure(const WString& path, const WString& reason);

    // Where the "Generate Report" command writes: "report.txt" in the program's directory, or, when that
    // directory is not writable (an installed program), in the per-user data folder
    // ($XDG_DATA_HOME/Gridvellum, else ~/.local/share/Gridvellum), which is made when missing. Empty
    // when no writable place exists.
    static WString ReportPath(const WString& programDirectory);
    // The command: sizes the map, writes the report to ReportPath and gives the path written, to be
    // shown to the user. False, with error set to a message for the user, when it could not be written.
    static bool Generate(const CGridvellumDoc& doc, const WString& programDirectory, WString& path,
                         WString& error);

    // The headless "--report MAP [OUT]" run, after the caller opened the map into doc: writes to
    // outPath when it is not empty, else leaves the text in text for standard output. False, with
    // error set, when the output file could not be written.
    static bool ForCommandLine(const CGridvellumDoc& doc, const WString& outPath, WString& text,
                               WString& error);

    // A real in "%.6g" that always carries a decimal separator: 20 gives 20.0, 2.5 gives 2.5.
    static WString FormatNumber(double value);
};
