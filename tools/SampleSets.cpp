#include "tools/SampleSets.h"

#include <QPainter>

namespace {

using Tile = SampleTileset::Tile;
using Format = ImageWriter::Format;

constexpr int kMapTiles = 0;
constexpr int kObjects = 1;
constexpr int kItems = 2;
constexpr int kFigures = 3;
constexpr int kMarkers = 4;
constexpr int kOverlays = 9;

// Global flags of the dungeon set.
constexpr int kShowTraps = 0;
constexpr int kShowSecretDoors = 1;
constexpr int kShowWards = 2;

// Draw conditions of PreDrawTile and PostDrawTile entries.
constexpr int kAlways = 0;
constexpr int kGlobalSet = 1;
constexpr int kLocalSet = 3;
constexpr int kLocalClear = 4;
constexpr int kSelected = 5;
constexpr int kNotSelected = 6;

Tile Make(const std::string& name, int type, QImage image, Format format = Format::Rgba) {
    Tile tile;
    tile.name = name;
    tile.type = type;
    tile.image = std::move(image);
    tile.format = format;
    return tile;
}

SampleTileset::DrawEntry Pre(const std::string& target, int condition, int flag = 0,
                             SampleMatrix matrix = SampleMatrix()) {
    return {false, target, matrix, condition, flag};
}

SampleTileset::DrawEntry Post(const std::string& target, int condition, int flag = 0,
                              SampleMatrix matrix = SampleMatrix()) {
    return {true, target, matrix, condition, flag};
}

QImage Mirrored(const QImage& image) {
    return image.mirrored(true, false);
}

const QColor kHeroRim(206, 166, 70);
const QColor kMonsterRim(96, 96, 104);

} // namespace

bool SampleSets::Add(SampleTileset& set, Tile tile) {
    return set.AddTile(std::move(tile));
}

bool SampleSets::Build() {
    main_ = std::make_unique<SampleTileset>("sample.set", "tiles/sample", images_);
    if (!BuildMainRoot() || !BuildMapTiles() || !BuildOverlays() || !BuildObjects() || !BuildItems() ||
        !BuildFigures() || !BuildMarkers() || !main_->Save())
        return false;
    return BuildExtra();
}

bool SampleSets::BuildMainRoot() {
    const bool pictures =
        images_.Write(art_.Background(), "tiles/sample/background.jpg", Format::Jpeg) &&
        images_.Write(art_.Footsteps(), "tiles/sample/path_step.png", Format::Rgba) &&
        images_.Write(art_.TurnArrow(TileArt::Turn::Left), "tiles/sample/path_turn_left.png", Format::Rgba) &&
        images_.Write(art_.TurnArrow(TileArt::Turn::Right), "tiles/sample/path_turn_right.png",
                      Format::Rgba) &&
        images_.Write(art_.TurnArrow(TileArt::Turn::Back), "tiles/sample/path_turn_back.png", Format::Rgba) &&
        images_.Write(art_.PanelBar(true), "gui_typebutton_expanded.png", Format::Rgba) &&
        images_.Write(art_.PanelBar(false), "gui_typebutton_collapsed.png", Format::Rgba) &&
        images_.Write(art_.PanelButton(TileArt::PanelIcon::Hidden), "gui_typebutton_hidden.png",
                      Format::Rgba) &&
        images_.Write(art_.PanelButton(TileArt::PanelIcon::Locked), "gui_typebutton_locked.png",
                      Format::Rgba) &&
        images_.Write(art_.PanelButton(TileArt::PanelIcon::Unlocked), "gui_typebutton_unlocked.png",
                      Format::Rgba);
    if (!pictures)
        return false;
    main_->Root()
        .Attribute("copyright", "Sample dungeon tiles made for Gridvellum. Free to use, change and share.")
        .Attribute("backimage", "tiles/sample/background.jpg")
        .Attribute("stepimage", "tiles/sample/path_step.png")
        .Attribute("turnleft90image", "tiles/sample/path_turn_left.png")
        .Attribute("turnright90image", "tiles/sample/path_turn_right.png")
        .Attribute("turn180image", "tiles/sample/path_turn_back.png")
        .Attribute("pathtransparency", "0.6")
        .Attribute("gui_expanded", "gui_typebutton_expanded.png")
        .Attribute("gui_collapsed", "gui_typebutton_collapsed.png")
        .Attribute("gui_hidden", "gui_typebutton_hidden.png")
        .Attribute("gui_locked", "gui_typebutton_locked.png")
        .Attribute("gui_unlocked", "gui_typebutton_unlocked.png")
        .Attribute("gui_textcolor", "240,224,190")
        .Attribute("gridsize", "64")
        .Attribute("drawgridsize", "64")
        .Attribute("fontname", "Liberation Serif")
        .Attribute("backcolor", "24,22,28")
        .Attribute("gridcolor", "72,68,62")
        .Attribute("backpublishcolor", "255,255,255")
        .Attribute("publishwithgrid", "true")
        .Attribute("textscreencolor", "250,236,200")
        .Attribute("textpublishcolor", "40,20,10")
        .Attribute("htmltitlecolor", "#F4E6C0")
        .Attribute("htmltitlebkcolor", "#3A2614");
    main_->AddTileType(kMapTiles, "Map Tiles", true, 0);
    main_->AddTileType(kObjects, "Object Tiles", true, 0);
    main_->AddTileType(kItems, "Pick-up Item Tiles", true, 0);
    main_->AddTileType(kFigures, "Figure Tiles", true, 0);
    main_->AddTileType(kMarkers, "Markers", true, 0);
    // Pictures that other tiles draw over or under themselves; never placed on their own.
    main_->AddTileType(kOverlays, "Overlays", false, 2);
    main_->AddGlobalFlag(kShowTraps, true, "Show Traps");
    main_->AddGlobalFlag(kShowSecretDoors, false, "Show Secret Doors");
    return true;
}

