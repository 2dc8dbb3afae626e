#pragma once
// Picture tiles framed by the counting strip: the board's hexagons plus a
// ring of "leer" cells that completes its notched edge, white from just
// beyond the board outward, then the strip's sections copied from the
// strip picture and their numbers, turned to read from bottom to top.
#include "output/CountingStrip.h"
#include "output/PictureTiles.h"

namespace tolv {

// The picture with the strip's pattern.
constexpr int StripPicture = 11;

// The ring: one row above and below the board, two columns each side (the
// notches of a flat-topped edge need both), the board StripWidth pixels in.
TileCellRange StripCells(const MapShape& map);

// Ring labels: StripCellLabel in the turned font, reading up from below
// the hexagon's centre.
TileLabelStyle StripCellLabels();

// The font of the numbers and labels: 100 pixels high, 50 wide, turned a
// quarter counter-clockwise, weight 500, face "Ariel" (so spelled: the
// font system picks the nearest sans face).
plat::TFont StripFont();

class StripTileRenderer final : public TileRenderer {
public:
    // strip must outlive the renderer, as the snapshot must.
    StripTileRenderer(const OutputSnapshot& snap, const TileGrid& grid, const CountingStripLayout& strip);
    void Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow = {}) const override;

private:
    const OutputSnapshot& snap_;
    TileGrid grid_;
    const CountingStripLayout& strip_;
    PictureTileRenderer cells_;
};

} // namespace tolv
