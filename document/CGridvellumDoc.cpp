#include "document/CGridvellumDoc.h"

#include "document/ClipboardTextSink.h"
#include "document/DocumentHost.h"
#include "document/MapFile.h"
#include "document/ProgramState.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "support/XmlDocument.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Sort values compare unsigned, so text tiles (-1) lie above every map tile.
std::uint32_t LayerOf(const TileRef& tile) {
    return static_cast<std::uint32_t>(tile.Sort());
}

bool CentreInside(const TileRef& tile, const Rect2& rect) {
    return rect.Contains(tile.Bounds().Centre());
}

} // namespace

CGridvellumDoc::CGridvellumDoc(TileSet& tileSet, ProgramState& state, DocumentHost* host)
    : context_(tileSet, state), host_(host) {}

CGridvellumDoc::~CGridvellumDoc() = default;

void CGridvellumDoc::Repaint() const {
    if (host_ != nullptr) {
        host_->RepaintMap();
    }
}

void CGridvellumDoc::SetDocumentTitle(const WString& title) {
    title_ = title;
    if (host_ != nullptr) {
        host_->SetTitle(title_);
    }
}

WString CGridvellumDoc::TitleFor(const WString& path) const {
    WString title = path.NameAndExtensionOf();
    title.Append(u" [");
    title.Append(Tiles().Name());
    title.Append(u"]");
    return title;
}

void CGridvellumDoc::ForgetEditState() {
    State().changed = false;
    preEditSnapshot_.reset();
    modified_ = false;
    undoHistory_.clear();
    redoHistory_.clear();
}

bool CGridvellumDoc::OnNewDocument() {
    ForgetEditState();
    DeleteAllTiles();
    scenario_.Clear();
    if (host_ != nullptr) {
        host_->EnsureTileSet();
    }
    Repaint();
    pathName_.Clear();
    WString title(u"Untitled [");
    title.Append(Tiles().Name());
    title.Append(u"]");
    SetDocumentTitle(title);
    return true;
}

bool CGridvellumDoc::OnOpenDocument(const WString& path) {
    // The file is read completely first: a missing or damaged file must not cost the user the map
    // that is open, nor leave an empty map that a later save would write over the file. The same goes
    // for its tileset: over one that cannot be read every tile would be dropped or renamed.
    XmlDocument file;
    if (!file.Load(path, &fileError_)) {
        return false;
    }
    if (host_ != nullptr && !host_->SetTileSetByName(file.Attribute(u"tileset"), fileError_)) {
        return false;
    }
    fileError_.Clear();
    // The histories go first: tiles whose texts they share would otherwise write them as they go.
    ForgetEditState();
    DeleteAllTiles();
    scenario_.Clear();
    ReadXml(file, false);
    pathName_ = path;
    SetDocumentTitle(TitleFor(path));
    ForgetEditState();
    return true;
}

bool CGridvellumDoc::OnRecoverDocument(const WString& copyPath, const WString& originalPath) {
    if (!OnOpenDocument(copyPath)) {
        return false;
    }
    pathName_ = originalPath;
    if (originalPath.IsEmpty()) {
        WString title(u"Untitled [");
        title.Append(Tiles().Name());
        title.Append(u"]");
        SetDocumentTitle(title);
    } else {
        SetDocumentTitle(TitleFor(originalPath));
    }
    modified_ = true;
    return true;
}

bool CGridvellumDoc::OnSaveDocument(const WString& path) {
    XmlDocument file;
    WriteXml(file, false);
    if (!file.Save(path, &fileError_)) {
        return false;
    }
    fileError_.Clear();
    State().changed = false;
    preEditSnapshot_.reset();
    modified_ = false;
    pathName_ = path;
    SetDocumentTitle(TitleFor(path));
    return true;
}

WString CGridvellumDoc::FileFailureMessage(const char16_t* lead, const WString& path, const WString& reason) {
    WString text(lead);
    text += u" \"";
    text += path;
    text += u"\"";
    if (reason.IsEmpty()) {
        text += u".";
        return text;
    }
    text += u": ";
    text += reason;
    if (!reason.EndsWith(u".")) {
        text += u".";
    }
    return text;
}

TileRef* CGridvellumDoc::TileAt(int index) const {
    if (index < 0 || index >= TileCount()) {
        return nullptr;
    }
    return tiles_[static_cast<size_t>(index)].get();
}

void CGridvellumDoc::CompactTiles() {
    if (!hasEmptySlots_) {
        return;
    }
    tiles_.erase(std::remove(tiles_.begin(), tiles_.end(), nullptr), tiles_.end());
    hasEmptySlots_ = false;
}

