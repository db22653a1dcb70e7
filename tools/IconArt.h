#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>

#include <string>
#include <vector>

// The program's icons as a few flat shapes on a 256-unit square, y down: the application icon and the
// icons of its two document types. One drawing gives both the scalable SVG and the pixel sizes, so
// the two can never disagree.
class IconArt {
public:
    struct Shape {
        std::vector<QPointF> points; // a closed polygon in icon units
        double cornerRadius = 0.0;   // > 0: points are two corners of a rounded rectangle
        QColor fill;
        QColor stroke = Qt::transparent;
        double strokeWidth = 0.0; // icon units; at least one pixel at small sizes
    };

    static constexpr double kUnits = 256.0;

    static IconArt Application();
    static IconArt MapDocument();
    static IconArt TileSetDocument();

    const std::vector<Shape>& Shapes() const { return shapes_; }

    std::string ToSvg() const;
    // The icon at size x size pixels, transparent around the shapes.
    QImage Render(int size) const;

private:
    void AddRoundedRect(double left, double top, double right, double bottom, double radius, QColor fill);
    // A square tile of side `side` centred on (cx, cy), turned by `degrees` clockwise, with a dark edge.
    void AddTile(double cx, double cy, double side, double degrees, QColor fill);
    void AddPolygon(std::vector<QPointF> points, QColor fill, QColor stroke = Qt::transparent,
                    double strokeWidth = 0.0);
    void AddSheet();

    std::vector<Shape> shapes_;
};
