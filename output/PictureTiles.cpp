#include "output/PictureTiles.h"

#include "platform/Canvas.h"
#include "platform/Decimal.h"
#include "platform/PictureBlit.h"

#include <string>
#include <utility>

namespace tolv {

OutputSnapshot TakeOutputSnapshot(const BoardState& state, const MapShape& map)
{
    OutputSnapshot s;
    s.Board = state.Board;
    s.ColorTable = state.ColorTable;
    s.PrintParams = state.PrintParams;
    s.Map = map;
    for (int i = 1; i <= PictureCount; ++i)
        if (state.Pictures[i].Loaded)
            s.Pictures[i] = state.Pictures[i].Dib;
    return s;
}

std::vector<int> MissingPictures(const OutputSnapshot& snap, int last)
{
    std::vector<int> missing;
    for (int i = 1; i <= last && i <= PictureCount; ++i)
        if (snap.Pictures[i].empty())
            missing.push_back(i);
    return missing;
}

std::string MissingPicturesText(const std::vector<int>& missing)
{
    std::string names;
    for (int i : missing)
        names += (names.empty() ? "" : ", ") + std::string("Pic") + plat::Decimal(i) + ".jpg";
    return "Die Kacheln können nicht ausgegeben werden: es fehlen Geländebilder (" + names + ").";
}

TerrainCode PictureTerrain(const OutputSnapshot& snap, int col, int row)
{
    if (!InsideMap(col, row, snap.Map.ColCount, snap.Map.RowCount))
        return tcLeer;
    const TerrainCode t = snap.Board[std::size_t(col)][std::size_t(row)].Terrain;
    return t >= tcLeer && t <= tcWasser ? t : tcPampa;
}

plat::Bitmap MakeTileBitmap(const TileGrid& grid)
{
    return plat::Bitmap(grid.BitmapWidth(), grid.BitmapHeight(), plat::PixelFormat::pf24bit);
}

TileCellRange MapCells(const MapShape& map)
{
    return {CellRange{.FirstCol = 0, .FirstRow = 0, .LastCol = map.ColCount - 1, .LastRow = map.RowCount - 1}, 0};
}

TileLabelStyle PlainCellLabels()
{
    TileLabelStyle style;
    style.Font.Height = TileLabelHeight;
    style.Dx = style.Dy = -TileLabelHeight / 2;
    style.Text = &CellLabel;
    return style;
}

PictureTileRenderer::PictureTileRenderer(const OutputSnapshot& snap, const TileGrid& grid)
    : PictureTileRenderer(snap, grid, MapCells(snap.Map), PlainCellLabels())
{
}

PictureTileRenderer::PictureTileRenderer(const OutputSnapshot& snap, const TileGrid& grid,
                                         const TileCellRange& cells, TileLabelStyle labels)
    : snap_(snap), grid_(grid), cells_(cells), labels_(std::move(labels))
{
    const plat::TRect size = HexPictureRect(grid.Hex, plat::TPoint{});
    for (int code = tcLeer; code <= tcWasser; ++code)
        scaled_[code] = plat::ScaledDib(snap.Pictures[code], size.Width(), size.Height());
}

namespace {

// A grid that knows only its hexagons: tiles placed by RenderAt.
TileGrid HexOnlyGrid(const OutputHex& hex)
{
    TileGrid g;
    g.Hex = hex;
    return g;
}

} // namespace

PictureTileRenderer::PictureTileRenderer(const OutputSnapshot& snap, const OutputHex& hex)
    : PictureTileRenderer(snap, HexOnlyGrid(hex), MapCells(snap.Map), PlainCellLabels())
{
}

void PictureTileRenderer::Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow) const
{
    const TilePosition at = grid_.Tile(page);
    RenderAt(tile, at.X0, at.Y0, beforeRow);
}

void PictureTileRenderer::RenderAt(plat::Bitmap& tile, int tileX0, int tileY0,
                                   const std::function<void()>& beforeRow) const
{
    // The tile's corner relative to the board's origin.
    const int x0 = tileX0 - cells_.Offset, y0 = tileY0 - cells_.Offset;
    const OutputHex& hex = grid_.Hex;
    const bool firstOdd = snap_.Map.FirstOdd;
    const CellRange& cells = cells_.Cells;
    auto firstCol = [&](int row) {
        return IsCellParity(cells.FirstCol, row, firstOdd) ? cells.FirstCol : cells.FirstCol + 1;
    };
    // Against the bitmap itself: a hexagon is drawn where it can leave a
    // pixel, whatever grid the tile comes from.
    auto reaches = [&](plat::TPoint c) { return HexReachesTile(hex, c, tile.width(), tile.height()); };
    auto blitRow = [&](int row, const plat::TRect& clip) {
        for (int col = firstCol(row); col <= cells.LastCol; col += 2) {
            const plat::TPoint c = HexCentreOnTile(hex, col, row, x0, y0);
            if (reaches(c))
                plat::StretchBlit(tile, HexPictureRect(hex, c), scaled_[PictureTerrain(snap_, col, row)],
                                  plat::BlitOp::And, clip);
        }
    };

    if (!snap_.ShowCoords()) {
        // Band by band: the r pixel rows from the top of hexagon row k are
        // cleared and get the lower half of row k - 1 and the upper half of
        // row k while they are in the cache. AND does not care about the
        // order, so the pixels are those of drawing row after row.
        const int r = hex.r();
        const int first = cells.FirstRow, last = cells.LastRow;
        plat::ClearRows(tile, 0, first * r - y0);
        for (int k = first; k <= last + 1; ++k) {
            if (k <= last && beforeRow)
                beforeRow();
            const plat::TRect band{0, k * r - y0, tile.width(), (k + 1) * r - y0};
            if (band.Bottom <= 0 || band.Top >= tile.height())
                continue;
            plat::ClearRows(tile, band.Top, band.Bottom);
            if (k > first)
                blitRow(k - 1, band);
            if (k <= last)
                blitRow(k, band);
        }
        plat::ClearRows(tile, (last + 2) * r - y0, tile.height());
        return;
    }

    // With labels, each hexagon's label is written right after its picture,
    // so the pictures drawn later lie over the labels of earlier rows.
    tile.fill(plat::clWhite);
    plat::BitmapCanvas canvas(tile);
    canvas.Font = labels_.Font;
    canvas.Brush.Style = plat::bsClear;   // the labels go on transparent
    const plat::TRect whole{0, 0, tile.width(), tile.height()};
    for (int row = cells.FirstRow; row <= cells.LastRow; ++row) {
        if (beforeRow)
            beforeRow();
        for (int col = firstCol(row); col <= cells.LastCol; col += 2) {
            const plat::TPoint c = HexCentreOnTile(hex, col, row, x0, y0);
            if (!reaches(c))
                continue;
            plat::StretchBlit(tile, HexPictureRect(hex, c), scaled_[PictureTerrain(snap_, col, row)],
                              plat::BlitOp::And, whole);
            canvas.TextOut(c.X + labels_.Dx, c.Y + labels_.Dy, labels_.Text(col, row));
        }
    }
}

void RenderPictureTile(plat::Bitmap& tile, const OutputSnapshot& snap, const TileGrid& grid, int page,
                       const std::function<void()>& beforeRow)
{
    PictureTileRenderer(snap, grid).Render(tile, page, beforeRow);
}

} // namespace tolv
