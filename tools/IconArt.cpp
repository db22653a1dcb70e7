#include "tools/IconArt.h"

#include <QPainter>
#include <QPolygonF>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <utility>

namespace {

// The terrain of a board-game map: the tiles the icons show.
const QColor kGrass(116, 168, 74);
const QColor kWater(60, 125, 190);
const QColor kSand(221, 182, 92);
const QColor kStone(156, 154, 144);
const QColor kForest(63, 123, 60);
const QColor kLifted(140, 192, 90);
const QColor kBoard(47, 72, 88);
const QColor kEmptySlot(34, 55, 68);
const QColor kPaper(246, 243, 234);
const QColor kFold(213, 208, 194);
const QColor kInk(92, 92, 92);

constexpr double kTileEdge = 4.0;
constexpr double kSheetEdge = 8.0;

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

QString SvgPaint(const char* name, const QColor& color) {
    QString text = QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), color.name(QColor::HexRgb));
    if (color.alpha() != 255) {
        text += QStringLiteral(" %1-opacity=\"%2\"").arg(QLatin1String(name), Number(color.alphaF()));
    }
    return text;
}

QString SvgElement(const IconArt::Shape& shape) {
    QString element;
    if (shape.cornerRadius > 0.0) {
        const QRectF box(shape.points[0], shape.points[1]);
        element = QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\"")
                      .arg(Number(box.left()), Number(box.top()), Number(box.width()), Number(box.height()),
                           Number(shape.cornerRadius));
    } else {
        QStringList points;
        for (const QPointF& p : shape.points) {
            points << Number(p.x()) + QLatin1Char(',') + Number(p.y());
        }
        element = QStringLiteral("  <polygon points=\"%1\"").arg(points.join(QLatin1Char(' ')));
    }
    element += SvgPaint("fill", shape.fill);
    if (shape.strokeWidth > 0.0) {
        element += SvgPaint("stroke", shape.stroke);
        element +=
            QStringLiteral(" stroke-width=\"%1\" stroke-linejoin=\"round\"").arg(Number(shape.strokeWidth));
    }
    return element + QStringLiteral("/>\n");
}

} // namespace

void IconArt::AddRoundedRect(double left, double top, double right, double bottom, double radius,
                             QColor fill) {
    Shape shape;
    shape.points = {QPointF(left, top), QPointF(right, bottom)};
    shape.cornerRadius = radius;
    shape.fill = fill;
    shapes_.push_back(std::move(shape));
}

void IconArt::AddPolygon(std::vector<QPointF> points, QColor fill, QColor stroke, double strokeWidth) {
    Shape shape;
    shape.points = std::move(points);
    shape.fill = fill;
    shape.stroke = stroke;
    shape.strokeWidth = strokeWidth;
    shapes_.push_back(std::move(shape));
}

void IconArt::AddTile(double cx, double cy, double side, double degrees, QColor fill) {
    QTransform turn;
    turn.translate(cx, cy);
    turn.rotate(degrees);
    const double h = side / 2.0;
    std::vector<QPointF> corners;
    for (const QPointF& corner : {QPointF(-h, -h), QPointF(h, -h), QPointF(h, h), QPointF(-h, h)}) {
        corners.push_back(turn.map(corner));
    }
    AddPolygon(std::move(corners), fill, fill.darker(140), kTileEdge);
}

void IconArt::AddSheet() {
    AddPolygon({{44, 12}, {172, 12}, {212, 52}, {212, 244}, {44, 244}}, kPaper, kInk, kSheetEdge);
    AddPolygon({{172, 12}, {172, 52}, {212, 52}}, kFold, kInk, kSheetEdge);
}

IconArt IconArt::Application() {
    IconArt art;
    art.AddRoundedRect(16, 16, 240, 240, 40, kBoard);
    // A 3 x 3 map with its last tile lifted off the board, on its way into place.
    const double centres[3] = {62, 128, 194};
    const QColor terrain[3][3] = {
        {kGrass, kGrass, kWater}, {kSand, kForest, kWater}, {kStone, kSand, kGrass}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row == 2 && column == 2) {
                art.AddRoundedRect(165, 165, 223, 223, 6, kEmptySlot);
                continue;
            }
            art.AddTile(centres[column], centres[row], 58, 0, terrain[row][column]);
        }
    }
    const double liftedX = 182;
    const double liftedY = 178;
    art.AddTile(liftedX + 10, liftedY + 12, 62, -12, QColor(0, 0, 0, 90));
    art.shapes_.back().strokeWidth = 0.0;
    art.AddTile(liftedX, liftedY, 62, -12, kLifted);
    return art;
}

IconArt IconArt::MapDocument() {
    IconArt art;
    art.AddSheet();
    art.AddTile(96, 124, 56, 0, kGrass);
    art.AddTile(160, 124, 56, 0, kWater);
    art.AddTile(96, 188, 56, 0, kSand);
    art.AddTile(160, 188, 56, 0, kForest);
    return art;
}

IconArt IconArt::TileSetDocument() {
    IconArt art;
    art.AddSheet();
    // A fanned hand of tiles: the catalogue a map is built from.
    art.AddTile(100, 170, 70, -20, kSand);
    art.AddTile(156, 170, 70, 20, kWater);
    art.AddTile(128, 150, 70, 0, kGrass);
    return art;
}

std::string IconArt::ToSvg() const {
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                                 "viewBox=\"0 0 256 256\">\n");
    for (const Shape& shape : shapes_) {
        svg += SvgElement(shape);
    }
    svg += QStringLiteral("</svg>\n");
    return svg.toStdString();
}

QImage IconArt::Render(int size) const {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = size / kUnits;
    painter.scale(scale, scale);
    for (const Shape& shape : shapes_) {
        if (shape.strokeWidth > 0.0) {
            // Edges thinner than a pixel vanish at 16 px; one pixel keeps the outline.
            QPen pen(shape.stroke, std::max(shape.strokeWidth, 1.0 / scale));
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
        } else {
            painter.setPen(Qt::NoPen);
        }
        painter.setBrush(shape.fill);
        if (shape.cornerRadius > 0.0) {
            painter.drawRoundedRect(QRectF(shape.points[0], shape.points[1]), shape.cornerRadius,
                                    shape.cornerRadius);
        } else {
            painter.drawPolygon(QPolygonF(QList<QPointF>(shape.points.begin(), shape.points.end())));
        }
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
