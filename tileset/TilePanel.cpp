#include "tileset/TilePanel.h"

#include "platform/CanvasPainter.h"
#include "platform/FontDescription.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "support/TextFold.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::uint32_t kRed = 0x000000FF;
// Stands in for a header picture the tileset did not bring, so the header stays visible.
constexpr std::uint32_t kMissingHeaderGrey = 0x00C0C0C0;

std::uint32_t ColorOf(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

// Copies the whole of source onto the destination rectangle, stretching when the sizes differ.
void CopyImage(CanvasPainter& painter, const RasterCanvas& source, int left, int top, int width, int height) {
    painter.StretchBlit(left, top, width, height, source.AsPixelBlock(), 0, 0, source.Width(),
                        source.Height());
}

bool IsUsable(const TileImage& image) {
    return image.IsLoaded() && image.canvas->HasPixels() && image.Width() > 0 && image.Height() > 0;
}

} // namespace

TilePanel::TilePanel(TileSet& tileSet, int tileSize, int columns)
    : tileSet_(tileSet), tileSize_(IsValidTileSize(tileSize) ? tileSize : kLargeTiles),
      columns_(IsValidColumns(columns) ? columns : kMaxColumns) {}

TilePanel::~TilePanel() = default;

bool TilePanel::IsValidTileSize(int tileSize) {
    return tileSize == kSmallTiles || tileSize == kLargeTiles;
}

bool TilePanel::IsValidColumns(int columns) {
    return columns >= kMinColumns && columns <= kMaxColumns;
}

bool TilePanel::SetTileSize(int tileSize) {
    if (!IsValidTileSize(tileSize) || tileSize == tileSize_) {
        return false;
    }
    tileSize_ = tileSize;
    RebuildAll();
    return true;
}

bool TilePanel::SetColumns(int columns) {
    if (!IsValidColumns(columns) || columns == columns_) {
        return false;
    }
    columns_ = columns;
    RebuildAll();
    return true;
}

void TilePanel::RebuildAll() {
    blocks_.clear();
    pick_ = PanelPick{};
    foldedNames_.clear();
    foldedNames_.reserve(static_cast<size_t>(std::max(0, tileSet_.DefinitionCount())));
    for (int definition = 0; definition < tileSet_.DefinitionCount(); ++definition) {
        foldedNames_.push_back(TextFold::Fold(tileSet_.Definition(definition).Name()));
    }
    const int count = std::min(tileSet_.PanelCategoryCount(), tileSet_.CategoryCount());
    for (int position = 0; position < count; ++position) {
        Block block;
        block.position = position;
        const TileKind kind = tileSet_.Category(position).kind;
        // Text is placed with the text tool; its category only locks and hides text on the map.
        if (kind != TileKinds::kText) {
            block.tiles = tileSet_.DefinitionsOfKind(kind);
        }
        BuildGrid(block);
        ShowAll(block);
        blocks_.push_back(std::move(block));
    }
    if (IsFiltered()) {
        ApplyFilter();
    }
    Layout(clientHeight_);
}

void TilePanel::ShowAll(Block& block) {
    block.shown = block.tiles;
    block.shownCells.resize(block.tiles.size());
    for (size_t n = 0; n < block.tiles.size(); ++n) {
        block.shownCells[n] = static_cast<int>(n);
    }
}

void TilePanel::ApplyFilter() {
    matchCount_ = 0;
    for (Block& block : blocks_) {
        block.shown.clear();
        block.shownCells.clear();
        for (size_t n = 0; n < block.tiles.size(); ++n) {
            const int definition = block.tiles[n];
            if (definition >= 0 && definition < static_cast<int>(foldedNames_.size()) &&
                TextFold::Contains(foldedNames_[static_cast<size_t>(definition)], filter_)) {
                block.shown.push_back(definition);
                block.shownCells.push_back(static_cast<int>(n));
            }
        }
        block.filterExpanded = !block.shown.empty();
        matchCount_ += static_cast<int>(block.shown.size());
    }
}

void TilePanel::SetFilter(const WString& text) {
    const WString folded = TextFold::Fold(text);
    if (folded == filter_) {
        return;
    }
    pick_.dragging = false;
    if (!IsFiltered()) {
        scrollBeforeFilter_ = scrollPosition_;
    }
    filter_ = folded;
    if (!IsFiltered()) {
        for (Block& block : blocks_) {
            ShowAll(block);
        }
        matchCount_ = 0;
        Layout(clientHeight_);
        scrollPosition_ = std::clamp(scrollBeforeFilter_, 0, MaxScroll());
        return;
    }
    ApplyFilter();
    scrollPosition_ = 0;
    Layout(clientHeight_);
}

