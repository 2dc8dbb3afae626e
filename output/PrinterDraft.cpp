#include "output/PrinterDraft.h"

#include "output/DraftTiles.h"
#include "output/PrinterTiles.h"
#include "platform/Canvas.h"
#include "printing/PJDraft.h"

#include <memory>
#include <utility>

namespace tolv {

namespace {

// Puts the canvas's pen, brush, background mode and clipping back, also
// when drawing throws. The mode goes back after the brush: setting a brush
// sets the mode too.
class KeepCanvasState {
public:
    explicit KeepCanvasState(plat::Canvas& canvas)
        : canvas_(canvas), pen_(canvas.Pen), brush_(canvas.Brush), bkMode_(canvas.BkMode()),
          clip_(canvas.GetClip()) {}
    ~KeepCanvasState()
    {
        canvas_.Pen = pen_;
        canvas_.Brush = brush_;
        canvas_.SetBkMode(bkMode_);
        canvas_.SelectClip(clip_);
    }
    KeepCanvasState(const KeepCanvasState&) = delete;
    KeepCanvasState& operator=(const KeepCanvasState&) = delete;

private:
    plat::Canvas& canvas_;
    plat::TPen pen_;
    plat::TBrush brush_;
    plat::TBkMode bkMode_;
    plat::TClip clip_;
};

} // namespace

void DrawDraftPage(plat::Canvas& canvas, const OutputSnapshot& snap, const TileGrid& grid, int gridWidthPx,
                   int page, const plat::TRect& area)
{
    // The page number picks the tile by dividing by the tiles across.
    if (grid.TilesAcross <= 0 || grid.TilesDown <= 0 || page < 1 || page > grid.PageCount())
        return;
    const TilePosition at = grid.Tile(page);
    KeepCanvasState keep(canvas);
    canvas.IntersectClipRect(area);
    const bool labels = snap.ShowCoords();
    ForEachDraftHex(snap, grid.Hex, area.Left, area.Top, at.X0, at.Y0, area, gridWidthPx, [&](const DraftHex& d) {
        canvas.Pen.Color = snap.ColorTable[11];
        canvas.Pen.Width = gridWidthPx;
        canvas.Brush.Color = DraftFillColour(snap, d.Terrain);
        canvas.Brush.Style = plat::bsSolid;
        canvas.Polygon(d.Corners);
        if (labels) {
            const plat::TBkMode previous = canvas.SetBkMode(plat::TRANSPARENT);
            canvas.TextOut(d.Centre.X, d.Centre.Y, CellLabel(d.Col, d.Row));
            canvas.SetBkMode(previous);
        }
    });
}

void PrinterDraftTiles::Start(OutputSnapshot snap)
{
    // The drafts show no pictures.
    snap.Pictures = {};
    snap_ = std::make_unique<const OutputSnapshot>(std::move(snap));
    grid_.reset();
    room_ = true;
}

bool PrinterDraftTiles::Update(printing::TCustomPrintJob& tileJob, printing::TCustomDraftPrintJob& overview)
{
    if (!snap_)
        return false;
    const std::optional<TileGrid> grid = JobTileGrid(tileJob, snap_->PrintParams, snap_->Map);
    // Stored before the jobs are touched: their setters update the jobs
    // again, which runs this once more.
    const bool news = !grid && room_;
    room_ = grid.has_value();
    grid_ = grid;
    overview.SetScale(grid && grid->TilesAcross > 2 ? 3 : 2);
    tileJob.SetPageCount(grid ? grid->PageCount() : 1);
    tileJob.SetTitle(TileJobTitle);
    return news;
}

void PrinterDraftTiles::DrawPage(plat::Canvas& canvas, int page, const plat::TRect& area) const
{
    if (snap_ && grid_)
        DrawDraftPage(canvas, *snap_, *grid_, snap_->PrintParams[ppGridWidth], page, area);
}

} // namespace tolv
