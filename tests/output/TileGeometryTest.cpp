#include "output/TileGeometry.h"

#include "editor/board/BoardState.h"

#include <gtest/gtest.h>

namespace tolv {
namespace {

PrintParamArray Params(int hexX = 341, int hexY = 341, int margin = 50, int overlap = 80, int tileMode = 0)
{
    PrintParamArray p = DefaultPrintParams();
    p[ppHexSizeX] = hexX;
    p[ppHexSizeY] = hexY;
    p[ppMarginTop] = p[ppMarginBottom] = p[ppMarginLeft] = p[ppMarginRight] = margin;
    p[ppOverlap] = overlap;
    p[ppTileMode] = tileMode;
    return p;
}

TEST(TileGeometry, PictureTilesAtDefaultsFollowTheWorkedNumbers)
{
    const auto g = PdfPictureTileGrid(Params(), MapShape{13, 37, true});
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Hex.Width, 403);
    EXPECT_EQ(g->Hex.q(), 100);
    EXPECT_EQ(g->Hex.h(), 201);
    EXPECT_EQ(g->Hex.p(), 301);
    EXPECT_EQ(g->Hex.r(), 174);
    EXPECT_EQ(g->OverlapX, 94);
    EXPECT_EQ(g->OverlapY, 94);
    EXPECT_EQ(g->TileWidth, 2268);
    EXPECT_EQ(g->TileHeight, 3295);
    EXPECT_EQ(g->BitmapWidth(), 2362);
    EXPECT_EQ(g->BitmapHeight(), 3389);
}

TEST(TileGeometry, TileCountsCoverTheBoard)
{
    struct Case {
        int cols, rows, tileMode;
        int across, down;
    };
    const Case cases[] = {
        {13, 37, 0, 2, 2},   // B 4013, H 6612
        {40, 80, 0, 6, 5},   // B 12140, H 14094: the full board, 30 pages
        {13, 45, 0, 2, 3},
        {4, 4, 0, 1, 1},     // a small board fits one tile
        {40, 80, 1, 4, 7},   // landscape: tiles 3295 wide, 2268 high
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << " x " << c.rows << " mode " << c.tileMode);
        const auto g = PdfPictureTileGrid(Params(341, 341, 50, 80, c.tileMode), MapShape{c.cols, c.rows, true});
        ASSERT_TRUE(g);
        EXPECT_EQ(g->TilesAcross, c.across);
        EXPECT_EQ(g->TilesDown, c.down);
        // The last tile, with its overlap, reaches the board's far edges.
        EXPECT_GE(g->TileWidth * g->TilesAcross + g->OverlapX, g->Board.Width);
        EXPECT_GE(g->TileHeight * g->TilesDown + g->OverlapY, g->Board.Height);
        EXPECT_LT(g->TileWidth * (g->TilesAcross - 1) + g->OverlapX, g->Board.Width);
    }
}

// A board that lies wholly inside one overlap band still takes one page:
// tiny hexagons, an overlap of 120 mm on a 200 mm tile width, one cell.
TEST(TileGeometry, ABoardSmallerThanTheOverlapTakesOnePage)
{
    const auto g = PdfPictureTileGrid(Params(20, 20, 50, 1200, 0), MapShape{1, 1, true});
    ASSERT_TRUE(g);
    ASSERT_LT(g->Board.Width - g->OverlapX, -g->TileWidth);   // the count would come out negative
    EXPECT_EQ(g->TilesAcross, 1);
    EXPECT_EQ(g->TilesDown, 1);
    EXPECT_EQ(TilesToCover(0, 0, 100), 1);
}

