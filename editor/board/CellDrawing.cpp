#include "editor/board/CellDrawing.h"

#include "platform/Decimal.h"

#include <string>

namespace tolv {

plat::TColor TerrainFillColour(const BoardState& state, int col, int row)
{
    int code = tcPampa;
    if (InBoard(col, row))
        code = state.Board[col][row].Terrain;
    if (code < 1 || code > GridColourIndex)
        code = tcPampa;
    return state.ColorTable[code];
}

std::string CellLabel(int col, int row)
{
    return plat::Decimal(col) + "," + plat::Decimal(row);
}

std::optional<std::string> CoordinateText(const BoardState& state, int hx, int hy, int colCount,
                                          int rowCount)
{
    if (state.PrintParams[ppShowCoords] == 0)
        return std::nullopt;
    if (!InsideGrid(hx, hy, colCount, rowCount))
        return std::nullopt;
    return CellLabel(hx, hy);
}

} // namespace tolv
