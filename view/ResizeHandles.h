#pragma once

#include "support/Vec2.h"

#include <array>
#include <optional>

class CGridvellumDoc;

// The resize handles of the selection: shown when exactly one tile is selected and either "Show
// Resize Handles" is on or its definition always shows them. The world points of the left, right,
// top and bottom edge middles, as TileRef::HandlePoints gives them. The frame draws them and the
// edit tool hit-tests them from this one function, so a press never depends on what was drawn last.
std::optional<std::array<Vec2, 4>> ShownResizeHandles(const CGridvellumDoc& doc);

// The handle code of ResizeByHandle for each point of HandlePoints: the third point (top) is
// dragged as code 3 and the fourth (bottom) as code 2.
inline constexpr std::array<int, 4> kHandleCodeOfPoint = {0, 1, 3, 2};
