#include "JobFixture.h"

#include <optional>

using namespace printing;
using plat::TRect;
using tolv::test::JobTest;

namespace {

// The default fake sheet: 600 x 300 dpi, 2400 x 1800 px (4 x 6 in),
// printable from (90, 40), 2250 x 1700 px.
constexpr int SheetW = 2400, SheetH = 1800, PW = 2250, PH = 1700;

} // namespace

TEST_F(JobTest, ConstructionTakesThePrintersSheetAndTheDocumentedDefaults)
{
    EXPECT_EQ(job.PageCount(), 1);
    EXPECT_EQ(job.PageWidth(), SheetW);
    EXPECT_EQ(job.PageHeight(), SheetH);
    EXPECT_EQ(job.MarginsError(), meAutoFix);
    EXPECT_EQ(job.DefaultDrawing(), (TDrawAreas{daHeader, daPage, daFooter}));
    EXPECT_EQ(job.Options(), TJobOptionsSet{});
    EXPECT_EQ(job.Margins(), TMargins{});
    EXPECT_EQ(job.MarginsUnits(), unPixels);
    EXPECT_EQ(job.Orientation(), orDefault);
    EXPECT_EQ(job.PrinterDpiX(), 600);
    EXPECT_EQ(job.PrinterDpiY(), 300);

    int created = 0;
    const auto withHandler = MakePrintJob<TPrintJob>([&](TCustomPrintJob& sender) {
        ++created;
        EXPECT_EQ(sender.PageWidth(), SheetW);   // the page size is there already
    });
    EXPECT_EQ(created, 1);
}

TEST_F(JobTest, PageCountBelowOneBecomesOneAndAnUnchangedValueRunsNoUpdate)
{
    job.SetPageCount(5);
    EXPECT_EQ(updates, 1);
    job.SetPageCount(5);
    EXPECT_EQ(updates, 1);
    for (int v : {0, -3}) {
        job.SetPageCount(v);
        EXPECT_EQ(job.PageCount(), 1);
    }
    EXPECT_EQ(updates, 2);   // 5 -> 1 once, then unchanged
}

TEST_F(JobTest, PageWidthIsTakenOnlyInCustomMode)
{
    job.SetPageWidth(1000);
    EXPECT_EQ(job.PageWidth(), SheetW);
    EXPECT_EQ(updates, 1);

    job.SetPageMode(pmCustom);
    job.SetPageWidth(1000);
    job.SetPageHeight(700);
    EXPECT_EQ(job.PageWidth(), 1000);
    EXPECT_EQ(job.PageHeight(), 700);
    EXPECT_EQ(job.GetPageExtent(), (TRect{0, 0, 1000, 700}));

    job.SetPageMode(pmDefault);
    EXPECT_EQ(job.PageWidth(), SheetW);
    EXPECT_EQ(job.PageHeight(), SheetH);
}

TEST_F(JobTest, PageSizeFollowsPageUnitsOnAnA4Sheet)
{
    // A4 at 600 x 300 dpi: 4961 x 3508 pixels.
    printer.printers = {tolv::test::Setup("A4", {600, 300, 4961, 3508, 0, 0, 4961, 3508, -1})};
    struct Row { TUnits units; double w, h; };
    for (const Row& row : {Row{unMillimeters, 210.02, 297.01}, Row{unPercents, 100, 100},
                           Row{unInches, 8.268, 11.693}, Row{unPixels, 4961, 3508}}) {
        SCOPED_TRACE(row.units);
        job.SetPageUnits(row.units);
        EXPECT_DOUBLE_EQ(job.PageWidth(), row.w);
        EXPECT_DOUBLE_EQ(job.PageHeight(), row.h);
        // Back in pixels, the extent is the sheet again.
        EXPECT_EQ(job.GetPageExtent(), (TRect{0, 0, 4961, 3508}));
    }
}

