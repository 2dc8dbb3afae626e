// The page geometry as values: printer capabilities and page settings in,
// rectangles, sheet sizes and the margins check's findings out.
#include "JobFixture.h"

#include "printing/PageGeometry.h"

namespace printing {
inline std::ostream& operator<<(std::ostream& os, const MarginSides& s)
{
    return os << (s.Left ? 'L' : '-') << (s.Top ? 'T' : '-') << (s.Right ? 'R' : '-') << (s.Bottom ? 'B' : '-');
}
} // namespace printing

using namespace printing;
using plat::SheetGeometry;
using plat::TRect;

namespace {

// The fake printer's default sheet: 600 x 300 dpi, 2400 x 1800 px,
// printable from (90, 40), 2250 x 1700 px.
constexpr SheetGeometry Fake{600, 300, 2400, 1800, 90, 40, 2250, 1700, -1};
// A4 at 600 x 300 dpi, printable all over.
constexpr SheetGeometry A4{600, 300, 4961, 3508, 0, 0, 4961, 3508, -1};

// The printer's sheet as the page in pixels, no options.
PageSettings SheetPage(const SheetGeometry& sheet)
{
    PageSettings p;
    p.PageWidth = sheet.width;
    p.PageHeight = sheet.height;
    return p;
}

PageSettings WithMargins(PageSettings p, TUnits units, TMargins m)
{
    p.MarginsUnits = units;
    p.Margins = m;
    p.Options = p.Options.With(joMargins);
    return p;
}

PageSettings CustomWithBands()
{
    PageSettings p = WithMargins({}, unPixels, {100, 50, 100, 50});
    p.PageWidth = 2000;
    p.PageHeight = 3100;
    p.Options = {joMargins, joHeader, joFooter};
    p.HeaderUnits = unPercents;
    p.Header = 10;
    p.FooterUnits = unMillimeters;
    p.Footer = 25.4;   // 300 px down at 300 dpi
    return p;
}

PageSettings InMillimetres(const SheetGeometry& sheet, double w, double h)
{
    PageSettings p = SheetPage(sheet);
    p.PageUnits = unMillimeters;
    p.PageWidth = w;
    p.PageHeight = h;
    return p;
}

} // namespace

