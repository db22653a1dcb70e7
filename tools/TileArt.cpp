#include "tools/TileArt.h"

#include "tools/SeededRandom.h"
#include "tools/ValueNoise.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

QColor Scaled(QColor c, double f) {
    return QColor(std::clamp(static_cast<int>(c.red() * f), 0, 255),
                  std::clamp(static_cast<int>(c.green() * f), 0, 255),
                  std::clamp(static_cast<int>(c.blue() * f), 0, 255), c.alpha());
}

void Antialiased(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// Soft darkening along the inside of a rectangle, as if walls cast a shadow onto the floor.
void InnerShadow(QPainter& p, const QRectF& r, double depth, int alpha) {
    const QColor dark(0, 0, 0, alpha);
    const QColor none(0, 0, 0, 0);
    QLinearGradient top(r.left(), r.top(), r.left(), r.top() + depth);
    top.setColorAt(0, dark);
    top.setColorAt(1, none);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), depth), top);
    QLinearGradient bottom(r.left(), r.bottom(), r.left(), r.bottom() - depth);
    bottom.setColorAt(0, dark);
    bottom.setColorAt(1, none);
    p.fillRect(QRectF(r.left(), r.bottom() - depth, r.width(), depth), bottom);
    QLinearGradient left(r.left(), r.top(), r.left() + depth, r.top());
    left.setColorAt(0, dark);
    left.setColorAt(1, none);
    p.fillRect(QRectF(r.left(), r.top(), depth, r.height()), left);
    QLinearGradient right(r.right(), r.top(), r.right() - depth, r.top());
    right.setColorAt(0, dark);
    right.setColorAt(1, none);
    p.fillRect(QRectF(r.right() - depth, r.top(), depth, r.height()), right);
}

void DropShadow(QPainter& p, const QPainterPath& shape, QPointF offset, int alpha) {
    p.save();
    p.translate(offset);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, alpha));
    p.drawPath(shape);
    p.restore();
}

QPainterPath Star(QPointF centre, double outer, double inner, int points, double startDegrees) {
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double a = (startDegrees + i * 180.0 / points) * kPi / 180.0;
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

} // namespace

QImage TileArt::Transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Brightness noise over every pixel, in fine and coarse scales; alpha and hue are kept.
void TileArt::AddGrain(QImage& image, std::uint32_t seed, double strength) {
    const ValueNoise coarse(seed);
    SeededRandom fine(seed * 2654435761u + 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double f = 1.0 + strength * (coarse.Fractal(x / 11.0, y / 11.0, 3) - 0.5) * 1.6 +
                             strength * 0.7 * (fine.Unit() - 0.5);
            const QRgb px = row[x];
            const int a = qAlpha(px);
            row[x] = qRgba(std::clamp(static_cast<int>(qRed(px) * f), 0, a),
                           std::clamp(static_cast<int>(qGreen(px) * f), 0, a),
                           std::clamp(static_cast<int>(qBlue(px) * f), 0, a), a);
        }
    }
}

QImage TileArt::StoneFloor(int width, int height, QColor base, std::uint32_t seed, bool wallRim) const {
    SeededRandom random(seed);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Scaled(base, 0.42));
    QPainter p(&image);
    Antialiased(p);
    const int rowHeight = 32;
    for (int y = 0; y < height; y += rowHeight) {
        int x = -random.Int(0, 2) * 16;
        while (x < width) {
            const int stoneWidth = 32 + 16 * random.Int(0, 2);
            const QRectF stone(x + 1.0, y + 1.0, stoneWidth - 2.0, rowHeight - 2.0);
            const QColor c = Scaled(base, random.Range(0.84, 1.10));
            QLinearGradient face(stone.topLeft(), stone.bottomRight());
            face.setColorAt(0, Scaled(c, 1.08));
            face.setColorAt(1, Scaled(c, 0.92));
            p.setPen(Qt::NoPen);
            p.setBrush(face);
            p.drawRoundedRect(stone, 2.5, 2.5);
            p.setPen(QPen(Scaled(c, 1.28), 1));
            p.drawLine(QPointF(stone.left() + 2, stone.top() + 0.5),
                       QPointF(stone.right() - 2, stone.top() + 0.5));
            p.drawLine(QPointF(stone.left() + 0.5, stone.top() + 2),
                       QPointF(stone.left() + 0.5, stone.bottom() - 2));
            p.setPen(QPen(Scaled(c, 0.68), 1));
            p.drawLine(QPointF(stone.left() + 2, stone.bottom() - 0.5),
                       QPointF(stone.right() - 2, stone.bottom() - 0.5));
            p.drawLine(QPointF(stone.right() - 0.5, stone.top() + 2),
                       QPointF(stone.right() - 0.5, stone.bottom() - 2));
            x += stoneWidth;
        }
    }
    // A few hairline cracks make the slabs look worn rather than printed.
    const int cracks = width * height / 6000 + 1;
    p.setPen(QPen(QColor(20, 16, 12, 120), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int i = 0; i < cracks; ++i) {
        QPointF pt(random.Range(4, width - 4), random.Range(4, height - 4));
        double angle = random.Range(0, 2 * kPi);
        QPainterPath crack(pt);
        for (int s = 0; s < 4; ++s) {
            angle += random.Range(-0.9, 0.9);
            pt += QPointF(std::cos(angle), std::sin(angle)) * random.Range(3, 8);
            crack.lineTo(pt);
        }
        p.drawPath(crack);
    }
    p.end();
    AddGrain(image, seed ^ 0xA5A5u, 0.14);
    if (wallRim) {
        QPainter rim(&image);
        InnerShadow(rim, QRectF(0, 0, width, height), 10, 120);
        rim.setPen(QPen(QColor(34, 30, 27), 4));
        rim.setBrush(Qt::NoBrush);
        rim.drawRect(QRectF(2, 2, width - 4, height - 4));
        rim.setPen(QPen(QColor(78, 72, 64), 1));
        rim.drawRect(QRectF(4.5, 4.5, width - 9, height - 9));
    }
    return image;
}

QImage TileArt::RoomWithPool(int width, int height, std::uint32_t seed) const {
    QImage image = StoneFloor(width, height, QColor(122, 112, 98), seed, true);
    QPainter p(&image);
    Antialiased(p);
    // A sunken pool in the lower left corner; the flip picture mirrors the room.
    const QRectF pool(28, height - 120, 120, 92);
    QPainterPath edge;
    edge.addRoundedRect(pool.adjusted(-5, -5, 5, 5), 18, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 64, 58));
    p.drawPath(edge);
    QRadialGradient water(pool.center() + QPointF(-14, -12), pool.width() * 0.7);
    water.setColorAt(0, QColor(70, 140, 160));
    water.setColorAt(0.6, QColor(30, 78, 100));
    water.setColorAt(1, QColor(12, 34, 48));
    p.setBrush(water);
    p.drawRoundedRect(pool, 14, 14);
    p.setPen(QPen(QColor(200, 235, 240, 90), 1.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i)
        p.drawArc(pool.adjusted(20 + i * 12, 14 + i * 10, -30 + i * 6, -22 + i * 4), 30 * 16, 100 * 16);
    p.setPen(QPen(QColor(150, 140, 125), 2));
    p.drawRoundedRect(pool.adjusted(-5, -5, 5, 5), 18, 18);
    return image;
}

