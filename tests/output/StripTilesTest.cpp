#include "output/StripTiles.h"

#include "OutputFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace tolv {
namespace {

using outtest::PictureColour;
using outtest::Snapshot;

// A strip picture whose every pixel tells where it lies (x, y from the
// picture's top-left corner), never white or dark.
plat::TColor At(int x, int y)
{
    return plat::RGB(20 + x % 200, 20 + y % 200, 77);
}

plat::Dib Patterned(int w, int h)
{
    return outtest::DibOf(w, h, At);
}

constexpr plat::TColor Grey = plat::RGB(200, 200, 200);

struct Framed {
    OutputSnapshot snap;
    TileGrid grid;
    CountingStripLayout strip;

    Framed(const plat::Dib& stripPicture, bool numbers, bool coords = false) : snap(Snapshot(13, 37, tcPampa))
    {
        snap.Pictures[tcLeer] = outtest::SolidDib(Grey);
        snap.Pictures[StripPicture] = stripPicture;
        snap.PrintParams[ppShowCoords] = coords ? 1 : 0;
        grid = *PdfStripTileGrid(snap.PrintParams, snap.Map);
        strip = *MakeCountingStrip(grid.Hex, 13, 37, numbers);
    }
    plat::Bitmap Render(int page, int* rows = nullptr) const
    {
        plat::Bitmap tile = MakeTileBitmap(grid);
        StripTileRenderer(snap, grid, strip).Render(tile, page, [rows] {
            if (rows)
                ++*rows;
        });
        return tile;
    }
};

bool Dark(plat::TColor c)
{
    return plat::GetRValue(c) + plat::GetGValue(c) + plat::GetBValue(c) < 200;
}

int DarkPixels(const plat::Bitmap& tile, plat::TRect box)
{
    int n = 0;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x)
            n += Dark(tile.pixel(x, y));
    return n;
}