TEST(TileGeometry, PagesRunLeftToRightThenDown)
{
    const auto g = PdfPictureTileGrid(Params(), MapShape{40, 80, true});
    ASSERT_TRUE(g);
    const TilePosition first = g->Tile(1), seventh = g->Tile(7), last = g->Tile(30);
    EXPECT_EQ(first.Column, 0);
    EXPECT_EQ(first.X0, 0);
    EXPECT_EQ(seventh.Column, 0);
    EXPECT_EQ(seventh.Row, 1);
    EXPECT_EQ(seventh.Y0, 3295);
    EXPECT_EQ(last.Column, 5);
    EXPECT_EQ(last.Row, 4);
    EXPECT_EQ(last.X0, 5 * 2268);
    // A grid without tiles across (never made) gives the first tile.
    EXPECT_EQ(TileGrid{}.Tile(3).X0, 0);
    EXPECT_EQ(TileGrid{}.Tile(3).Y0, 0);
}

TEST(TileGeometry, PageRectangleTurnsItsMarginsInLandscape)
{
    PrintParamArray p = Params();
    p[ppMarginTop] = 10;
    p[ppMarginBottom] = 20;
    p[ppMarginLeft] = 30;
    p[ppMarginRight] = 40;
    EXPECT_EQ(PdfPageRect(p), (plat::TRect{30, 10, 2100 - 40, 2970 - 20}));
    p[ppTileMode] = 1;
    EXPECT_EQ(PdfPageRect(p), (plat::TRect{10, 40, 2970 - 20, 2100 - 30}));
    EXPECT_EQ(PrinterJobMargins(p), (JobMargins{1, 4, 2, 3}));
    p[ppTileMode] = 0;
    p[ppMarginLeft] = 55;   // whole millimetres: 5, not 5.5
    EXPECT_EQ(PrinterJobMargins(p), (JobMargins{5, 1, 4, 2}));
}

TEST(TileGeometry, PrinterGridAt600Dpi)
{
    // A4 printable 190 x 277 mm at 600 dpi.
    const auto g = PrinterTileGrid(Params(), MapShape{13, 37, true}, 600, 600, 4488, 6543);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Hex.Width, 806);
    EXPECT_EQ(g->Hex.q(), 201);
    EXPECT_EQ(g->Hex.h(), 403);
    EXPECT_EQ(g->Hex.p(), 604);
    EXPECT_EQ(g->Hex.r(), 349);
    EXPECT_EQ(g->OverlapX, 189);
    EXPECT_EQ(g->TileWidth, 4488 - 189);
    EXPECT_EQ(g->TileHeight, 6543 - 189);
    // Different resolutions per axis give different overlaps.
    const auto h = PrinterTileGrid(Params(), MapShape{13, 37, true}, 600, 300, 4488, 3271);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->OverlapX, 189);
    EXPECT_EQ(h->OverlapY, 94);
    EXPECT_EQ(h->Hex.r(), 174);
}

TEST(TileGeometry, NoTileWhenMarginsAndOverlapFillThePage)
{
    EXPECT_FALSE(PdfPictureTileGrid(Params(341, 341, 1000, 100), MapShape{13, 37, true}));
    EXPECT_FALSE(PdfPictureTileGrid(Params(341, 341, 50, 2000), MapShape{13, 37, true}));
    EXPECT_FALSE(PrinterTileGrid(Params(), MapShape{13, 37, true}, 600, 600, 100, 6543));
    EXPECT_TRUE(PdfPictureTileGrid(Params(341, 341, 50, 1990), MapShape{13, 37, true}));
}

TEST(TileGeometry, HexagonsReachingIntoATile)
{
    const auto g = PdfPictureTileGrid(Params(), MapShape{13, 37, true});
    ASSERT_TRUE(g);
    const int w = 403, twoR = 348;
    EXPECT_TRUE(g->HexReachesTile({-w + 1, 0}));
    EXPECT_FALSE(g->HexReachesTile({-w, 0}));
    EXPECT_FALSE(g->HexReachesTile({0, -twoR}));
    EXPECT_TRUE(g->HexReachesTile({2362 + w - 1, 3389 + twoR - 1}));
    EXPECT_FALSE(g->HexReachesTile({2362 + w, 0}));
    EXPECT_FALSE(g->HexReachesTile({0, 3389 + twoR}));
}

} // namespace
} // namespace tolv