bool SampleSets::BuildMapTiles() {
    SampleTileset& set = *main_;
    // The first definition is what unknown keys fall back to, so it is a plain room.
    if (!Add(set, Make("Room 2x2", kMapTiles, art_.StoneFloor(128, 128, QColor(124, 114, 100), 11, true),
                       Format::Rgb)))
        return false;
    const QImage hall = art_.StoneFloor(256, 192, QColor(128, 118, 102), 12, true);
    QImage outline(hall.size(), QImage::Format_ARGB32_Premultiplied);
    // The walkable part of the room: white floor inside a black wall line.
    outline.fill(Qt::white);
    {
        QPainter p(&outline);
        p.setPen(QPen(Qt::black, 8));
        p.drawRect(QRectF(4, 4, hall.width() - 8, hall.height() - 8));
    }
    if (!images_.Write(outline, "tiles/sample/room_4x3_surface.png", Format::Rgb))
        return false;
    Tile room43 = Make("Room 4x3", kMapTiles, hall, Format::Rgb);
    room43.extras = {{"surfaceimage", "tiles/sample/room_4x3_surface.png"}};
    const QImage pool = art_.RoomWithPool(320, 256, 14);
    Tile room54 = Make("Room 5x4", kMapTiles, pool, Format::Rgb);
    room54.flipImage = Mirrored(pool);
    const QImage side = art_.SideGrate(art_.StoneFloor(64, 128, QColor(100, 94, 86), 16, true));
    Tile corridor12 = Make("Corridor 1x2", kMapTiles, side, Format::Rgb);
    corridor12.flipImage = Mirrored(side);
    const QImage stairs = art_.Stairs(128, 64, 18);
    Tile stairTile = Make("Stairs", kMapTiles, stairs, Format::Rgb);
    stairTile.flipImage = Mirrored(stairs);
    return Add(set, std::move(room43)) &&
           Add(set, Make("Room 4x4", kMapTiles, art_.StoneFloor(256, 256, QColor(116, 114, 110), 13, true),
                         Format::Jpeg)) &&
           Add(set, std::move(room54)) &&
           Add(set, Make("Corridor 1x4", kMapTiles, art_.StoneFloor(64, 256, QColor(100, 94, 86), 15, true),
                         Format::Rgb)) &&
           Add(set, std::move(corridor12)) &&
           Add(set, Make("Corridor Corner", kMapTiles, art_.CornerPassage(17))) &&
           Add(set, std::move(stairTile));
}

bool SampleSets::BuildOverlays() {
    SampleTileset& set = *main_;
    return Add(set, Make("Door Open", kOverlays, art_.DoorOpen())) &&
           Add(set, Make("Padlock", kOverlays, art_.Padlock())) &&
           Add(set, Make("Chest Open", kOverlays, art_.ChestOpen())) &&
           Add(set, Make("Sparkle", kOverlays, art_.Sparkle())) &&
           Add(set, Make("Trap Spikes", kOverlays, art_.TrapSpikes())) &&
           Add(set, Make("Trap Glow", kOverlays, art_.TrapGlow())) &&
           Add(set, Make("Secret Mark", kOverlays, art_.SecretMark())) &&
           Add(set, Make("Selection Ring", kOverlays, art_.SelectionRing())) &&
           Add(set, Make("Monster Base", kOverlays, art_.MonsterBase())) &&
           Add(set, Make("Candle", kOverlays, art_.Candle()));
}

