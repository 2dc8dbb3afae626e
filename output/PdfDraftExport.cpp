#include "output/PdfDraftExport.h"

#include "output/DraftTiles.h"
#include "pdf/PdfVell.h"

#include <algorithm>

namespace tolv {

namespace {

// How far beyond its rectangle a hexagon can still mark the sheet: half its
// outline, and with coordinates on its label, which starts at the centre
// and on small hexagons reaches past the rectangle.
int InkBeyondHexagon(pdf::TPdfCanvas& canvas, const OutputSnapshot& snap)
{
    int ink = std::max(snap.PrintParams[ppGridWidth], 0);
    if (snap.ShowCoords()) {
        // Figures are equally wide, so the last cell's label is the widest.
        const std::string widest = CellLabel(std::max(snap.Map.ColCount - 1, 0), std::max(snap.Map.RowCount - 1, 0));
        ink = std::max({ink, canvas.TextWidth(widest), canvas.TextHeight(widest)});
    }
    return ink;
}

void DrawDraftHex(pdf::TPdfCanvas& canvas, const OutputSnapshot& snap, const DraftHex& d)
{
    canvas.Pen.Color = plat::clBlack;
    // The grid width goes to the writer as it is, in its length unit.
    canvas.Pen.Width = snap.PrintParams[ppGridWidth];
    canvas.Brush.Color = DraftFillColour(snap, d.Terrain);
    canvas.Brush.Style = pdf::TBrushStyle::bsSolid;
    canvas.Polygon(d.Corners);
    if (snap.ShowCoords())
        canvas.TextOut(d.Centre.X, d.Centre.Y, CellLabel(d.Col, d.Row));
}

} // namespace

int ExportDraftTiles(pdf::TPdfVell& pdf, const OutputSnapshot& snap, const TileGrid& grid,
                     ExportMonitor& monitor)
{
    MonitorRun run(monitor);
    pdf.BeginDoc();
    run.Start();
    int progress = 10;
    monitor.Progress(progress);

    pdf::TPdfCanvas& canvas = pdf.Canvas();
    const plat::TRect origin = PdfPageRect(snap.PrintParams);
    // Every hexagon drawn on every page would give the same sheets, but a
    // full board would put thousands of polygons outside each one into the
    // file: what cannot reach the sheet is left out.
    const plat::TRect sheet{0, 0, pdf.PageWidth(), pdf.PageHeight()};
    const int ink = InkBeyondHexagon(canvas, snap);
    const int pages = grid.PageCount();
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) {
            pdf.NewPage();
            progress += 80 / pages;
            monitor.Progress(progress);
        }
        const plat::TColor brush = canvas.Brush.Color;
        const TilePosition tile = grid.Tile(page);
        ForEachDraftHex(snap, grid.Hex, origin.Left, origin.Top, tile.X0, tile.Y0, sheet, ink,
                        [&](const DraftHex& d) { DrawDraftHex(canvas, snap, d); });
        canvas.Brush.Color = brush;
    }
    monitor.Progress(100);
    run.Finish();
    pdf.EndDoc();
    return std::max(pages, 0);
}

} // namespace tolv
