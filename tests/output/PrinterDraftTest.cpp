// Draft tiles on the printer: the grid a printer command keeps on the tile
// job and its overview, and a tile page drawn on a canvas.
#include "OutputFixture.h"

#include "output/PrinterDraft.h"
#include "output/PrinterTiles.h"
#include "platform/Canvas.h"
#include "platform/FakePrinter.h"
#include "printing/PJDraft.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tolv {
namespace {

using outtest::Snapshot;
using outtest::WholeSheetA4;

// The tile job and its overview as the main window sets them up.
struct DraftJobs {
    printing::TPrintJob tiles;
    printing::TDraftPrintJob overview;
    PrinterDraftTiles draft;
    int news = 0;

    DraftJobs()
    {
        tiles.SetMarginsUnits(printing::unMillimeters);
        tiles.SetMarginsError(printing::meNone);
        tiles.SetOptions({printing::joMargins});
        tiles.SetRelativeCoords(true);
        overview.SetPrintJob(&tiles);
        overview.SetScale(3);
        auto update = [this](printing::TCustomPrintJob&) { news += draft.Update(tiles, overview); };
        tiles.OnUpdate = update;
        overview.OnUpdate = update;
    }
    void Run(const OutputSnapshot& snap)
    {
        draft.Start(snap);
        SetUpTileJob(tiles, snap.PrintParams);
        tiles.Update();
    }
};

TEST(PrinterDraft, PagesAndOverviewScaleFollowTheTilesAcross)
{
    // At 600 dpi with the default print parameters: p = 604, q = 201,
    // r = 349, overlap 189, tile 4536 x 6591 (PrinterTilesTest works these out).
    // 15 columns: B - ox = 15 * 604 + 201 - 189 = 9072 = 2 * 4536, two across;
    // 16 columns: 9676, three. 10 rows: 11 * 349 - 189 = 3650, one down.
    // A board narrower and lower than a 40 mm overlap (945 px) lies on one tile.
    struct Case {
        int cols, rows, overlap;
        int across, down, scale, sheets;
    };
    const Case cases[] = {
        {5, 5, 80, 1, 1, 2, 1},     {15, 10, 80, 2, 1, 2, 1},  {16, 10, 80, 3, 1, 3, 1},
        {40, 80, 80, 6, 5, 3, 4},   {1, 1, 400, 1, 1, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << " x " << c.rows << ", overlap " << c.overlap);
        plat::FakePrinter printer({WholeSheetA4()});
        plat::ScopedPrinter guard(printer);
        DraftJobs jobs;
        OutputSnapshot snap = Snapshot(c.cols, c.rows);
        snap.PrintParams[ppOverlap] = c.overlap;
        jobs.Run(snap);
        ASSERT_TRUE(jobs.draft.Grid());
        EXPECT_EQ(jobs.draft.Grid()->TilesAcross, c.across);
        EXPECT_EQ(jobs.draft.Grid()->TilesDown, c.down);
        EXPECT_EQ(jobs.tiles.PageCount(), c.across * c.down);
        EXPECT_EQ(jobs.tiles.Title(), "Tolvaria");
        EXPECT_EQ(jobs.overview.Scale(), c.scale);
        // The overview caught the final page count, not the one before.
        EXPECT_EQ(jobs.overview.PageCount(), c.sheets);
        EXPECT_EQ(jobs.news, 0);
    }
}

TEST(PrinterDraft, APrinterWithoutRoomForATileGivesOneEmptyPageAndTellsItOnce)
{
    plat::FakePrinter printer({WholeSheetA4(), WholeSheetA4()});
    plat::ScopedPrinter guard(printer);
    DraftJobs jobs;
    OutputSnapshot snap = Snapshot(40, 80, tcWald);
    jobs.Run(snap);
    ASSERT_TRUE(jobs.draft.Grid());
    EXPECT_EQ(jobs.tiles.PageCount(), 30);

    // The second printer's sheet, 12.7 mm across, is narrower than the
    // margins (5 + 5 mm) plus the overlap (8 mm).
    printer.printers[1].sheet = plat::SheetGeometry{600, 600, 300, 7016, 0, 0, 300, 7016, -1};
    printer.SetPrinterIndex(1);
    jobs.tiles.Update();
    jobs.tiles.Update();
    EXPECT_FALSE(jobs.draft.Grid());
    EXPECT_EQ(jobs.tiles.PageCount(), 1);
    EXPECT_EQ(jobs.overview.Scale(), 2);
    EXPECT_EQ(jobs.news, 1);

    plat::Bitmap page(200, 200);
    page.fill(plat::clWhite);
    plat::BitmapCanvas canvas(page);
    jobs.draft.DrawPage(canvas, 1, {0, 0, 200, 200});
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(page.pixel(x, y), plat::clWhite) << x << ',' << y;

    // Room again, and gone again: told again.
    printer.SetPrinterIndex(0);
    jobs.tiles.Update();
    EXPECT_EQ(jobs.tiles.PageCount(), 30);
    printer.SetPrinterIndex(1);
    jobs.tiles.Update();
    EXPECT_EQ(jobs.news, 2);
}

// Drawing: small hexagons (w = v = 40: q 10, h 20, p 30, r 17) on tiles of
// 100 x 80 with an overlap of 10, so the numbers stay easy to follow.
class DraftPage : public ::testing::Test {
protected:
    DraftPage() : snap(Snapshot(9, 9, tcLeer))
    {
        test::EnsureApplication();   // the labels need the font system
        for (int i = 1; i <= 11; ++i)
            snap.ColorTable[std::size_t(i)] = plat::RGB(20 * i, 255 - 20 * i, 7 * i);
        snap.PrintParams[ppShowCoords] = 0;
        const OutputHex hex = MakeOutputHex(40, 40);
        grid = *MakeTileGrid(hex, 10, 10, BoardExtentOf(hex, 9, 9), 100, 80);
        page.fill(plat::clWhite);
    }
    // Draws `pageNo` into the area (20, 10)-(130, 100) of a 160 x 120 bitmap.
    void Draw(int pageNo, int pen = 1)
    {
        plat::BitmapCanvas canvas(page);
        DrawDraftPage(canvas, snap, grid, pen, pageNo, area);
    }
    plat::TPoint Centre(int col, int row, int pageNo) const
    {
        const TilePosition at = grid.Tile(pageNo);
        const plat::TPoint c = HexCentreOnTile(grid.Hex, col, row, at.X0, at.Y0);
        return {c.X + area.Left, c.Y + area.Top};
    }
    plat::TColor At(plat::TPoint c, int dx = 0, int dy = 0) const { return page.pixel(c.X + dx, c.Y + dy); }
    bool AllWhite() const
    {
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixel(x, y) != plat::clWhite)
                    return false;
        return true;
    }

