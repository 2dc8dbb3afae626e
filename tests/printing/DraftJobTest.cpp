#include "JobFixture.h"
#include "PageImage.h"

#include "printing/PJDraft.h"

#include <memory>
#include <stdexcept>
#include <vector>

using namespace printing;
using plat::TColor;
using plat::TRect;
using tolv::test::ColourAt;
using tolv::test::RenderPage;

namespace {

// The default fake sheet: 2400 x 1800 px, printable from (90, 40),
// 2250 x 1700 px.
constexpr int OX = 90, OY = 40;

// One colour per source page, none of them white or black.
TColor PageColour(int n)
{
    return plat::RGB(20 * n, 200, 255 - 20 * n);
}

// A source whose every page fills its page area with the page's colour
// and puts a black square into the area's bottom-right corner.
class DraftJobTest : public tolv::test::JobTest {
protected:
    static constexpr int Marker = 60;

    DraftJobTest()
    {
        source.OnDraw = [](TCustomPrintJob&, plat::Canvas& c, int page, const TRect& r, TDrawArea area,
                           TDrawTarget) {
            if (area != daPage)
                return;
            c.Brush.Color = PageColour(page);
            c.FillRect(r);
            c.Brush.Color = plat::clBlack;
            c.FillRect({r.Right - Marker, r.Bottom - Marker, r.Right, r.Bottom});
        };
        draft.OnUpdate = [this](TCustomPrintJob&) { ++draftUpdates; };
    }

    void UsePrinter(plat::SheetGeometry sheet)
    {
        printer.printers = {tolv::test::Setup("Drucker", sheet)};
        source.Update();
    }

    TPrintJob source;
    TDraftPrintJob draft;
    int draftUpdates = 0;
};

} // namespace

TEST_F(DraftJobTest, ScaleStaysWithinTwoToTenAndAnUnchangedScaleRunsNoUpdate)
{
    EXPECT_EQ(draft.Scale(), 2);
    struct Case { int set, stored; };
    for (const Case c : {Case{1, 2}, Case{11, 10}, Case{-5, 2}, Case{7, 7}, Case{10, 10}}) {
        SCOPED_TRACE(c.set);
        draft.SetScale(c.set);
        EXPECT_EQ(draft.Scale(), c.stored);
    }
    const int before = draftUpdates;
    draft.SetScale(10);
    draft.SetSeparators(false);
    EXPECT_EQ(draftUpdates, before);
}

TEST_F(DraftJobTest, FollowsTheSourcesPageCountSizeAndOrientation)
{
    draft.SetPrintJob(&source);
    struct Case { int pages, scale, sheets; };
    for (const Case c : {Case{10, 3, 2}, Case{9, 3, 1}, Case{9, 2, 3}, Case{1, 2, 1}, Case{4, 2, 1},
                         Case{5, 2, 2}, Case{101, 10, 2}}) {
        SCOPED_TRACE(testing::Message() << c.pages << " pages at scale " << c.scale);
        draft.SetScale(c.scale);
        source.SetPageCount(c.pages);   // the source's cascade updates the draft job
        EXPECT_EQ(draft.PageCount(), c.sheets);
    }

    source.SetPageMode(pmCustom);
    source.SetPageUnits(unMillimeters);
    source.SetPageWidth(150);
    source.SetPageHeight(100);
    source.SetOrientation(orLandscape);
    EXPECT_EQ(draft.PageMode(), pmCustom);
    EXPECT_EQ(draft.PageUnits(), unMillimeters);
    EXPECT_EQ(draft.PageWidth(), 150);
    EXPECT_EQ(draft.PageHeight(), 100);
    EXPECT_EQ(draft.Orientation(), orLandscape);
}

