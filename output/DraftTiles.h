#pragma once
// Draft tiles: every hexagon a polygon in its terrain's colour, one tile
// per page. The printer and the PDF file draw on different canvases and in
// different units; which hexagons a page shows, where, and in which colour
// is the same for both and lives here.
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"

#include <array>
#include <functional>
#include <optional>

namespace tolv {

struct DraftHex {
    int Col = 0, Row = 0;
    TerrainCode Terrain = tcPampa;     // as the board holds it
    plat::TPoint Centre;
    std::array<plat::TPoint, 7> Corners;   // flat-topped, the first corner repeated
};

// A draft hexagon's fill: the colour table's entry for a code it holds,
// Pampa's colour for any other code.
plat::TColor DraftFillColour(const OutputSnapshot& snap, TerrainCode terrain);

// Every cell of the map except tcLeer, row by row and left to right,
// centred at (col * p + h + originX - x0, row * r + r + originY - y0).
// When `reach` is given, hexagons whose rectangle (grown by `pen` on every
// side for the outline) lies wholly outside it are left out: the device
// would clip them, so the page looks the same and is drawn much faster.
void ForEachDraftHex(const OutputSnapshot& snap, const OutputHex& hex, int originX, int originY,
                     int x0, int y0, const std::optional<plat::TRect>& reach, int pen,
                     const std::function<void(const DraftHex&)>& draw);

} // namespace tolv