void CGridvellumDoc::InsertTile(std::unique_ptr<TileRef> tile) {
    if (!tile) {
        return;
    }
    CompactTiles();
    CountPlacement(*tile, 1);
    const std::uint32_t layer = LayerOf(*tile);
    if (tiles_.empty() || LayerOf(*tiles_.back()) <= layer) {
        tiles_.push_back(std::move(tile));
        return;
    }
    // The list is in layer order, so the place is found by halving rather than by asking every tile.
    auto above = std::upper_bound(
        tiles_.begin(), tiles_.end(), layer,
        [](std::uint32_t wanted, const std::unique_ptr<TileRef>& t) { return wanted < LayerOf(*t); });
    tiles_.insert(above, std::move(tile));
}

bool CGridvellumDoc::MayPlace(std::uint32_t definition, int used) const {
    const TileSet& tileSet = Tiles();
    return definition < static_cast<std::uint32_t>(tileSet.DefinitionCount()) &&
           tileSet.MayPlace(static_cast<int>(definition), used);
}

TileRef* CGridvellumDoc::AddTile(int definition) {
    if (definition < 0 || !MayPlace(static_cast<std::uint32_t>(definition), CountPlaced(definition))) {
        return nullptr;
    }
    State().changed = true;
    auto tile = std::make_unique<TileRef>(context_);
    tile->SetDefinition(static_cast<std::uint32_t>(definition));
    tile->SetTransform(Matrix3());
    tile->UpdateBounds();
    TileRef* added = tile.get();
    InsertTile(std::move(tile));
    Repaint();
    return added;
}

int CGridvellumDoc::CountPlaced(int definition) const {
    if (definition < 0 || static_cast<size_t>(definition) >= placed_.size()) {
        return 0;
    }
    return placed_[static_cast<size_t>(definition)];
}

void CGridvellumDoc::CountPlacement(const TileRef& tile, int change) {
    if (tile.Kind() == TileKinds::kText) {
        return;
    }
    const size_t definition = tile.DefinitionIndex();
    if (definition >= placed_.size()) {
        placed_.resize(definition + 1, 0);
    }
    placed_[definition] += change;
}

void CGridvellumDoc::DeleteAllTiles() {
    tiles_.clear();
    placed_.clear();
    hasEmptySlots_ = false;
}

std::unique_ptr<TileRef> CGridvellumDoc::ReleaseTile(int index) {
    if (index < 0 || index >= TileCount()) {
        return nullptr;
    }
    std::unique_ptr<TileRef>& slot = tiles_[static_cast<size_t>(index)];
    if (slot) {
        CountPlacement(*slot, -1);
    }
    hasEmptySlots_ = true;
    return std::move(slot);
}

void CGridvellumDoc::RemoveEmptyTexts() {
    for (auto& tile : tiles_) {
        if (tile && tile->Kind() == TileKinds::kText && static_cast<TextTile&>(*tile).IsEmptyText()) {
            tile.reset();
            hasEmptySlots_ = true;
        }
    }
    CompactTiles();
}

int CGridvellumDoc::CategoryState(const TileRef& tile) const {
    const TileSet& tileSet = Tiles();
    if (tileSet.CategoryCount() == 0) {
        return kCategoryUnlocked;
    }
    return tileSet.Category(tile.CategoryPosition(tileSet)).state;
}

void CGridvellumDoc::SelectAll() {
    for (const auto& tile : tiles_) {
        if (tile && CategoryState(*tile) == kCategoryUnlocked) {
            tile->SetSelected(true);
        }
    }
}

void CGridvellumDoc::DeselectAll() {
    for (const auto& tile : tiles_) {
        if (tile) {
            tile->SetSelected(false);
        }
    }
}

void CGridvellumDoc::DeselectUnavailable() {
    for (const auto& tile : tiles_) {
        if (tile && tile->IsSelected() && CategoryState(*tile) > kCategoryUnlocked) {
            tile->SetSelected(false);
        }
    }
}

void CGridvellumDoc::SelectInRect(const Rect2& worldRect) {
    for (const auto& tile : tiles_) {
        if (tile && CategoryState(*tile) == kCategoryUnlocked && CentreInside(*tile, worldRect)) {
            tile->SetSelected(true);
        }
    }
}

void CGridvellumDoc::DeselectInRect(const Rect2& worldRect) {
    for (const auto& tile : tiles_) {
        if (tile && CentreInside(*tile, worldRect)) {
            tile->SetSelected(false);
        }
    }
}

