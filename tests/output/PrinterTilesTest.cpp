// The printer outputs' job set-up and grid, and the draft walk both draft
// outputs draw from.
#include "OutputFixture.h"

#include "output/DraftTiles.h"
#include "output/PrinterTiles.h"
#include "platform/FakePrinter.h"
#include "printing/PSJob.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace tolv {
namespace {

using outtest::Snapshot;
using outtest::WholeSheetA4;

struct JobGridCase {
    int tileMode;
    int across, down;
};

TEST(PrinterTiles, FortyByEightyOnAWholeSheetA4)
{
    // Default print parameters: hexagon 34.1 mm, margins 5 mm, overlap 8 mm.
    // At 600 dpi: w = Round(34.1 * 600 / 25.4) = Round(805.5) = 806,
    // q = 201, h = 403, p = 604, r = Round(806 * 0.433) = Round(348.998) = 349,
    // ox = oy = Round(8 * 600 / 25.4) = Round(188.98) = 189.
    // Board: B = 40 * 604 + 201 = 24361, H = Ceil(81 * 349) = 28269.
    // Margins 5 mm = 118 px: printable 4961 - 236 = 4725 by 7016 - 236 = 6780.
    // Portrait: tile 4536 x 6591, across Ceil(24172 / 4536) = Ceil(5.33) = 6,
    //   down Ceil(28080 / 6591) = Ceil(4.26) = 5: 30 pages.
    // Landscape: tile 6591 x 4536, across Ceil(24172 / 6591) = Ceil(3.67) = 4,
    //   down Ceil(28080 / 4536) = Ceil(6.19) = 7: 28 pages.
    const JobGridCase cases[] = {{0, 6, 5}, {1, 4, 7}};
    for (const JobGridCase& c : cases) {
        SCOPED_TRACE(c.tileMode);
        plat::FakePrinter printer({WholeSheetA4()});
        plat::ScopedPrinter guard(printer);
        printing::TPrintJob job;
        job.SetMarginsUnits(printing::unMillimeters);
        job.SetOptions({printing::joMargins});
        OutputSnapshot snap = Snapshot(40, 80);
        snap.PrintParams[ppTileMode] = c.tileMode;
        SetUpTileJob(job, snap.PrintParams);
        job.Update();
        const auto grid = JobTileGrid(job, snap.PrintParams, snap.Map);
        ASSERT_TRUE(grid);
        EXPECT_EQ(grid->Hex.Width, 806);
        EXPECT_EQ(grid->Hex.r(), 349);
        EXPECT_EQ(grid->Board.Width, 24361);
        EXPECT_EQ(grid->Board.Height, 28269);
        EXPECT_EQ(grid->TilesAcross, c.across);
        EXPECT_EQ(grid->TilesDown, c.down);
    }
}

TEST(PrinterTiles, MarginsTurnWithThePageInWholeMillimetres)
{
    plat::FakePrinter printer({WholeSheetA4()});
    plat::ScopedPrinter guard(printer);
    printing::TPrintJob job;
    job.SetMarginsUnits(printing::unMillimeters);
    PrintParamArray p = DefaultPrintParams();
    p[ppMarginTop] = 10;
    p[ppMarginBottom] = 20;
    p[ppMarginLeft] = 55;
    p[ppMarginRight] = 40;
    p[ppTileMode] = 1;
    SetUpTileJob(job, p);
    EXPECT_EQ(job.Orientation(), printing::orLandscape);
    EXPECT_EQ(job.Margins(), (printing::TMargins{1, 4, 2, 5}));
    p[ppTileMode] = 0;
    SetUpTileJob(job, p);
    EXPECT_EQ(job.Orientation(), printing::orPortrait);
    EXPECT_EQ(job.Margins(), (printing::TMargins{5, 1, 4, 2}));
}

TEST(PrinterTiles, NoGridWhenMarginsAndOverlapFillThePage)
{
    plat::FakePrinter printer({WholeSheetA4()});
    plat::ScopedPrinter guard(printer);
    printing::TPrintJob job;
    job.SetMarginsUnits(printing::unMillimeters);
    job.SetMarginsError(printing::meNone);
    job.SetOptions({printing::joMargins});
    OutputSnapshot snap = Snapshot(13, 37);
    snap.PrintParams[ppMarginLeft] = 1000;   // 100 mm + 105 mm + 8 mm overlap > 210 mm
    snap.PrintParams[ppMarginRight] = 1050;
    SetUpTileJob(job, snap.PrintParams);
    job.Update();
    EXPECT_FALSE(JobTileGrid(job, snap.PrintParams, snap.Map));
}

TEST(DraftTiles, FillColourNeverReadsPastTheTable)
{
    OutputSnapshot snap = Snapshot(3, 3);
    for (int i = 1; i <= 11; ++i)
        snap.ColorTable[std::size_t(i)] = plat::TColor(0x100 * i);
    const std::pair<TerrainCode, plat::TColor> cases[] = {
        {tcLeer, 0x100},  {tcWald, 0x400},  {tcWasser, 0xA00}, {11, 0xB00},
        {0, 0x200},       {12, 0x200},      {-7, 0x200},       {1 << 30, 0x200},
    };
    for (const auto& [terrain, colour] : cases)
        EXPECT_EQ(DraftFillColour(snap, terrain), colour) << terrain;
}

std::set<std::pair<int, int>> DrawnCells(const OutputSnapshot& snap, const OutputHex& hex, int x0, int y0,
                                         const std::optional<plat::TRect>& reach)
{
    std::set<std::pair<int, int>> cells;
    ForEachDraftHex(snap, hex, 0, 0, x0, y0, reach, 2, [&](const DraftHex& d) {
        EXPECT_EQ(d.Corners[0], d.Corners[6]);
        EXPECT_EQ(d.Corners[0], (plat::TPoint{d.Centre.X - hex.h(), d.Centre.Y}));
        cells.insert({d.Col, d.Row});
    });
    return cells;
}

TEST(DraftTiles, EveryCellButLeerAndOnlyThoseThatReachThePage)
{
    const OutputHex hex = MakeOutputHex(806, 806);
    OutputSnapshot leer = Snapshot(13, 37, tcLeer);
    EXPECT_TRUE(DrawnCells(leer, hex, 0, 0, std::nullopt).empty());

    OutputSnapshot snap = Snapshot(13, 37, tcWald, true);
    snap.Board[2][1].Terrain = tcLeer;
    const auto all = DrawnCells(snap, hex, 0, 0, std::nullopt);
    EXPECT_EQ(all.size(), std::size_t((13 * 37 - 1) / 2 - 1));   // the odd cells, one of them leer
    EXPECT_FALSE(all.count({2, 1}));
    EXPECT_TRUE(all.count({1, 0}));

    // A page 2000 x 3000 at (4000, 5000) of the board: a cell is left out
    // exactly when its rectangle, grown by the pen, misses the page.
    const plat::TRect page{0, 0, 2000, 3000};
    const auto reached = DrawnCells(snap, hex, 4000, 5000, page);
    for (const auto& [col, row] : all) {
        const plat::TRect box = HexPictureRect(hex, HexCentreOnTile(hex, col, row, 4000, 5000));
        const bool misses = box.Right + 2 <= page.Left || box.Left - 2 >= page.Right
                            || box.Bottom + 2 <= page.Top || box.Top - 2 >= page.Bottom;
        EXPECT_EQ(reached.count({col, row}) == 0, misses) << col << ',' << row;
    }
    EXPECT_FALSE(reached.empty());
}

} // namespace
} // namespace tolv
