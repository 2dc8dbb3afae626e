#pragma once
// What the map control draws for a hexagon of the board: its fill colour
// and, when coordinates are on, its coordinate text.
#include "editor/board/BoardState.h"
#include "platform/Colour.h"

#include <optional>
#include <string>

namespace tolv {

// Fill colour of a hexagon: the terrain's colour, Pampa's for a bad code.
plat::TColor TerrainFillColour(const BoardState& state, int col, int row);

// The coordinate label of a cell: column "," row in decimal, as the map
// and every output show it.
std::string CellLabel(int col, int row);

// The coordinate text of a cell when coordinates are on and the cell lies in
// the grid, else nothing.
std::optional<std::string> CoordinateText(const BoardState& state, int hx, int hy, int colCount,
                                          int rowCount);

} // namespace tolv
