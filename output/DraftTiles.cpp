#include "output/DraftTiles.h"

#include <algorithm>

namespace tolv {

plat::TColor DraftFillColour(const OutputSnapshot& snap, TerrainCode terrain)
{
    // The table holds entries 1..11 (11 is the grid colour); a code from a
    // damaged board must not read past it.
    if (TerrainColours::Holds(terrain))
        return snap.ColorTable[terrain];
    return snap.ColorTable[tcPampa];
}

void ForEachDraftHex(const OutputSnapshot& snap, const OutputHex& hex, int originX, int originY,
                     int x0, int y0, const std::optional<plat::TRect>& reach, int pen,
                     const std::function<void(const DraftHex&)>& draw)
{
    const int cols = std::min(snap.Map.ColCount, BoardCols);
    const int rows = std::min(snap.Map.RowCount, BoardRows);
    const int grow = std::max(pen, 0);
    ForEachCell(0, 0, cols - 1, rows - 1, snap.Map.FirstOdd, [&](int col, int row) {
        const TerrainCode terrain = snap.Board[std::size_t(col)][std::size_t(row)].Terrain;
        if (terrain == tcLeer)
            return;
        plat::TPoint c = HexCentreOnTile(hex, col, row, x0, y0);
        c.X += originX;
        c.Y += originY;
        if (reach) {
            const plat::TRect box = HexPictureRect(hex, c);
            if (box.Right + grow <= reach->Left || box.Left - grow >= reach->Right
                || box.Bottom + grow <= reach->Top || box.Top - grow >= reach->Bottom)
                return;
        }
        DraftHex d;
        d.Col = col;
        d.Row = row;
        d.Terrain = terrain;
        d.Centre = c;
        d.Corners = HexOutlineAround<plat::TPoint>(c.X, c.Y, hex.q(), hex.h(), hex.r());
        draw(d);
    });
}

} // namespace tolv
