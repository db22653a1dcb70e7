#include "tileset/TileSetLoader.h"

#include "raster/ImageFile.h"
#include "raster/RasterCanvas.h"
#include "support/FileUtils.h"
#include "support/MessageSink.h"
#include "support/XmlDocument.h"
#include "support/XmlElement.h"
#include "tileset/TileDef.h"
#include "tileset/TileImage.h"
#include "tileset/TileSet.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Attribute values: a missing or empty attribute leaves the current value, so every reader reports
// whether it found something.
const WString* Value(const XmlElement& element, const char16_t* name) {
    const WString& value = element.Attribute(name, false);
    return value.IsEmpty() ? nullptr : &value;
}

bool ReadInt(const XmlElement& element, const char16_t* name, int& out) {
    const WString* value = Value(element, name);
    if (value != nullptr) {
        out = value->AsInt();
    }
    return value != nullptr;
}

bool ReadBool(const XmlElement& element, const char16_t* name, bool& out) {
    const WString* value = Value(element, name);
    if (value != nullptr) {
        out = value->AsBool();
    }
    return value != nullptr;
}

bool ReadText(const XmlElement& element, const char16_t* name, WString& out) {
    const WString* value = Value(element, name);
    if (value != nullptr) {
        out = *value;
    }
    return value != nullptr;
}

// "red,green,blue" in decimal; each part keeps its low 8 bits, a missing part reads as 0.
bool ReadColor(const XmlElement& element, const char16_t* name, Rgb8& out) {
    const WString* value = Value(element, name);
    if (value == nullptr) {
        return false;
    }
    std::uint8_t channels[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        WString field;
        if (value->Field(i, u',', true, field)) {
            channels[i] = static_cast<std::uint8_t>(field.AsInt());
        }
    }
    out.Set(channels[0], channels[1], channels[2]);
    return true;
}

// Grid sizes divide every snap, so a size below one unit is not taken.
void ReadGridSize(const XmlElement& element, const char16_t* name, int& out) {
    int size = 0;
    if (ReadInt(element, name, size) && size >= 1) {
        out = size;
    }
}

WString Quoted(const WString& text) {
    WString quoted(u"\"");
    quoted += text;
    quoted += u'"';
    return quoted;
}

std::unique_ptr<RasterCanvas> GreyReplacement() {
    auto canvas = std::make_unique<RasterCanvas>();
    canvas->Create(10, 10);
    canvas->Fill(0x00808080);
    return canvas;
}

std::unique_ptr<RasterCanvas> OpaqueCopy(const RasterCanvas& source) {
    auto canvas = std::make_unique<RasterCanvas>();
    if (!canvas->SetBitsPerPixel(32) || !canvas->Create(source.Width(), source.Height()) ||
        !canvas->CopyFrom24(source)) {
        return nullptr;
    }
    return canvas;
}

bool IsUsableImage(const RasterCanvas& canvas) {
    return canvas.HasPixels() && canvas.Width() > 0 && canvas.Height() > 0 &&
           (canvas.BitsPerPixel() == 24 || canvas.BitsPerPixel() == 32);
}

} // namespace

TileSetLoader::TileSetLoader(TileSet& tileSet) : tileSet_(tileSet), paths_(tileSet.Context().dataDirectory) {}

TileSetLoader::~TileSetLoader() = default;

bool TileSetLoader::LoadFile(const WString& name) {
    ParseFile(name, 0);
    return everyFileRead_;
}

bool TileSetLoader::CanRead(const WString& dataDirectory, const WString& name, WString& failedPath,
                            WString& reason) {
    std::vector<std::string> visited;
    return CanReadChain(DataPath(dataDirectory), name, 0, visited, failedPath, reason);
}

bool TileSetLoader::CanReadChain(const DataPath& paths, const WString& name, int depth,
                                 std::vector<std::string>& visited, WString& failedPath, WString& reason) {
    // The same limits as a load: what a load skips, it does not need to read either.
    const WString fullPath = paths.Resolve(name);
    const std::string canonical = CanonicalPath(fullPath);
    if (depth > kMaxNesting || static_cast<int>(visited.size()) >= kMaxFiles ||
        std::find(visited.begin(), visited.end(), canonical) != visited.end()) {
        return true;
    }
    visited.push_back(canonical);
    XmlDocument document;
    reason = ReadDocument(fullPath, document);
    if (!reason.IsEmpty()) {
        failedPath = fullPath.IsEmpty() ? name : fullPath;
        return false;
    }
    for (const WString& base : BaseNames(document)) {
        if (!CanReadChain(paths, base, depth + 1, visited, failedPath, reason)) {
            return false;
        }
    }
    return true;
}

