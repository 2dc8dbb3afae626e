#pragma once
// Draft tiles on the printer: one tile per page, every hexagon a polygon in
// its terrain's colour outlined in the grid colour. The grid follows the
// job's printer, so a printer chosen in the preview re-cuts the board; the
// board itself is the one the command found when it started.
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"

#include <memory>
#include <optional>

namespace plat {
class Canvas;
}
namespace printing {
class TCustomPrintJob;
class TCustomDraftPrintJob;
}

namespace tolv {

// Draws tile `page` (1-based) of the grid on a canvas whose origin is the
// top-left corner of the page's content area `area`: the tile's hexagons in
// their terrain colours, outlined in the grid colour with a pen of
// gridWidthPx, labelled with their column and row when coordinates are on.
// Drawing stays inside the area (the margins are the printer's and the
// user's, not the next tile's); the canvas's pen, brush and clipping are
// as before afterwards. A page the grid does not hold draws nothing.
void DrawDraftPage(plat::Canvas& canvas, const OutputSnapshot& snap, const TileGrid& grid, int gridWidthPx,
                   int page, const plat::TRect& area);

// The draft tiles of one printer command.
class PrinterDraftTiles {
public:
    // A command starts: the board, colours and print parameters as they
    // are now.
    void Start(OutputSnapshot snap);

    // The tile job's update: the grid on its printer, the overview's cells
    // per sheet edge (3 when the board needs more than two tiles across,
    // else 2), the tile job's page count and title. Without room for a
    // tile the job has one page that shows nothing. True when this update
    // found no room while the one before had some: the news to tell once.
    // Nothing happens before Start.
    bool Update(printing::TCustomPrintJob& tileJob, printing::TCustomDraftPrintJob& overview);

    // The grid of the last update; nothing when no tile fits.
    const std::optional<TileGrid>& Grid() const { return grid_; }

    // The tile job's page area.
    void DrawPage(plat::Canvas& canvas, int page, const plat::TRect& area) const;

private:
    std::unique_ptr<const OutputSnapshot> snap_;
    std::optional<TileGrid> grid_;
    bool room_ = true;
};

} // namespace tolv