QImage TileArt::MossyRoom(int width, int height, std::uint32_t seed) const {
    QImage image = StoneFloor(width, height, QColor(104, 112, 96), seed, true);
    const ValueNoise moss(seed + 77);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double m = std::clamp((moss.Fractal(x / 24.0, y / 24.0, 4) - 0.52) * 4.0, 0.0, 0.55);
            const QRgb px = row[x];
            row[x] = qRgb(static_cast<int>(qRed(px) * (1 - m) + 52 * m),
                          static_cast<int>(qGreen(px) * (1 - m) + 96 * m),
                          static_cast<int>(qBlue(px) * (1 - m) + 40 * m));
        }
    }
    return image;
}

QImage TileArt::CornerPassage(std::uint32_t seed) const {
    const QImage floor = StoneFloor(128, 128, QColor(100, 94, 86), seed, false);
    QPainterPath column;
    column.addRect(0, 0, 64, 128);
    QPainterPath row;
    row.addRect(0, 64, 128, 64);
    const QPainterPath shape = column.united(row);
    QImage image = Transparent(128, 128);
    QPainter p(&image);
    Antialiased(p);
    p.setClipPath(shape);
    p.drawImage(0, 0, floor);
    InnerShadow(p, QRectF(0, 0, 64, 128), 8, 90);
    InnerShadow(p, QRectF(0, 64, 128, 64), 8, 90);
    p.setPen(QPen(QColor(34, 30, 27), 6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    return image;
}

QImage TileArt::SideGrate(QImage corridor) const {
    QPainter p(&corridor);
    Antialiased(p);
    const QRectF grate(6, corridor.height() / 2.0 - 18, 16, 36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 10, 12));
    p.drawRoundedRect(grate, 2, 2);
    p.setPen(QPen(QColor(120, 118, 112), 2));
    for (double y = grate.top() + 4; y < grate.bottom() - 2; y += 6)
        p.drawLine(QPointF(grate.left() + 1, y), QPointF(grate.right() - 1, y));
    p.setPen(QPen(QColor(60, 58, 54), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(grate, 2, 2);
    return corridor;
}

QImage TileArt::Stairs(int width, int height, std::uint32_t seed) const {
    QImage image = StoneFloor(width, height, QColor(110, 104, 96), seed, false);
    QPainter p(&image);
    Antialiased(p);
    // Steps run downward to the right: each tread is darker than the one before.
    const int steps = 7;
    const double treadWidth = (width - 16.0) / steps;
    for (int i = 0; i < steps; ++i) {
        const QRectF tread(8 + i * treadWidth, 10, treadWidth, height - 20);
        const double shade = 1.05 - i * 0.11;
        QLinearGradient g(tread.topLeft(), tread.topRight());
        g.setColorAt(0, Scaled(QColor(140, 132, 120), shade));
        g.setColorAt(1, Scaled(QColor(120, 112, 100), shade));
        p.fillRect(tread, g);
        p.setPen(QPen(Scaled(QColor(200, 190, 170), shade), 1.5));
        p.drawLine(tread.topLeft() + QPointF(0.75, 0), tread.bottomLeft() + QPointF(0.75, 0));
        p.setPen(QPen(QColor(0, 0, 0, 110), 2));
        p.drawLine(tread.topRight() - QPointF(1, 0), tread.bottomRight() - QPointF(1, 0));
    }
    p.setPen(QPen(QColor(34, 30, 27), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2, 2, width - 4, height - 4));
    p.fillRect(QRectF(4, 4, width - 8, 6), QColor(60, 55, 50));
    p.fillRect(QRectF(4, height - 10, width - 8, 6), QColor(60, 55, 50));
    return image;
}

void TileArt::DrawWood(QPainter& p, const QRectF& rect, QColor base, bool horizontal, std::uint32_t seed) {
    SeededRandom random(seed);
    const ValueNoise grain(seed + 3);
    QImage wood(static_cast<int>(std::ceil(rect.width())), static_cast<int>(std::ceil(rect.height())),
                QImage::Format_ARGB32_Premultiplied);
    const int planks = std::max(1, static_cast<int>((horizontal ? rect.height() : rect.width()) / 7));
    const double plankSize = (horizontal ? wood.height() : wood.width()) / static_cast<double>(planks);
    std::vector<double> plankShade(planks);
    for (double& s : plankShade)
        s = random.Range(0.82, 1.1);
    for (int y = 0; y < wood.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(wood.scanLine(y));
        for (int x = 0; x < wood.width(); ++x) {
            const double along = horizontal ? x : y;
            const double across = horizontal ? y : x;
            const int plank = std::min(planks - 1, static_cast<int>(across / plankSize));
            const double streak = grain.At(along / 18.0, across / 1.6 + plank * 7.0);
            double f = plankShade[plank] * (0.82 + 0.32 * streak);
            const double edge = across - plank * plankSize;
            if (edge < 1.0 || edge > plankSize - 1.0)
                f *= 0.55;
            row[x] = qRgb(std::clamp(static_cast<int>(base.red() * f), 0, 255),
                          std::clamp(static_cast<int>(base.green() * f), 0, 255),
                          std::clamp(static_cast<int>(base.blue() * f), 0, 255));
        }
    }
    p.drawImage(rect.topLeft(), wood);
}

void TileArt::DrawRivets(QPainter& p, const QRectF& band, bool horizontal) {
    p.setPen(Qt::NoPen);
    const double length = horizontal ? band.width() : band.height();
    const int count = std::max(2, static_cast<int>(length / 9));
    for (int i = 0; i < count; ++i) {
        const double t = (i + 0.5) / count;
        const QPointF c = horizontal ? QPointF(band.left() + t * band.width(), band.center().y())
                                     : QPointF(band.center().x(), band.top() + t * band.height());
        QRadialGradient g(c - QPointF(0.6, 0.6), 1.8);
        g.setColorAt(0, QColor(230, 230, 225));
        g.setColorAt(1, QColor(70, 70, 72));
        p.setBrush(g);
        p.drawEllipse(c, 1.4, 1.4);
    }
}

QImage TileArt::Door() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    // Stone jambs on both sides of the opening.
    for (const QRectF jamb : {QRectF(0, 14, 11, 36), QRectF(53, 14, 11, 36)}) {
        QLinearGradient g(jamb.topLeft(), jamb.bottomRight());
        g.setColorAt(0, QColor(150, 144, 134));
        g.setColorAt(1, QColor(88, 82, 76));
        p.setPen(QPen(QColor(40, 36, 32), 1.5));
        p.setBrush(g);
        p.drawRoundedRect(jamb, 2, 2);
    }
    // The leaf: oak planks held by two iron bands.
    const QRectF leaf(11, 22, 42, 20);
    p.fillRect(leaf.adjusted(1, 2, 1, 2), QColor(0, 0, 0, 90));
    DrawWood(p, leaf, QColor(150, 98, 52), true, 71);
    for (const double x : {17.0, 43.0}) {
        const QRectF band(x, leaf.top() - 1, 5, leaf.height() + 2);
        QLinearGradient g(band.topLeft(), band.topRight());
        g.setColorAt(0, QColor(95, 95, 100));
        g.setColorAt(0.5, QColor(60, 60, 66));
        g.setColorAt(1, QColor(35, 35, 40));
        p.fillRect(band, g);
        DrawRivets(p, band, false);
    }
    p.setPen(QPen(QColor(45, 28, 14), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(leaf);
    p.setPen(QPen(QColor(40, 40, 44), 2));
    p.drawEllipse(QPointF(33, 32), 3.5, 3.5);
    return image;
}

QImage TileArt::DoorOpen() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    // The threshold shows where the leaf stood; the leaf is swung back against the left jamb.
    const QRectF threshold(11, 22, 42, 20);
    p.fillRect(threshold, QColor(92, 86, 78));
    p.setPen(QPen(QColor(60, 55, 50), 1));
    p.drawLine(threshold.topLeft() + QPointF(0, 10), threshold.topRight() + QPointF(0, 10));
    QLinearGradient shade(threshold.topLeft(), threshold.bottomLeft());
    shade.setColorAt(0, QColor(0, 0, 0, 70));
    shade.setColorAt(0.3, QColor(0, 0, 0, 0));
    p.fillRect(threshold, shade);
    const QRectF leaf(11, 1, 8, 22);
    p.fillRect(leaf.adjusted(1, 1, 1, 1), QColor(0, 0, 0, 90));
    DrawWood(p, leaf, QColor(150, 98, 52), false, 72);
    p.fillRect(QRectF(leaf.left(), 5, leaf.width(), 3), QColor(55, 55, 60));
    p.fillRect(QRectF(leaf.left(), 15, leaf.width(), 3), QColor(55, 55, 60));
    p.setPen(QPen(QColor(45, 28, 14), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(leaf);
    return image;
}

QImage TileArt::Padlock() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    p.setPen(QPen(QColor(70, 70, 74), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(26, 20, 12, 14), 0, 180 * 16);
    p.drawLine(QPointF(26, 27), QPointF(26, 31));
    p.drawLine(QPointF(38, 27), QPointF(38, 31));
    const QRectF body(23, 29, 18, 14);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, QColor(250, 215, 90));
    g.setColorAt(1, QColor(170, 120, 30));
    p.setPen(QPen(QColor(90, 60, 10), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(body, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 30, 5));
    p.drawEllipse(QPointF(32, 34), 2, 2);
    p.drawRect(QRectF(31.2, 34, 1.6, 5));
    return image;
}

QImage TileArt::Chest() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QRectF box(9, 15, 46, 34);
    QPainterPath outline;
    outline.addRoundedRect(box, 3, 3);
    DropShadow(p, outline, QPointF(2, 3), 100);
    DrawWood(p, box, QColor(122, 74, 38), true, 91);
    // The lid's front edge and the iron fittings.
    p.fillRect(QRectF(box.left(), box.top() + 20, box.width(), 2), QColor(40, 24, 12, 200));
    for (const double x : {15.0, 45.0}) {
        const QRectF band(x, box.top(), 5, box.height());
        QLinearGradient g(band.topLeft(), band.topRight());
        g.setColorAt(0, QColor(170, 172, 178));
        g.setColorAt(0.5, QColor(110, 112, 120));
        g.setColorAt(1, QColor(60, 62, 68));
        p.fillRect(band, g);
        DrawRivets(p, band, false);
    }
    p.setPen(QPen(QColor(55, 56, 60), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, 3, 3);
    const QRectF plate(27, 32, 10, 10);
    QLinearGradient gold(plate.topLeft(), plate.bottomRight());
    gold.setColorAt(0, QColor(250, 220, 110));
    gold.setColorAt(1, QColor(160, 110, 30));
    p.setPen(QPen(QColor(90, 60, 10), 1));
    p.setBrush(gold);
    p.drawRoundedRect(plate, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 25, 5));
    p.drawEllipse(QPointF(32, 36), 1.5, 1.5);
    return image;
}

QImage TileArt::ChestOpen() const {
    QImage image = Chest();
    QPainter p(&image);
    Antialiased(p);
    // Lid thrown back, showing coins inside.
    const QRectF inside(12, 17, 40, 18);
    p.fillRect(inside, QColor(40, 24, 14));
    SeededRandom random(5);
    for (int i = 0; i < 16; ++i) {
        const QPointF c(random.Range(16, 48), random.Range(21, 32));
        QRadialGradient g(c - QPointF(1, 1), 3.5);
        g.setColorAt(0, QColor(255, 240, 150));
        g.setColorAt(1, QColor(190, 130, 30));
        p.setPen(QPen(QColor(120, 80, 10), 0.6));
        p.setBrush(g);
        p.drawEllipse(c, 3.2, 2.4);
    }
    const QRectF lid(9, 5, 46, 11);
    DrawWood(p, lid, QColor(110, 66, 34), true, 93);
    p.setPen(QPen(QColor(55, 56, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(lid, 2, 2);
    return image;
}

QImage TileArt::Sparkle() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QPointF c(50, 14);
    QRadialGradient glow(c, 10);
    glow.setColorAt(0, QColor(255, 250, 200, 200));
    glow.setColorAt(1, QColor(255, 230, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, 10, 10);
    p.setBrush(QColor(255, 255, 240));
    p.drawPath(Star(c, 8, 1.6, 4, 90));
    return image;
}

QPainterPath TileArt::StonePolygon(QPointF centre, double radius, SeededRandom& random) {
    QPainterPath path;
    const int corners = random.Int(5, 7);
    const double start = random.Range(0, 2 * kPi);
    for (int i = 0; i < corners; ++i) {
        const double a = start + i * 2 * kPi / corners + random.Range(-0.25, 0.25);
        const double r = radius * random.Range(0.7, 1.0);
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a) * 0.85);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QImage TileArt::Rubble(int size, int stones, std::uint32_t seed) const {
    SeededRandom random(seed);
    QImage image = Transparent(size, size);
    QPainter p(&image);
    Antialiased(p);
    const QPointF centre(size / 2.0, size / 2.0);
    // Dust under the heap.
    QRadialGradient dust(centre, size * 0.46);
    dust.setColorAt(0, QColor(90, 84, 74, 150));
    dust.setColorAt(1, QColor(90, 84, 74, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dust);
    p.drawEllipse(centre, size * 0.46, size * 0.46);
    struct Stone {
        QPointF at;
        double radius;
    };
    std::vector<Stone> heap;
    for (int i = 0; i < stones; ++i) {
        const double a = random.Range(0, 2 * kPi);
        const double d = std::sqrt(random.Unit()) * size * 0.30;
        const double r = size * random.Range(0.07, 0.15) * (1.0 - d / size);
        heap.push_back({centre + QPointF(d * std::cos(a), d * std::sin(a)), r});
    }
    std::sort(heap.begin(), heap.end(), [](const Stone& a, const Stone& b) { return a.radius < b.radius; });
    std::stable_sort(heap.begin(), heap.end(),
                     [](const Stone& a, const Stone& b) { return a.at.y() < b.at.y(); });
    for (const Stone& s : heap) {
        const QPainterPath shape = StonePolygon(s.at, s.radius, random);
        DropShadow(p, shape, QPointF(1.5, 2.5), 110);
        const QColor c = Scaled(QColor(132, 124, 112), random.Range(0.75, 1.15));
        QRadialGradient g(s.at - QPointF(s.radius * 0.4, s.radius * 0.45), s.radius * 1.5);
        g.setColorAt(0, Scaled(c, 1.35));
        g.setColorAt(0.6, c);
        g.setColorAt(1, Scaled(c, 0.55));
        p.setPen(QPen(Scaled(c, 0.4), 0.8));
        p.setBrush(g);
        p.drawPath(shape);
    }
    p.setPen(Qt::NoPen);
    for (int i = 0; i < size; ++i) {
        const double a = random.Range(0, 2 * kPi);
        const double d = random.Range(0.2, 0.42) * size;
        p.setBrush(QColor(70, 64, 56, random.Int(120, 220)));
        p.drawEllipse(centre + QPointF(d * std::cos(a), d * std::sin(a)), 0.9, 0.9);
    }
    return image;
}

QImage TileArt::PitTrap(std::uint32_t seed) const {
    const QImage slab = StoneFloor(64, 64, QColor(126, 118, 106), seed, false);
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(4, 4, 56, 56), 4, 4);
    p.setClipPath(shape);
    p.drawImage(0, 0, slab);
    p.setClipping(false);
    // The two trap-door plates meet in the middle; only a sharp eye sees the seam.
    p.setPen(QPen(QColor(30, 26, 22, 160), 1));
    p.drawLine(QPointF(32, 6), QPointF(32, 58));
    p.setPen(QPen(QColor(30, 26, 22, 110), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 6.5, 51, 51), 3, 3);
    p.setPen(QPen(QColor(40, 36, 32), 2));
    p.drawPath(shape);
    return image;
}

QImage TileArt::TrapSpikes() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QRectF pit(10, 10, 44, 44);
    QRadialGradient dark(pit.center(), 30);
    dark.setColorAt(0, QColor(0, 0, 0, 250));
    dark.setColorAt(1, QColor(40, 10, 8, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    p.drawRoundedRect(pit, 3, 3);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QPointF c(19 + col * 13, 19 + row * 13);
            QPainterPath spike;
            spike.moveTo(c + QPointF(0, -5));
            spike.lineTo(c + QPointF(4.5, 4));
            spike.lineTo(c + QPointF(-4.5, 4));
            spike.closeSubpath();
            QLinearGradient g(c + QPointF(-4, 0), c + QPointF(4, 0));
            g.setColorAt(0, QColor(230, 230, 235));
            g.setColorAt(1, QColor(90, 90, 100));
            p.setBrush(g);
            p.drawPath(spike);
        }
    }
    p.setPen(QPen(QColor(220, 40, 30), 2.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(pit.adjusted(-2, -2, 2, 2), 4, 4);
    return image;
}

QImage TileArt::TrapGlow() const {
    QImage image = Transparent(96, 96);
    QPainter p(&image);
    Antialiased(p);
    QRadialGradient glow(QPointF(48, 48), 48);
    glow.setColorAt(0, QColor(255, 40, 20, 150));
    glow.setColorAt(0.55, QColor(255, 60, 20, 110));
    glow.setColorAt(1, QColor(255, 60, 20, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(48, 48), 48, 48);
    return image;
}

QImage TileArt::SecretDoor(std::uint32_t seed) const {
    SeededRandom random(seed);
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    // A stretch of wall of dressed blocks, indistinguishable from the rest.
    const double top = 16;
    const double rowHeight = 10.667;
    for (int row = 0; row < 3; ++row) {
        double x = row % 2 ? -8 : 0;
        while (x < 64) {
            const double w = random.Range(14, 22);
            const QRectF block(x + 0.5, top + row * rowHeight + 0.5, w - 1, rowHeight - 1);
            const QColor c = Scaled(QColor(120, 114, 106), random.Range(0.8, 1.1));
            p.setPen(QPen(Scaled(c, 0.5), 1));
            p.setBrush(c);
            p.drawRect(block);
            x += w;
        }
    }
    p.end();
    AddGrain(image, seed, 0.12);
    return image;
}

QImage TileArt::SecretMark() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    p.setPen(QPen(QColor(255, 214, 60), 2, Qt::DashLine));
    p.setBrush(QColor(255, 214, 60, 40));
    p.drawRect(QRectF(11, 17, 42, 30));
    QFont font("Liberation Serif", 20);
    font.setBold(true);
    QPainterPath letter;
    letter.addText(0, 0, font, "S");
    const QRectF box = letter.boundingRect();
    letter.translate(32 - box.center().x(), 32 - box.center().y());
    p.setPen(QPen(QColor(60, 40, 0), 1.5));
    p.setBrush(QColor(255, 226, 90));
    p.drawPath(letter);
    return image;
}

QImage TileArt::Bookcase(std::uint32_t seed) const {
    SeededRandom random(seed);
    QImage image = Transparent(128, 64);
    QPainter p(&image);
    Antialiased(p);
    const QRectF frame(3, 10, 122, 44);
    QPainterPath outline;
    outline.addRect(frame);
    DropShadow(p, outline, QPointF(2, 3), 100);
    DrawWood(p, frame, QColor(98, 60, 32), true, seed);
    const QRectF shelf = frame.adjusted(5, 5, -5, -5);
    p.fillRect(shelf, QColor(34, 20, 10));
    const QColor spines[] = {QColor(140, 30, 30),  QColor(40, 70, 130), QColor(40, 100, 50),
                             QColor(150, 120, 50), QColor(90, 40, 100), QColor(110, 70, 40),
                             QColor(30, 90, 100)};
    double x = shelf.left() + 1;
    while (x < shelf.right() - 4) {
        const double w = std::min(random.Range(4, 9), shelf.right() - x - 1);
        const double h = shelf.height() * random.Range(0.72, 1.0);
        const QRectF book(x, shelf.bottom() - h, w, h);
        const QColor c = spines[random.Int(0, 6)];
        QLinearGradient g(book.topLeft(), book.topRight());
        g.setColorAt(0, Scaled(c, 1.3));
        g.setColorAt(0.4, c);
        g.setColorAt(1, Scaled(c, 0.55));
        p.fillRect(book, g);
        p.fillRect(QRectF(book.left(), book.top() + 4, book.width(), 1.2), QColor(220, 190, 90, 170));
        x += w + (random.Chance(0.15) ? 3 : 0.6);
    }
    p.setPen(QPen(QColor(40, 22, 10), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    return image;
}

QImage TileArt::Rug() const {
    QImage image = Transparent(128, 192);
    QPainter p(&image);
    Antialiased(p);
    const QRectF body(8, 10, 112, 172);
    p.setPen(QPen(QColor(220, 200, 160), 1.2));
    for (double x = body.left() + 2; x < body.right(); x += 4) {
        p.drawLine(QPointF(x, 2), QPointF(x, body.top()));
        p.drawLine(QPointF(x, body.bottom()), QPointF(x, 190));
    }
    p.fillRect(body, QColor(120, 24, 28));
    p.setPen(QPen(QColor(214, 170, 70), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(body.adjusted(6, 6, -6, -6));
    p.setPen(QPen(QColor(30, 40, 90), 3));
    p.drawRect(body.adjusted(13, 13, -13, -13));
    const QPointF c = body.center();
    QPainterPath diamond;
    diamond.moveTo(c + QPointF(0, -60));
    diamond.lineTo(c + QPointF(38, 0));
    diamond.lineTo(c + QPointF(0, 60));
    diamond.lineTo(c + QPointF(-38, 0));
    diamond.closeSubpath();
    p.setPen(QPen(QColor(214, 170, 70), 3));
    p.setBrush(QColor(150, 40, 36));
    p.drawPath(diamond);
    p.setBrush(QColor(30, 40, 90));
    p.drawPath(Star(c, 18, 8, 8, 90));
    for (const QPointF d : {QPointF(-30, -64), QPointF(30, -64), QPointF(-30, 64), QPointF(30, 64)})
        p.drawPath(Star(c + d, 8, 4, 4, 90));
    p.end();
    AddGrain(image, 404, 0.18);
    return image;
}

QImage TileArt::Table(std::uint32_t seed) const {
    QImage image = Transparent(128, 64);
    QPainter p(&image);
    Antialiased(p);
    const QRectF top(4, 6, 120, 52);
    QPainterPath outline;
    outline.addRoundedRect(top, 4, 4);
    DropShadow(p, outline, QPointF(3, 4), 110);
    p.setClipPath(outline);
    DrawWood(p, top, QColor(160, 112, 66), true, seed);
    p.setClipping(false);
    p.setPen(QPen(QColor(70, 42, 20), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    return image;
}

QImage TileArt::Candle() const {
    QImage image = Transparent(32, 32);
    QPainter p(&image);
    Antialiased(p);
    QRadialGradient glow(QPointF(16, 16), 16);
    glow.setColorAt(0, QColor(255, 220, 120, 200));
    glow.setColorAt(1, QColor(255, 180, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(16, 16), 16, 16);
    p.setBrush(QColor(240, 232, 210));
    p.setPen(QPen(QColor(150, 140, 120), 1));
    p.drawEllipse(QPointF(16, 16), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 200));
    p.drawEllipse(QPointF(16, 16), 2, 2);
    return image;
}

QImage TileArt::Barrel() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QPointF c(32, 32);
    QPainterPath rim;
    rim.addEllipse(c, 25, 25);
    DropShadow(p, rim, QPointF(2, 3), 110);
    p.setClipPath(rim);
    DrawWood(p, QRectF(6, 6, 52, 52), QColor(140, 92, 50), true, 17);
    p.setClipping(false);
    p.setPen(QPen(QColor(60, 60, 64), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 23, 23);
    p.setPen(QPen(QColor(150, 150, 156), 1));
    p.drawEllipse(c, 24.5, 24.5);
    p.setPen(QPen(QColor(40, 26, 12), 1.5));
    p.drawEllipse(c, 4, 4);
    return image;
}

QImage TileArt::Well(std::uint32_t seed) const {
    SeededRandom random(seed);
    QImage image = Transparent(128, 128);
    QPainter p(&image);
    Antialiased(p);
    const QPointF c(64, 64);
    QPainterPath outer;
    outer.addEllipse(c, 54, 54);
    DropShadow(p, outer, QPointF(3, 4), 110);
    // A ring of stones around dark water.
    for (int i = 0; i < 16; ++i) {
        const double a0 = i * 2 * kPi / 16;
        const double a1 = (i + 1) * 2 * kPi / 16 - 0.04;
        QPainterPath block;
        block.moveTo(c + QPointF(54 * std::cos(a0), 54 * std::sin(a0)));
        block.arcTo(QRectF(c.x() - 54, c.y() - 54, 108, 108), -a0 * 180 / kPi, -(a1 - a0) * 180 / kPi);
        block.lineTo(c + QPointF(36 * std::cos(a1), 36 * std::sin(a1)));
        block.arcTo(QRectF(c.x() - 36, c.y() - 36, 72, 72), -a1 * 180 / kPi, (a1 - a0) * 180 / kPi);
        block.closeSubpath();
        const QColor col = Scaled(QColor(128, 124, 116), random.Range(0.8, 1.1));
        QRadialGradient g(c, 56);
        g.setColorAt(0.6, Scaled(col, 1.2));
        g.setColorAt(1, Scaled(col, 0.7));
        p.setPen(QPen(QColor(40, 38, 34), 1));
        p.setBrush(g);
        p.drawPath(block);
    }
    QRadialGradient water(c + QPointF(-8, -8), 40);
    water.setColorAt(0, QColor(40, 70, 90));
    water.setColorAt(1, QColor(5, 10, 16));
    p.setBrush(water);
    p.drawEllipse(c, 36, 36);
    p.end();
    AddGrain(image, seed + 1, 0.1);
    return image;
}

QImage TileArt::Potion(QColor liquid) const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QPainterPath flask;
    flask.addEllipse(QPointF(32, 38), 15, 15);
    flask.addRect(QRectF(27, 12, 10, 16));
    flask = flask.simplified();
    DropShadow(p, flask, QPointF(2, 3), 100);
    QRadialGradient g(QPointF(27, 33), 20);
    g.setColorAt(0, Scaled(liquid, 1.6));
    g.setColorAt(0.5, liquid);
    g.setColorAt(1, Scaled(liquid, 0.45));
    p.setPen(QPen(QColor(30, 30, 40), 1.5));
    p.setBrush(g);
    p.drawPath(flask);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(26, 33), 4, 6);
    const QRectF cork(26, 7, 12, 8);
    p.setPen(QPen(QColor(80, 50, 20), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRoundedRect(cork, 2, 2);
    return image;
}

QImage TileArt::Key() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QPainterPath key;
    key.addEllipse(QPointF(17, 32), 10, 10);
    key.addRect(QRectF(25, 29.5, 30, 5));
    key.addRect(QRectF(44, 34, 4, 8));
    key.addRect(QRectF(50, 34, 4, 6));
    key = key.simplified();
    QPainterPath hole;
    hole.addEllipse(QPointF(17, 32), 5, 5);
    key = key.subtracted(hole);
    DropShadow(p, key, QPointF(2, 3), 110);
    QLinearGradient g(QPointF(0, 22), QPointF(0, 42));
    g.setColorAt(0, QColor(255, 232, 130));
    g.setColorAt(0.5, QColor(220, 170, 50));
    g.setColorAt(1, QColor(150, 100, 20));
    p.setPen(QPen(QColor(90, 60, 10), 1.2));
    p.setBrush(g);
    p.drawPath(key);
    return image;
}

QImage TileArt::Scroll() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QRectF sheet(14, 16, 36, 32);
    QPainterPath outline;
    outline.addRect(sheet);
    DropShadow(p, outline, QPointF(2, 3), 90);
    p.fillRect(sheet, QColor(236, 222, 180));
    p.setPen(QPen(QColor(120, 90, 60, 170), 1));
    for (double y = sheet.top() + 7; y < sheet.bottom() - 4; y += 5)
        p.drawLine(QPointF(sheet.left() + 5, y),
                   QPointF(sheet.right() - 5 - (static_cast<int>(y) % 3) * 3, y));
    for (const double x : {10.0, 48.0}) {
        const QRectF roll(x, 12, 6, 40);
        QLinearGradient g(roll.topLeft(), roll.topRight());
        g.setColorAt(0, QColor(180, 160, 120));
        g.setColorAt(0.5, QColor(250, 240, 210));
        g.setColorAt(1, QColor(160, 140, 100));
        p.setPen(QPen(QColor(110, 90, 60), 1));
        p.setBrush(g);
        p.drawRoundedRect(roll, 3, 3);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 30, 30));
    p.drawEllipse(QPointF(32, 44), 4, 4);
    p.end();
    AddGrain(image, 12, 0.1);
    return image;
}

QImage TileArt::Gold() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    SeededRandom random(33);
    struct Coin {
        QPointF at;
    };
    std::vector<Coin> coins;
    for (int i = 0; i < 14; ++i) {
        const double a = random.Range(0, 2 * kPi);
        const double d = std::sqrt(random.Unit()) * 14;
        coins.push_back({QPointF(32 + d * std::cos(a), 34 + d * std::sin(a) * 0.8)});
    }
    std::sort(coins.begin(), coins.end(), [](const Coin& a, const Coin& b) { return a.at.y() < b.at.y(); });
    for (const Coin& c : coins) {
        QPainterPath coin;
        coin.addEllipse(c.at, 7, 5.5);
        DropShadow(p, coin, QPointF(1, 1.5), 110);
        QRadialGradient g(c.at - QPointF(2, 2), 8);
        g.setColorAt(0, QColor(255, 245, 170));
        g.setColorAt(0.6, QColor(230, 180, 50));
        g.setColorAt(1, QColor(160, 110, 20));
        p.setPen(QPen(QColor(110, 70, 10), 0.8));
        p.setBrush(g);
        p.drawPath(coin);
        p.setPen(QPen(QColor(160, 110, 20, 160), 0.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c.at, 4.5, 3.4);
    }
    return image;
}

QImage TileArt::Crystal() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QPainterPath gem;
    gem.moveTo(32, 8);
    gem.lineTo(46, 26);
    gem.lineTo(32, 56);
    gem.lineTo(18, 26);
    gem.closeSubpath();
    DropShadow(p, gem, QPointF(2, 3), 100);
    QLinearGradient g(QPointF(18, 8), QPointF(46, 56));
    g.setColorAt(0, QColor(200, 255, 250));
    g.setColorAt(0.5, QColor(60, 200, 210));
    g.setColorAt(1, QColor(10, 80, 110));
    p.setPen(QPen(QColor(10, 60, 80), 1.2));
    p.setBrush(g);
    p.drawPath(gem);
    p.setPen(QPen(QColor(230, 255, 255, 180), 1));
    p.drawLine(QPointF(18, 26), QPointF(46, 26));
    p.drawLine(QPointF(32, 8), QPointF(26, 26));
    p.drawLine(QPointF(32, 8), QPointF(38, 26));
    p.drawLine(QPointF(26, 26), QPointF(32, 56));
    p.drawLine(QPointF(38, 26), QPointF(32, 56));
    return image;
}

// Weapons and heads are drawn in a 64 x 64 frame whose figure faces +x; s scales bigger tokens.
void TileArt::DrawWeapon(QPainter& p, Weapon weapon, double s) {
    const QColor steel(200, 204, 212);
    const QColor darkSteel(90, 94, 104);
    const QColor wood(120, 80, 40);
    p.save();
    p.scale(s, s);
    switch (weapon) {
    case Weapon::Sword:
        p.setPen(QPen(darkSteel, 1));
        p.setBrush(steel);
        p.drawRect(QRectF(36, 43, 20, 3));
        p.setBrush(QColor(180, 140, 40));
        p.drawRect(QRectF(34, 40, 3, 9));
        break;
    case Weapon::Axe: {
        p.setPen(QPen(QColor(60, 40, 20), 1));
        p.setBrush(wood);
        p.drawRect(QRectF(34, 43, 20, 3));
        QPainterPath blade;
        blade.moveTo(48, 44);
        blade.lineTo(56, 36);
        blade.quadTo(61, 44, 56, 53);
        blade.closeSubpath();
        p.setPen(QPen(darkSteel, 1));
        p.setBrush(steel);
        p.drawPath(blade);
        break;
    }
    case Weapon::Hammer:
        p.setPen(QPen(QColor(60, 40, 20), 1));
        p.setBrush(wood);
        p.drawRect(QRectF(34, 43, 18, 3));
        p.setPen(QPen(darkSteel, 1));
        p.setBrush(QColor(150, 154, 164));
        p.drawRoundedRect(QRectF(49, 37, 8, 15), 1.5, 1.5);
        break;
    case Weapon::Bow:
        p.setPen(QPen(QColor(140, 96, 50), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(30, 14, 22, 36), -80 * 16, 160 * 16);
        p.setPen(QPen(QColor(230, 230, 220), 0.8));
        p.drawLine(QPointF(43, 14.8), QPointF(43, 49.2));
        break;
    case Weapon::Staff:
        p.setPen(QPen(QColor(60, 40, 20), 1));
        p.setBrush(wood);
        p.drawRect(QRectF(30, 43, 26, 2.6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(140, 220, 255));
        p.drawEllipse(QPointF(56, 44.3), 3.5, 3.5);
        break;
    case Weapon::Spear:
        p.setPen(QPen(QColor(60, 40, 20), 1));
        p.setBrush(wood);
        p.drawRect(QRectF(28, 43, 26, 2.2));
        p.setPen(QPen(darkSteel, 0.8));
        p.setBrush(steel);
        p.drawPolygon(QPolygonF({QPointF(53, 41), QPointF(61, 44.1), QPointF(53, 47.2)}));
        break;
    case Weapon::Club:
        p.setPen(QPen(QColor(50, 30, 10), 1));
        p.setBrush(QColor(110, 74, 40));
        p.drawPolygon(QPolygonF({QPointF(34, 42.5), QPointF(57, 40), QPointF(58, 49), QPointF(34, 46)}));
        break;
    case Weapon::Claws:
        p.setPen(QPen(QColor(230, 226, 210), 1.5));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(44, 40 + i * 3.5), QPointF(52, 41 + i * 4.2));
        break;
    }
    p.restore();
}

void TileArt::DrawHead(QPainter& p, const Figure& figure, double s) {
    p.save();
    p.scale(s, s);
    const QPointF head(33, 32);
    p.setPen(QPen(Scaled(figure.skin, 0.5), 1));
    switch (figure.head) {
    case Head::PointedEars:
        p.setBrush(figure.skin);
        p.drawPolygon(QPolygonF({QPointF(36, 25), QPointF(30, 17), QPointF(40, 25)}));
        p.drawPolygon(QPolygonF({QPointF(36, 39), QPointF(30, 47), QPointF(40, 39)}));
        break;
    case Head::Horns:
        p.setBrush(QColor(225, 215, 190));
        p.drawPolygon(QPolygonF({QPointF(37, 25), QPointF(47, 17), QPointF(41, 27)}));
        p.drawPolygon(QPolygonF({QPointF(37, 39), QPointF(47, 47), QPointF(41, 37)}));
        break;
    default:
        break;
    }
    QRadialGradient g(head - QPointF(2, 2), 9);
    switch (figure.head) {
    case Head::Helmet:
        g.setColorAt(0, QColor(230, 232, 240));
        g.setColorAt(1, QColor(100, 104, 114));
        break;
    case Head::Hat:
    case Head::Hood:
        g.setColorAt(0, Scaled(figure.body, 1.5));
        g.setColorAt(1, Scaled(figure.body, 0.7));
        break;
    case Head::Skull:
        g.setColorAt(0, QColor(250, 248, 235));
        g.setColorAt(1, QColor(170, 164, 145));
        break;
    default:
        g.setColorAt(0, Scaled(figure.skin, 1.25));
        g.setColorAt(1, Scaled(figure.skin, 0.8));
    }
    p.setBrush(g);
    p.drawEllipse(head, 8, 8);
    if (figure.head == Head::Hat) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 90));
        p.drawPath(Star(head, 4.5, 2, 5, 0));
    } else if (figure.head == Head::Helmet) {
        p.setPen(QPen(QColor(70, 74, 84), 1.5));
        p.drawLine(head + QPointF(-7, 0), head + QPointF(7, 0));
    } else if (figure.head == Head::Skull) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 36, 30));
        p.drawEllipse(head + QPointF(3.5, -3), 1.8, 1.8);
        p.drawEllipse(head + QPointF(3.5, 3), 1.8, 1.8);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 16, 12));
        p.drawEllipse(head + QPointF(4.5, -2.6), 1.1, 1.1);
        p.drawEllipse(head + QPointF(4.5, 2.6), 1.1, 1.1);
    }
    p.restore();
}

QImage TileArt::Token(int size, const Figure& figure) const {
    QImage image = Transparent(size, size);
    QPainter p(&image);
    Antialiased(p);
    const double s = size / 64.0;
    const QPointF c(size / 2.0, size / 2.0);
    const double radius = 27 * s;
    QPainterPath disc;
    disc.addEllipse(c, radius, radius);
    DropShadow(p, disc, QPointF(1.5 * s, 2.5 * s), 110);
    QRadialGradient base(c - QPointF(8 * s, 8 * s), radius * 1.6);
    base.setColorAt(0, Scaled(figure.disc, 1.45));
    base.setColorAt(0.55, figure.disc);
    base.setColorAt(1, Scaled(figure.disc, 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawPath(disc);
    // Rim with a pointer on the facing side (+x).
    QPainterPath pointer;
    pointer.moveTo(c + QPointF(radius - 3 * s, -6 * s));
    pointer.lineTo(c + QPointF(radius + 4.5 * s, 0));
    pointer.lineTo(c + QPointF(radius - 3 * s, 6 * s));
    pointer.closeSubpath();
    QLinearGradient rimShade(c - QPointF(radius, radius), c + QPointF(radius, radius));
    rimShade.setColorAt(0, Scaled(figure.rim, 1.4));
    rimShade.setColorAt(1, Scaled(figure.rim, 0.55));
    p.setBrush(rimShade);
    p.drawPath(pointer);
    p.setPen(QPen(QBrush(rimShade), 3.2 * s));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius - 1.2 * s, radius - 1.2 * s);
    // The figure seen from above: shoulders across the facing, head forward, weapon in the right hand.
    p.save();
    p.scale(s, s);
    QPainterPath shoulders;
    shoulders.addEllipse(QRectF(21, 14, 20, 36));
    DropShadow(p, shoulders, QPointF(1.2, 1.8), 90);
    QLinearGradient body(QPointF(21, 14), QPointF(41, 50));
    body.setColorAt(0, Scaled(figure.body, 1.35));
    body.setColorAt(1, Scaled(figure.body, 0.6));
    p.setPen(QPen(Scaled(figure.body, 0.4), 1));
    p.setBrush(body);
    p.drawPath(shoulders);
    p.setBrush(figure.skin);
    p.drawEllipse(QPointF(37, 18.5), 3.4, 3.4);
    p.drawEllipse(QPointF(37, 45.5), 3.4, 3.4);
    p.restore();
    DrawWeapon(p, figure.weapon, s);
    DrawHead(p, figure, s);
    return image;
}

QImage TileArt::SelectionRing() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    p.setPen(QPen(QColor(255, 255, 255, 230), 3));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(32, 32), 30, 30);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(32, 32), 25.5, 25.5);
    return image;
}

QImage TileArt::MonsterBase() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QRadialGradient g(QPointF(32, 32), 32);
    g.setColorAt(0.75, QColor(150, 0, 0, 0));
    g.setColorAt(0.88, QColor(170, 10, 10, 170));
    g.setColorAt(1, QColor(150, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(32, 32), 32, 32);
    return image;
}

QImage TileArt::StartArea() const {
    QImage image = Transparent(128, 128);
    QPainter p(&image);
    Antialiased(p);
    p.fillRect(QRectF(2, 2, 124, 124), QColor(60, 200, 90, 60));
    p.setPen(QPen(QColor(90, 230, 120, 220), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3, 3, 122, 122));
    p.setPen(QPen(QColor(150, 255, 170), 4, Qt::SolidLine, Qt::SquareCap));
    for (const QPointF corner : {QPointF(4, 4), QPointF(124, 4), QPointF(4, 124), QPointF(124, 124)}) {
        const double dx = corner.x() < 64 ? 14 : -14;
        const double dy = corner.y() < 64 ? 14 : -14;
        p.drawLine(corner, corner + QPointF(dx, 0));
        p.drawLine(corner, corner + QPointF(0, dy));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 255, 170, 200));
    p.drawPolygon(QPolygonF({QPointF(52, 46), QPointF(80, 64), QPointF(52, 82)}));
    return image;
}