TEST_F(DraftJobTest, LinksRegisterWithTheSourceAndNoChainMayLeadBackToTheJob)
{
    TPrintJob other;
    draft.SetPrintJob(&source);
    EXPECT_EQ(source.DraftJobs(), std::vector<TCustomPrintJob*>{&draft});
    draft.SetPrintJob(&other);
    EXPECT_TRUE(source.DraftJobs().empty());
    EXPECT_EQ(other.DraftJobs(), std::vector<TCustomPrintJob*>{&draft});

    try {
        draft.SetPrintJob(&draft);
        FAIL() << "a self-link was accepted";
    } catch (const EPrintJobException& e) {
        EXPECT_STREQ(e.what(), "TDraftPrintJob cannot link with himself");
    }
    EXPECT_EQ(draft.PrintJob(), &other);

    // A -> B -> A would draw each other's cells until the stack ran out.
    TDraftPrintJob b;
    b.SetPrintJob(&draft);
    EXPECT_THROW(draft.SetPrintJob(&b), EPrintJobException);
    EXPECT_EQ(draft.PrintJob(), &other);
    TDraftPrintJob c;
    c.SetPrintJob(&b);
    EXPECT_THROW(draft.SetPrintJob(&c), EPrintJobException);
    EXPECT_EQ(draft.PrintJob(), &other);
}

TEST_F(DraftJobTest, AFreedSourceIsForgottenAndTheLastPageCountKept)
{
    auto owned = std::make_unique<TPrintJob>();
    draft.SetPrintJob(owned.get());
    owned->SetPageCount(10);
    ASSERT_EQ(draft.PageCount(), 3);
    owned.reset();
    EXPECT_EQ(draft.PrintJob(), nullptr);
    EXPECT_EQ(draft.PageCount(), 3);
    const QImage sheet = RenderPage(draft, 1);
    EXPECT_EQ(ColourAt(sheet, 500, 500), plat::clWhite);

    // A freed draft job leaves its source's list.
    auto second = std::make_unique<TDraftPrintJob>();
    second->SetPrintJob(&source);
    second.reset();
    EXPECT_TRUE(source.DraftJobs().empty());
}

// Cell corners as the layout gives them: L = c * RW div S + R.Left,
// T = r * RH div S + R.Top, cells RW div S by RH div S, R the page cut to
// the printable part of the sheet.
TEST_F(DraftJobTest, CellsTileThePrintablePartOfTheSheetRowByRow)
{
    struct Case {
        const char* name;
        plat::SheetGeometry sheet;
        int scale;
        std::vector<int> lefts, tops;
        int cellW, cellH;
    };
    const plat::SheetGeometry square{100, 100, 1000, 1000, 0, 0, 1000, 1000, -1};
    const plat::SheetGeometry fake = plat::FakePrinterSetup{}.sheet;
    const Case cases[] = {
        {"RW 1000 at scale 3", square, 3, {0, 333, 666}, {0, 333, 666}, 333, 333},
        {"offsets at scale 3", fake, 3, {90, 840, 1590}, {40, 606, 1173}, 750, 566},
        {"offsets at scale 2", fake, 2, {90, 1215}, {40, 890}, 1125, 850},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UsePrinter(c.sheet);
        draft.SetPrintJob(&source);
        draft.SetScale(c.scale);
        source.SetPageCount(c.scale * c.scale);
        const QImage sheet = RenderPage(draft, 1);
        for (int r = 0; r < c.scale; ++r) {
            for (int col = 0; col < c.scale; ++col) {
                SCOPED_TRACE(testing::Message() << "cell " << col << ", " << r);
                const TColor colour = PageColour(r * c.scale + col + 1);
                const int L = c.lefts[col], T = c.tops[r];
                EXPECT_EQ(ColourAt(sheet, L + 1, T + 1), colour);
                EXPECT_EQ(ColourAt(sheet, L + c.cellW / 2, T + 1), colour);
                // The marker: the source page's bottom-right corner is the cell's.
                EXPECT_EQ(ColourAt(sheet, L + c.cellW - 2, T + c.cellH - 2), plat::clBlack);
                if (L > 0) {
                    EXPECT_NE(ColourAt(sheet, L - 1, T + 1), colour);
                }
            }
        }
        // Beyond the last cell the sheet stays white.
        const int right = c.lefts.back() + c.cellW;
        const int bottom = c.tops.back() + c.cellH;
        EXPECT_EQ(ColourAt(sheet, right, c.tops[0] + 1), plat::clWhite);
        EXPECT_EQ(ColourAt(sheet, c.lefts[0] + 1, bottom), plat::clWhite);
        if (c.lefts[0] > 0) {
            EXPECT_EQ(ColourAt(sheet, c.lefts[0] - 1, c.tops[0] + 1), plat::clWhite);
        }
    }
}

