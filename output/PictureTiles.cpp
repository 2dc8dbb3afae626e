#include "output/PictureTiles.h"

#include "output/PictureBlit.h"
#include "platform/Canvas.h"
#include "platform/Decimal.h"

#include <string>

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
    if (col < 0 || col >= snap.Map.ColCount || row < 0 || row >= snap.Map.RowCount || !InBoard(col, row))
        return tcLeer;
    const TerrainCode t = snap.Board[std::size_t(col)][std::size_t(row)].Terrain;
    return t >= tcLeer && t <= tcWasser ? t : tcPampa;
}

std::string CellLabel(int col, int row)
{
    return plat::Decimal(col) + "," + plat::Decimal(row);
}

plat::Bitmap MakeTileBitmap(const TileGrid& grid)
{
    return plat::Bitmap(grid.BitmapWidth(), grid.BitmapHeight(), plat::PixelFormat::pf24bit);
}

PictureTileRenderer::PictureTileRenderer(const OutputSnapshot& snap, const TileGrid& grid)
    : snap_(snap), grid_(grid)
{
    const TileRect size = HexPictureRect(grid.Hex, HexCentre{});
    for (int code = tcLeer; code <= tcWasser; ++code)
        scaled_[code] = ScaledDib(snap.Pictures[code], size.Width(), size.Height());
}

void PictureTileRenderer::Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow) const
{
    const TilePosition at = grid_.Tile(page);
    const MapShape& map = snap_.Map;
    auto blitRow = [&](int row, const TileRect& clip) {
        for (int col = IsCellParity(0, row, map.FirstOdd) ? 0 : 1; col < map.ColCount; col += 2) {
            const HexCentre c = HexCentreOnTile(grid_.Hex, col, row, at.X0, at.Y0);
            if (grid_.HexReachesTile(c))
                StretchBlit(tile, HexPictureRect(grid_.Hex, c), scaled_[PictureTerrain(snap_, col, row)],
                            BlitOp::And, clip);
        }
    };

    if (!snap_.ShowCoords()) {
        // Band by band: the r pixel rows from the top of hexagon row k are
        // cleared and get the lower half of row k - 1 and the upper half of
        // row k while they are in the cache. AND does not care about the
        // order, so the pixels are those of drawing row after row.
        const int r = grid_.Hex.r();
        const int boardBottom = (map.RowCount + 1) * r - at.Y0;
        ClearRows(tile, 0, -at.Y0);
        for (int k = 0; k <= map.RowCount; ++k) {
            if (k < map.RowCount && beforeRow)
                beforeRow();
            const TileRect band{0, k * r - at.Y0, tile.width(), (k + 1) * r - at.Y0};
            if (band.Bottom <= 0 || band.Top >= tile.height())
                continue;
            ClearRows(tile, band.Top, band.Bottom);
            if (k > 0)
                blitRow(k - 1, band);
            if (k < map.RowCount)
                blitRow(k, band);
        }
        ClearRows(tile, boardBottom, tile.height());
        return;
    }

    // With labels, each hexagon's label is written right after its picture,
    // so the pictures drawn later lie over the labels of earlier rows.
    tile.fill(plat::clWhite);
    plat::BitmapCanvas canvas(tile);
    canvas.Font.Height = TileLabelHeight;
    canvas.Brush.Style = plat::bsClear;
    const TileRect whole{0, 0, tile.width(), tile.height()};
    for (int row = 0; row < map.RowCount; ++row) {
        if (beforeRow)
            beforeRow();
        for (int col = IsCellParity(0, row, map.FirstOdd) ? 0 : 1; col < map.ColCount; col += 2) {
            const HexCentre c = HexCentreOnTile(grid_.Hex, col, row, at.X0, at.Y0);
            if (!grid_.HexReachesTile(c))
                continue;
            StretchBlit(tile, HexPictureRect(grid_.Hex, c), scaled_[PictureTerrain(snap_, col, row)],
                        BlitOp::And, whole);
            const plat::TBkMode previous = canvas.SetBkMode(plat::TRANSPARENT);
            canvas.TextOut(c.X - TileLabelHeight / 2, c.Y - TileLabelHeight / 2, CellLabel(col, row));
            canvas.SetBkMode(previous);
        }
    }
}

void RenderPictureTile(plat::Bitmap& tile, const OutputSnapshot& snap, const TileGrid& grid, int page,
                       const std::function<void()>& beforeRow)
{
    PictureTileRenderer(snap, grid).Render(tile, page, beforeRow);
}

} // namespace tolv