TEST_F(JobTest, ConvertUnitsRoundsHalfToEvenAtTheTargetsPrecision)
{
    struct Row { TUnits from, to; double value; bool vertical; double base; double expected; };
    const Row rows[] = {
        // Equal units still round.
        {unPixels, unPixels, 12.5, false, 0, 12},
        {unPixels, unPixels, 13.5, false, 0, 14},
        {unPixels, unPixels, 2.5, false, 0, 2},
        {unMillimeters, unMillimeters, 1.234, false, 0, 1.23},
        {unPercents, unPercents, 0.12345, false, 0, 0.123},
        // Each axis has its own resolution.
        {unMillimeters, unPixels, 25.4, false, 0, 600},
        {unMillimeters, unPixels, 25.4, true, 0, 300},
        {unInches, unPixels, 1.5, true, 0, 450},
        {unPixels, unMillimeters, 600, false, 0, 25.4},
        {unPixels, unMillimeters, 600, true, 0, 50.8},
        {unPixels, unInches, 100, false, 0, 0.167},
        // Percentages of the base in pixels.
        {unPercents, unPixels, 50, false, 2000, 1000},
        {unPercents, unPixels, 10, true, 3000, 300},
        {unPixels, unPercents, 300, true, 1200, 25},
        {unMillimeters, unPercents, 25.4, false, 1200, 50},
        {unPixels, unPercents, 300, false, 0, 0},   // no base, no percentage
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.from << " -> " << r.to << " " << r.value);
        EXPECT_DOUBLE_EQ(job.ConvertUnits(r.from, r.to, r.value, r.vertical, r.base), r.expected);
    }
    EXPECT_DOUBLE_EQ(job.MmToPixels(true, 1), 300 / 25.4);   // not rounded
    EXPECT_DOUBLE_EQ(job.PixelsToMm(false, 1), 25.4 / 600);
}

TEST_F(JobTest, MarginsRectangleConvertsACopyOfTheMarginsPerAxis)
{
    job.SetMarginsError(meNone);
    job.SetMarginsUnits(unMillimeters);
    job.Margins() = {10, 10, 5, 20};
    EXPECT_EQ(job.GetMarginsRect(), (TRect{0, 0, SheetW, SheetH}));   // joMargins off
    job.SetOptions({joMargins});
    // 10 mm = 236.22 px across, 118.11 down; 5 mm = 118.11 across; 20 mm = 236.22 down.
    EXPECT_EQ(job.GetMarginsRect(), (TRect{236, 118, SheetW - 118, SheetH - 236}));
    EXPECT_EQ(job.Margins(), (TMargins{10, 10, 5, 20}));

    job.SetMarginsUnits(unPercents);
    job.Margins() = {10, 5, 10, 5};
    EXPECT_EQ(job.GetMarginsRect(), (TRect{240, 90, SheetW - 240, SheetH - 90}));
}

TEST_F(JobTest, HeaderAndFooterBandsSplitTheMarginsRectangle)
{
    job.SetMarginsError(meNone);
    // Without their options the bands are empty and the page is the margins rectangle.
    job.SetHeader(100);
    job.SetFooter(50);
    EXPECT_EQ(job.GetHeaderRect(), TRect{});
    EXPECT_EQ(job.GetFooterRect(), TRect{});
    EXPECT_EQ(job.GetPageRect(), job.GetMarginsRect());

    // A margins rectangle 3000 px high: a header of 10 % is 300 px.
    job.SetPageMode(pmCustom);
    job.SetPageWidth(2000);
    job.SetPageHeight(3100);
    job.SetMarginsUnits(unPixels);
    job.Margins() = {100, 50, 100, 50};
    job.SetOptions({joMargins, joHeader, joFooter});
    job.SetHeaderUnits(unPercents);
    job.SetHeader(10);
    job.SetFooterUnits(unMillimeters);
    job.SetFooter(25.4);   // 300 px down at 300 dpi
    EXPECT_EQ(job.GetMarginsRect(), (TRect{100, 50, 1900, 3050}));
    EXPECT_EQ(job.GetHeaderRect(), (TRect{100, 50, 1900, 350}));
    EXPECT_EQ(job.GetFooterRect(), (TRect{100, 2750, 1900, 3050}));
    EXPECT_EQ(job.GetPageRect(), (TRect{100, 350, 1900, 2750}));
}

