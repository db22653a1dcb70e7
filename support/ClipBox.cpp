#include "support/ClipBox.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// One side of the box: the points whose x (onX) or y coordinate is at least (keepAbove) or at most
// `bound` are inside it.
struct Edge {
    bool onX;
    double bound;
    bool keepAbove;
};

double Along(PlanePoint p, bool onX) {
    return onX ? p.x : p.y;
}

bool Finite(PlanePoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool Inside(PlanePoint p, const Edge& edge) {
    const double v = Along(p, edge.onX);
    return edge.keepAbove ? v >= edge.bound : v <= edge.bound;
}

// The point of p .. q on the edge's line, p and q on either side of it. The other coordinate is
// interpolated from whichever end is nearer the line: measured from a far end (1e22 pixels away, say)
// the short way to the line would be lost in rounding.
PlanePoint Cut(PlanePoint p, PlanePoint q, const Edge& edge) {
    const double pAlong = Along(p, edge.onX), qAlong = Along(q, edge.onX);
    const double pAcross = Along(p, !edge.onX), qAcross = Along(q, !edge.onX);
    const bool fromP = std::fabs(pAlong - edge.bound) <= std::fabs(qAlong - edge.bound);
    const double nearAlong = fromP ? pAlong : qAlong, nearAcross = fromP ? pAcross : qAcross;
    const double farAlong = fromP ? qAlong : pAlong, farAcross = fromP ? qAcross : pAcross;
    double across =
        nearAcross + (edge.bound - nearAlong) * ((farAcross - nearAcross) / (farAlong - nearAlong));
    if (!std::isfinite(across)) {
        across = nearAcross; // only when the ends' distance overflows a double
    }
    return edge.onX ? PlanePoint{edge.bound, across} : PlanePoint{across, edge.bound};
}

// Left, right, top, bottom: the order does not matter to the result.
std::array<Edge, 4> EdgesOf(const ClipBox& box) {
    return {Edge{true, box.Left(), true}, Edge{true, box.Right(), false}, Edge{false, box.Top(), true},
            Edge{false, box.Bottom(), false}};
}

} // namespace

ClipBox::ClipBox(double left, double top, double right, double bottom)
    : left_(left), top_(top), right_(right), bottom_(bottom) {}

ClipBox ClipBox::AroundCanvas(int width, int height, double margin) {
    return ClipBox(-margin, -margin, width - 1.0 + margin, height - 1.0 + margin);
}

bool ClipBox::Contains(PlanePoint p) const {
    return p.x >= left_ && p.x <= right_ && p.y >= top_ && p.y <= bottom_;
}

std::optional<SegmentSpan> ClipBox::Span(PlanePoint a, PlanePoint b) const {
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (!Finite(a) || !Finite(b) || !std::isfinite(dx) || !std::isfinite(dy)) {
        return std::nullopt;
    }
    // Point a + t (b - a) lies inside edge i while directions[i] * t <= room[i].
    const double directions[4] = {-dx, dx, -dy, dy};
    const double room[4] = {a.x - left_, right_ - a.x, a.y - top_, bottom_ - a.y};
    SegmentSpan span;
    for (int i = 0; i < 4; ++i) {
        if (directions[i] == 0.0) {
            if (room[i] < 0.0) {
                return std::nullopt;
            }
            continue;
        }
        const double t = room[i] / directions[i];
        if (directions[i] < 0.0) {
            span.enter = std::max(span.enter, t);
        } else {
            span.leave = std::min(span.leave, t);
        }
    }
    if (span.enter > span.leave) {
        return std::nullopt;
    }
    return span;
}

std::optional<std::pair<PlanePoint, PlanePoint>> ClipBox::ClipSegment(PlanePoint a, PlanePoint b) const {
    if (!Finite(a) || !Finite(b)) {
        return std::nullopt;
    }
    for (const Edge& edge : EdgesOf(*this)) {
        const bool aInside = Inside(a, edge), bInside = Inside(b, edge);
        if (!aInside && !bInside) {
            return std::nullopt;
        }
        if (!aInside) {
            a = Cut(a, b, edge);
        } else if (!bInside) {
            b = Cut(a, b, edge);
        }
    }
    return std::make_pair(a, b);
}

std::vector<PlanePoint> ClipBox::ClipPolygon(const PlanePoint* points, int count) const {
    std::vector<PlanePoint> polygon;
    if (points == nullptr || count < 1 || !std::all_of(points, points + count, Finite)) {
        return polygon;
    }
    polygon.assign(points, points + count);
    std::vector<PlanePoint> kept;
    for (const Edge& edge : EdgesOf(*this)) {
        kept.clear();
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const PlanePoint from = polygon[(i + polygon.size() - 1) % polygon.size()];
            const PlanePoint to = polygon[i];
            const bool fromInside = Inside(from, edge), toInside = Inside(to, edge);
            if (fromInside != toInside) {
                kept.push_back(Cut(from, to, edge));
            }
            if (toInside) {
                kept.push_back(to);
            }
        }
        polygon.swap(kept);
        if (polygon.empty()) {
            break;
        }
    }
    return polygon;
}
