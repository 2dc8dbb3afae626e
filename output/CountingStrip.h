#pragma once
// The counting strip (Zählleiste): a band of StripWidth pixels at 300 dpi
// around all four sides of the board, cut into sections copied from the
// strip picture and numbered clockwise from 0 at the bottom-left corner.
// The sections of a side share the length the whole sections leave over,
// so every side ends flush with the frame.
//
// Everything here is plain layout in frame pixels: the frame is the board
// with its strip, origin at its top-left corner, and the board lies
// StripWidth pixels in from each side. The tiles cut the frame as they cut
// a bare board; the per-tile functions move the layout onto one tile.
#include "output/TileGeometry.h"

#include <optional>
#include <string>
#include <vector>

namespace tolv {

constexpr int StripWidth = 224;                           // the band; nominal section length
constexpr int StripSourceOrigin = 65;                     // where every section starts in the picture
constexpr int StripFillMargin = 10;                       // white starts this far beyond the board
constexpr int StripNumberAcross = StripWidth / 4;         // 56
constexpr int StripNumberAlong = StripWidth * 3 / 4;      // 168
constexpr int StripThreeDigitShift = StripWidth / 6;      // 37

// Fewer than three sections on a side leave no room for numbered sections
// between the corners (and the gaps between them divide by zero).
constexpr const char* StripTooSmallText =
    "Der Plan ist zu klein für eine Zählleiste: sie braucht an jeder Seite mindestens drei Abschnitte.";

enum class StripSide { Top, Right, Bottom, Left };

// A section number, drawn with the turned font (reading bottom to top)
// with its text cell's corner at (X, Y).
struct StripNumber {
    int X = 0, Y = 0;
    std::string Text;
    bool operator==(const StripNumber&) const = default;
};

// One piece of the strip picture copied 1:1 into the frame: a numbered
// section, or one of the fillers that close the left and right strips
// against the corners.
struct StripPiece {
    StripSide Side = StripSide::Top;
    int Section = -1;   // k along its side; -1 for a filler
    int Number = -1;    // the section's number around the board; -1 for a filler
    plat::TRect Dest;     // frame pixels
    plat::TRect Source;   // the strip picture's pixels, origin at its lower-left corner
    std::optional<StripNumber> Label;   // when the number is drawn
};

struct CountingStripLayout {
    int Width = 0, Height = 0;   // Ws, Hs: the frame
    int Across = 0, Down = 0;    // S, D: sections along the top, down the left
    int RestX = 0, RestY = 0;    // Ws mod StripWidth, Hs mod StripWidth
    int BoardBottom = 0;         // the board's lower edge in the frame
    int BoardRight = 0;          // the right edge of the board's last column

    // The gaps the sections of a side share: RestX / (S - 1), RestY / (D - 1).
    double GapX() const { return double(RestX) / (Across - 1); }
    double GapY() const { return double(RestY) / (Down - 1); }
    // All sections around the board, numbered 0 .. T - 1.
    int SectionCount() const { return 2 * Across + 2 * Down - 4; }

    // Top, bottom, left (upper filler, sections, lower filler), right: the
    // order they are drawn in; later pieces lie over earlier ones.
    std::vector<StripPiece> Pieces;
};

// The frame of a board: its extent plus a strip on each side.
BoardExtent StripFrameExtent(BoardExtent board);

// The strip around a board of colCount x rowCount hexagons; numbers are
// placed only with withNumbers. Nothing when a side gets fewer than three
// sections.
std::optional<CountingStripLayout> MakeCountingStrip(const OutputHex& hex, int colCount, int rowCount,
                                                     bool withNumbers);

// The text of a section number: one blank in front below 10.
std::string StripNumberText(int n);

// A ring cell's label: " " + col + "," + row, and one more blank in front
// each for col < 10 and row < 10 (negative ones included).
std::string StripCellLabel(int col, int row);

// The picture tiles' grid over the frame: the tiles of PdfPictureTileGrid,
// covering the board with its strip. Nothing when no tile fits.
std::optional<TileGrid> PdfStripTileGrid(const PrintParamArray& params, const MapShape& map);

// The piece cut to a picture of width x height: source and destination
// lose the same rows and columns, so the copy stays 1:1 and never reads
// outside the picture. An empty destination when nothing is left.
StripPiece ClipToPicture(StripPiece piece, int width, int height);

// The pieces that reach tile `page`, moved onto it (x0, y0 subtracted), in
// drawing order.
std::vector<StripPiece> StripPiecesOnTile(const CountingStripLayout& strip, const TileGrid& grid, int page);

// The white fills of tile `page`, in tile pixels, cut to its bitmap: above
// the top strip's inner edge, below the board and left and right of it,
// each from StripFillMargin beyond the board, so the ring pictures that
// stick out are cut off.
std::vector<plat::TRect> StripFillsOnTile(const CountingStripLayout& strip, const TileGrid& grid, int page);

} // namespace tolv