QImage TileArt::Objective() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    QRadialGradient glow(QPointF(32, 32), 30);
    glow.setColorAt(0, QColor(255, 230, 120, 170));
    glow.setColorAt(1, QColor(255, 200, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(32, 32), 30, 30);
    const QPainterPath star = Star(QPointF(32, 33), 20, 8.5, 5, 90);
    DropShadow(p, star, QPointF(1.5, 2), 110);
    QLinearGradient g(QPointF(16, 12), QPointF(48, 54));
    g.setColorAt(0, QColor(255, 245, 160));
    g.setColorAt(1, QColor(210, 140, 20));
    p.setPen(QPen(QColor(120, 70, 0), 1.2));
    p.setBrush(g);
    p.drawPath(star);
    return image;
}

QImage TileArt::SpawnPoint() const {
    QImage image = Transparent(64, 64);
    QPainter p(&image);
    Antialiased(p);
    const QPointF c(32, 32);
    p.setPen(QPen(QColor(200, 30, 40, 220), 2.5));
    p.setBrush(QColor(120, 0, 10, 60));
    p.drawEllipse(c, 27, 27);
    p.setPen(QPen(QColor(230, 60, 60, 220), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 21, 21);
    p.drawPath(Star(c, 20, 8, 5, 90));
    for (int i = 0; i < 12; ++i) {
        const double a = i * kPi / 6;
        p.drawLine(c + QPointF(23 * std::cos(a), 23 * std::sin(a)),
                   c + QPointF(26 * std::cos(a), 26 * std::sin(a)));
    }
    return image;
}

QImage TileArt::WardCircle() const {
    QImage image = Transparent(128, 128);
    QPainter p(&image);
    Antialiased(p);
    const QPointF c(64, 64);
    p.setPen(QPen(QColor(140, 200, 255, 200), 2));
    p.setBrush(QColor(100, 160, 255, 35));
    p.drawEllipse(c, 60, 60);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(170, 220, 255, 200), 1.5, Qt::DashDotLine));
    p.drawEllipse(c, 52, 52);
    p.drawPath(Star(c, 50, 20, 6, 90));
    return image;
}