void CGridvellumDoc::SaveSelection() {
    selectionSnapshot_.assign(tiles_.size(), false);
    for (size_t i = 0; i < tiles_.size(); ++i) {
        selectionSnapshot_[i] = tiles_[i] && tiles_[i]->IsSelected();
    }
}

void CGridvellumDoc::RestoreSelection() {
    // After tiles were added or deleted the bits no longer line up with the tiles.
    if (selectionSnapshot_.size() != tiles_.size()) {
        return;
    }
    for (size_t i = 0; i < tiles_.size(); ++i) {
        if (tiles_[i]) {
            tiles_[i]->SetSelected(selectionSnapshot_[i]);
        }
    }
}

int CGridvellumDoc::SelectedCount() const {
    return static_cast<int>(
        std::count_if(tiles_.begin(), tiles_.end(),
                      [](const std::unique_ptr<TileRef>& tile) { return tile && tile->IsSelected(); }));
}

TileRef* CGridvellumDoc::SingleSelected() const {
    TileRef* found = nullptr;
    for (const auto& tile : tiles_) {
        if (tile && tile->IsSelected()) {
            if (found != nullptr) {
                return nullptr;
            }
            found = tile.get();
        }
    }
    return found;
}

bool CGridvellumDoc::AnySelectedSnaps() const {
    return std::any_of(tiles_.begin(), tiles_.end(), [](const std::unique_ptr<TileRef>& tile) {
        return tile && tile->IsSelected() && !tile->IsFree();
    });
}

bool CGridvellumDoc::AnySelectedFlippable() const {
    return std::any_of(tiles_.begin(), tiles_.end(), [](const std::unique_ptr<TileRef>& tile) {
        return tile && tile->IsSelected() && tile->CanFlip();
    });
}

template <typename Accept> TileRef* CGridvellumDoc::HitTestTopmost(const Vec2& worldPt, Accept accept) const {
    for (auto it = tiles_.rbegin(); it != tiles_.rend(); ++it) {
        if (*it && accept(**it) && (*it)->HitTest(worldPt)) {
            return it->get();
        }
    }
    return nullptr;
}

TileRef* CGridvellumDoc::HitTestSelectable(const Vec2& worldPt) const {
    return HitTestTopmost(worldPt,
                          [this](const TileRef& tile) { return CategoryState(tile) == kCategoryUnlocked; });
}

TileRef* CGridvellumDoc::HitTestVisible(const Vec2& worldPt) const {
    return HitTestTopmost(worldPt,
                          [this](const TileRef& tile) { return CategoryState(tile) <= kCategoryLocked; });
}

TextTile* CGridvellumDoc::HitTestText(const Vec2& worldPt, int& caretIndex) const {
    TileRef* hit =
        HitTestTopmost(worldPt, [](const TileRef& tile) { return tile.Kind() == TileKinds::kText; });
    if (hit == nullptr) {
        return nullptr;
    }
    auto* text = static_cast<TextTile*>(hit);
    caretIndex = text->CaretIndexAt(worldPt);
    return text;
}

Rect2 CGridvellumDoc::DocumentBounds(bool selectedOnly, bool widen) const {
    Rect2 box;
    bool any = false;
    for (const auto& tile : tiles_) {
        if (!tile || (selectedOnly && !tile->IsSelected())) {
            continue;
        }
        if (any) {
            box.Union(tile->Bounds());
        } else {
            box = tile->Bounds();
            any = true;
        }
    }
    if (selectedOnly || !widen || host_ == nullptr) {
        return box;
    }
    const ClientSize client = host_->ViewClientSize();
    if (client.IsEmpty()) {
        return box;
    }
    // Zooming to the extents of a small map should not magnify it beyond one world unit per pixel.
    const Vec2 centre = box.Centre();
    float minX = box.MinX(), maxX = box.MaxX(), minY = box.MinY(), maxY = box.MaxY();
    if (box.Width() < client.width) {
        minX = centre.X() - client.width / 2.0f;
        maxX = centre.X() + client.width / 2.0f;
    }
    if (box.Height() < client.height) {
        minY = centre.Y() - client.height / 2.0f;
        maxY = centre.Y() + client.height / 2.0f;
    }
    return Rect2(minX, maxX, minY, maxY);
}

