#include "editor/board/CellDrawing.h"

#include <string>

namespace tolv {

plat::TColor TerrainFillColour(const BoardState& state, int col, int row)
{
    int code = tcPampa;
    if (col >= 0 && col < BoardCols && row >= 0 && row < BoardRows)
        code = state.Board[col][row].Terrain;
    if (code < 1 || code > GridColourIndex)
        code = tcPampa;
    return state.ColorTable[code];
}

std::optional<std::string> CoordinateText(const BoardState& state, int hx, int hy, int colCount,
                                          int rowCount)
{
    if (state.PrintParams[ppShowCoords] == 0)
        return std::nullopt;
    if (hx < 0 || hx >= colCount || hy < 0 || hy >= rowCount)
        return std::nullopt;
    return std::to_string(hx) + "," + std::to_string(hy);
}

} // namespace tolv
