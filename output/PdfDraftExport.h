#pragma once
// The draft tiles written into a PDF file: one A4 page per tile, every
// hexagon a vector polygon in its terrain's colour with a black outline,
// optionally with its column and row. Lengths are the writer's 1/10 mm, so
// nothing is converted to pixels.
#include "output/PdfPictureExport.h"
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"

namespace pdf {
class TPdfVell;
}

namespace tolv {

// Runs the export on a writer whose properties and file name are set
// (SetUpTileDocument), for the grid of PdfDraftTileGrid: BeginDoc, one page
// per tile, EndDoc. There is no cancel. Errors of the writer pass to the
// caller after the monitor has finished. Returns the pages drawn.
int ExportDraftTiles(pdf::TPdfVell& pdf, const OutputSnapshot& snap, const TileGrid& grid,
                     ExportMonitor& monitor);

} // namespace tolv