CGridvellumDoc::SelectedColor CGridvellumDoc::GetSelectedColor() const {
    SelectedColor color;
    color.strength = State().defaultTint.strength;
    const TileRef* chosen = nullptr;
    for (const auto& tile : tiles_) {
        if (tile && tile->IsSelected()) {
            if (chosen == nullptr) {
                chosen = tile.get();
            }
            if (tile->IsTinted()) {
                chosen = tile.get();
                break;
            }
        }
    }
    if (chosen != nullptr) {
        color.red = chosen->TintColor().r / 255.0;
        color.green = chosen->TintColor().g / 255.0;
        color.blue = chosen->TintColor().b / 255.0;
        color.strength = chosen->Strength();
    }
    return color;
}

void CGridvellumDoc::WriteXml(XmlElement& root, bool clipboardForm) const {
    root.SetName(MapFile::kRootElement);
    root.AddAttribute(u"xmlns", MapFile::kNamespace);
    root.AddAttribute(u"tileset", Tiles().Name());
    root.AddAttribute(u"version", MapFile::kVersion);
    if (!clipboardForm && !scenario_.IsEmpty()) {
        XmlElement* scenario = root.AddChild();
        scenario->SetName(MapFile::kScenarioElement);
        scenario->SetText(scenario_);
    }
    for (const auto& tile : tiles_) {
        if (tile) {
            tile->WriteXml(*root.AddChild());
        }
    }
}

void CGridvellumDoc::ReadXml(const XmlElement& root, bool skipScenario) {
    const TileSet& tileSet = Tiles();
    for (int i = 0; i < root.ChildCount(); ++i) {
        const XmlElement& element = *root.Child(i);
        const WString& name = element.Name();
        if (name == MapFile::kTileElement) {
            const std::uint32_t definition = MapFile::ResolveDefinition(element, tileSet);
            if (!MayPlace(definition, CountPlaced(static_cast<int>(definition)))) {
                continue;
            }
            auto tile = std::make_unique<TileRef>(context_);
            tile->ReadXml(element);
            InsertTile(std::move(tile));
        } else if (name == MapFile::kTextElement) {
            auto tile = std::make_unique<TextTile>(context_);
            tile->ReadXml(element);
            InsertTile(std::move(tile));
        } else if (name == MapFile::kScenarioElement && !skipScenario) {
            scenario_ = element.Text(true);
        }
    }
    RemoveEmptyTexts();
    Repaint();
}

