#include "document/MovementPath.h"

#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// A picture of the given size, centred on at and turned by angle.
Matrix3 CentredPlacement(int width, int height, const Vec2& at, double angle) {
    return Matrix3::Translation(-(width / 2), -(height / 2)) * Matrix3::Rotation(angle) *
           Matrix3::Translation(at.X(), at.Y());
}

PathMark::Image TurnImage(MovementPath::Turn turn) {
    switch (turn) {
    case MovementPath::Turn::kLeft90:
        return PathMark::kTurnLeft90;
    case MovementPath::Turn::kRight90:
        return PathMark::kTurnRight90;
    default:
        return PathMark::kTurn180;
    }
}

void AddStartMarks(const TileRef& tile, const TileDef& definition, std::vector<PathMark>& marks) {
    for (const std::vector<DrawEntry>* entries : {&definition.PreDraw(), &definition.PostDraw()}) {
        for (const DrawEntry& entry : *entries) {
            if (entry.condition == kDrawIfSelected) {
                PathMark mark;
                mark.image = PathMark::kStartEntry;
                mark.definition = entry.definition;
                mark.placement = entry.matrix * tile.PathStep(0);
                marks.push_back(mark);
            }
        }
    }
}

template <typename Action> void ForEachTile(CGridvellumDoc& doc, bool selectedOnly, Action action) {
    for (int i = 0; i < doc.TileCount(); ++i) {
        TileRef* tile = doc.TileAt(i);
        if (tile != nullptr && (!selectedOnly || tile->IsSelected())) {
            action(*tile);
        }
    }
}

} // namespace

int MovementPath::FootstepCount(double length, double spacing) {
    if (!(spacing > 0.0) || !(length >= 0.0)) {
        return 0;
    }
    const double count = std::floor(length / spacing + 0.5);
    return count <= kMaxFootstepsPerSegment ? static_cast<int>(count) : 0;
}

std::vector<double> MovementPath::FootstepOffsets(double length, double spacing) {
    std::vector<double> offsets;
    const int count = FootstepCount(length, spacing);
    if (count > 0) {
        const double gap = length / count;
        offsets.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            offsets.push_back(i * gap + gap / 2);
        }
    }
    return offsets;
}

double MovementPath::TurnAngle(const Vec2& before, const Vec2& after) {
    double turn = std::atan2(after.Y(), after.X()) - std::atan2(before.Y(), before.X());
    if (std::fabs(turn) > kPi) {
        turn = turn >= 0 ? turn - 2 * kPi : turn + 2 * kPi;
    }
    return turn;
}

MovementPath::Turn MovementPath::ClassifyTurn(double turn) {
    if (!(std::fabs(turn) > kPi / 8)) {
        return Turn::kNone;
    }
    if (turn > kPi / 8 && turn <= 3 * kPi / 4) {
        return Turn::kLeft90;
    }
    if (turn >= -3 * kPi / 4 && turn < -kPi / 8) {
        return Turn::kRight90;
    }
    return Turn::kHalf;
}

std::vector<PathMark> MovementPath::Marks(const TileRef& tile, const TileSet& tileSet) {
    std::vector<PathMark> marks;
    const TileDef* definition = tile.Definition();
    if (tile.PathLength() < 2 || definition == nullptr) {
        return marks;
    }
    constexpr size_t kMarkLimit = kMaxMarks;
    AddStartMarks(tile, *definition, marks);
    const TileImage& stepImage = tileSet.StepImage();
    for (int step = 1; step < tile.PathLength() && marks.size() < kMarkLimit; ++step) {
        const Vec2 from = tile.CentreAt(step - 1);
        const Vec2 to = tile.CentreAt(step);
        const Vec2 v = to - from;
        const double length = v.Length();
        const double direction = std::atan2(v.Y(), v.X());
        for (double offset : FootstepOffsets(length, tileSet.DrawGridSize())) {
            if (marks.size() >= kMarkLimit) {
                break;
            }
            const double along = offset / length;
            const Vec2 at(static_cast<float>(from.X() + v.X() * along),
                          static_cast<float>(from.Y() + v.Y() * along));
            PathMark mark;
            mark.image = PathMark::kStep;
            mark.placement = CentredPlacement(stepImage.Width(), stepImage.Height(), at, direction);
            marks.push_back(mark);
        }
        const Vec2 before = tile.DirectionAt(step - 1);
        const Turn turn = ClassifyTurn(TurnAngle(before, tile.DirectionAt(step)));
        if (turn != Turn::kNone && marks.size() < kMarkLimit) {
            PathMark mark;
            mark.image = TurnImage(turn);
            const TileImage& picture = mark.image == PathMark::kTurnLeft90    ? tileSet.TurnLeft90Image()
                                       : mark.image == PathMark::kTurnRight90 ? tileSet.TurnRight90Image()
                                                                              : tileSet.Turn180Image();
            // Drawn in the facing before the turn.
            mark.placement =
                CentredPlacement(picture.Width(), picture.Height(), to, std::atan2(before.Y(), before.X()));
            marks.push_back(mark);
        }
    }
    return marks;
}

void MovementPath::RecordPathStep(CGridvellumDoc& doc) {
    ForEachTile(doc, true, [](TileRef& tile) {
        if (tile.Kind() != TileKinds::kText) {
            tile.RecordPathStep();
        }
    });
}

void MovementPath::DropRepeatedSteps(CGridvellumDoc& doc) {
    ForEachTile(doc, true, [](TileRef& tile) { tile.DropRepeatedStep(); });
}

void MovementPath::ClearSelectedPaths(CGridvellumDoc& doc) {
    ForEachTile(doc, true, [](TileRef& tile) { tile.ClearPath(); });
}

void MovementPath::ClearAllPaths(CGridvellumDoc& doc) {
    ForEachTile(doc, false, [](TileRef& tile) { tile.ClearPath(); });
}