    OutputSnapshot snap;
    TileGrid grid;
    const plat::TRect area{20, 10, 130, 100};
    plat::Bitmap page{160, 120};
};

TEST_F(DraftPage, HexagonsInTheirTerrainColoursOutlinedInTheGridColour)
{
    // Codes outside the table's terrains fill in Pampa's colour.
    const std::pair<TerrainCode, plat::TColor> cells[] = {
        {tcWald, snap.ColorTable[tcWald]}, {tcWasser, snap.ColorTable[tcWasser]},
        {0, snap.ColorTable[tcPampa]},     {12, snap.ColorTable[tcPampa]},
        {-3, snap.ColorTable[tcPampa]},    {11, snap.ColorTable[11]},
    };
    // Cells (0, 0), (2, 0), (1, 1), (0, 2), (2, 2), (1, 3): all on page 1.
    const std::pair<int, int> where[] = {{0, 0}, {2, 0}, {1, 1}, {0, 2}, {2, 2}, {1, 3}};
    for (std::size_t i = 0; i < std::size(cells); ++i)
        snap.Board[std::size_t(where[i].first)][std::size_t(where[i].second)].Terrain = cells[i].first;
    Draw(1, 3);
    for (std::size_t i = 0; i < std::size(cells); ++i) {
        const plat::TPoint c = Centre(where[i].first, where[i].second, 1);
        SCOPED_TRACE(testing::Message() << "cell " << where[i].first << ',' << where[i].second);
        EXPECT_EQ(At(c), cells[i].second);
        // The left corner lies on the outline.
        EXPECT_EQ(At(c, -grid.Hex.h() + 1), snap.ColorTable[11]);
    }
    // Cell (3, 1) is leer: white.
    EXPECT_EQ(At(Centre(3, 1, 1)), plat::clWhite);
}