bool SampleSets::BuildObjects() {
    SampleTileset& set = *main_;
    Tile door = Make("Door", kObjects, art_.Door());
    door.localFlags = {{0, false, "Open"}, {1, false, "Locked"}};
    door.entries = {Post("Door Open", kLocalSet, 0), Post("Padlock", kLocalSet, 1)};

    Tile secret = Make("Secret Door", kObjects, art_.SecretDoor(41));
    secret.entries = {Post("Secret Mark", kGlobalSet, kShowSecretDoors)};

    Tile chest = Make("Chest", kObjects, art_.Chest());
    chest.localFlags = {{0, false, "Opened"}};
    chest.entries = {Post("Chest Open", kLocalSet, 0), Post("Sparkle", kLocalClear, 0)};

    // The trap slab is drawn where it really is, so it is placed freely; its glow is larger than the
    // slab and centred under it.
    Tile trap = Make("Pit Trap", kObjects, art_.PitTrap(43));
    trap.freePlacement = true;
    trap.entries = {Pre("Trap Glow", kGlobalSet, kShowTraps, SampleMatrix::Translate(-16, -16)),
                    Post("Trap Spikes", kGlobalSet, kShowTraps)};

    Tile rubble = Make("Rubble", kObjects, art_.Rubble(64, 9, 45));
    rubble.extras = {{"alwaysdrawsmooth", "true"}};
    const QImage heap = art_.Rubble(128, 22, 46);
    Tile bigRubble = Make("Rubble Heap", kObjects, heap);
    bigRubble.flipImage = Mirrored(heap);

    Tile bookcase = Make("Bookcase", kObjects, art_.Bookcase(47));
    bookcase.extras = {{"showhandles", "true"}};
    Tile rug = Make("Rug", kObjects, art_.Rug());
    rug.sort = 0; // lies on the floor, under every other object
    rug.extras = {{"highlightonselect", "false"}, {"showhandles", "true"}};
    Tile table = Make("Table", kObjects, art_.Table(48));
    table.entries = {Post("Candle", kAlways, 0, SampleMatrix::Translate(48, 16))};
    Tile barrel = Make("Barrel", kObjects, art_.Barrel());
    barrel.extras = {{"alwaysdrawsmooth", "true"}};
    return Add(set, std::move(door)) && Add(set, std::move(secret)) && Add(set, std::move(chest)) &&
           Add(set, std::move(trap)) && Add(set, std::move(rubble)) && Add(set, std::move(bigRubble)) &&
           Add(set, std::move(bookcase)) && Add(set, std::move(rug)) && Add(set, std::move(table)) &&
           Add(set, std::move(barrel));
}

bool SampleSets::BuildItems() {
    SampleTileset& set = *main_;
    Tile scroll = Make("Scroll", kItems, art_.Scroll());
    scroll.freePlacement = true;
    Tile gold = Make("Gold", kItems, art_.Gold());
    gold.extras = {{"xscale", "0.75"}, {"yscale", "0.75"}};
    return Add(set, Make("Potion", kItems, art_.Potion(QColor(200, 30, 40)))) &&
           Add(set, Make("Key", kItems, art_.Key())) && Add(set, std::move(scroll)) &&
           Add(set, std::move(gold));
}

