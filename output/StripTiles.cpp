#include "output/StripTiles.h"

#include "platform/PictureBlit.h"

namespace tolv {

TileCellRange StripCells(const MapShape& map)
{
    return {CellRange{.FirstCol = -2, .FirstRow = -1, .LastCol = map.ColCount + 1, .LastRow = map.RowCount},
            StripWidth};
}

plat::TFont StripFont()
{
    plat::TFont f;
    f.Name = "Ariel";
    f.Height = TileLabelHeight;
    f.Width = TileLabelHeight / 2;
    f.Escapement = 900;
    f.Weight = 500;
    return f;
}

TileLabelStyle StripCellLabels()
{
    TileLabelStyle style;
    style.Font = StripFont();
    style.Dx = -TileLabelHeight / 2;
    style.Dy = StripNumberAlong;
    style.Text = &StripCellLabel;
    return style;
}

StripTileRenderer::StripTileRenderer(const OutputSnapshot& snap, const TileGrid& grid,
                                     const CountingStripLayout& strip)
    : snap_(snap), grid_(grid), strip_(strip), cells_(snap, grid, StripCells(snap.Map), StripCellLabels())
{
}

void StripTileRenderer::Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow) const
{
    cells_.Render(tile, page, beforeRow);
    for (const plat::TRect& fill : StripFillsOnTile(strip_, grid_, page))
        plat::ClearRect(tile, fill);

    const plat::Dib& picture = snap_.Pictures[StripPicture];
    const plat::TRect pictureSize = plat::WholeDib(picture);
    plat::BitmapCanvas canvas(tile);
    canvas.Font = StripFont();
    canvas.Brush.Style = plat::bsClear;   // the numbers go on transparent
    for (const StripPiece& piece : StripPiecesOnTile(strip_, grid_, page)) {
        // A picture smaller than the sections shows what it has; the rest
        // of the section keeps what lay below.
        const StripPiece cut = ClipToPicture(piece, pictureSize.Width(), pictureSize.Height());
        plat::StretchBlit(tile, cut.Dest, picture, cut.Source, plat::BlitOp::Copy);
        if (piece.Label)
            canvas.TextOut(piece.Label->X, piece.Label->Y, piece.Label->Text);
    }
}

} // namespace tolv
