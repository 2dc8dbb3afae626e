#pragma once
// Layouts and case tables shared by the geometry and the widget tests.
#include "editor/HexMapA/HexMapGeometry.h"

namespace tolv::test {

// The editor's map: 14 x 38 positions of size 26, odd parity, in a
// 395 x 473 window unless told otherwise.
inline HexMapGeometry EditorMap(int viewW = 395, int viewH = 473)
{
    HexMapGeometry g;
    g.SetColCount(14);
    g.SetRowCount(38);
    g.SetHexSize(26);
    g.SetCellWidth(48);
    g.SetCellHeight(42);
    g.SetFirstOdd(true);
    g.SetViewRect({0, 0, viewW, viewH});
    return g;
}

// A change of FirstOdd from false to true with the selection at
// (selCol, selRow) of a cols x rows map: accepted or refused, and where the
// selection ends up.
struct FirstOddCase {
    const char* name;
    int cols, rows, selCol, selRow;
    bool accepted;
    int newCol, newRow;
};

inline constexpr FirstOddCase FirstOddCases[] = {
    {"step right", 14, 38, 0, 1, true, 1, 1},
    {"last column: step down", 14, 38, 13, 4, true, 13, 5},
    {"last cell, two columns or more: one row up", 14, 38, 13, 37, true, 13, 36},
    {"one column, last row: refused", 1, 38, 0, 37, false, 0, 37},
    {"one column, other row: step down", 1, 38, 0, 4, true, 0, 5},
    {"one row, last column: refused, never row -1", 14, 1, 13, 0, false, 13, 0},
    {"one cell: refused", 1, 1, 0, 0, false, 0, 0},
    {"selection beyond a shrunk grid", 5, 38, 10, 3, true, 10, 4},
};

} // namespace tolv::test
