#include "output/PictureTiles.h"

#include "output/PictureBlit.h"
#include "platform/Canvas.h"

#include <memory>
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
        names += (names.empty() ? "" : ", ") + std::string("Pic") + std::to_string(i) + ".jpg";
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
    return std::to_string(col) + "," + std::to_string(row);
}

plat::Bitmap MakeTileBitmap(const TileGrid& grid)
{
    return plat::Bitmap(grid.BitmapWidth(), grid.BitmapHeight(), plat::PixelFormat::pf24bit);
}

void RenderPictureTile(plat::Bitmap& tile, const OutputSnapshot& snap, const TileGrid& grid,
                       int page, const std::function<void()>& beforeRow)
{
    tile.fill(plat::clWhite);
    // Labels need a text canvas; the pictures are copied on the buffer.
    std::unique_ptr<plat::BitmapCanvas> canvas;
    if (snap.ShowCoords()) {
        canvas = std::make_unique<plat::BitmapCanvas>(tile);
        canvas->Font.Height = TileLabelHeight;
        canvas->Brush.Style = plat::bsClear;
    }
    const TilePosition at = grid.Tile(page);
    const MapShape& map = snap.Map;
    for (int row = 0; row < map.RowCount; ++row) {
        if (beforeRow)
            beforeRow();
        for (int col = IsCellParity(0, row, map.FirstOdd) ? 0 : 1; col < map.ColCount; col += 2) {
            const HexCentre c = HexCentreOnTile(grid.Hex, col, row, at.X0, at.Y0);
            if (!grid.HexReachesTile(c))
                continue;
            StretchBlit(tile, HexPictureRect(grid.Hex, c), snap.Pictures[PictureTerrain(snap, col, row)],
                        BlitOp::And);
            if (canvas) {
                const plat::TBkMode previous = canvas->SetBkMode(plat::TRANSPARENT);
                canvas->TextOut(c.X - TileLabelHeight / 2, c.Y - TileLabelHeight / 2, CellLabel(col, row));
                canvas->SetBkMode(previous);
            }
        }
    }
}

} // namespace tolv