bool SampleSets::BuildFigures() {
    struct Figure {
        const char* name;
        int size;
        TileArt::Figure look;
        const char* pathColor;
        int maxCount;
        bool warn;
    };
    const Figure figures[] = {
        {"Barbarian",
         64,
         {QColor(150, 40, 30), kHeroRim, QColor(120, 82, 50), QColor(226, 182, 140), TileArt::Weapon::Axe,
          TileArt::Head::Plain, true},
         "235,80,60",
         1,
         false},
        {"Dwarf",
         64,
         {QColor(50, 80, 150), kHeroRim, QColor(92, 92, 112), QColor(220, 170, 130), TileArt::Weapon::Hammer,
          TileArt::Head::Helmet, true},
         "90,150,255",
         1,
         false},
        {"Elf",
         64,
         {QColor(40, 120, 60), kHeroRim, QColor(62, 112, 62), QColor(236, 202, 162), TileArt::Weapon::Bow,
          TileArt::Head::PointedEars, true},
         "100,230,120",
         1,
         false},
        {"Wizard",
         64,
         {QColor(90, 50, 140), kHeroRim, QColor(72, 52, 134), QColor(230, 190, 150), TileArt::Weapon::Staff,
          TileArt::Head::Hat, true},
         "200,130,255",
         1,
         false},
        {"Goblin",
         64,
         {QColor(70, 80, 44), kMonsterRim, QColor(90, 76, 44), QColor(122, 172, 72), TileArt::Weapon::Spear,
          TileArt::Head::PointedEars, false},
         "255,200,60",
         8,
         false},
        {"Orc",
         64,
         {QColor(56, 66, 48), kMonsterRim, QColor(74, 62, 52), QColor(92, 132, 72), TileArt::Weapon::Axe,
          TileArt::Head::Horns, false},
         "255,150,40",
         6,
         false},
        {"Skeleton",
         64,
         {QColor(74, 74, 80), kMonsterRim, QColor(200, 196, 176), QColor(222, 216, 200),
          TileArt::Weapon::Sword, TileArt::Head::Skull, false},
         "230,230,230",
         4,
         true},
        {"Ogre",
         128,
         {QColor(96, 74, 52), kMonsterRim, QColor(112, 92, 72), QColor(172, 142, 102), TileArt::Weapon::Club,
          TileArt::Head::Plain, false},
         "255,110,110",
         1,
         false},
    };
    for (const Figure& f : figures) {
        Tile tile = Make(f.name, kFigures, art_.Token(f.size, f.look));
        tile.extras = {{"maxcount", std::to_string(f.maxCount)}};
        if (f.warn)
            tile.extras.emplace_back("warn", "true");
        tile.extras.emplace_back("pathcolor", f.pathColor);
        const double scale = f.size / 64.0;
        const SampleMatrix fit = SampleMatrix::Scale(scale, scale);
        tile.entries.push_back(Pre("Selection Ring", kSelected, 0, fit));
        if (!f.look.hero)
            tile.entries.push_back(Pre("Monster Base", kNotSelected, 0, fit));
        if (!Add(*main_, std::move(tile)))
            return false;
    }
    return true;
}

bool SampleSets::BuildMarkers() {
    SampleTileset& set = *main_;
    // Markers lie under figures and items: their layer is that of the objects.
    Tile start = Make("Start Area", kMarkers, art_.StartArea());
    start.sort = 1;
    Tile objective = Make("Objective", kMarkers, art_.Objective());
    objective.sort = 1;
    Tile spawn = Make("Spawn Point", kMarkers, art_.SpawnPoint());
    spawn.sort = 1;
    return Add(set, std::move(start)) && Add(set, std::move(objective)) && Add(set, std::move(spawn));
}

bool SampleSets::BuildExtra() {
    extra_ = std::make_unique<SampleTileset>("sample_extra.set", "tiles/sample_extra", images_);
    extra_->SetBase(main_.get());
    SampleTileset& set = *extra_;
    set.Root()
        .Attribute("basetilesets", "sample.set")
        .Attribute("copyright",
                   "Sample dungeon and crypt tiles made for Gridvellum. Free to use, change and share.")
        .Attribute("htmltitlebkcolor", "#1E2A3A");
    set.AddGlobalFlag(kShowWards, true, "Show Wards");
    Tile wraith =
        Make("Wraith", kFigures,
             art_.Token(64, {QColor(40, 50, 72), QColor(120, 170, 220), QColor(62, 72, 104),
                             QColor(182, 202, 232), TileArt::Weapon::Claws, TileArt::Head::Hood, false}));
    wraith.extras = {{"maxcount", "2"}, {"pathcolor", "160,220,255"}};
    wraith.entries = {Pre("Ward Circle", kGlobalSet, kShowWards, SampleMatrix::Translate(-32, -32)),
                      Pre("Selection Ring", kSelected), Pre("Monster Base", kNotSelected)};
    const bool added = Add(set, Make("Room 3x3", kMapTiles, art_.MossyRoom(192, 192, 61), Format::Rgb)) &&
                       Add(set, Make("Ward Circle", kOverlays, art_.WardCircle())) &&
                       Add(set, Make("Well", kObjects, art_.Well(62))) &&
                       Add(set, Make("Crystal", kItems, art_.Crystal())) && Add(set, std::move(wraith));
    return added && set.Save();
}
