#pragma once

#include "support/Rgb8.h"
#include "support/WString.h"

#include <vector>

class Matrix3;
class TileSet;
class XmlElement;

// The vocabulary and value syntax of map files (.gv) and of their in-memory text form, shared by the
// document and the tile classes.
class MapFile {
public:
    static constexpr const char16_t* kRootElement = u"Gridvellum";
    static constexpr const char16_t* kNamespace = u"gridvellum";
    static constexpr const char16_t* kVersion = u"1";
    static constexpr const char16_t* kScenarioElement = u"Scenario";
    static constexpr const char16_t* kTileElement = u"TileRef";
    static constexpr const char16_t* kTextElement = u"TextTile";

    // Bytes of one encoded matrix: six little-endian 32-bit floats m11, m12, m21, m22, m31, m32.
    static constexpr int kMatrixBytes = 24;
    // Characters of one encoded matrix: a 6-character count and 32 characters of data.
    static constexpr int kMatrixChars = 38;
    // A tile's movement path grows by one step per matrix field in a file; beyond this many steps the
    // remaining fields are ignored, so a hostile file cannot make one tile take gigabytes.
    static constexpr int kMaxPathSteps = 4096;

    // The matrix at single precision in the bytes-as-text encoding; never contains ','.
    static WString EncodeMatrix(const Matrix3& matrix);
    static void AppendMatrix(WString& out, const Matrix3& matrix);
    // True only for a text that carries exactly 24 bytes of six finite floats; out is untouched
    // otherwise, so a damaged step keeps what it had.
    static bool DecodeMatrix(const WString& text, Matrix3& out);
    // The comma-separated fields of a matrix attribute, each trimmed, at most maxFields of them.
    static std::vector<WString> SplitFields(const WString& value, int maxFields);

    // The definition a TileRef element names: by `name` through the tileset's Find, or by its `id`
    // when the name is empty. May be out of range; callers check.
    static unsigned ResolveDefinition(const XmlElement& element, const TileSet& tileSet);

    // "r,g,b" with decimal components.
    static WString ColorText(const Rgb8& color);
    // Reads up to three comma-separated integers, keeping the low 8 bits of each; missing ones read as
    // 0. False (color untouched) when the text is empty.
    static bool ParseColor(const WString& text, Rgb8& color);
};