TEST_F(DraftJobTest, TheLastSheetShowsTheRemainingPagesAndLeavesTheOtherCellsEmpty)
{
    draft.SetPrintJob(&source);
    draft.SetScale(3);
    source.SetPageCount(10);
    ASSERT_EQ(draft.PageCount(), 2);
    const QImage first = RenderPage(draft, 1);
    EXPECT_EQ(ColourAt(first, 1590 + 10, 1173 + 10), PageColour(9));
    const QImage second = RenderPage(draft, 2);
    EXPECT_EQ(ColourAt(second, OX + 10, OY + 10), PageColour(10));
    EXPECT_EQ(ColourAt(second, 840 + 10, OY + 10), plat::clWhite);
    EXPECT_EQ(ColourAt(second, OX + 10, 606 + 10), plat::clWhite);
}

// The cell size comes from the source's page in pixels, whatever unit the
// source keeps its size in: taking 101.6 mm or 100 % as pixels would show
// a hugely enlarged corner of each page.
TEST_F(DraftJobTest, EveryCellShowsTheWholeSourcePageInAnyPageUnit)
{
    draft.SetPrintJob(&source);
    source.SetPageCount(4);
    for (const TUnits units : {unPixels, unMillimeters, unPercents, unInches}) {
        SCOPED_TRACE(int(units));
        source.SetPageUnits(units);
        const QImage sheet = RenderPage(draft, 1);
        for (const int L : {OX, 1215}) {
            for (const int T : {OY, 890}) {
                EXPECT_EQ(ColourAt(sheet, L + 1125 - 3, T + 850 - 3), plat::clBlack);
                EXPECT_NE(ColourAt(sheet, L + 1125 / 2, T + 850 / 2), plat::clBlack);
            }
        }
    }
}

TEST_F(DraftJobTest, SeparatorsAreDottedBlackLinesBetweenTheCells)
{
    draft.SetPrintJob(&source);
    draft.SetSeparators(true);
    source.SetPageCount(4);
    const QImage sheet = RenderPage(draft, 1);
    // At scale 2: x = RW div 2 + R.Left = 1215 from R.Top to R.Bottom,
    // y = RH div 2 + R.Top = 890 from R.Left to R.Right.
    int black = 0, other = 0;
    for (int y = OY; y < OY + 1700; ++y)
        (ColourAt(sheet, 1215, y) == plat::clBlack ? black : other) += 1;
    EXPECT_GT(black, 1700 / 4);
    EXPECT_GT(other, 1700 / 4);   // dotted, not solid
    black = other = 0;
    for (int x = OX; x < OX + 2250; ++x)
        (ColourAt(sheet, x, 890) == plat::clBlack ? black : other) += 1;
    EXPECT_GT(black, 2250 / 4);
    EXPECT_GT(other, 2250 / 4);
    EXPECT_EQ(ColourAt(sheet, 1215, OY - 5), plat::clWhite);
    EXPECT_EQ(ColourAt(sheet, OX + 2250 + 5, 890), plat::clWhite);

    // The canvas's own pen and brush survive a separator.
    QImage image(100, 100, QImage::Format_RGB32);
    plat::Canvas canvas(&image);
    canvas.Pen = {plat::clRed, 3, plat::psDash, plat::pmCopy};
    canvas.Brush = {plat::clBlue, plat::bsSolid};
    const plat::TPen pen = canvas.Pen;
    const plat::TBrush brush = canvas.Brush;
    draft.DrawSeparator(canvas, {10, 0}, {10, 100});
    EXPECT_EQ(canvas.Pen, pen);
    EXPECT_EQ(canvas.Brush, brush);
}

