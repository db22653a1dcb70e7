#include "tools/SampleMap.h"

#include "tools/SampleXml.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kGrid = 64;

SampleMatrix Cell(int quarterTurns, double width, double height, int cellX, int cellY) {
    return SampleMatrix::QuarterTurnAt(quarterTurns, width, height, cellX * kGrid, cellY * kGrid);
}

// Reals as the editor writes them: "%.6g", with ".0" added when no point was written.
std::string Real(double value) {
    char text[50];
    std::snprintf(text, sizeof text, "%.6g", value);
    std::string out = text;
    if (out.find('.') == std::string::npos)
        out += ".0";
    return out;
}

std::string Colour(int r, int g, int b) {
    return std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b);
}

QTransform ToQt(const SampleMatrix& m) {
    return QTransform(m.m11, m.m12, m.m21, m.m22, m.m31, m.m32);
}

QColor ParseColour(const std::string& text) {
    int r = 255, g = 255, b = 255;
    std::sscanf(text.c_str(), "%d,%d,%d", &r, &g, &b);
    return QColor(r, g, b);
}

QImage Tinted(const QImage& image, QColor colour, double strength) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.setOpacity(strength);
    p.fillRect(out.rect(), colour);
    return out;
}

} // namespace

SampleMap::SampleMap(const SampleTileset& tileset) : tileset_(tileset) {}

void SampleMap::Place(Placed tile) {
    tiles_.push_back(std::move(tile));
}

SampleMap::Placed& SampleMap::At(const std::string& name, int cellX, int cellY, int quarterTurns) {
    Placed tile;
    tile.name = name;
    const SampleTileset::Tile* def = tileset_.Find(name);
    const double w = def ? def->image.width() : kGrid;
    const double h = def ? def->image.height() : kGrid;
    tile.path.push_back(Cell(quarterTurns, w, h, cellX, cellY));
    tiles_.push_back(std::move(tile));
    return tiles_.back();
}

void SampleMap::AddText(const std::string& text, SampleMatrix matrix, bool free) {
    Text t;
    t.matrix = matrix;
    t.free = free;
    t.text = text;
    texts_.push_back(std::move(t));
}

bool SampleMap::Build() {
    // Rooms and passages (cells of 64 units, y up).
    At("Room 4x3", 0, 0);
    At("Corridor 1x4", 4, 1, 1);
    At("Room 5x4", 8, 0).flip = true;
    At("Rug", 9, 1, 1);
    At("Corridor 1x2", 1, 3).flip = true;
    Placed& cold = At("Room 4x4", 0, 5);
    cold.tinted = true;
    cold.red = 150, cold.green = 180, cold.blue = 255, cold.strength = 0.3;
    At("Stairs", 4, 7).flip = true;
    At("Corridor Corner", 10, 4);
    At("Room 2x2", 10, 6);

    // Doors: open, locked, and plain closed.
    At("Door", 4, 1, 1).localFlags = "10";
    At("Door", 7, 1, 1).localFlags = "01";
    At("Door", 1, 4).localFlags = "00";
    At("Secret Door", 8, 3);
    At("Chest", 12, 3).localFlags = "1";
    At("Chest", 0, 8).localFlags = "0";
    At("Barrel", 0, 5);
    At("Rubble", 3, 0);
    Placed& loose = At("Rubble", 0, 0);
    loose.path.back() = SampleMatrix::RotateDegrees(30).Then(SampleMatrix::Translate(170, 40));
    loose.free = true;
    At("Rubble Heap", 10, 6).flip = true;
    At("Bookcase", 0, 2);
    At("Table", 1, 7);
    Placed& trap = At("Pit Trap", 0, 0);
    trap.path.back() = SampleMatrix::Translate(404, 64);

    // Markers, items and figures.
    At("Start Area", 2, 1);
    At("Objective", 11, 2);
    At("Spawn Point", 10, 5);
    At("Potion", 12, 1);
    At("Key", 3, 8);
    Placed& scroll = At("Scroll", 0, 0);
    scroll.path.back() = SampleMatrix::RotateDegrees(15).Then(SampleMatrix::Translate(102, 452));
    Placed& gold = At("Gold", 0, 0);
    gold.path.back() = SampleMatrix::Scale(0.75, 0.75).Then(SampleMatrix::Translate(11 * kGrid, 0));

    // The barbarian's recorded route: through the passage into the cold hall, ending with an about-turn.
    Placed& hero = At("Barbarian", 0, 1);
    hero.path = {Cell(0, 64, 64, 0, 1), Cell(1, 64, 64, 1, 1), Cell(1, 64, 64, 1, 5),
                 Cell(0, 64, 64, 1, 6), Cell(0, 64, 64, 3, 6), Cell(2, 64, 64, 3, 6)};
    At("Dwarf", 2, 1);
    At("Elf", 2, 2, 3);
    At("Wizard", 3, 1);
    At("Goblin", 8, 0, 2);
    Placed& angry = At("Goblin", 9, 0, 2);
    angry.tinted = true;
    angry.red = 255, angry.green = 64, angry.blue = 64, angry.strength = 0.5;
    At("Orc", 12, 0, 1);
    At("Ogre", 9, 1, 2);
    At("Skeleton", 3, 5, 1);

    // Free text: labels snap to a quarter cell unless placed freely.
    AddText("Entry Hall", SampleMatrix::Scale(0.5, 0.5).Then(SampleMatrix::Translate(16, 16)));
    AddText("Narrow Passage", SampleMatrix::Scale(0.4, 0.4)
                                  .Then(SampleMatrix::RotateDegrees(90))
                                  .Then(SampleMatrix::Translate(112, 192)));
    texts_.push_back({SampleMatrix::Scale(0.4, 0.4).Then(SampleMatrix::Translate(592, 208)), true, 150, 210,
                      255, false, "The Drowned Hall"});
    AddText("Vault", SampleMatrix::Scale(0.6, 0.6).Then(SampleMatrix::Translate(663.5, 402.25)), true);

    scenario_ =
        "+[The Sunken Vault]+\n"
        "-[A quest for four heroes]-\n"
        "\"The stair ends in black water. Somewhere below, the old vault still keeps its gold, and "
        "something still keeps the vault.\"\n"
        "[Quest goal]\n"
        "Find the Key in the cold hall, open the vault chest and bring its gold back to the stairs.\n"
        "[Special rules]\n"
        "The pit trap in the long corridor stays hidden until a hero searches for traps. The secret door "
        "of the drowned hall opens only for a hero who carries the Key.\n"
        "[Wandering monsters]\n"
        "Roll for a Goblin whenever a hero opens a door.\n"
        "\"Good luck, and mind your footing.\"";

    return std::all_of(tiles_.begin(), tiles_.end(), [this](const Placed& t) { return Check(t); });
}

