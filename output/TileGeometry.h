#pragma once
// The tile arithmetic every board output shares: the board is larger than a
// sheet, so it is cut into page-sized tiles that overlap by the Overlap
// print parameter. Tiles start at multiples of the tile size and each shows
// its size plus the overlap, so neighbouring tiles share a band of the
// overlap's width and the last tile reaches at least to the board's far
// edge. Lengths of the print parameters are 1/10 mm; the grid is in output
// pixels (printer pixels, or 300-dpi bitmap pixels for the picture tiles).
// No widgets, no devices: the printer's resolution and printable area are
// passed in. Rectangles have Right and Bottom one past the last pixel (or
// the far edge in 1/10 mm).
#include "editor/HexMapA/HexMapGeometry.h"
#include "editor/board/BoardState.h"
#include "platform/Geometry.h"

#include <optional>

namespace tolv {

// The picture tiles are rendered at this resolution, whatever the device.
constexpr int TileDpi = 300;

// A4 in 1/10 mm, portrait.
constexpr int A4WidthTenth = 2100;
constexpr int A4HeightTenth = 2970;

// Round: to the nearest integer, an exact half to the even neighbour.
int RoundHalfEven(double v);
// tenth / 10 * dpi / 25.4: a length in 1/10 mm in pixels at dpi, unrounded.
double TenthToDevice(double tenth, double dpi);
// Round(TenthToDevice(tenth, dpi)).
int TenthToPixels(double tenth, double dpi);

// The hexagons of an output: w across and v down in output pixels; q, h and
// p follow from w, the half height r from v, by the map control's rule.
struct OutputHex {
    int Width = 0;    // w
    int Height = 0;   // v
    HexMetrics M;     // QuarterWidth q, HalfWidth h, ColPitch p, HalfHeight r
    int q() const { return M.QuarterWidth; }
    int h() const { return M.HalfWidth; }
    int p() const { return M.ColPitch; }
    int r() const { return M.HalfHeight; }
};
OutputHex MakeOutputHex(int widthPx, int heightPx);

// Centre of a hexagon on a tile whose top-left corner lies at (x0, y0) of
// the board: (col * p + h - x0, row * r + r - y0).
plat::TPoint HexCentreOnTile(const OutputHex& hex, int col, int row, int x0, int y0);

// The rectangle a hexagon's picture fills: (cx - h, cy - r, cx + h, cy + r).
plat::TRect HexPictureRect(const OutputHex& hex, plat::TPoint c);

// A hexagon centred at c can reach into a tile of width x height pixels
// (cx + w > 0, cy + 2r > 0, cx < width + w, cy < height + 2r).
bool HexReachesTile(const OutputHex& hex, plat::TPoint c, int width, int height);

// Board extent in output pixels: ColCount * p + q across, Ceil((RowCount + 1) * r) down.
struct BoardExtent {
    int Width = 0, Height = 0;
};
BoardExtent BoardExtentOf(const OutputHex& hex, int colCount, int rowCount);

// One tile of the grid: pages run left to right, then top to bottom.
struct TilePosition {
    int Column = 0, Row = 0;   // tile column and tile row, 0-based
    int X0 = 0, Y0 = 0;        // the tile's top-left corner on the board
};

struct TileGrid {
    OutputHex Hex;
    int OverlapX = 0, OverlapY = 0;   // ox, oy
    BoardExtent Board;                // what the tiles have to cover
    int TileWidth = 0, TileHeight = 0;   // usable size without the overlap
    int TilesAcross = 0, TilesDown = 0;

    int PageCount() const { return TilesAcross * TilesDown; }
    // page is 1-based.
    TilePosition Tile(int page) const;
    // A tile with its overlap: TileWidth + ox by TileHeight + oy.
    int BitmapWidth() const { return TileWidth + OverlapX; }
    int BitmapHeight() const { return TileHeight + OverlapY; }
    // A hexagon centred at c can reach into a tile of bitmap size.
    bool HexReachesTile(plat::TPoint c) const;
};

// Ceil((extent - overlap) / tileSize), the division in floating point; at
// least one tile.
int TilesToCover(int extent, int overlap, int tileSize);

// The grid over a board of the given extent (the board itself, or the
// board with a frame around it). Nothing when the tile size is not
// positive: margins plus overlap can exceed the page, and no tile fits.
std::optional<TileGrid> MakeTileGrid(const OutputHex& hex, int overlapX, int overlapY,
                                     BoardExtent board, int tileWidth, int tileHeight);

// Every output's refusal when margins plus overlap leave no room for a
// tile: the user mends it in the print settings.
constexpr const char* NoTileRoomText =
    "Die Ränder und die Überlappung sind größer als die Seite: es passt keine Kachel darauf. "
    "Bitte unter \"Optionen - Druckeinstellungen\" die Ränder oder die Überlappung verkleinern.";

// ---- Pages in 1/10 mm (the PDF outputs).

// The part of the A4 page inside the margins, in 1/10 mm from the page's
// top-left corner; in landscape the page is 2970 x 2100 and the margins turn
// with it (left is MarginTop, top MarginRight, right MarginBottom, bottom
// MarginLeft).
plat::TRect PdfPageRect(const PrintParamArray& params);
bool Landscape(const PrintParamArray& params);

// The picture tiles' grid at 300 dpi: hexagons, one overlap for both
// axes, the tile size from the page rectangle less the overlap (taken in
// 1/10 mm before converting). Nothing when no tile fits.
std::optional<TileGrid> PdfPictureTileGrid(const PrintParamArray& params, const MapShape& map);

// The draft tiles' grid in 1/10 mm, the writer's own unit: the print
// parameters taken as they are, the tile size from the page rectangle less
// the overlap. Nothing when no tile fits.
std::optional<TileGrid> PdfDraftTileGrid(const PrintParamArray& params, const MapShape& map);

// ---- Printer pages.

// Margins of a print job in whole millimetres (each 1/10 mm value div 10),
// turned with the page in landscape as on the PDF page.
struct JobMargins {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const JobMargins&) const = default;
};
JobMargins PrinterJobMargins(const PrintParamArray& params);

// The grid on a printer: the printer's resolution per axis (dots per inch)
// and its printable area in printer pixels. Nothing when no tile fits.
std::optional<TileGrid> PrinterTileGrid(const PrintParamArray& params, const MapShape& map,
                                        double dpiX, double dpiY, int printableWidth,
                                        int printableHeight);

} // namespace tolv