std::vector<WString> TileSetLoader::BaseNames(const XmlElement& root) {
    std::vector<WString> names;
    const WString* list = Value(root, u"basetilesets");
    if (list == nullptr) {
        return names;
    }
    const char16_t separator = list->Find(u",") >= 0 ? u',' : u' ';
    WString baseName;
    for (int n = 0; list->Field(n, separator, true, baseName); ++n) {
        if (!baseName.IsEmpty()) { // runs of blanks separate like one
            names.push_back(baseName);
        }
    }
    return names;
}

void TileSetLoader::ParseFile(const WString& name, int depth) {
    ++filesRead_;
    const WString fullPath = paths_.Resolve(name);
    WString errors;
    XmlDocument document;
    const WString failure = ReadDocument(fullPath, document);
    if (!failure.IsEmpty()) {
        everyFileRead_ = false;
        errors += u"Error, could not open tileset:";
        errors += Quoted(fullPath);
        errors += u' ';
        errors += failure;
    } else {
        chain_.push_back(CanonicalPath(fullPath));
        ParseBaseTileSets(document, depth, errors);
        ApplyRootAttributes(document);
        for (int number = 0; number < document.ChildCount(); ++number) {
            const XmlElement& child = *document.Child(number);
            if (child.Name().EqualsNoCase(u"Tile")) {
                ParseTile(child, number, name, errors);
            } else if (child.Name().EqualsNoCase(u"TileType")) {
                ParseTileType(child);
            } else if (child.Name().EqualsNoCase(u"GlobalFlag")) {
                ParseGlobalFlag(child, number, errors);
            }
        }
        chain_.pop_back();
    }
    ShowErrors(errors);
}

WString TileSetLoader::ReadDocument(const WString& fullPath, XmlDocument& document) {
    struct stat info;
    const bool exists = !fullPath.IsEmpty() && ::stat(FileUtils::NativePath(fullPath).c_str(), &info) == 0;
    if (!exists) {
        return WString(u"File does not exist.");
    }
    if (!S_ISREG(info.st_mode) || !FileUtils::Access(fullPath, 4)) {
        return WString(u"File does not have read permissions.");
    }
    if (info.st_size > kMaxFileBytes) {
        return WString(u"File is too large.");
    }
    if (!document.Load(fullPath)) {
        return WString(u"File is not a readable XML document.");
    }
    return WString();
}

void TileSetLoader::ParseBaseTileSets(const XmlElement& root, int depth, WString& errors) {
    for (const WString& baseName : BaseNames(root)) {
        if (MayInclude(paths_.Resolve(baseName), depth, errors)) {
            ParseFile(baseName, depth + 1);
        }
    }
}

bool TileSetLoader::MayInclude(const WString& fullPath, int depth, WString& errors) const {
    const char16_t* problem = nullptr;
    if (std::find(chain_.begin(), chain_.end(), CanonicalPath(fullPath)) != chain_.end()) {
        problem = u"Error, tileset includes itself:";
    } else if (depth + 1 > kMaxNesting) {
        problem = u"Error, tilesets are nested too deeply:";
    } else if (filesRead_ >= kMaxFiles) {
        problem = u"Error, too many tilesets included:";
    }
    if (problem == nullptr) {
        return true;
    }
    errors += problem;
    errors += Quoted(fullPath);
    errors += u'\n';
    return false;
}

void TileSetLoader::ApplyRootAttributes(const XmlElement& root) {
    TileSetSettings& settings = tileSet_.MutableSettings();
    ReadText(root, u"copyright", settings.copyright);
    WString imageName;
    if (ReadText(root, u"backimage", imageName)) {
        ReplacePathImage(tileSet_.BackImageSlot(), imageName);
    }
    if (ReadText(root, u"stepimage", imageName)) {
        ReplacePathImage(tileSet_.StepImageSlot(), imageName);
    }
    if (ReadText(root, u"turnleft90image", imageName)) {
        ReplacePathImage(tileSet_.TurnLeft90ImageSlot(), imageName);
    }
    if (ReadText(root, u"turnright90image", imageName)) {
        ReplacePathImage(tileSet_.TurnRight90ImageSlot(), imageName);
    }
    if (ReadText(root, u"turn180image", imageName)) {
        ReplacePathImage(tileSet_.Turn180ImageSlot(), imageName);
    }
    if (const WString* value = Value(root, u"pathtransparency")) {
        const float opacity = value->AsFloat();
        if (std::isfinite(opacity)) {
            settings.pathTransparency = std::clamp(opacity, 0.0f, 1.0f);
        }
    }
    ReadText(root, u"gui_expanded", settings.guiExpanded);
    ReadText(root, u"gui_collapsed", settings.guiCollapsed);
    ReadText(root, u"gui_hidden", settings.guiHidden);
    ReadText(root, u"gui_locked", settings.guiLocked);
    ReadText(root, u"gui_unlocked", settings.guiUnlocked);
    ReadColor(root, u"gui_textcolor", settings.guiTextColor);
    int gridSize = 0;
    if (ReadInt(root, u"gridsize", gridSize) && gridSize >= 1) {
        settings.gridSize = gridSize;
        settings.drawGridSize = gridSize;
    }
    ReadGridSize(root, u"drawgridsize", settings.drawGridSize);
    ReadText(root, u"fontname", settings.fontName);
    ReadColor(root, u"backcolor", settings.backColor);
    ReadColor(root, u"gridcolor", settings.gridColor);
    ReadColor(root, u"backpublishcolor", settings.backPublishColor);
    ReadBool(root, u"publishwithgrid", settings.publishWithGrid);
    ReadColor(root, u"textscreencolor", settings.textScreenColor);
    ReadColor(root, u"textpublishcolor", settings.textPublishColor);
    ReadText(root, u"htmltitlecolor", settings.htmlTitleColor);
    ReadText(root, u"htmltitlebkcolor", settings.htmlTitleBkColor);
}

