#pragma once
// The edits of the board that the main window's palette and buttons make:
// painting one hexagon with the selected terrain, and clearing the board.
#include "editor/board/BoardState.h"

namespace tolv {

// Painting one hexagon with the selected terrain.
enum class PaintResult { Ignored, FlagCleared, Painted };
PaintResult PaintCell(BoardState& state, int col, int row, int colCount, int rowCount);

// "löschen": the whole array back to Pampa.
void ClearBoard(BoardState& state);

} // namespace tolv