TEST_F(DraftJobTest, UpdatesDuringDrawingReturnAtOnceAndAFailingCellRestoresTheCanvas)
{
    draft.SetPrintJob(&source);
    source.SetPageCount(4);
    auto fill = source.OnDraw;
    int drawn = 0;
    source.OnDraw = [&](TCustomPrintJob& s, plat::Canvas& c, int page, const TRect& r, TDrawArea a,
                        TDrawTarget t) {
        fill(s, c, page, r, a, t);
        ++drawn;
        draft.Update();
        if (page == 3)
            throw std::runtime_error("cell 3");
    };
    const int before = draftUpdates;
    QImage image(2400, 1800, QImage::Format_RGB32);
    plat::Canvas canvas(&image);
    canvas.IntersectClipRect({0, 0, 2000, 1500});
    const plat::TClip clip = canvas.GetClip();
    EXPECT_THROW(draft.DrawPage(canvas, 1, dtPreview), std::runtime_error);
    EXPECT_EQ(drawn, 3);
    EXPECT_EQ(draftUpdates, before);
    EXPECT_FALSE(draft.IsUpdateLocked());
    EXPECT_EQ(canvas.MapMode(), plat::mmText);
    EXPECT_EQ(canvas.ViewportOrg(), plat::TPoint{});
    EXPECT_EQ(canvas.WindowOrg(), plat::TPoint{});
    EXPECT_EQ(canvas.ViewportExt(), (plat::TSize{1, 1}));
    EXPECT_EQ(canvas.WindowExt(), (plat::TSize{1, 1}));
    ASSERT_TRUE(canvas.GetClip().region.has_value());
    EXPECT_EQ(*canvas.GetClip().region, *clip.region);
}

// On the printer the canvas's origin is the printable corner; the sheet
// printed must still show every cell where the preview shows it.
TEST_F(DraftJobTest, PrintedCellsSitWhereThePreviewShowsThem)
{
    source.SetOptions({joMargins});
    source.SetMargins({150, 120, 100, 80});
    draft.SetPrintJob(&source);
    draft.SetSeparators(true);
    source.SetPageCount(4);
    const QImage preview = RenderPage(draft, 1);
    draft.Print();
    ASSERT_EQ(printer.documents.size(), 1u);
    ASSERT_EQ(printer.documents[0].pages.size(), 1u);
    const QImage printed = printer.documents[0].pages[0].convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(printed.size(), QSize(2250, 1700));
    long differing = 0;
    for (int y = 0; y < printed.height(); ++y)
        for (int x = 0; x < printed.width(); ++x)
            differing += printed.pixel(x, y) != preview.pixel(x + OX, y + OY);
    // Edges at fractional positions may round apart by a pixel.
    EXPECT_LT(differing, printed.width() * printed.height() / 1000);
    // The last cell's corner marker: sheet (2280, 1690), inside its margins.
    EXPECT_EQ(ColourAt(preview, 2280, 1690), plat::clBlack);
    EXPECT_EQ(ColourAt(printed, 2280 - OX, 1690 - OY), plat::clBlack);
}

// A cell is the source page drawn at 1 / Scale.
TEST_F(DraftJobTest, ACellEqualsTheSourcePageReduced)
{
    source.OnDraw = [](TCustomPrintJob&, plat::Canvas& c, int, const TRect& r, TDrawArea area, TDrawTarget) {
        if (area != daPage)
            return;
        const int w = r.Width(), h = r.Height();
        c.Brush.Color = plat::clRed;
        c.FillRect({r.Left, r.Top, r.Left + w / 2, r.Top + h / 2});
        c.Brush.Color = plat::clLime;
        c.FillRect({r.Left + w / 2, r.Top, r.Right, r.Top + h / 3});
        c.Brush.Color = plat::clBlue;
        c.Polygon(std::vector<plat::TPoint>{{r.Left + w / 4, r.Bottom - 100},
                                            {r.Left + w * 3 / 4, r.Top + h / 2},
                                            {r.Right - 200, r.Bottom - 300}});
    };
    draft.SetPrintJob(&source);
    draft.SetScale(3);
    source.SetPageCount(1);
    const QImage sheet = RenderPage(draft, 1);
    const QImage reference = RenderPage(source, 1).scaled(750, 566, Qt::IgnoreAspectRatio,
                                                          Qt::FastTransformation);
    long differing = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = reference.pixel(x, y), b = sheet.pixel(x + OX, y + OY);
            differing += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                             std::abs(qBlue(a) - qBlue(b)) > 24;
        }
    }
    EXPECT_LT(differing, 750 * 566 / 100);
}