const std::vector<int>& TilePanel::TilesOf(int category) const {
    return category >= 0 && category < CategoryCount() ? blocks_[category].shown : noTiles_;
}

int TilePanel::GridRows(int category) const {
    const int count = static_cast<int>(TilesOf(category).size());
    return (count + columns_ - 1) / columns_;
}

const RasterCanvas* TilePanel::GridImage(int category) const {
    return category >= 0 && category < CategoryCount() ? blocks_[category].grid.get() : nullptr;
}

void TilePanel::BuildGrid(Block& block) {
    block.grid.reset();
    if (block.tiles.empty()) {
        return;
    }
    const int rows = (static_cast<int>(block.tiles.size()) + columns_ - 1) / columns_;
    auto grid = std::make_unique<RasterCanvas>();
    if (!grid->Create(PanelWidth(), rows * tileSize_)) {
        return; // far too many tiles for one picture: the category shows its header only
    }
    grid->Fill(ColorOf(tileSet_.Settings().backColor));
    for (int n = 0; n < static_cast<int>(block.tiles.size()); ++n) {
        DrawTileIntoCell(*grid, block.tiles[n], (n % columns_) * tileSize_, (n / columns_) * tileSize_);
    }
    block.grid = std::move(grid);
}

void TilePanel::DrawTileIntoCell(RasterCanvas& grid, int definition, int cellLeft, int cellTop) {
    if (!tileSet_.IsValidDefinition(definition)) {
        return;
    }
    TileDef& tile = tileSet_.Definition(definition);
    if (!IsUsable(tile.ImageSlot())) {
        return;
    }
    RasterCanvas& image = tile.Image();
    const double width = image.Width();
    const double height = image.Height();
    const double size = tileSize_;
    const double cellCentreY = cellTop + size / 2.0;
    if (!IsUsable(tile.FlipImageSlot())) {
        const double scale = (size - kCellMargin) / std::max(width, height);
        DrawScaled(image, grid, scale, cellLeft + size / 2.0, cellCentreY);
        return;
    }
    // Both faces share the cell at one scale, taken from the normal face.
    const double scale = std::min((size / 2.0 - kCellMargin) / width, (size - kCellMargin) / height);
    DrawScaled(image, grid, scale, cellLeft + size / 4.0, cellCentreY);
    DrawScaled(tile.FlipImage(), grid, scale, cellLeft + size * 3.0 / 4.0, cellCentreY);
}

void TilePanel::DrawScaled(RasterCanvas& source, RasterCanvas& grid, double scale, double centreX,
                           double centreY) {
    const double left = centreX - source.Width() * scale / 2.0;
    const double top = centreY - source.Height() * scale / 2.0;
    // The rasterizer works in stored rows: the grid's bottom row is row 0.
    const double storedBottom = grid.Height() - (top + source.Height() * scale);
    const Matrix3 sourceToGrid = Matrix3::Scaling(scale, scale) * Matrix3::Translation(left, storedBottom);
    source.DrawTransformed(grid, sourceToGrid, false, 0, false, 0, 1.0f);
}

bool TilePanel::IsExpanded(const Block& block) const {
    if (IsFiltered()) {
        return block.filterExpanded;
    }
    return block.position < tileSet_.CategoryCount() && tileSet_.Category(block.position).expanded;
}

int TilePanel::StateOf(const Block& block) const {
    return block.position < tileSet_.CategoryCount() ? tileSet_.Category(block.position).state
                                                     : kCategoryUnlocked;
}

WString TilePanel::LabelOf(const Block& block) const {
    return block.position < tileSet_.CategoryCount() ? tileSet_.Category(block.position).label : WString();
}

int TilePanel::ShownRows(const Block& block) const {
    return (static_cast<int>(block.shown.size()) + columns_ - 1) / columns_;
}

int TilePanel::GridHeight(const Block& block) const {
    // Without a search every tile shows and this is the grid image's height.
    return IsExpanded(block) && block.grid ? ShownRows(block) * tileSize_ : 0;
}

void TilePanel::Layout(int clientHeight) {
    clientHeight_ = std::max(0, clientHeight);
    contentHeight_ = 0;
    for (const Block& block : blocks_) {
        contentHeight_ += kHeaderHeight + GridHeight(block);
    }
    if (contentHeight_ < clientHeight_) {
        scrollPosition_ = 0;
    }
    scrollPosition_ = std::clamp(scrollPosition_, 0, MaxScroll());
}

int TilePanel::MaxScroll() const {
    return std::max(0, contentHeight_ - clientHeight_);
}

