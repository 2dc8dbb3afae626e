#include "JobFixture.h"

#include "platform/Offscreen.h"

using namespace printing;
using plat::TRect;
using tolv::test::JobTest;

namespace {

// A page whose area starts at (200, 300) on the sheet; the fake printer's
// printable corner is (90, 40).
class DrawPageTest : public JobTest {
protected:
    DrawPageTest()
    {
        job.SetMarginsError(meNone);
        job.SetOptions({joMargins});
        job.Margins() = {200, 300, 400, 500};
        job.OnDraw = [this](TCustomPrintJob&, plat::Canvas& c, int page, const TRect& r, TDrawArea area,
                            TDrawTarget target) {
            rects.push_back(r);
            areas.push_back(area);
            // A marker at the area's top-left corner.
            c.Brush.Color = plat::clBlack;
            c.FillRect({r.Left, r.Top, r.Left + 2, r.Top + 2});
        };
    }

    std::vector<TRect> rects;
    std::vector<TDrawArea> areas;
};

} // namespace

TEST_F(DrawPageTest, RelativeCoordsPutTheOriginAtTheAreaOnPrinterAndPreview)
{
    job.SetRelativeCoords(true);
    job.Print();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (TRect{0, 0, 2400 - 600, 1800 - 800}));
    const QImage& page = printer.documents[0].pages[0];
    EXPECT_EQ(page.pixel(200 - 90, 300 - 40), qRgb(0, 0, 0));
    EXPECT_EQ(page.pixel(200 - 90 - 1, 300 - 40), qRgb(255, 255, 255));

    // The preview draws on the sheet's own coordinates.
    plat::Offscreen preview(2400, 1800);
    preview.canvas().SetViewportOrg(5, 7);
    job.PaintTo(preview.canvas(), 1);
    EXPECT_EQ(rects[1], rects[0]);
    EXPECT_EQ(preview.Pixel(205, 307), plat::clBlack);
    EXPECT_EQ(preview.canvas().ViewportOrg(), (plat::TPoint{5, 7}));
}

