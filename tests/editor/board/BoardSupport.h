#pragma once
// Cell and board comparisons the editor tests share: a cell is its terrain
// and its random-fill mark.
#include "editor/board/BoardState.h"

namespace tolv::test {

inline bool SameCell(const TerrainCell& a, const TerrainCell& b)
{
    return a.Terrain == b.Terrain && a.RandomFill == b.RandomFill;
}

inline bool SameBoard(const BoardArray& a, const BoardArray& b)
{
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r)
            if (!SameCell(a[c][r], b[c][r]))
                return false;
    return true;
}

} // namespace tolv::test