bool TilePanel::ScrollTo(int position) {
    if (contentHeight_ <= clientHeight_) {
        return false;
    }
    const int clamped = std::clamp(position, 0, MaxScroll());
    if (clamped == scrollPosition_) {
        return false;
    }
    scrollPosition_ = clamped;
    return true;
}

bool TilePanel::ScrollBy(int delta) {
    return ScrollTo(scrollPosition_ + delta);
}

bool TilePanel::Wheel(int delta) {
    return ScrollBy(delta > 0 ? -kWheelStep : kWheelStep);
}

TilePanel::Hit TilePanel::HitTest(int clientX, int clientY) const {
    Hit hit;
    if (clientX < 0 || clientX >= PanelWidth()) {
        return hit;
    }
    const int contentY = clientY + scrollPosition_;
    int top = 0;
    for (int category = 0; category < CategoryCount(); ++category) {
        const Block& block = blocks_[category];
        if (contentY >= top && contentY < top + kHeaderHeight) {
            hit.part = clientX > kTypeButtonWidth ? Part::Bar : Part::TypeButton;
            hit.category = category;
            return hit;
        }
        top += kHeaderHeight;
        const int gridHeight = GridHeight(block);
        if (contentY >= top && contentY < top + gridHeight) {
            const int column = clientX / tileSize_;
            const int row = (contentY - top) / tileSize_;
            const int listPosition = row * columns_ + column;
            if (listPosition < static_cast<int>(block.shown.size())) {
                hit.part = Part::Tile;
                hit.category = category;
                hit.definition = block.shown[listPosition];
                hit.rightHalf = clientX % tileSize_ > tileSize_ / 2;
            }
            return hit;
        }
        top += gridHeight;
    }
    return hit;
}

TilePanel::Click TilePanel::MouseDown(int clientX, int clientY) {
    pick_.dragging = false;
    const Hit hit = HitTest(clientX, clientY);
    if (hit.part == Part::None) {
        return Click::None;
    }
    const Block& block = blocks_[hit.category];
    switch (hit.part) {
    case Part::Bar:
        if (IsFiltered()) {
            // During a search only the shown state changes; the stored one comes back afterwards.
            blocks_[hit.category].filterExpanded = !block.filterExpanded;
        } else {
            tileSet_.SetCategoryExpanded(block.position, !IsExpanded(block));
        }
        Layout(clientHeight_);
        return Click::ExpandToggled;
    case Part::TypeButton:
        tileSet_.SetCategoryState(block.position, (StateOf(block) + 1) % 3);
        return Click::StateCycled;
    case Part::Tile:
        // Locked and hidden tiles cannot be placed.
        if (StateOf(block) != kCategoryUnlocked) {
            return Click::None;
        }
        pick_.dragging = true;
        pick_.definition = hit.definition;
        pick_.rightHalf = hit.rightHalf;
        return Click::Picked;
    case Part::None:
        break;
    }
    return Click::None;
}

WString TilePanel::Tooltip(int clientX, int clientY, const UsedCount& used) const {
    const Hit hit = HitTest(clientX, clientY);
    if (hit.part == Part::None) {
        return WString();
    }
    const Block& block = blocks_[hit.category];
    WString text;
    if (hit.part == Part::Bar) {
        text = IsExpanded(block) ? u"Collapse " : u"Expand ";
        text += LabelOf(block);
    } else if (hit.part == Part::TypeButton) {
        text = LabelOf(block);
        const int state = StateOf(block);
        text += state == kCategoryHidden   ? u" : hidden"
                : state == kCategoryLocked ? u" : locked"
                                           : u" : unlocked";
    } else {
        text = tileSet_.TileLabel(hit.definition, used ? used(hit.definition) : 0);
    }
    return text;
}

void TilePanel::Paint(DcRasterCanvas& target, const UsedCount& used) const {
    if (!target.HasPixels()) {
        return;
    }
    CanvasPainter& painter = target.Painter();
    painter.ClearClip();
    painter.SetRasterOp(RasterOp::CopyPen);
    // The area below the last category (and any width beyond the panel) shows the map's back colour.
    painter.FillRect(0, 0, target.Width(), target.Height(), ColorOf(tileSet_.Settings().backColor));
    int top = -scrollPosition_;
    for (const Block& block : blocks_) {
        if (top >= target.Height()) {
            break;
        }
        if (top + kHeaderHeight > 0) {
            PaintHeader(target, block, top);
        }
        top += kHeaderHeight;
        const int gridHeight = GridHeight(block);
        if (gridHeight > 0 && top + gridHeight > 0 && top < target.Height()) {
            PaintGrid(target, block, top, used);
        }
        top += gridHeight;
    }
    painter.Flush();
}

