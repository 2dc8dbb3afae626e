#include "editor/board/BoardEdits.h"

namespace tolv {

PaintResult PaintCell(BoardState& state, int col, int row, int colCount, int rowCount)
{
    if (!InsideMap(col, row, colCount, rowCount))
        return PaintResult::Ignored;
    TerrainCell& cell = state.Board[col][row];
    if (cell.Terrain == state.SelectedTerrain) {
        cell.RandomFill = false;
        return PaintResult::FlagCleared;
    }
    cell.Terrain = state.SelectedTerrain;
    cell.RandomFill = false;
    return PaintResult::Painted;
}

void ClearBoard(BoardState& state)
{
    for (auto& column : state.Board)
        for (TerrainCell& cell : column)
            cell = TerrainCell{tcPampa, false};
}

} // namespace tolv