bool SampleMap::Check(const Placed& tile) const {
    const SampleTileset::Tile* def = tileset_.Find(tile.name);
    if (!def) {
        std::fprintf(stderr, "make_sample_data: the map uses an unknown tile %s\n", tile.name.c_str());
        return false;
    }
    if (tile.flip && def->flipImage.isNull()) {
        std::fprintf(stderr, "make_sample_data: %s has no flip image\n", tile.name.c_str());
        return false;
    }
    if (tile.localFlags.size() > def->localFlags.size()) {
        std::fprintf(stderr, "make_sample_data: %s has fewer local flags\n", tile.name.c_str());
        return false;
    }
    return true;
}

// The editor keeps its tiles ordered by layer (the definition's sort, text above all), in insertion
// order within a layer; the file lists them in that order so that saving it again changes nothing.
std::vector<const SampleMap::Placed*> SampleMap::DocumentOrder() const {
    std::vector<const Placed*> order;
    for (const Placed& t : tiles_)
        order.push_back(&t);
    auto sortOf = [this](const Placed* t) {
        const SampleTileset::Tile* def = tileset_.Find(t->name);
        return def->sort >= 0 ? def->sort : def->type;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const Placed* a, const Placed* b) { return sortOf(a) < sortOf(b); });
    return order;
}

bool SampleMap::Save(const std::string& path) const {
    SampleXml root("Gridvellum");
    root.Attribute("xmlns", "gridvellum").Attribute("tileset", tileset_.FileName()).Attribute("version", "1");
    if (!scenario_.empty())
        root.AddChild("Scenario").Text(scenario_);
    for (const Placed* t : DocumentOrder()) {
        SampleXml& e = root.AddChild("TileRef");
        std::string matrices;
        for (const SampleMatrix& step : t->path) {
            if (!matrices.empty())
                matrices += ',';
            matrices += step.Encoded();
        }
        e.Attribute("name", tileset_.Key(t->name)).Attribute("matrix", matrices);
        if (t->tinted)
            e.Attribute("color", Colour(t->red, t->green, t->blue))
                .Attribute("color_percentage", Real(t->strength));
        if (t->flip)
            e.Attribute("flip", "true");
        if (t->free)
            e.Attribute("freeplacement", "true");
        if (!t->localFlags.empty())
            e.Attribute("localflags", t->localFlags);
    }
    for (const Text& t : texts_) {
        SampleXml& e = root.AddChild("TextTile");
        e.Attribute("matrix", t.matrix.Encoded());
        if (t.tinted)
            e.Attribute("color", Colour(t.red, t.green, t.blue));
        if (t.free)
            e.Attribute("freeplacement", "true");
        e.Attribute("text", t.text);
    }
    return root.SaveFile(path);
}

