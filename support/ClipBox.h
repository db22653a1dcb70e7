#pragma once

#include <optional>
#include <utility>
#include <vector>

// A point of a line or shape in pixels, still in doubles: where it lies before it is rounded to a
// pixel, which may be far beyond the range of int.
struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
};

// Where the part of a segment inside a box begins and ends, as fractions of the way from its first
// point to its second: 0 <= enter <= leave <= 1.
struct SegmentSpan {
    double enter = 0.0;
    double leave = 1.0;
};

// An axis-aligned rectangle that lines and shapes are cut to before their coordinates become
// integers or reach the platform rasterizer, so that drawing costs what the canvas shows, not what the
// shape spans. Edges count as inside. The box works the same in client (y down) and view (y up)
// pixels. Anything with a coordinate that is not finite lies nowhere and clips to nothing.
class ClipBox {
public:
    // Points within this many pixels of a canvas keep their exact position when a drawing is cut to
    // ClientReach, so a shape partly off the canvas still draws the pixels it drew unclipped. At this
    // distance coordinates and their differences stay far inside int, and every rasterizer copes.
    static constexpr double kClientReach = 1 << 20;

    ClipBox(double left, double top, double right, double bottom);
    // The pixels 0 .. width - 1, 0 .. height - 1 of a canvas and `margin` pixels more on every side.
    static ClipBox AroundCanvas(int width, int height, double margin);
    // Where world and view positions may be converted to integer pixels of that canvas.
    static ClipBox ClientReach(int width, int height) { return AroundCanvas(width, height, kClientReach); }

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Right() const { return right_; }
    double Bottom() const { return bottom_; }

    bool Contains(PlanePoint p) const;
    // Liang-Barsky: the stretch of a to b inside the box; nullopt when it misses the box.
    std::optional<SegmentSpan> Span(PlanePoint a, PlanePoint b) const;
    // The part of a to b inside the box, its ends on the box's edges where it was cut.
    std::optional<std::pair<PlanePoint, PlanePoint>> ClipSegment(PlanePoint a, PlanePoint b) const;
    // Sutherland-Hodgman on the closed polygon (the last point joins the first). What is cut away is
    // replaced by a run along the box's edges, so the filled area inside the box is unchanged and an
    // outline gains edges only on the box's border. A polygon inside the box comes back as it was,
    // in the same order from the same first point; one wholly beyond an edge comes back empty.
    std::vector<PlanePoint> ClipPolygon(const PlanePoint* points, int count) const;

private:
    double left_;
    double top_;
    double right_;
    double bottom_;
};