void TileSetLoader::ReplacePathImage(TileImage& slot, const WString& name) const {
    // A base tileset and the file built on it often name the same picture; it is read only once.
    const WString fullPath = paths_.Resolve(name);
    if (slot.IsLoaded() && slot.path.EqualsNoCase(fullPath)) {
        return;
    }
    LoadPlainImage(slot, name);
}

void TileSetLoader::ParseTile(const XmlElement& element, int number, const WString& tileSetName,
                              WString& errors) {
    const WString& name = element.Attribute(u"name", false);
    const WString& imageName = element.Text(false);
    WString key(tileSetName);
    key += u':';
    key += name;
    if (name.IsEmpty()) {
        errors += u"Error: Tile ";
        errors += number;
        errors += u" needs a name.\n";
        return;
    }
    if (imageName.IsEmpty()) {
        errors += u"Error: Tile ";
        errors += number;
        errors += u" needs a filename for the tile image.\n";
        return;
    }
    if (tileSet_.HasKey(key)) {
        errors += u"Error: Tile ";
        errors += Quoted(key);
        errors += u" already exists.  Tiles need unique names.\n";
        return;
    }
    TileDef& definition = tileSet_.AppendDefinition(tileSetName, name);
    int kind = 0;
    ReadInt(element, u"type", kind);
    definition.SetKind(kind);
    int sort = kind;
    ReadInt(element, u"sort", sort);
    definition.SetSort(sort);
    int maxCount = 0;
    if (ReadInt(element, u"maxcount", maxCount)) {
        definition.SetMaxCount(maxCount);
    }
    bool flag = false;
    if (ReadBool(element, u"warn", flag)) {
        definition.SetWarn(flag);
    }
    if (ReadBool(element, u"freeplacement", flag)) {
        definition.SetFreePlacement(flag);
    }
    const WString* xScale = Value(element, u"xscale");
    const WString* yScale = Value(element, u"yscale");
    definition.SetScale(xScale ? xScale->AsReal() : 1.0, yScale ? yScale->AsReal() : 1.0);
    Rgb8 pathColor = definition.PathColor();
    if (ReadColor(element, u"pathcolor", pathColor)) {
        definition.SetPathColor(pathColor);
    }
    if (ReadBool(element, u"alwaysdrawsmooth", flag)) {
        definition.SetAlwaysDrawSmooth(flag);
    }
    if (ReadBool(element, u"highlightonselect", flag)) {
        definition.SetHighlightOnSelect(flag);
    }
    if (ReadBool(element, u"showhandles", flag)) {
        definition.SetShowHandles(flag);
    }
    LoadTileImage(definition.ImageSlot(), imageName);
    if (const WString* flipName = Value(element, u"flipimage")) {
        LoadTileImage(definition.FlipImageSlot(), *flipName);
    }
    if (const WString* surfaceName = Value(element, u"surfaceimage")) {
        LoadPlainImage(definition.SurfaceImageSlot(), *surfaceName);
    }
    ParseTileChildren(element, definition, errors);
}

void TileSetLoader::ParseTileChildren(const XmlElement& element, TileDef& definition, WString& errors) {
    for (int i = 0; i < element.ChildCount(); ++i) {
        const XmlElement& child = *element.Child(i);
        if (child.Name().EqualsNoCase(u"LocalFlag")) {
            int index = 0;
            bool defaultState = false;
            ReadInt(child, u"index", index);
            ReadBool(child, u"defaultstate", defaultState);
            if (index < 0 || index > kMaxFlagIndex) {
                errors += u"Error: LocalFlag of Tile ";
                errors += Quoted(definition.Key());
                errors += u" needs an index from 0 to ";
                errors += kMaxFlagIndex;
                errors += u".\n";
                continue;
            }
            definition.DefineLocalFlag(index, defaultState, child.Text(false));
        } else if (child.Name().EqualsNoCase(u"PreDrawTile")) {
            definition.AddPreDraw(ReadDrawEntry(child));
        } else if (child.Name().EqualsNoCase(u"PostDrawTile")) {
            definition.AddPostDraw(ReadDrawEntry(child));
        }
    }
}

