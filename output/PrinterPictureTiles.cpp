#include "output/PrinterPictureTiles.h"

#include "output/PrinterTiles.h"

namespace tolv {

TilePosition PrinterPictureTiles::Tile(int page) const
{
    TilePosition t = Grid.Tile(page);
    t.X0 = RoundHalfEven(Grid.TileWidth * Sx * t.Column);
    t.Y0 = RoundHalfEven(Grid.TileHeight * Sy * t.Row);
    return t;
}

plat::TRect PrinterPictureTiles::PageRect(const plat::TRect& area) const
{
    return {area.Left, area.Top, area.Left + Grid.BitmapWidth(), area.Top + Grid.BitmapHeight()};
}

std::optional<PrinterPictureTiles> MakePrinterPictureTiles(const TileGrid& grid, const PrintParamArray& params,
                                                           double dpiX, double dpiY)
{
    PrinterPictureTiles t;
    t.Grid = grid;
    t.Sx = TileDpi / dpiX;
    t.Sy = TileDpi / dpiY;
    t.TileHex = MakeOutputHex(RoundHalfEven(TenthToDevice(params[ppHexSizeX], dpiX) * t.Sx),
                              RoundHalfEven(TenthToDevice(params[ppHexSizeY], dpiY) * t.Sy));
    t.BitmapWidth = RoundHalfEven(grid.BitmapWidth() * t.Sx);
    t.BitmapHeight = RoundHalfEven(grid.BitmapHeight() * t.Sy);
    // A tile of a pixel or two on a fine printer can round to nothing.
    if (t.BitmapWidth <= 0 || t.BitmapHeight <= 0)
        return std::nullopt;
    return t;
}

bool PrinterPicturePages::Update(printing::TCustomPrintJob& job, plat::Bitmap& tileBitmap)
{
    tiles_.reset();
    renderer_.reset();
    tileBitmap = plat::Bitmap();
    job.SetTitle(TileJobTitle);
    if (const std::optional<TileGrid> grid = JobTileGrid(job, snap_.PrintParams, snap_.Map))
        tiles_ = MakePrinterPictureTiles(*grid, snap_.PrintParams, job.PrinterDpiX(), job.PrinterDpiY());
    if (!tiles_) {
        job.SetPageCount(1);
        return false;
    }
    job.SetPageCount(tiles_->Grid.PageCount());
    renderer_.emplace(snap_, tiles_->TileHex);
    tileBitmap = plat::Bitmap(tiles_->BitmapWidth, tiles_->BitmapHeight, plat::PixelFormat::pf24bit);
    return true;
}

void PrinterPicturePages::Draw(plat::Canvas& canvas, int page, const plat::TRect& area,
                               printing::TDrawArea which, plat::Bitmap& tileBitmap) const
{
    if (which != printing::daPage || !tiles_ || page < 1 || page > tiles_->Grid.PageCount())
        return;
    // Every page draws the whole tile anew, so pages may come in any order;
    // a bitmap released or replaced meanwhile is made again.
    if (tileBitmap.width() != tiles_->BitmapWidth || tileBitmap.height() != tiles_->BitmapHeight ||
        tileBitmap.format() != plat::PixelFormat::pf24bit)
        tileBitmap = plat::Bitmap(tiles_->BitmapWidth, tiles_->BitmapHeight, plat::PixelFormat::pf24bit);
    const TilePosition at = tiles_->Tile(page);
    renderer_->RenderAt(tileBitmap, at.X0, at.Y0);

    plat::Dib dib;
    if (!plat::MakeDib(tileBitmap, dib))
        return;
    const plat::TRect to = tiles_->PageRect(area);
    canvas.StretchDIBits(to.Left, to.Top, to.Width(), to.Height(), 0, 0, dib.info.biWidth, dib.info.biHeight,
                         dib, plat::SRCCOPY);
}

} // namespace tolv