void TilePanel::PaintHeader(DcRasterCanvas& target, const Block& block, int top) const {
    CanvasPainter& painter = target.Painter();
    const int state = StateOf(block);
    const TileImage& button = state == kCategoryHidden   ? tileSet_.GuiHiddenImage()
                              : state == kCategoryLocked ? tileSet_.GuiLockedImage()
                                                         : tileSet_.GuiUnlockedImage();
    if (IsUsable(button)) {
        CopyImage(painter, *button.canvas, 0, top, kTypeButtonWidth, kHeaderHeight);
    } else {
        painter.FillRect(0, top, kTypeButtonWidth, top + kHeaderHeight, kMissingHeaderGrey);
    }
    const TileImage& bar = IsExpanded(block) ? tileSet_.GuiExpandedImage() : tileSet_.GuiCollapsedImage();
    const int stretchedWidth = PanelWidth() - kTypeButtonWidth;
    if (IsUsable(bar)) {
        // At the panel width the bar picture was made for, it is copied as it is.
        const bool natural = PanelWidth() == kLargeTiles;
        CopyImage(painter, *bar.canvas, kTypeButtonWidth, top, natural ? bar.Width() : stretchedWidth,
                  natural ? bar.Height() : kHeaderHeight);
    } else {
        painter.FillRect(kTypeButtonWidth, top, PanelWidth(), top + kHeaderHeight, kMissingHeaderGrey);
    }
    FontDescription font;
    font.face = u"Arial";
    font.height = -kLabelCharacterHeight;
    font.weight = 400;
    if (painter.SetFont(font)) {
        const WString label = LabelOf(block);
        painter.SetTextColor(ColorOf(tileSet_.Settings().guiTextColor));
        painter.SetTextBackground(false, 0);
        painter.SetTextAlign(TextAlign::Baseline);
        painter.TextOut(kLabelX, top + kLabelBaseline,
                        std::u16string_view(label.c_str(), static_cast<size_t>(label.Length())));
    }
}

void TilePanel::PaintGrid(DcRasterCanvas& target, const Block& block, int top, const UsedCount& used) const {
    CanvasPainter& painter = target.Painter();
    if (IsFiltered()) {
        CopyShownCells(painter, block, top, target.Height());
    } else {
        CopyImage(painter, *block.grid, 0, top, PanelWidth(), block.grid->Height());
    }
    if (!used) {
        return;
    }
    // Only the rows on screen: counting a definition's copies walks the whole map.
    const int firstRow = std::max(0, -top / tileSize_);
    const int endRow = std::min(ShownRows(block), (target.Height() - top + tileSize_ - 1) / tileSize_);
    const int end = std::min(static_cast<int>(block.shown.size()), endRow * columns_);
    for (int n = firstRow * columns_; n < end; ++n) {
        const int definition = block.shown[n];
        const int status = tileSet_.CountStatus(definition, used(definition));
        if (status != 0) {
            PaintCountMark(target, status, (n % columns_) * tileSize_, top + (n / columns_) * tileSize_);
        }
    }
}

void TilePanel::CopyShownCells(CanvasPainter& painter, const Block& block, int top, int clientHeight) const {
    // The grid image keeps every tile in its own cell; a search copies the matching cells together.
    const int firstRow = std::max(0, -top / tileSize_);
    const int endRow = std::min(ShownRows(block), (clientHeight - top + tileSize_ - 1) / tileSize_);
    const int end = std::min(static_cast<int>(block.shown.size()), endRow * columns_);
    const PixelBlock source = block.grid->AsPixelBlock();
    for (int n = firstRow * columns_; n < end; ++n) {
        const int cell = block.shownCells[static_cast<size_t>(n)];
        painter.StretchBlit((n % columns_) * tileSize_, top + (n / columns_) * tileSize_, tileSize_,
                            tileSize_, source, (cell % columns_) * tileSize_, (cell / columns_) * tileSize_,
                            tileSize_, tileSize_);
    }
}

void TilePanel::PaintCountMark(DcRasterCanvas& target, int status, int cellLeft, int cellTop) const {
    CanvasPainter& painter = target.Painter();
    const int near = kMarkInset;
    const int far = tileSize_ - kMarkInset;
    painter.SetPen(PenStyle::Solid, kMarkPenWidth, kRed);
    if (status == 1) {
        // Full: a cross.
        painter.DrawLine(cellLeft + near, cellTop + near, cellLeft + far, cellTop + far);
        painter.DrawLine(cellLeft + near, cellTop + far, cellLeft + far, cellTop + near);
    } else {
        // Over the maximum: a circle.
        painter.SetNullBrush();
        painter.Ellipse(cellLeft + near, cellTop + near, cellLeft + far, cellTop + far);
    }
}