TEST_F(DrawPageTest, AbsoluteRectanglesAreMovedByTheOffsetsOnlyOnThePrinter)
{
    job.SetOptions({joMargins, joHeader, joFooter});
    job.SetHeader(100);
    job.SetFooter(50);
    job.Print();
    plat::Offscreen preview(2400, 1800);
    job.PaintTo(preview.canvas(), 1);
    ASSERT_EQ(rects.size(), 6u);
    // Page, header, footer, in that order.
    EXPECT_EQ(areas, (std::vector<TDrawArea>{daPage, daHeader, daFooter, daPage, daHeader, daFooter}));
    EXPECT_EQ(rects[3], (TRect{200, 400, 2000, 1250}));
    EXPECT_EQ(rects[4], (TRect{200, 300, 2000, 400}));
    EXPECT_EQ(rects[5], (TRect{200, 1250, 2000, 1300}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rects[i], (TRect{rects[i + 3].Left - 90, rects[i + 3].Top - 40, rects[i + 3].Right - 90,
                                   rects[i + 3].Bottom - 40}));
    EXPECT_EQ(preview.Pixel(200, 400), plat::clBlack);
    EXPECT_EQ(printer.documents[0].pages[0].pixel(110, 360), qRgb(0, 0, 0));
}

TEST_F(DrawPageTest, AReducedMappingScalesTheOriginShift)
{
    job.SetRelativeCoords(true);
    plat::Offscreen sheet(1200, 900);
    plat::Canvas& c = sheet.canvas();
    c.SetMapMode(plat::mmAnisotropic);
    c.SetWindowExt(2, 2);
    c.SetViewportExt(1, 1);
    c.SetViewportOrg(10, 10);
    job.PaintTo(c, 1);
    // (200, 300) at half size from (10, 10); the 2-pixel marker is 1 pixel.
    EXPECT_EQ(sheet.Pixel(110, 160), plat::clBlack);
    EXPECT_EQ(sheet.Pixel(109, 160), plat::clWhite);
    EXPECT_EQ(c.ViewportOrg(), (plat::TPoint{10, 10}));
}

TEST_F(DrawPageTest, InitDrawSetsTheDefaultsFillsThePageAndFiresLast)
{
    plat::Offscreen sheet(2400, 1800);
    sheet.Fill(plat::clRed);
    plat::TFont seen;
    plat::TColor under = 0;
    job.OnInitDraw = [&](TCustomPrintJob&, plat::Canvas& c, TDrawTarget target) {
        seen = c.Font;
        under = sheet.Pixel(2399, 1799);
        EXPECT_EQ(target, dtPaintTo);
        EXPECT_EQ(c.Pen.Width, 0);
        EXPECT_EQ(c.Brush.Color, plat::clWhite);
    };
    job.PaintTo(sheet.canvas(), 1);
    EXPECT_EQ(seen.Name, "Arial");
    EXPECT_EQ(seen.Color, plat::clBlack);
    // 10 points at the printer's 300 dpi down: 42 pixels, whatever the canvas.
    EXPECT_EQ(seen.PixelsPerInch, 300);
    EXPECT_EQ(seen.Height, -42);
    EXPECT_EQ(under, plat::clWhite);
}

// A descendant's own drawing runs for the areas in DefaultDrawing only.
TEST_F(DrawPageTest, DefaultDrawingChoosesBetweenDoDrawAndOnDraw)
{
    struct OwnDrawing : TPrintJob {
        std::vector<TDrawArea> own;
        void DoDraw(plat::Canvas&, int, const TRect&, TDrawArea area, TDrawTarget) override
        {
            own.push_back(area);
        }
    } own;
    own.SetMarginsError(meNone);
    own.SetOptions({joHeader, joFooter});
    std::vector<TDrawArea> fired;
    own.OnDraw = [&](TCustomPrintJob&, plat::Canvas&, int, const TRect&, TDrawArea a, TDrawTarget) {
        fired.push_back(a);
    };
    own.SetDefaultDrawing({daPage});
    plat::Offscreen sheet(100, 100);
    own.PaintTo(sheet.canvas(), 1);
    EXPECT_EQ(own.own, (std::vector<TDrawArea>{daPage}));
    EXPECT_EQ(fired, (std::vector<TDrawArea>{daHeader, daFooter}));
}

TEST(DrawBitmapTest, SizesByTheStretchModeAndAlignsInTheRectangle)
{
    // Printer and screen at the same resolution.
    plat::FakePrinter printer({tolv::test::Setup("96", {96, 96, 2000, 2000, 0, 0, 2000, 2000, -1})});
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    const TRect R{10, 20, 1010, 1020};
    struct Row { TStretchMode mode; int bw, bh; TRect r; int w, h; };
    const Row sizes[] = {
        {sm1x1, 300, 150, R, 300, 150},
        {sm50, 301, 150, R, 150, 75},
        {sm75, 300, 150, R, 225, 112},    // three quarters, not two thirds
        {sm125, 300, 150, R, 375, 187},
        {sm150, 300, 150, R, 450, 225},
        {sm175, 300, 150, R, 525, 262},
        {sm200, 300, 150, R, 600, 300},
        {smFit, 200, 100, {0, 0, 1000, 1000}, 1000, 500},
        {smFit, 200, 100, {0, 0, 1000, 300}, 600, 300},
        {smStretch, 200, 100, R, 1000, 1000},
    };
    for (const Row& s : sizes) {
        SCOPED_TRACE(::testing::Message() << "mode " << int(s.mode));
        const TRect d = job.BitmapRect(s.r, plat::Bitmap(s.bw, s.bh), s.mode, ahLeft, avTop);
        EXPECT_EQ(d.Width(), s.w);
        EXPECT_EQ(d.Height(), s.h);
    }
    // 300 x 150 at 1:1 in R, every alignment; a bitmap larger than R
    // hangs out of it.
    const int lefts[] = {10, 10 + 350, 1010 - 300};
    const int tops[] = {20, 20 + 425, 1020 - 150};
    for (TAlignHorizontal ah : {ahLeft, ahCenter, ahRight})
        for (TAlignVertical av : {avTop, avCenter, avBottom}) {
            SCOPED_TRACE(::testing::Message() << int(ah) << " " << int(av));
            EXPECT_EQ(job.BitmapRect(R, plat::Bitmap(300, 150), sm1x1, ah, av),
                      (TRect{lefts[ah], tops[av], lefts[ah] + 300, tops[av] + 150}));
            EXPECT_EQ(job.BitmapRect(R, plat::Bitmap(1100, 100), sm1x1, ah, av).Left,
                      ah == ahLeft ? 10 : ah == ahCenter ? 10 - 50 : 1010 - 1100);
        }
    // At 600 dpi a screen pixel is 6.25 printer pixels.
    printer.printers[0].sheet.dpiX = 600;
    EXPECT_EQ(job.BitmapRect(R, plat::Bitmap(96, 96), sm1x1, ahLeft, avTop).Width(), 600);
}

TEST(DrawBitmapTest, DrawsOnPrinterAndPreviewAndNothingWhenEmpty)
{
    plat::FakePrinter printer({tolv::test::Setup("96", {96, 96, 200, 200, 10, 10, 180, 180, 2})});
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    plat::Bitmap red(4, 4);
    red.fill(plat::clRed);
    job.OnDraw = [&](TCustomPrintJob& j, plat::Canvas& c, int, const TRect&, TDrawArea, TDrawTarget t) {
        j.DrawBitmap(c, {20, 30, 60, 70}, red, smStretch, ahLeft, avTop, t);
        j.DrawBitmap(c, {0, 0, 10, 10}, plat::Bitmap(), smFit, ahCenter, avCenter, t);
    };
    job.Print();
    plat::Offscreen preview(200, 200);
    job.PaintTo(preview.canvas(), 1);
    EXPECT_EQ(preview.Pixel(20, 30), plat::clRed);
    EXPECT_EQ(preview.Pixel(59, 69), plat::clRed);
    EXPECT_EQ(preview.Pixel(60, 70), plat::clWhite);
    // On the black-and-white printer the bitmap goes through 8 bits, its
    // red kept; the page begins at the printable corner.
    const QImage& page = printer.documents[0].pages[0];
    EXPECT_EQ(page.pixel(20, 30), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(19, 29), qRgb(255, 255, 255));
}
