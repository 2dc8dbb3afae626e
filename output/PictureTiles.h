#pragma once
// Picture tiles: every hexagon of a tile shows the terrain picture of its
// cell, stretched over the hexagon's rectangle and ANDed onto the white
// tile, so the white corners of a picture leave its neighbours visible and
// overlapping parts combine to the darker colour.
#include "editor/board/BoardState.h"
#include "editor/board/CellDrawing.h"
#include "output/TileGeometry.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <functional>
#include <string>
#include <vector>

namespace tolv {

// What an output reads, copied when it starts: the board may be edited,
// resized or recoloured while the output processes messages, and the
// output still shows the board as it was when the command began.
struct OutputSnapshot {
    BoardArray Board{};
    TerrainColours ColorTable{};
    PrintParamArray PrintParams{};
    MapShape Map;
    plat::NumberedArray<plat::Dib, 1, PictureCount> Pictures{};   // empty when not loaded

    bool ShowCoords() const { return PrintParams[ppShowCoords] != 0; }
};
OutputSnapshot TakeOutputSnapshot(const BoardState& state, const MapShape& map);

// The picture numbers 1..last without a usable picture, in order.
std::vector<int> MissingPictures(const OutputSnapshot& snap, int last);
// The refusal naming them ("Pic3.jpg, Pic7.jpg").
std::string MissingPicturesText(const std::vector<int>& missing);

// The terrain a picture output shows at (col, row): the cell's terrain
// inside the map, tcLeer outside it; a code without a picture shows Pampa.
TerrainCode PictureTerrain(const OutputSnapshot& snap, int col, int row);

// Font height of the coordinate labels on a tile, in tile pixels.
constexpr int TileLabelHeight = 100;

// A 24-bit tile bitmap of the grid's bitmap size, white.
plat::Bitmap MakeTileBitmap(const TileGrid& grid);

// Draws tile `page` (1-based) of a grid into a tile bitmap; the export
// runs one of these per page. beforeRow runs at the start of every hexagon
// row (the window stays responsive).
class TileRenderer {
public:
    virtual ~TileRenderer() = default;
    virtual void Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow = {}) const = 0;
};

// The cells a picture tile shows (a row starts at FirstCol or FirstCol + 1,
// whichever is a cell in that row) and where the board's origin lies in
// what the tiles cut: a frame around the board puts it Offset pixels in on
// both axes.
struct TileCellRange {
    CellRange Cells{.FirstCol = 0, .FirstRow = 0, .LastCol = -1, .LastRow = -1};
    int Offset = 0;
};
// The map's own cells, unframed (the one-argument renderer's range).
TileCellRange MapCells(const MapShape& map);

// How the cells are labelled when coordinates are on: the font, the
// text's corner relative to the hexagon's centre, and the text.
struct TileLabelStyle {
    plat::TFont Font;
    int Dx = 0, Dy = 0;
    std::string (*Text)(int col, int row) = nullptr;
};
// Upright column "," row in the canvas's font TileLabelHeight high, its
// corner half that up and left of the hexagon's centre.
TileLabelStyle PlainCellLabels();

// Renders a picture tile: white, then every hexagon of the range that
// reaches into the tile bitmap with its picture and, when coordinates are
// on, its label. Every hexagon has the same size, so the renderer stretches
// each picture once to it and then copies it unstretched: the same pixels,
// several times faster. It reads the snapshot it was made with.
class PictureTileRenderer final : public TileRenderer {
public:
    PictureTileRenderer(const OutputSnapshot& snap, const TileGrid& grid);
    PictureTileRenderer(const OutputSnapshot& snap, const TileGrid& grid, const TileCellRange& cells,
                        TileLabelStyle labels);
    // The map's cells in hexagons of the given size, plainly labelled; only
    // RenderAt (tiles that do not start at multiples of a whole tile size,
    // as on a printer).
    PictureTileRenderer(const OutputSnapshot& snap, const OutputHex& hex);

    // Tile `page` of the grid.
    void Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow = {}) const override;
    // The tile whose top-left corner lies at (x0, y0) of what the tiles cut.
    void RenderAt(plat::Bitmap& tile, int x0, int y0, const std::function<void()>& beforeRow = {}) const;

private:
    const OutputSnapshot& snap_;
    TileGrid grid_;
    TileCellRange cells_;
    TileLabelStyle labels_;
    plat::NumberedArray<plat::Dib, tcLeer, tcWasser> scaled_{};
};

// One tile with a renderer of its own.
void RenderPictureTile(plat::Bitmap& tile, const OutputSnapshot& snap, const TileGrid& grid,
                       int page, const std::function<void()>& beforeRow = {});

} // namespace tolv
