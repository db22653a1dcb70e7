#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>

#include <cstdint>

class SeededRandom;

// Draws every picture of the bundled tilesets. Images are drawn top row first, as they are stored in
// PNG files; the editor shows a picture's top at the map's top, and a figure faces along +x (right).
class TileArt {
public:
    enum class Weapon { Sword, Axe, Hammer, Bow, Staff, Spear, Club, Claws };
    enum class Head { Plain, Helmet, PointedEars, Hat, Horns, Skull, Hood };
    struct Figure {
        QColor disc;
        QColor rim;
        QColor body;
        QColor skin;
        Weapon weapon;
        Head head;
        bool hero;
    };
    enum class Turn { Left, Right, Back };
    enum class PanelIcon { Unlocked, Locked, Hidden };

    // Floors and passages
    QImage StoneFloor(int width, int height, QColor base, std::uint32_t seed, bool wallRim) const;
    QImage RoomWithPool(int width, int height, std::uint32_t seed) const;
    QImage MossyRoom(int width, int height, std::uint32_t seed) const;
    QImage CornerPassage(std::uint32_t seed) const; // 128 x 128 L-shape, transparent outside
    QImage SideGrate(QImage corridor) const;        // a drain grate on the left wall of a corridor
    QImage Stairs(int width, int height, std::uint32_t seed) const;

    // Furniture and fittings
    QImage Door() const;
    QImage DoorOpen() const;
    QImage Padlock() const;
    QImage Chest() const;
    QImage ChestOpen() const;
    QImage Sparkle() const;
    QImage Rubble(int size, int stones, std::uint32_t seed) const;
    QImage PitTrap(std::uint32_t seed) const;
    QImage TrapSpikes() const;
    QImage TrapGlow() const;
    QImage SecretDoor(std::uint32_t seed) const;
    QImage SecretMark() const;
    QImage Bookcase(std::uint32_t seed) const;
    QImage Rug() const;
    QImage Table(std::uint32_t seed) const;
    QImage Candle() const;
    QImage Barrel() const;
    QImage Well(std::uint32_t seed) const;

    // Pick-up items
    QImage Potion(QColor liquid) const;
    QImage Key() const;
    QImage Scroll() const;
    QImage Gold() const;
    QImage Crystal() const;

    // Figures and markers
    QImage Token(int size, const Figure& figure) const;
    QImage SelectionRing() const;
    QImage MonsterBase() const;
    QImage StartArea() const;
    QImage Objective() const;
    QImage SpawnPoint() const;
    QImage WardCircle() const;

    // Movement paths
    QImage Footsteps() const;
    QImage TurnArrow(Turn turn) const;

    // Tile panel and background
    QImage PanelButton(PanelIcon icon) const;
    QImage PanelBar(bool expanded) const;
    QImage Background() const;

private:
    static QImage Transparent(int width, int height);
    static void AddGrain(QImage& image, std::uint32_t seed, double strength);
    static void DrawWood(QPainter& p, const QRectF& rect, QColor base, bool horizontal, std::uint32_t seed);
    static void DrawRivets(QPainter& p, const QRectF& band, bool horizontal);
    static void DrawWeapon(QPainter& p, Weapon weapon, double s);
    static void DrawHead(QPainter& p, const Figure& figure, double s);
    static QPainterPath StonePolygon(QPointF centre, double radius, SeededRandom& random);
};