void CGridvellumDoc::AppendTextStart(WString& out, bool anyTile) const {
    out.Append(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<");
    out.Append(MapFile::kRootElement);
    ClipboardTextSink sink(out);
    sink.Attribute(u"xmlns", MapFile::kNamespace);
    sink.Attribute(u"tileset", Tiles().Name());
    sink.Attribute(u"version", MapFile::kVersion);
    out.Append(anyTile ? u">" : u"/>");
}

void CGridvellumDoc::AppendTextEnd(WString& out, bool anyTile) const {
    if (anyTile) {
        out.Append(u"\n</");
        out.Append(MapFile::kRootElement);
        out.AppendUnit(u'>');
    }
}

void CGridvellumDoc::ToText(WString& out) const {
    // Undo takes this snapshot on every edit, so the text is put together from the tiles' own texts
    // rather than through an XML tree; it is the same text the tree would give (the tests hold the two
    // side by side).
    const bool anyTile = std::any_of(tiles_.begin(), tiles_.end(),
                                     [](const std::unique_ptr<TileRef>& tile) { return !!tile; });
    AppendTextStart(out, anyTile);
    for (const auto& tile : tiles_) {
        if (tile) {
            out.Append(*tile->ClipboardText());
        }
    }
    AppendTextEnd(out, anyTile);
}

void CGridvellumDoc::TextOf(const TileTexts& tiles, WString& out) const {
    AppendTextStart(out, !tiles.empty());
    for (const TileText& text : tiles) {
        out.Append(*text);
    }
    AppendTextEnd(out, !tiles.empty());
}

void CGridvellumDoc::CollectTileTexts(TileTexts& out) const {
    out.clear();
    out.reserve(tiles_.size());
    for (const auto& tile : tiles_) {
        if (tile) {
            out.push_back(tile->ClipboardIdentity());
        }
    }
}

void CGridvellumDoc::WriteTileTexts() const {
    for (const auto& tile : tiles_) {
        if (tile) {
            tile->ClipboardText();
        }
    }
}

std::vector<std::unique_ptr<TileRef>> CGridvellumDoc::ReadTileElements(const WString& text) {
    std::vector<std::unique_ptr<TileRef>> read;
    XmlDocument document;
    if (!document.ParseText(text)) {
        return read;
    }
    const TileSet& tileSet = Tiles();
    for (int i = 0; i < document.ChildCount(); ++i) {
        const XmlElement& element = *document.Child(i);
        std::unique_ptr<TileRef> tile;
        if (element.Name() == MapFile::kTextElement) {
            tile = std::make_unique<TextTile>(context_);
        } else if (element.Name() == MapFile::kTileElement &&
                   MapFile::ResolveDefinition(element, tileSet) <
                       static_cast<std::uint32_t>(tileSet.DefinitionCount())) {
            tile = std::make_unique<TileRef>(context_);
        }
        if (tile) {
            tile->ReadXml(element);
        }
        read.push_back(std::move(tile));
    }
    return read;
}

void CGridvellumDoc::ReadTilesInto(const TileTexts& texts, const std::vector<size_t>& slots,
                                   std::vector<std::unique_ptr<TileRef>>& into) {
    if (slots.empty()) {
        return;
    }
    WString text;
    AppendTextStart(text, true);
    for (size_t slot : slots) {
        text.Append(*texts[slot]);
    }
    AppendTextEnd(text, true);
    std::vector<std::unique_ptr<TileRef>> read = ReadTileElements(text);
    if (read.size() != slots.size()) {
        // Some text does not parse (a character no XML text may hold): each is read alone, so only
        // that tile is missing.
        if (slots.size() == 1) {
            return;
        }
        for (size_t slot : slots) {
            ReadTilesInto(texts, {slot}, into);
        }
        return;
    }
    for (size_t k = 0; k < slots.size(); ++k) {
        if (read[k]) {
            read[k]->AdoptClipboardText(texts[slots[k]]);
            into[slots[k]] = std::move(read[k]);
        }
    }
}

void CGridvellumDoc::ReplaceTiles(const TileTexts& wanted) {
    CompactTiles();
    const size_t count = tiles_.size();
    size_t prefix = 0;
    while (prefix < count && prefix < wanted.size() &&
           tiles_[prefix]->ClipboardIdentity() == wanted[prefix]) {
        ++prefix;
    }
    size_t suffix = 0;
    while (suffix < count - prefix && suffix < wanted.size() - prefix &&
           tiles_[count - 1 - suffix]->ClipboardIdentity() == wanted[wanted.size() - 1 - suffix]) {
        ++suffix;
    }
    // Between the runs that stayed, a tile whose text is wanted moves to its new place as it is; the
    // tiles whose texts are not wanted go, and the wanted texts no tile has are read in one go.
    std::unordered_map<const WString*, std::unique_ptr<TileRef>> kept;
    for (size_t i = prefix; i < count - suffix; ++i) {
        CountPlacement(*tiles_[i], -1);
        kept.try_emplace(tiles_[i]->ClipboardIdentity().get(), std::move(tiles_[i]));
    }
    std::vector<std::unique_ptr<TileRef>> rebuilt;
    rebuilt.reserve(wanted.size());
    for (size_t i = 0; i < prefix; ++i) {
        rebuilt.push_back(std::move(tiles_[i]));
    }
    std::vector<size_t> unreadSlots;
    for (size_t i = prefix; i < wanted.size() - suffix; ++i) {
        auto found = kept.find(wanted[i].get());
        if (found != kept.end()) {
            rebuilt.push_back(std::move(found->second));
            kept.erase(found);
        } else {
            unreadSlots.push_back(rebuilt.size());
            rebuilt.emplace_back();
        }
    }
    for (size_t i = count - suffix; i < count; ++i) {
        rebuilt.push_back(std::move(tiles_[i]));
    }
    ReadTilesInto(wanted, unreadSlots, rebuilt);
    for (size_t i = prefix; i < rebuilt.size() - suffix; ++i) {
        if (rebuilt[i]) {
            CountPlacement(*rebuilt[i], 1);
        }
    }
    tiles_ = std::move(rebuilt);
    hasEmptySlots_ = true;
    CompactTiles();
    DeselectAll();
    RemoveEmptyTexts();
    Repaint();
}

bool CGridvellumDoc::LoadTilesFromText(const WString& text) {
    XmlDocument document;
    if (!document.ParseText(text)) {
        return false;
    }
    ReadXml(document, true);
    return true;
}

void CGridvellumDoc::DetachForTilesetChange(WString& out) {
    ToText(out);
    ForgetEditState();
    DeleteAllTiles();
}

void CGridvellumDoc::ReattachAfterTilesetChange(const WString& text) {
    LoadTilesFromText(text);
    modified_ = true;
}