TEST(PageRects, TheRectanglesOfAPageFromThePrinterAndTheSettings)
{
    struct Row {
        const char* what;
        PrinterCaps caps;
        PageSettings page;
        PageRects expected;   // extent, printable, margins, header, page, footer, printable page
    };
    const Row rows[] = {
        // The sheet's right and bottom edges lie beyond HORZRES and VERTRES
        // counted from its corner: the printable page ends there.
        {"whole sheet", {true, Fake}, SheetPage(Fake),
         {{0, 0, 2400, 1800}, {0, 0, 2250, 1700}, {0, 0, 2400, 1800}, {}, {0, 0, 2400, 1800}, {},
          {0, 0, 2250, 1700}}},
        // 10 mm = 236.22 px across, 118.11 down; 5 mm = 118.11 across; 20 mm = 236.22 down.
        {"margins in mm, each axis at its resolution", {true, Fake},
         WithMargins(SheetPage(Fake), unMillimeters, {10, 10, 5, 20}),
         {{0, 0, 2400, 1800}, {0, 0, 2250, 1700}, {236, 118, 2282, 1564}, {}, {236, 118, 2282, 1564}, {},
          {236, 118, 2250, 1564}}},
        {"margins in percent of the page", {true, Fake}, WithMargins(SheetPage(Fake), unPercents, {10, 5, 10, 5}),
         {{0, 0, 2400, 1800}, {0, 0, 2250, 1700}, {240, 90, 2160, 1710}, {}, {240, 90, 2160, 1710}, {},
          {240, 90, 2160, 1700}}},
        // A margins rectangle 3000 px high: a header of 10 % is 300 px.
        {"header and footer bands", {true, Fake}, CustomWithBands(),
         {{0, 0, 2000, 3100}, {0, 0, 2250, 1700}, {100, 50, 1900, 3050}, {100, 50, 1900, 350},
          {100, 350, 1900, 2750}, {100, 2750, 1900, 3050}, {100, 350, 1900, 1700}}},
        {"A4 kept in millimetres", {true, A4}, InMillimetres(A4, 210.02, 297.01),
         {{0, 0, 4961, 3508}, {0, 0, 4961, 3508}, {0, 0, 4961, 3508}, {}, {0, 0, 4961, 3508}, {},
          {0, 0, 4961, 3508}}},
        // Without a printer the fallback sheet, whatever size the settings keep.
        {"no printer", {}, WithMargins(InMillimetres(A4, 12.34, 5.67), unPixels, {100, 100, 100, 100}),
         {{0, 0, 2000, 3000}, {0, 0, 2000, 3000}, {100, 100, 1900, 2900}, {}, {100, 100, 1900, 2900}, {},
          {100, 100, 1900, 2900}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const PageRects got = ComputePageRects(r.caps, r.page);
        EXPECT_EQ(got.PageExtent, r.expected.PageExtent);
        EXPECT_EQ(got.PrintableExtent, r.expected.PrintableExtent);
        EXPECT_EQ(got.MarginsRect, r.expected.MarginsRect);
        EXPECT_EQ(got.HeaderRect, r.expected.HeaderRect);
        EXPECT_EQ(got.PageRect, r.expected.PageRect);
        EXPECT_EQ(got.FooterRect, r.expected.FooterRect);
        EXPECT_EQ(got.PrintablePageRect, r.expected.PrintablePageRect);
    }
}

TEST(PageRects, TheSheetInThePageUnit)
{
    struct Row { PrinterCaps caps; TUnits units; SheetSize expected; };
    const Row rows[] = {
        {{true, A4}, unMillimeters, {210.02, 297.01}},
        {{true, A4}, unPercents, {100, 100}},
        {{true, A4}, unInches, {8.268, 11.693}},
        {{true, A4}, unPixels, {4961, 3508}},
        {{}, unPixels, {2000, 3000}},
        {{}, unMillimeters, {169.33, 254}},   // the fallback sheet at 300 dpi
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.caps.available << " " << r.units);
        const SheetSize got = SheetSizeIn(r.caps, r.units);
        EXPECT_DOUBLE_EQ(got.Width, r.expected.Width);
        EXPECT_DOUBLE_EQ(got.Height, r.expected.Height);
    }
}

TEST(PageRects, TheMarginsOutsideThePrintableAreaAndTheirFix)
{
    // 2400 dpi with a 13 px border all round: 13 px = 0.00542 in, which
    // rounds to 0.005 in = 12 px, inside the border again.
    constexpr SheetGeometry Fine{2400, 2400, 19200, 26400, 13, 13, 19174, 26374, -1};
    struct Row {
        const char* what;
        SheetGeometry sheet;
        TUnits units;
        TMargins margins;
        MarginSides out;
        TMargins fixed;
    };
    // The fake sheet's borders: left 90, top 40, right and bottom 60 px.
    const Row rows[] = {
        {"on the edge is inside", Fake, unPixels, {90, 40, 60, 60}, {}, {90, 40, 60, 60}},
        {"left", Fake, unPixels, {89, 40, 60, 60}, {true, false, false, false}, {90, 40, 60, 60}},
        {"top", Fake, unPixels, {90, 39, 60, 60}, {false, true, false, false}, {90, 40, 60, 60}},
        {"right", Fake, unPixels, {90, 40, 59, 60}, {false, false, true, false}, {90, 40, 60, 60}},
        {"bottom", Fake, unPixels, {90, 40, 60, 59}, {false, false, false, true}, {90, 40, 60, 60}},
        {"all", Fake, unPixels, {}, {true, true, true, true}, {90, 40, 60, 60}},
        // 1 mm down is 11.8 px < 40; 40 px at 300 dpi is 3.387 mm, fixed up to 3.39.
        {"only the side that is out", Fake, unMillimeters, {5, 1, 5, 10}, {false, true, false, false},
         {5, 3.39, 5, 10}},
        {"rounded toward the printable side", Fine, unInches, {}, {true, true, true, true},
         {0.006, 0.006, 0.006, 0.006}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const PrinterCaps caps{true, r.sheet};
        PageSettings page = WithMargins(SheetPage(r.sheet), r.units, r.margins);
        EXPECT_EQ(SidesOutside(caps, page), r.out);
        page.Margins = FixedMargins(caps, page, r.out);
        EXPECT_EQ(page.Margins, r.fixed);
        EXPECT_EQ(SidesOutside(caps, page), MarginSides{});
    }
}
