#pragma once
// Picture tiles on a printer. Every tile is rendered at 300 dpi into the
// tile bitmap, whatever the printer's resolution, and the device stretches
// it onto the page: a 1200-dpi printer does not make the bitmap sixteen
// times larger, and the pictures look as in the PDF export.
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"
#include "platform/Bitmap.h"
#include "printing/PSJob.h"

#include <optional>

namespace tolv {

struct PrinterPictureTiles {
    TileGrid Grid;             // in printer pixels
    double Sx = 1, Sy = 1;     // tile pixels per printer pixel: 300 / dpi
    OutputHex TileHex;         // the hexagons in tile pixels
    // The tile with its overlap in tile pixels: Round((TileWidth + ox) * sx)
    // by Round((TileHeight + oy) * sy).
    int BitmapWidth = 0, BitmapHeight = 0;

    // The top-left corner of tile `page` (1-based) on the board in tile
    // pixels: Round(TileWidth * sx * column), Round(TileHeight * sy * row).
    TilePosition Tile(int page) const;
    // Where the tile lands on the page area: TileWidth + ox by TileHeight +
    // oy printer pixels from the area's top-left corner.
    plat::TRect PageRect(const plat::TRect& area) const;
};

// The printer's grid taken to tile pixels. The hexagons come from the
// print parameters at the printer's resolution, scaled (Round(w * sx),
// w unrounded). Nothing when the bitmap would have no pixels.
std::optional<PrinterPictureTiles> MakePrinterPictureTiles(const TileGrid& grid, const PrintParamArray& params,
                                                           double dpiX, double dpiY);

// The pages of a print job that shows the board as picture tiles, made
// from a snapshot that must outlive it.
class PrinterPicturePages {
public:
    explicit PrinterPicturePages(const OutputSnapshot& snap) : snap_(snap) {}

    // In the job's update (also after a printer change): the grid in the
    // job's printer pixels, page count and title, and a new white tile
    // bitmap. False when no tile fits the job's page: the bitmap is
    // released and the job keeps one empty page.
    bool Update(printing::TCustomPrintJob& job, plat::Bitmap& tileBitmap);
    // The page area of page `page`: the tile rendered into tileBitmap and
    // stretched onto the canvas at the area's top-left corner. Header and
    // footer draw nothing; the canvas's pen and brush stay as they are.
    void Draw(plat::Canvas& canvas, int page, const plat::TRect& area, printing::TDrawArea which,
              plat::Bitmap& tileBitmap) const;

    const std::optional<PrinterPictureTiles>& Tiles() const { return tiles_; }

private:
    const OutputSnapshot& snap_;
    std::optional<PrinterPictureTiles> tiles_;
    std::optional<PictureTileRenderer> renderer_;
};

} // namespace tolv