QImage TileArt::Footsteps() const {
    QImage image = Transparent(32, 32);
    QPainter p(&image);
    Antialiased(p);
    // Two soles pointing +x; drawn white so the path colour tints them fully.
    p.setPen(Qt::NoPen);
    for (const auto& [x, y] : {std::pair{9.0, 9.5}, std::pair{18.0, 22.5}}) {
        QRadialGradient g(QPointF(x + 6, y), 10);
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(215, 215, 215));
        p.setBrush(g);
        p.drawEllipse(QRectF(x, y - 4, 13, 8));        // ball of the foot, toward the direction of travel
        p.drawEllipse(QRectF(x - 7.5, y - 3, 6.5, 6)); // heel
    }
    return image;
}

QImage TileArt::TurnArrow(Turn turn) const {
    QImage image = Transparent(48, 48);
    QPainter p(&image);
    Antialiased(p);
    QPainterPath path;
    QPolygonF head;
    // The arrow enters from the left heading +x and leaves in the new direction. "Up" in the picture is a
    // turn to the left because the map's y axis points up.
    switch (turn) {
    case Turn::Left:
        path.moveTo(4, 34);
        path.lineTo(16, 34);
        path.quadTo(30, 34, 30, 20);
        path.lineTo(30, 16);
        head = QPolygonF({QPointF(21, 17), QPointF(30, 4), QPointF(39, 17)});
        break;
    case Turn::Right:
        path.moveTo(4, 14);
        path.lineTo(16, 14);
        path.quadTo(30, 14, 30, 28);
        path.lineTo(30, 32);
        head = QPolygonF({QPointF(21, 31), QPointF(30, 44), QPointF(39, 31)});
        break;
    case Turn::Back:
        path.moveTo(4, 14);
        path.lineTo(26, 14);
        path.cubicTo(42, 14, 42, 34, 26, 34);
        path.lineTo(20, 34);
        head = QPolygonF({QPointF(21, 25), QPointF(8, 34), QPointF(21, 43)});
        break;
    }
    p.setPen(QPen(QColor(255, 255, 255), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(QColor(255, 255, 255), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(head);
    return image;
}

QImage TileArt::PanelButton(PanelIcon icon) const {
    QImage image(17, 17, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    Antialiased(p);
    QLinearGradient g(0, 0, 0, 17);
    g.setColorAt(0, QColor(96, 78, 58));
    g.setColorAt(1, QColor(44, 34, 24));
    p.fillRect(QRect(0, 0, 17, 17), g);
    p.setPen(QColor(150, 126, 92));
    p.drawLine(0, 0, 16, 0);
    p.drawLine(0, 0, 0, 16);
    p.setPen(QColor(20, 14, 8));
    p.drawLine(0, 16, 16, 16);
    p.drawLine(16, 0, 16, 16);
    switch (icon) {
    case PanelIcon::Unlocked:
    case PanelIcon::Locked: {
        const bool locked = icon == PanelIcon::Locked;
        const QColor metal = locked ? QColor(240, 190, 70) : QColor(140, 220, 120);
        p.setPen(QPen(QColor(210, 210, 215), 1.6));
        p.setBrush(Qt::NoBrush);
        const QRectF shackle = locked ? QRectF(5, 3, 7, 8) : QRectF(8.5, 2, 7, 8);
        p.drawArc(shackle, 0, 180 * 16);
        p.drawLine(QPointF(shackle.right(), 6.5), QPointF(shackle.right(), 8.5));
        if (locked)
            p.drawLine(QPointF(shackle.left(), 6.5), QPointF(shackle.left(), 8.5));
        p.setPen(QPen(Scaled(metal, 0.45), 1));
        p.setBrush(metal);
        p.drawRoundedRect(QRectF(3.5, 8, 10, 6.5), 1.2, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(Scaled(metal, 0.35));
        p.drawEllipse(QPointF(8.5, 11), 1, 1);
        break;
    }
    case PanelIcon::Hidden:
        p.setPen(QPen(QColor(200, 200, 200), 1.3));
        p.setBrush(QColor(70, 60, 50));
        p.drawEllipse(QRectF(2.5, 5.5, 12, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 200, 200));
        p.drawEllipse(QPointF(8.5, 8.5), 1.8, 1.8);
        p.setPen(QPen(QColor(230, 70, 60), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 14), QPointF(14, 3));
        break;
    }
    return image;
}

QImage TileArt::PanelBar(bool expanded) const {
    QImage image(111, 17, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    Antialiased(p);
    QLinearGradient g(0, 0, 0, 17);
    g.setColorAt(0, expanded ? QColor(120, 92, 60) : QColor(86, 66, 46));
    g.setColorAt(0.5, expanded ? QColor(92, 68, 44) : QColor(64, 48, 32));
    g.setColorAt(1, expanded ? QColor(60, 44, 28) : QColor(38, 28, 18));
    p.fillRect(QRect(0, 0, 111, 17), g);
    p.setPen(QColor(160, 132, 96));
    p.drawLine(0, 0, 110, 0);
    p.setPen(QColor(20, 14, 8));
    p.drawLine(0, 16, 110, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 215, 170));
    if (expanded)
        p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 6), QPointF(4, 11)}));
    else
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(6.5, 8.5), QPointF(2, 12)}));
    return image;
}

QImage TileArt::Background() const {
    QImage image(512, 512, QImage::Format_ARGB32_Premultiplied);
    const ValueNoise noise(2024);
    for (int y = 0; y < 512; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < 512; ++x) {
            const double dx = (x - 256) / 256.0;
            const double dy = (y - 256) / 256.0;
            const double vignette = 1.0 - 0.55 * std::min(1.0, dx * dx + dy * dy);
            const double n = 0.75 + 0.5 * noise.Fractal(x / 40.0, y / 40.0, 5);
            const double f = vignette * n;
            row[x] = qRgb(static_cast<int>(34 * f), static_cast<int>(32 * f), static_cast<int>(40 * f));
        }
    }
    AddGrain(image, 77, 0.08);
    return image;
}
