#include "output/TileGeometry.h"

#include "editor/board/BoardState.h"

#include <algorithm>
#include <cmath>

namespace tolv {

int RoundHalfEven(double v)
{
    return int(std::nearbyint(v));
}

double TenthToDevice(double tenth, double dpi)
{
    return tenth / 10.0 * dpi / 25.4;
}

int TenthToPixels(double tenth, double dpi)
{
    return RoundHalfEven(TenthToDevice(tenth, dpi));
}

OutputHex MakeOutputHex(int widthPx, int heightPx)
{
    OutputHex hex;
    hex.Width = widthPx;
    hex.Height = heightPx;
    hex.M = HexMetricsFor(widthPx);
    hex.M.HalfHeight = HexHalfHeight(heightPx);
    return hex;
}

plat::TPoint HexCentreOnTile(const OutputHex& hex, int col, int row, int x0, int y0)
{
    return {col * hex.p() + hex.h() - x0, row * hex.r() + hex.r() - y0};
}

plat::TRect HexPictureRect(const OutputHex& hex, plat::TPoint c)
{
    return {c.X - hex.h(), c.Y - hex.r(), c.X + hex.h(), c.Y + hex.r()};
}

BoardExtent BoardExtentOf(const OutputHex& hex, int colCount, int rowCount)
{
    // r is whole, so the ceiling of (RowCount + 1) * r is the product itself.
    return {colCount * hex.p() + hex.q(), (rowCount + 1) * hex.r()};
}

TilePosition TileGrid::Tile(int page) const
{
    TilePosition t;
    // A grid that was never made (or a renderer that only knows the
    // hexagon) has no tiles across: the first tile, not a division by zero.
    if (TilesAcross <= 0 || page < 1)
        return t;
    t.Row = (page - 1) / TilesAcross;
    t.Column = (page - 1) % TilesAcross;
    t.X0 = TileWidth * t.Column;
    t.Y0 = TileHeight * t.Row;
    return t;
}

bool HexReachesTile(const OutputHex& hex, plat::TPoint c, int width, int height)
{
    const int w = hex.Width;
    const int twoR = 2 * hex.r();
    return c.X + w > 0 && c.Y + twoR > 0 && c.X < width + w && c.Y < height + twoR;
}

bool TileGrid::HexReachesTile(plat::TPoint c) const
{
    return tolv::HexReachesTile(Hex, c, BitmapWidth(), BitmapHeight());
}

int TilesToCover(int extent, int overlap, int tileSize)
{
    // A board inside the overlap band would give no tile or a negative
    // count (and two negative counts a positive page count): it takes one.
    return std::max(1, int(std::ceil(double(extent - overlap) / double(tileSize))));
}

std::optional<TileGrid> MakeTileGrid(const OutputHex& hex, int overlapX, int overlapY,
                                     BoardExtent board, int tileWidth, int tileHeight)
{
    // Margins plus overlap can exceed the page: no tile fits.
    if (tileWidth <= 0 || tileHeight <= 0)
        return std::nullopt;
    TileGrid g;
    g.Hex = hex;
    g.OverlapX = overlapX;
    g.OverlapY = overlapY;
    g.Board = board;
    g.TileWidth = tileWidth;
    g.TileHeight = tileHeight;
    g.TilesAcross = TilesToCover(board.Width, overlapX, tileWidth);
    g.TilesDown = TilesToCover(board.Height, overlapY, tileHeight);
    return g;
}

bool Landscape(const PrintParamArray& params)
{
    return params[ppTileMode] != 0;
}

plat::TRect PdfPageRect(const PrintParamArray& p)
{
    if (!Landscape(p))
        return {p[ppMarginLeft], p[ppMarginTop], A4WidthTenth - p[ppMarginRight],
                A4HeightTenth - p[ppMarginBottom]};
    return {p[ppMarginTop], p[ppMarginRight], A4HeightTenth - p[ppMarginBottom],
            A4WidthTenth - p[ppMarginLeft]};
}

std::optional<TileGrid> PdfPictureTileGrid(const PrintParamArray& p, const MapShape& map)
{
    const OutputHex hex = MakeOutputHex(TenthToPixels(p[ppHexSizeX], TileDpi),
                                        TenthToPixels(p[ppHexSizeY], TileDpi));
    const int o = TenthToPixels(p[ppOverlap], TileDpi);
    const plat::TRect page = PdfPageRect(p);
    // The overlap is taken off in 1/10 mm, before converting.
    const int tileWidth = TenthToPixels(page.Width() - p[ppOverlap], TileDpi);
    const int tileHeight = TenthToPixels(page.Height() - p[ppOverlap], TileDpi);
    return MakeTileGrid(hex, o, o, BoardExtentOf(hex, map.ColCount, map.RowCount), tileWidth,
                        tileHeight);
}

std::optional<TileGrid> PdfDraftTileGrid(const PrintParamArray& p, const MapShape& map)
{
    const OutputHex hex = MakeOutputHex(p[ppHexSizeX], p[ppHexSizeY]);
    const plat::TRect page = PdfPageRect(p);
    return MakeTileGrid(hex, p[ppOverlap], p[ppOverlap], BoardExtentOf(hex, map.ColCount, map.RowCount),
                        page.Width() - p[ppOverlap], page.Height() - p[ppOverlap]);
}

JobMargins PrinterJobMargins(const PrintParamArray& p)
{
    auto mm = [](int tenth) { return double(tenth / 10); };   // whole millimetres: 55 gives 5
    if (!Landscape(p))
        return {mm(p[ppMarginLeft]), mm(p[ppMarginTop]), mm(p[ppMarginRight]),
                mm(p[ppMarginBottom])};
    return {mm(p[ppMarginTop]), mm(p[ppMarginRight]), mm(p[ppMarginBottom]), mm(p[ppMarginLeft])};
}

std::optional<TileGrid> PrinterTileGrid(const PrintParamArray& p, const MapShape& map, double dpiX,
                                        double dpiY, int printableWidth, int printableHeight)
{
    const OutputHex hex = MakeOutputHex(TenthToPixels(p[ppHexSizeX], dpiX),
                                        TenthToPixels(p[ppHexSizeY], dpiY));
    const int ox = TenthToPixels(p[ppOverlap], dpiX);
    const int oy = TenthToPixels(p[ppOverlap], dpiY);
    return MakeTileGrid(hex, ox, oy, BoardExtentOf(hex, map.ColCount, map.RowCount),
                        printableWidth - ox, printableHeight - oy);
}

} // namespace tolv