DrawEntry TileSetLoader::ReadDrawEntry(const XmlElement& element) const {
    DrawEntry entry;
    // Find() sees only the definitions read so far, so an entry can name an earlier tile, a tile of a
    // base tileset or its own tile; anything else falls back to the first definition.
    entry.definition = tileSet_.Find(element.Attribute(u"name", false));
    if (const WString* matrixText = Value(element, u"matrix")) {
        float values[6];
        if (WString::DecodeBytes(*matrixText, values, sizeof values) == sizeof values &&
            std::all_of(values, values + 6, [](float v) { return std::isfinite(v); })) {
            entry.matrix.Set(values[0], values[1], values[2], values[3], values[4], values[5]);
        }
    }
    ReadInt(element, u"type", entry.condition);
    if (entry.UsesFlag()) {
        ReadInt(element, u"index", entry.flagIndex);
    }
    return entry;
}

void TileSetLoader::ParseTileType(const XmlElement& element) {
    TileCategory category;
    ReadBool(element, u"show", category.shown);
    ReadInt(element, u"type", category.kind);
    int defaultState = 0;
    ReadInt(element, u"defaultstate", defaultState);
    if (defaultState != 0) {
        category.state = defaultState;
    } else {
        category.state = category.shown ? kCategoryUnlocked : kCategoryLocked;
    }
    category.label = element.Text(false);
    tileSet_.AddCategory(category);
}

void TileSetLoader::ParseGlobalFlag(const XmlElement& element, int number, WString& errors) {
    int index = 0;
    bool defaultState = false;
    ReadInt(element, u"index", index);
    ReadBool(element, u"defaultstate", defaultState);
    if (index < 0 || index > kMaxFlagIndex) {
        errors += u"Error: GlobalFlag ";
        errors += number;
        errors += u" needs an index from 0 to ";
        errors += kMaxFlagIndex;
        errors += u".\n";
        return;
    }
    tileSet_.DefineGlobalFlag(index, defaultState, element.Text(false));
}

void TileSetLoader::LoadTileImage(TileImage& slot, const WString& name) const {
    slot.Release();
    const WString fullPath = paths_.Resolve(name);
    auto canvas = std::make_unique<RasterCanvas>();
    if (!DataPath::IsRegularFile(fullPath) || !LoadImageFile(*canvas, fullPath) || !IsUsableImage(*canvas)) {
        canvas = GreyReplacement();
    } else if (canvas->BitsPerPixel() == 32) {
        canvas->BleedColorIntoTransparent();
    }
    if (canvas->BitsPerPixel() == 24) {
        canvas = OpaqueCopy(*canvas);
    }
    if (canvas == nullptr) {
        return; // out of memory; the slot stays empty
    }
    canvas->BuildLevels();
    Attach(slot, std::move(canvas), fullPath);
}

void TileSetLoader::LoadPlainImage(TileImage& slot, const WString& name) const {
    slot.Release();
    const WString fullPath = paths_.Resolve(name);
    auto canvas = std::make_unique<RasterCanvas>();
    if (!DataPath::IsRegularFile(fullPath) || !LoadImageFile(*canvas, fullPath) || !IsUsableImage(*canvas)) {
        return;
    }
    Attach(slot, std::move(canvas), fullPath);
}

void TileSetLoader::Attach(TileImage& slot, std::unique_ptr<RasterCanvas> canvas,
                           const WString& fullPath) const {
    // Every image of a tileset passes here once its pixels are final: the place where an OpenGL texture
    // is made from them when the program draws through OpenGL (context.openGlDrawing).
    slot.canvas = std::move(canvas);
    slot.path = fullPath;
}

void TileSetLoader::ShowErrors(const WString& errors) const {
    MessageSink* sink = tileSet_.Context().messages;
    if (!errors.IsEmpty() && sink != nullptr) {
        sink->ShowError(TileSet::kApplicationName, errors);
    }
}

std::string TileSetLoader::CanonicalPath(const WString& fullPath) {
    // Two spellings of one file ("a.set", "./A.SET" matched by case, a symbolic link) must compare equal
    // when looking for a tileset that includes itself.
    std::string native = FileUtils::NativePath(fullPath);
    char* resolved = ::realpath(native.c_str(), nullptr);
    if (resolved == nullptr) {
        return native;
    }
    std::string canonical(resolved);
    std::free(resolved);
    return canonical;
}
