#pragma once

#include "support/Matrix3.h"
#include "support/Vec2.h"

#include <vector>

class CGridvellumDoc;
class TileRef;
class TileSet;

// Where one image of a movement path goes: which picture, and its placement from that picture's pixels
// to world units. Both renderers draw the same list.
struct PathMark {
    enum Image : int {
        kStartEntry, // a "drawn when selected" decoration of the definition, at the first step
        kStep,
        kTurnLeft90,
        kTurnRight90,
        kTurn180,
    };
    Image image = kStep;
    int definition = -1; // the decoration's definition, only for kStartEntry
    Matrix3 placement;
};

// A piece's recorded route: every step of a tile's path is an earlier placement, the last one is the
// current placement. The route is shown as a faded start marker, footsteps spaced along the straight
// lines between the step centres, and a turn marker wherever the facing changed.
class MovementPath {
public:
    // A damaged file can put steps a universe apart; beyond this many footsteps a segment shows none.
    static constexpr int kMaxFootstepsPerSegment = 10000;
    // A path of thousands of such segments would still ask for millions of pictures every frame; a
    // path stops adding marks at this many.
    static constexpr int kMaxMarks = 65536;

    enum class Turn { kNone, kLeft90, kRight90, kHalf };

    // n = length / spacing rounded to the nearest integer, halves up; 0 for a spacing that is not
    // positive or a count beyond kMaxFootstepsPerSegment.
    static int FootstepCount(double length, double spacing);
    // Distances of the footstep centres from the segment's start: (i + 1/2) * length / n. They never
    // sit on the segment's ends.
    static std::vector<double> FootstepOffsets(double length, double spacing);
    // The signed change of facing in radians, brought into -pi .. pi; positive turns left (y up).
    static double TurnAngle(const Vec2& before, const Vec2& after);
    // Turns up to pi/8 either way show nothing; up to 3 pi/4 a quarter turn; beyond that a half turn.
    static Turn ClassifyTurn(double turn);

    // Every mark of the tile's path in drawing order; empty when the path has fewer than two steps or
    // the tile has no definition. Marks of pictures the tileset did not load are included; the
    // renderers skip them. At most kMaxMarks marks.
    static std::vector<PathMark> Marks(const TileRef& tile, const TileSet& tileSet);

    // Document side. Recording keeps each selected map tile's current placement as a step, so the
    // moves that follow change a new last step; text tiles never record.
    static void RecordPathStep(CGridvellumDoc& doc);
    // The edit tool's end of a move: a step that equals the one before goes again.
    static void DropRepeatedSteps(CGridvellumDoc& doc);
    // Clearing keeps the current placement and is not an edit: no undo step, not modified. The caller
    // repaints the map.
    static void ClearSelectedPaths(CGridvellumDoc& doc);
    static void ClearAllPaths(CGridvellumDoc& doc);
};
