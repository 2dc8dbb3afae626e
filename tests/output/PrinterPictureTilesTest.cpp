// Picture tiles on a printer: the tile bitmap at 300 dpi whatever the
// printer's resolution, stretched by the device onto the page area.
#include "OutputFixture.h"

#include "output/PrinterPictureTiles.h"
#include "output/PrinterTiles.h"
#include "platform/Canvas.h"
#include "platform/FakePrinter.h"
#include "printing/PSJob.h"

#include <gtest/gtest.h>

#include <optional>

namespace tolv {
namespace {

using outtest::PictureColour;
using outtest::Snapshot;

plat::FakePrinterSetup Sheet(int dpiX, int dpiY, int width, int height, int offX = 0, int offY = 0)
{
    return {"Blatt", plat::SheetGeometry{dpiX, dpiY, width, height, offX, offY, width - 2 * offX,
                                         height - 2 * offY, -1}};
}

// The job as the main window's picture command sets it up.
struct PictureJob {
    explicit PictureJob(const OutputSnapshot& snap) : pages(snap)
    {
        job.SetMarginsUnits(printing::unMillimeters);
        job.SetOptions({printing::joMargins});
        job.SetRelativeCoords(true);
        job.OnUpdate = [this](printing::TCustomPrintJob& j) { pages.Update(j, tile); };
        job.OnPrinterSetupChange = job.OnUpdate;
        job.OnDraw = [this](printing::TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r,
                            printing::TDrawArea area, printing::TDrawTarget) { pages.Draw(c, page, r, area, tile); };
        SetUpTileJob(job, snap.PrintParams);
        job.Update();
        // Without a printer the job fires no update; the window asks the pages itself.
        if (!job.PrinterAvailable())
            pages.Update(job, tile);
    }
    printing::TPrintJob job;
    PrinterPicturePages pages;
    plat::Bitmap tile;
};

TEST(PrinterPictureTiles, TheTileIsRenderedAtThreeHundredDpiWhateverThePrinter)
{
    // Default parameters: hexagon 34.1 mm, margins 5 mm, overlap 8 mm.
    struct Case {
        const char* what;
        std::optional<plat::FakePrinterSetup> printer;   // none: no device
        double sx, sy;
        int bitmapWidth, bitmapHeight;
        int hexWidth, hexHalfHeight;
    };
    const Case cases[] = {
        // A4 at 600 dpi, all printable: the margins rectangle is 4961 - 2 * 118
        // = 4725 by 7016 - 236 = 6780 printer pixels; Round(2362.5) = 2362
        // (half to even), 6780 / 2 = 3390. w = Round(805.51 * 0.5) = 403,
        // r = Round(403 * 0.433) = 174, the PDF export's hexagon.
        {"600 dpi", Sheet(600, 600, 4961, 7016), 0.5, 0.5, 2362, 3390, 403, 174},
        // Unequal axes: across at 600 dpi, down at 300 (the margins 118 and 59).
        {"600 x 300 dpi", Sheet(600, 300, 2400, 1800), 0.5, 1.0, 1082, 1682, 403, 174},
        // Without a device the job works at 300 dpi on a 2000 x 3000 sheet:
        // 2000 - 2 * 59 = 1882 by 3000 - 118 = 2882, unscaled.
        {"no printer", std::nullopt, 1.0, 1.0, 1882, 2882, 403, 174},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::FakePrinter printer(c.printer ? std::vector{*c.printer} : std::vector{Sheet(600, 600, 100, 100)});
        printer.hasDevice = c.printer.has_value();
        plat::ScopedPrinter guard(printer);
        const OutputSnapshot snap = Snapshot(13, 37);
        PictureJob pj(snap);
        const auto& t = pj.pages.Tiles();
        ASSERT_TRUE(t);
        EXPECT_DOUBLE_EQ(t->Sx, c.sx);
        EXPECT_DOUBLE_EQ(t->Sy, c.sy);
        EXPECT_EQ(t->BitmapWidth, c.bitmapWidth);
        EXPECT_EQ(t->BitmapHeight, c.bitmapHeight);
        EXPECT_EQ(t->TileHex.Width, c.hexWidth);
        EXPECT_EQ(t->TileHex.r(), c.hexHalfHeight);
        EXPECT_EQ(pj.tile.width(), c.bitmapWidth);
        EXPECT_EQ(pj.tile.height(), c.bitmapHeight);
        EXPECT_EQ(pj.tile.format(), plat::PixelFormat::pf24bit);
        EXPECT_EQ(pj.job.PageCount(), t->Grid.PageCount());
        EXPECT_EQ(pj.job.Title(), "Tolvaria");
    }
}

TEST(PrinterPictureTiles, TilesStartAtTheRoundedScaledTileSize)
{
    // 600 x 300 dpi: tile 2164 - 189 = 1975 printer pixels across (987.5
    // tile pixels), 1682 - 94 = 1588 down (unscaled).
    plat::FakePrinter printer({Sheet(600, 300, 2400, 1800)});
    plat::ScopedPrinter guard(printer);
    const OutputSnapshot snap = Snapshot(40, 80);
    PictureJob pj(snap);
    const auto& t = pj.pages.Tiles();
    ASSERT_TRUE(t);
    ASSERT_EQ(t->Grid.TileWidth, 1975);
    ASSERT_EQ(t->Grid.TileHeight, 1588);
    const int across = t->Grid.TilesAcross;
    struct Case {
        int page, x0, y0;
    };
    // Round(987.5 * column): 988, 1975, 2962 (987.5, 2962.5 to the even side).
    for (const Case c : {Case{1, 0, 0}, Case{2, 988, 0}, Case{3, 1975, 0}, Case{4, 2962, 0},
                         Case{across + 1, 0, 1588}, Case{2 * across + 2, 988, 3176}}) {
        SCOPED_TRACE(c.page);
        const TilePosition at = t->Tile(c.page);
        EXPECT_EQ(at.X0, c.x0);
        EXPECT_EQ(at.Y0, c.y0);
    }
}

// Page 1 printed on a 600-dpi sheet with offsets: the half-size tile fills
// the margins rectangle, each tile pixel two by two printer pixels.
TEST(PrinterPictureTiles, AtSixHundredDpiTheHalfSizeTileIsStretchedOverThePage)
{
    plat::FakePrinter printer({Sheet(600, 600, 1200, 1600, 30, 20)});
    plat::ScopedPrinter guard(printer);
    OutputSnapshot snap = Snapshot(13, 37, tcLeer);
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            snap.Board[c][r].Terrain = 2 + (c + 2 * r) % 9;
    PictureJob pj(snap);
    const auto& t = pj.pages.Tiles();
    ASSERT_TRUE(t);
    // Margins 118: the rectangle 964 x 1364; the bitmap 482 x 682.
    ASSERT_EQ(t->Grid.BitmapWidth(), 964);
    ASSERT_EQ(t->BitmapWidth, 482);
    ASSERT_EQ(t->BitmapHeight, 682);
    pj.job.PrintRange(1, 1, false);
    ASSERT_EQ(printer.documents.size(), 1u);
    ASSERT_EQ(printer.documents[0].pages.size(), 1u);
    const QImage& page = printer.documents[0].pages[0];
    const int left = 118 - 30, top = 118 - 20;   // the printer's origin is its printable corner
    int wrong = 0;
    for (int y = 0; y < 1364; ++y)
        for (int x = 0; x < 964; ++x) {
            const QRgb p = page.pixel(left + x, top + y);
            const plat::TColor want = pj.tile.pixel(x / 2, y / 2);
            wrong += plat::RGB(qRed(p), qGreen(p), qBlue(p)) != want;
        }
    EXPECT_EQ(wrong, 0);
    // The board's pictures are there, and the margins stay white.
    EXPECT_NE(pj.tile.pixel(241, 341), plat::clWhite);
    EXPECT_EQ(page.pixel(left - 1, top + 100), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(left + 100, top - 1), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(left + 964, top + 100), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(left + 100, top + 1364), qRgb(255, 255, 255));
}

TEST(PrinterPictureTiles, HeaderAndFooterDrawNothingAndThePageKeepsPenAndBrush)
{
    plat::FakePrinter printer({Sheet(600, 600, 1200, 1600)});
    plat::ScopedPrinter guard(printer);
    const OutputSnapshot snap = Snapshot(13, 37);
    PictureJob pj(snap);
    plat::Bitmap sheet(600, 800);
    sheet.fill(plat::RGB(1, 2, 3));
    plat::BitmapCanvas canvas(sheet);
    canvas.Pen.Color = plat::RGB(9, 8, 7);
    canvas.Pen.Width = 5;
    canvas.Brush.Color = plat::RGB(4, 5, 6);
    canvas.Brush.Style = plat::bsClear;
    const plat::TPen pen = canvas.Pen;
    const plat::TBrush brush = canvas.Brush;
    for (printing::TDrawArea area : {printing::daHeader, printing::daFooter}) {
        pj.pages.Draw(canvas, 1, {0, 0, 600, 800}, area, pj.tile);
        EXPECT_EQ(sheet.pixel(300, 400), plat::RGB(1, 2, 3));
    }
    pj.pages.Draw(canvas, 1, {0, 0, 600, 800}, printing::daPage, pj.tile);
    EXPECT_EQ(sheet.pixel(300, 400), PictureColour(tcPampa));
    EXPECT_EQ(canvas.Pen, pen);
    EXPECT_EQ(canvas.Brush, brush);
}

TEST(PrinterPictureTiles, NoTileRoomGivesNoBitmapAlsoAfterAPrinterChange)
{
    // The second printer's sheet is smaller than the margins plus overlap.
    plat::FakePrinter printer({Sheet(600, 600, 1200, 1600), Sheet(600, 600, 400, 400)});
    printer.printers[1].name = "Klein";
    plat::ScopedPrinter guard(printer);
    const OutputSnapshot snap = Snapshot(13, 37);
    PictureJob pj(snap);
    ASSERT_TRUE(pj.pages.Tiles());
    ASSERT_FALSE(pj.tile.empty());

    printer.SetPrinterIndex(1);
    pj.job.Update();
    EXPECT_FALSE(pj.pages.Tiles());
    EXPECT_TRUE(pj.tile.empty());
    EXPECT_EQ(pj.job.PageCount(), 1);
    plat::Bitmap sheet(200, 200);
    plat::BitmapCanvas canvas(sheet);
    pj.pages.Draw(canvas, 1, {0, 0, 200, 200}, printing::daPage, pj.tile);
    EXPECT_TRUE(pj.tile.empty());
    EXPECT_EQ(sheet.pixel(100, 100), plat::clWhite);

    // Back on a sheet with room, the tiles come back.
    printer.SetPrinterIndex(0);
    pj.job.Update();
    EXPECT_TRUE(pj.pages.Tiles());
    EXPECT_EQ(pj.tile.width(), 482);
}

// On a fine printer a hexagon can reach into the tile's right edge while
// its centre lies further out than its width in printer pixels: it is
// drawn all the same, there is no gap along the tile's edge.
TEST(PrinterPictureTiles, AtTwelveHundredDpiHexagonsAtTheTileEdgeAreDrawn)
{
    // Margins 0 at 1200 dpi on a sheet 3800 wide: the bitmap is 950 tile
    // pixels across. Column 3 lies at cx = 3 * 301 + 201 = 1104, its
    // picture from 903 on: it reaches the last 47 columns of the tile,
    // while 1104 printer-scaled (4416) lies beyond 3800 + 403.
    plat::FakePrinter printer({Sheet(1200, 1200, 3800, 4000)});
    plat::ScopedPrinter guard(printer);
    OutputSnapshot snap = Snapshot(13, 37, tcLeer);
    for (int r = 0; r < 37; ++r)
        snap.Board[3][r].Terrain = tcWasser;
    for (int m : {ppMarginTop, ppMarginBottom, ppMarginLeft, ppMarginRight})
        snap.PrintParams[m] = 0;
    PictureJob pj(snap);
    ASSERT_TRUE(pj.pages.Tiles());
    ASSERT_EQ(pj.pages.Tiles()->BitmapWidth, 950);
    plat::Bitmap sheet(100, 100);
    plat::BitmapCanvas canvas(sheet);
    pj.pages.Draw(canvas, 1, {0, 0, 3800, 4000}, printing::daPage, pj.tile);
    // Cell (3, 1): cy = 348.
    EXPECT_EQ(pj.tile.pixel(949, 348), PictureColour(tcWasser));
    EXPECT_EQ(pj.tile.pixel(910, 348), PictureColour(tcWasser));
}

} // namespace
} // namespace tolv