TEST(StripTiles, SectionsRingAndWhiteWhereTheLayoutPutsThem)
{
    // Picture 300 high: section pixel (dx, dy) shows picture column 65 + dx
    // and, counted from the picture's bottom, row 65 + height - 1 - dy.
    const Framed f(Patterned(320, 300), false);
    int rows = 0;
    const plat::Bitmap first = f.Render(1, &rows);
    EXPECT_EQ(rows, 39);   // the ring's rows -1 and 37 included
    struct Probe {
        int x, y;
        plat::TColor colour;
    };
    const Probe page1[] = {
        {10, 10, At(75, 299 - 278)},        // top, corner section
        {240, 100, At(70, 299 - 188)},      // top, section 1 from x 235
        {726, 100, At(85, 299 - 188)},      // top, section 3 from x 706
        {100, 300, At(165, 299 - 217)},     // left, section 1: 229 rows
        {425, 398, PictureColour(tcPampa)}, // board cell (0, 0)
        {726, 300, Grey},                   // ring cell (1, -1) in the notch above row 0
    };
    for (const Probe& p : page1)
        EXPECT_EQ(first.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;

    // The last tile, (2268, 6590): the frame ends at (2193, 470); the ring's
    // column 14 reaches beyond it and is cut off.
    const plat::Bitmap last = f.Render(6);
    const Probe page6[] = {
        {2000, 300, At(96, 299 - 234)},   // bottom, corner section from (1969, 246)
        {2100, 100, At(196, 299 - 208)},  // right, section 29 from (1969, 15)
        {2300, 100, plat::clWhite},       // beyond the frame, where ring cell (14, 36) lay
        {100, 480, plat::clWhite},        // below the frame
    };
    for (const Probe& p : page6)
        EXPECT_EQ(last.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST(StripTiles, ASmallStripPictureShowsWhatItHasAndWhiteBetweenItAndTheBoard)
{
    // 150 x 120: each section keeps the corner of its source that lies in
    // the picture; the rest stays white down to 10 pixels from the board.
    const Framed f(Patterned(150, 120), false);
    const plat::Bitmap tile = f.Render(1);
    EXPECT_EQ(tile.pixel(50, 200), At(115, 119 - 88));   // top corner section from y 169
    EXPECT_EQ(tile.pixel(50, 420), At(115, 119 - 97));   // left section 1 from y 398
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{50, 100}, {150, 200}, {150, 420}, {100, 300}, {213, 2000}})
        EXPECT_EQ(tile.pixel(x, y), plat::clWhite) << x << "," << y;

    // Smaller than the source's origin: no section at all, the band white.
    const Framed tiny(Patterned(40, 30), false);
    const plat::Bitmap bare = tiny.Render(1);
    for (int y = 0; y < 214; y += 13)
        for (int x = 0; x < 2362; x += 17)
            ASSERT_EQ(bare.pixel(x, y), plat::clWhite) << x << "," << y;
}

TEST(StripTiles, NumbersReadFromBottomToTop)
{
    test::EnsureApplication();   // text needs the font system
    const plat::Dib white = outtest::SolidDib(plat::clWhite, 320, 300);
    // The corner section D - 1 = 30 of the top strip, number at (56, 168).
    const plat::TRect band{0, 0, 2362, 224};
    EXPECT_EQ(DarkPixels(Framed(white, false).Render(1), band), 0);
    const plat::Bitmap tile = Framed(white, true).Render(1);
    EXPECT_GT(DarkPixels(tile, band), 0);

    // The same text upright, turned a quarter counter-clockwise about its
    // corner: upright pixel (u, v) lands on (56 + v, 167 - u).
    plat::Bitmap upright(300, 200);
    {
        plat::BitmapCanvas c(upright);
        c.Font = StripFont();
        c.Font.Escapement = 0;
        c.SetBkMode(plat::TRANSPARENT);
        c.TextOut(0, 0, "30");
    }
    auto darkNear = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Dark(tile.pixel(x + dx, y + dy)))
                    return true;
        return false;
    };
    int ink = 0, matched = 0, mirrored = 0;
    int width = 0;
    for (int v = 0; v < upright.height(); ++v)
        for (int u = 0; u < upright.width(); ++u)
            if (Dark(upright.pixel(u, v)))
                width = std::max(width, u + 1);
    for (int v = 0; v < upright.height(); ++v)
        for (int u = 0; u < upright.width(); ++u) {
            if (!Dark(upright.pixel(u, v)))
                continue;
            ++ink;
            matched += darkNear(56 + v, 167 - u);
            mirrored += darkNear(56 + v, 167 - (width - 1 - u));   // the digits' order turned round
        }
    ASSERT_GT(ink, 100);
    EXPECT_GT(matched, ink * 9 / 10);
    EXPECT_LT(mirrored, ink * 8 / 10);
    // Nothing on the far side of the corner: below it, or left of it.
    EXPECT_EQ(DarkPixels(tile, {56, 170, 200, 224}), 0);
    EXPECT_EQ(DarkPixels(tile, {0, 0, 54, 224}), 0);
}

TEST(StripTiles, RingCellsAreLabelledWhenCoordinatesAreOn)
{
    test::EnsureApplication();
    // Ring cell (1, -1): "   1,-1" reading up from (676, 392); the part
    // below the top strip shows in the notch above row 0.
    const plat::Dib white = outtest::SolidDib(plat::clWhite, 320, 300);
    const plat::TRect notch{627, 224, 826, 398};
    EXPECT_EQ(DarkPixels(Framed(white, false, false).Render(1), notch), 0);
    const plat::Bitmap on = Framed(white, false, true).Render(1);
    EXPECT_GT(DarkPixels(on, {676, 224, 800, 393}), 50);
    EXPECT_EQ(DarkPixels(on, {627, 224, 670, 398}), 0);   // the text runs right of its corner
}

} // namespace
} // namespace tolv
