#include "output/PictureTiles.h"

#include "platform/PictureBlit.h"

#include "OutputFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tolv {
namespace {

using outtest::Grid;
using outtest::PictureColour;
using outtest::Snapshot;

plat::TColor And(plat::TColor a, plat::TColor b)
{
    return a & b;
}

TEST(PictureTiles, HexagonsShowTheirPicturesAndOverlapsDarken)
{
    // FirstOdd off: (0,0) and (1,1) are neighbours whose rectangles overlap.
    OutputSnapshot s = Snapshot(13, 37, tcLeer);
    s.Board[0][0].Terrain = tcPampa;
    s.Board[1][1].Terrain = tcWasser;
    s.Board[0][2].Terrain = tcWiese;
    const TileGrid g = Grid(s);
    plat::Bitmap tile = MakeTileBitmap(g);
    int rows = 0;
    RenderPictureTile(tile, s, g, 1, [&] { ++rows; });
    EXPECT_EQ(rows, 37);

    // Centres at (col * 301 + 201, row * 174 + 174); rectangles 402 x 348.
    EXPECT_EQ(tile.pixel(201, 174), PictureColour(tcPampa));
    EXPECT_EQ(tile.pixel(502, 348), PictureColour(tcWasser));
    EXPECT_EQ(tile.pixel(201, 522), PictureColour(tcWiese));
    // Band where (0,0) and (1,1) overlap: x 301..401, y 174..347.
    EXPECT_EQ(tile.pixel(301, 174), And(PictureColour(tcPampa), PictureColour(tcWasser)));
    EXPECT_EQ(tile.pixel(401, 347), And(PictureColour(tcPampa), PictureColour(tcWasser)));
    EXPECT_EQ(tile.pixel(402, 347), PictureColour(tcWasser));
    EXPECT_EQ(tile.pixel(300, 174), PictureColour(tcPampa));
    // (0,2) sits below (0,0) without overlapping it; (1,1) overlaps it.
    EXPECT_EQ(tile.pixel(100, 347), PictureColour(tcPampa));
    EXPECT_EQ(tile.pixel(100, 348), PictureColour(tcWiese));
    EXPECT_EQ(tile.pixel(350, 400), And(PictureColour(tcWiese), PictureColour(tcWasser)));
}

TEST(PictureTiles, NeighbouringTilesShareTheirOverlapBand)
{
    OutputSnapshot s = Snapshot(13, 37, tcLeer);
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            s.Board[c][r].Terrain = 2 + (c * 7 + r * 3) % 9;
    const TileGrid g = Grid(s);
    ASSERT_EQ(g.TilesAcross, 2);
    plat::Bitmap left = MakeTileBitmap(g), right = MakeTileBitmap(g), below = MakeTileBitmap(g);
    RenderPictureTile(left, s, g, 1);
    RenderPictureTile(right, s, g, 2);
    RenderPictureTile(below, s, g, 3);
    for (int y = 0; y < g.BitmapHeight(); y += 7)
        for (int dx = 0; dx < g.OverlapX; ++dx)
            ASSERT_EQ(left.pixel(g.TileWidth + dx, y), right.pixel(dx, y)) << dx << "," << y;
    for (int x = 0; x < g.BitmapWidth(); x += 7)
        for (int dy = 0; dy < g.OverlapY; ++dy)
            ASSERT_EQ(left.pixel(x, g.TileHeight + dy), below.pixel(x, dy)) << x << "," << dy;
}

TEST(PictureTiles, TheFastRenderingGivesThePixelsOfStretchingEveryPicture)
{
    // Pictures with detail in both directions and sizes that do not divide
    // the hexagon's, on a board that starts above and ends inside tiles.
    OutputSnapshot s = Snapshot(13, 37, tcLeer, true);
    for (int i = 1; i <= 10; ++i) {
        plat::Bitmap bmp(37 + i, 29 + 2 * i);
        for (int y = 0; y < bmp.height(); ++y)
            for (int x = 0; x < bmp.width(); ++x)
                bmp.setPixel(x, y, (x * 7 + y * 13 + i * 31) % 5 == 0 ? plat::clWhite
                                                                     : plat::RGB(x * 6, y * 5, i * 20));
        ASSERT_TRUE(plat::MakeDib(bmp, s.Pictures[i]));
    }
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            s.Board[c][r].Terrain = 1 + (c * 3 + r * 7) % 10;
    const TileGrid g = Grid(s);
    const PictureTileRenderer renderer(s, g);
    for (int page : {1, 2, 3, 4}) {
        SCOPED_TRACE(page);
        plat::Bitmap fast = MakeTileBitmap(g);
        fast.fill(plat::clBlack);   // whatever the last page left
        renderer.Render(fast, page);
        plat::Bitmap plain = MakeTileBitmap(g);
        const TilePosition at = g.Tile(page);
        for (int r = 0; r < 37; ++r)
            for (int c = (r & 1) ? 0 : 1; c < 13; c += 2)
                plat::StretchBlit(plain, HexPictureRect(g.Hex, HexCentreOnTile(g.Hex, c, r, at.X0, at.Y0)),
                                  s.Pictures[s.Board[c][r].Terrain], plat::BlitOp::And);
        for (int y = 0; y < g.BitmapHeight(); ++y)
            ASSERT_EQ(0, std::memcmp(fast.scanLine(y), plain.scanLine(y), std::size_t(g.BitmapWidth()) * 3))
                << "row " << y;
    }
}

TEST(PictureTiles, OutsideTheMapIsWhiteAndLeerShowsItsPicture)
{
    // 4 x 4 board: B = 1304, H = 870; the rest of the tile stays white.
    OutputSnapshot s = Snapshot(4, 4, tcLeer);
    s.Pictures[tcLeer] = outtest::SolidDib(plat::RGB(200, 200, 200));
    const TileGrid g = Grid(s);
    plat::Bitmap tile = MakeTileBitmap(g);
    RenderPictureTile(tile, s, g, 1);
    EXPECT_EQ(tile.pixel(201, 174), plat::RGB(200, 200, 200));
    EXPECT_EQ(tile.pixel(1400, 174), plat::clWhite);
    EXPECT_EQ(tile.pixel(201, 1000), plat::clWhite);
}

TEST(PictureTiles, BadTerrainCodesShowPampa)
{
    OutputSnapshot s = Snapshot(4, 4, tcLeer);
    s.Board[0][0].Terrain = 77;
    s.Board[2][0].Terrain = GridColourIndex;   // the strip picture is no terrain
    const TileGrid g = Grid(s);
    plat::Bitmap tile = MakeTileBitmap(g);
    RenderPictureTile(tile, s, g, 1);
    EXPECT_EQ(tile.pixel(201, 174), PictureColour(tcPampa));
    EXPECT_EQ(tile.pixel(2 * 301 + 201, 174), PictureColour(tcPampa));
}

TEST(PictureTiles, CoordinatesAreWrittenOnlyWhenSwitchedOn)
{
    test::EnsureApplication();   // text needs the font system
    OutputSnapshot s = Snapshot(4, 4, tcLeer);
    const TileGrid g = Grid(s);
    auto darkPixels = [&](const plat::Bitmap& tile) {
        // The label of (1,1) starts at (centre - 50, centre - 50).
        int dark = 0;
        for (int y = 348 - 50; y < 348 + 60; ++y)
            for (int x = 502 - 50; x < 502 + 120; ++x)
                dark += tile.pixel(x, y) != plat::clWhite;
        return dark;
    };
    plat::Bitmap off = MakeTileBitmap(g);
    RenderPictureTile(off, s, g, 1);
    EXPECT_EQ(darkPixels(off), 0);
    s.PrintParams[ppShowCoords] = 1;
    plat::Bitmap on = MakeTileBitmap(g);
    RenderPictureTile(on, s, g, 1);
    EXPECT_GT(darkPixels(on), 200);
    // Nothing above the label's cell.
    EXPECT_EQ(on.pixel(502, 348 - 60), plat::clWhite);
}

TEST(PictureTiles, MissingPicturesAreNamed)
{
    OutputSnapshot s = Snapshot(4, 4);
    s.Pictures[3] = plat::Dib();
    s.Pictures[11] = plat::Dib();
    EXPECT_EQ(MissingPictures(s, 10), std::vector<int>{3});
    EXPECT_EQ(MissingPictures(s, 11), (std::vector<int>{3, 11}));
    const std::string text = MissingPicturesText({3, 11});
    EXPECT_NE(text.find("Pic3.jpg, Pic11.jpg"), std::string::npos) << text;
}

TEST(PictureTiles, SnapshotCopiesBoardParametersAndLoadedPictures)
{
    BoardState state;
    state.Board[2][3].Terrain = tcWald;
    state.PrintParams[ppOverlap] = 120;
    plat::Bitmap pic(5, 4);
    state.Pictures[4].Loaded = true;
    ASSERT_TRUE(plat::MakeDib(pic, state.Pictures[4].Dib));
    state.Pictures[5].Dib = state.Pictures[4].Dib;   // decoded but not loaded: unusable
    const OutputSnapshot s = TakeOutputSnapshot(state, MapShape{10, 12, true});
    state.Board[2][3].Terrain = tcMoor;
    state.PrintParams[ppOverlap] = 10;
    state.Pictures[4] = Picture{};
    EXPECT_EQ(s.Board[2][3].Terrain, tcWald);
    EXPECT_EQ(s.PrintParams[ppOverlap], 120);
    EXPECT_EQ(s.Map.ColCount, 10);
    EXPECT_FALSE(s.Pictures[4].empty());
    EXPECT_TRUE(s.Pictures[5].empty());
}

} // namespace
} // namespace tolv
