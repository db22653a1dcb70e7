#pragma once

// The category number of a tile definition (its `type` attribute). The program itself supplies the
// values below; a tileset may declare any other integer through its TileType elements.
using TileKind = int;

namespace TileKinds {
inline constexpr TileKind kMap = 0;
inline constexpr TileKind kObject = 1;
inline constexpr TileKind kPickUpItem = 2;
inline constexpr TileKind kFigure = 3;
// Text tiles on the map belong to the "Text" category that every tileset gets.
inline constexpr TileKind kText = -1;
} // namespace TileKinds