TEST_F(DraftPage, ATilePageShowsItsPartOfTheBoardAndNothingOutsideItsArea)
{
    for (auto& column : snap.Board)
        for (TerrainCell& cell : column)
            cell.Terrain = tcWiese;
    ASSERT_GE(grid.TilesAcross, 2);
    // Page 2 is the second tile of the first row: the board from x = 100.
    Draw(2);
    const plat::TPoint c = Centre(4, 2, 2);   // cx = 4 * 30 + 20 - 100 = 40
    EXPECT_EQ(c.X, 40 + area.Left);
    EXPECT_EQ(At(c), snap.ColorTable[tcWiese]);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const bool inside = x >= area.Left && x < area.Right && y >= area.Top && y < area.Bottom;
            if (!inside) {
                ASSERT_EQ(page.pixel(x, y), plat::clWhite) << x << ',' << y;
            }
        }
    }
}

TEST_F(DraftPage, CoordinatesOnlyOnDrawnCells)
{
    snap.PrintParams[ppShowCoords] = 1;
    // All leer: nothing at all, not even the labels.
    Draw(1);
    EXPECT_TRUE(AllWhite());

    snap.Board[2][2].Terrain = tcMoor;
    Draw(1);
    const plat::TPoint c = Centre(2, 2, 1);
    int label = 0;
    for (int y = c.Y; y < c.Y + grid.Hex.r(); ++y)
        for (int x = c.X; x < c.X + grid.Hex.q(); ++x)
            label += page.pixel(x, y) != snap.ColorTable[tcMoor];
    EXPECT_GT(label, 0);
    // The label's background is left alone: the fill shows left of it.
    EXPECT_EQ(At(c, -2), snap.ColorTable[tcMoor]);
}

TEST_F(DraftPage, TheCanvasIsAsBeforeAfterwards)
{
    snap.Board[1][1].Terrain = tcFels;
    snap.PrintParams[ppShowCoords] = 1;
    plat::BitmapCanvas canvas(page);
    canvas.Pen = plat::TPen{plat::clRed, 5, plat::psDot};
    canvas.Brush = plat::TBrush{plat::clBlue, plat::bsClear};
    canvas.SetBkMode(plat::OPAQUE);
    canvas.IntersectClipRect({0, 0, 150, 110});
    const plat::TClip clip = canvas.GetClip();
    DrawDraftPage(canvas, snap, grid, 2, 1, area);
    EXPECT_EQ(canvas.Pen, (plat::TPen{plat::clRed, 5, plat::psDot}));
    EXPECT_EQ(canvas.Brush, (plat::TBrush{plat::clBlue, plat::bsClear}));
    EXPECT_EQ(canvas.BkMode(), plat::OPAQUE);
    ASSERT_TRUE(canvas.GetClip().region);
    EXPECT_EQ(*canvas.GetClip().region, *clip.region);
}

TEST_F(DraftPage, PagesTheGridDoesNotHoldDrawNothing)
{
    for (auto& column : snap.Board)
        for (TerrainCell& cell : column)
            cell.Terrain = tcBerg;
    for (int pageNo : {0, -1, grid.PageCount() + 1}) {
        Draw(pageNo);
        EXPECT_TRUE(AllWhite()) << pageNo;
    }
    grid.TilesAcross = 0;
    Draw(1);
    EXPECT_TRUE(AllWhite());
}

} // namespace
} // namespace tolv