TEST_F(JobTest, PrintableRectangleIsCutToTheUnshiftedPrintableExtent)
{
    job.SetMarginsError(meNone);
    job.SetOptions({joMargins});
    EXPECT_EQ(job.GetPrintableExtent(), (TRect{0, 0, PW, PH}));
    // The whole sheet: its right and bottom edges lie beyond HORZRES and
    // VERTRES counted from the sheet's corner, the left and top stay at 0.
    EXPECT_EQ(job.GetPrintablePageRect(), (TRect{0, 0, PW, PH}));
    job.Margins() = {200, 100, 100, 50};
    EXPECT_EQ(job.GetPrintablePageRect(), (TRect{200, 100, PW, PH}));
    job.Margins() = {200, 100, 300, 200};
    EXPECT_EQ(job.GetPrintablePageRect(), (TRect{200, 100, SheetW - 300, SheetH - 200}));
}

TEST_F(JobTest, OrientationTurnsThePrinterAndTheSheet)
{
    job.SetOrientation(orLandscape);
    EXPECT_EQ(printer.Orientation(), plat::TPrinterOrientation::poLandscape);
    EXPECT_EQ(updates, 1);
    // Landscape: 1800 px across at 300 dpi, 2400 down at 600 dpi.
    EXPECT_EQ(job.PageWidth(), SheetH);
    EXPECT_EQ(job.PageHeight(), SheetW);
    EXPECT_EQ(job.PrinterDpiX(), 300);
    EXPECT_EQ(job.PrinterDpiY(), 600);
    // orDefault leaves the printer as it is.
    job.SetOrientation(orDefault);
    EXPECT_EQ(printer.Orientation(), plat::TPrinterOrientation::poLandscape);
    printer.SetOrientation(plat::TPrinterOrientation::poPortrait);
    job.UpdatePageSize();
    EXPECT_EQ(job.PageWidth(), SheetW);
    // While a document is open the printer's orientation stays.
    job.SetOrientation(orLandscape);
    printer.SetOrientation(plat::TPrinterOrientation::poPortrait);
    ASSERT_TRUE(printer.BeginDoc());
    printer.log.clear();
    EXPECT_NO_THROW(job.UpdatePageSize());
    EXPECT_TRUE(printer.log.empty());
    printer.EndDoc();
}

// The Part's "no printer": the printer without a device, with an empty
// list, one that fails to answer, and none installed at all.
class NoPrinterTest : public ::testing::TestWithParam<int> {};

TEST_P(NoPrinterTest, FallbackSheetWithoutStoringItOverACustomSize)
{
    plat::FakePrinter printer;
    switch (GetParam()) {
    case 0: printer.hasDevice = false; break;
    case 1: printer.printers.clear(); break;
    case 2: printer.throwOnHasDevice = true; break;
    }
    std::optional<plat::ScopedPrinter> guard;
    if (GetParam() != 3)
        guard.emplace(printer);
    plat::ScopedScriptedDialogs dialogs;

    TPrintJob job;
    int updates = 0;
    job.OnUpdate = [&](TCustomPrintJob&) { ++updates; };
    EXPECT_FALSE(job.PrinterAvailable());
    EXPECT_EQ(job.PrinterDpiX(), 300);
    EXPECT_EQ(job.PrinterDpiY(), 300);
    EXPECT_EQ(job.PhysicalPageWidth(), 2000);
    EXPECT_EQ(job.PhysicalPageHeight(), 3000);
    EXPECT_EQ(job.PageWidth(), 2000);
    EXPECT_EQ(job.PageHeight(), 3000);
    EXPECT_EQ(job.GetPageExtent(), (TRect{0, 0, 2000, 3000}));
    EXPECT_EQ(job.GetPrintableExtent(), (TRect{0, 0, 2000, 3000}));

    // A custom size survives being asked for the geometry.
    job.SetPageMode(pmCustom);
    job.SetPageWidth(1234);
    job.SetPageHeight(567);
    EXPECT_EQ(job.GetPageExtent(), (TRect{0, 0, 2000, 3000}));
    job.UpdatePageSize();
    EXPECT_EQ(job.PageWidth(), 1234);
    EXPECT_EQ(job.PageHeight(), 567);

    // Nothing is checked and no update reaches anyone.
    job.SetOptions({joMargins});
    job.SetMarginsError(meException);
    job.Margins() = {-50, -50, -50, -50};
    EXPECT_NO_THROW(job.Update());
    EXPECT_EQ(updates, 0);
    EXPECT_TRUE(dialogs.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Causes, NoPrinterTest, ::testing::Values(0, 1, 2, 3));