QImage SampleMap::Preview() const {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (const Placed& t : tiles_) {
        const SampleTileset::Tile* def = tileset_.Find(t.name);
        const QRectF box = ToQt(t.path.back()).mapRect(QRectF(0, 0, def->image.width(), def->image.height()));
        minX = std::min(minX, box.left());
        minY = std::min(minY, box.top());
        maxX = std::max(maxX, box.right());
        maxY = std::max(maxY, box.bottom());
    }
    const int margin = 32;
    QImage out(static_cast<int>(maxX - minX) + 2 * margin, static_cast<int>(maxY - minY) + 2 * margin,
               QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(24, 22, 28));
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QTransform world(1, 0, 0, -1, margin - minX, margin + maxY);
    p.setPen(QColor(72, 68, 62));
    for (double x = std::floor(minX / kGrid) * kGrid; x <= maxX; x += kGrid)
        p.drawLine(world.map(QLineF(x, minY, x, maxY)));
    for (double y = std::floor(minY / kGrid) * kGrid; y <= maxY; y += kGrid)
        p.drawLine(world.map(QLineF(minX, y, maxX, y)));
    auto draw = [&](const QImage& image, const QTransform& toWorld) {
        const QTransform flipRows(1, 0, 0, -1, 0, image.height());
        p.setTransform(flipRows * toWorld * world);
        p.drawImage(0, 0, image);
        p.resetTransform();
    };
    const bool globalFlags[] = {true, false, true};
    for (const Placed* t : DocumentOrder()) {
        const SampleTileset::Tile* def = tileset_.Find(t->name);
        const QTransform m = ToQt(t->path.back());
        auto entries = [&](bool post) {
            for (const SampleTileset::DrawEntry& e : def->entries) {
                const bool local =
                    e.flag < static_cast<int>(t->localFlags.size()) && t->localFlags[e.flag] == '1';
                const bool shown = e.condition == 0 || (e.condition == 1 && globalFlags[e.flag]) ||
                                   (e.condition == 2 && !globalFlags[e.flag]) ||
                                   (e.condition == 3 && local) || (e.condition == 4 && !local) ||
                                   e.condition == 6;
                if (e.post == post && shown)
                    draw(tileset_.Find(e.target)->image, ToQt(e.matrix) * m);
            }
        };
        entries(false);
        const QImage& own = t->flip ? def->flipImage : def->image;
        draw(t->tinted ? Tinted(own, QColor(t->red, t->green, t->blue), t->strength) : own, m);
        entries(true);
    }
    // Movement paths: footsteps one grid apart along each leg and a turn arrow where the facing changed.
    for (const Placed* t : DocumentOrder()) {
        if (t->path.size() < 2)
            continue;
        const SampleTileset::Tile* def = tileset_.Find(t->name);
        std::string colourText = "255,255,255";
        for (const auto& [name, value] : def->extras)
            if (name == "pathcolor")
                colourText = value;
        const QColor colour = ParseColour(colourText);
        p.setOpacity(0.6);
        for (std::size_t k = 1; k < t->path.size(); ++k) {
            const QPointF a = ToQt(t->path[k - 1]).map(QPointF(32, 32));
            const QPointF b = ToQt(t->path[k]).map(QPointF(32, 32));
            const QPointF v = b - a;
            const double length = std::hypot(v.x(), v.y());
            const int n = static_cast<int>(std::floor(length / kGrid + 0.5));
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            for (int i = 0; i < n; ++i) {
                const QPointF at = a + v / length * ((i + 0.5) * length / n);
                p.drawEllipse(world.map(at), 6, 6);
            }
            const double before = std::atan2(t->path[k - 1].m12, t->path[k - 1].m11);
            double d = std::atan2(t->path[k].m12, t->path[k].m11) - before;
            if (std::fabs(d) > std::numbers::pi)
                d += d >= 0 ? -2 * std::numbers::pi : 2 * std::numbers::pi;
            if (std::fabs(d) > std::numbers::pi / 8) {
                p.setPen(QPen(colour, 3));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(world.map(b), 14, 14);
            }
        }
        p.setOpacity(1.0);
    }
    QFont font("Liberation Serif");
    font.setPixelSize(static_cast<int>(0.66 * kGrid));
    p.setFont(font);
    for (const Text& t : texts_) {
        const QTransform baseline(1, 0, 0, -1, 0, 0.33 * kGrid);
        p.setTransform(baseline * ToQt(t.matrix) * world);
        p.setPen(t.tinted ? QColor(t.red, t.green, t.blue) : QColor(250, 236, 200));
        p.drawText(QPointF(0, 0), QString::fromStdString(t.text));
        p.resetTransform();
    }
    return out;
}
