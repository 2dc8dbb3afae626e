// The preview control: linking, page index, scale and zoom, the three
// layouts to the pixel, painting, keys, wheel, dragging and the metafile.
#include "PreviewFixture.h"

#include "printing/PSCommon.h"
#include "support/Input.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <memory>
#include <stdexcept>

using namespace printing;
using namespace tolv::test;

namespace {

struct Geometry {
    int left, top, width, height;
};

Geometry PanelGeometry(const TPreview& p)
{
    const QRect g = p.Panel()->geometry();
    return {g.left(), g.top(), g.width(), g.height()};
}

void ExpectGeometry(const TPreview& p, Geometry want)
{
    const Geometry g = PanelGeometry(p);
    EXPECT_EQ(g.left, want.left);
    EXPECT_EQ(g.top, want.top);
    EXPECT_EQ(g.width, want.width);
    EXPECT_EQ(g.height, want.height);
}

void Wheel(QWidget* w, int delta)
{
    QWheelEvent e(QPointF(10, 10), QPointF(w->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

// A control that records its refreshes and may throw.
struct Linked : TPreviewLinked {
    int updates = 0;
    bool fail = false;
    TCustomPreview* removed = nullptr;
    void Update() override
    {
        ++updates;
        if (fail)
            throw std::runtime_error("linked");
    }
    void PreviewRemoved(TCustomPreview& p) override { removed = &p; }
};

} // namespace

TEST_F(PreviewTest, WithoutJobOnlyTheDeskShows)
{
    EXPECT_FALSE(preview.Panel()->isVisible());
    EXPECT_EQ(preview.PageText(), "");
    EXPECT_EQ(preview.PageIndex(), 1);
    int changed = 0;
    preview.OnPageChanged = [&](TCustomPreview&) { ++changed; };
    preview.SetPageIndex(5);
    EXPECT_EQ(preview.PageIndex(), 1);
    EXPECT_EQ(changed, 1);
    const QImage img = preview.grab().toImage();
    EXPECT_EQ(ColourAt(img, 200, 250), plat::TColor(0x808080));
}

TEST_F(PreviewTest, LinkingShowsPageOneAndRendersOnce)
{
    preview.SetPrintJob(&job);
    EXPECT_TRUE(preview.Panel()->isVisible());
    EXPECT_EQ(preview.PageIndex(), 1);
    EXPECT_EQ(job.Previews().size(), 1u);
    EXPECT_EQ(preview.PageText(), "Page 1 of 3");
    EXPECT_EQ(draws, 1);
    // Painting replays; it never draws the page again.
    preview.Panel()->repaint();
    preview.grab();
    EXPECT_EQ(draws, 1);

    // The job's own update re-renders.
    job.Update();
    EXPECT_EQ(draws, 2);

    preview.SetPrintJob(nullptr);
    EXPECT_TRUE(job.Previews().empty());
    EXPECT_FALSE(preview.Panel()->isVisible());
}

TEST_F(PreviewTest, NoPrinterHidesThePage)
{
    printer.hasDevice = false;
    int updates = 0;
    preview.OnUpdate = [&](TCustomPreview&) { ++updates; };
    Linked linked;
    preview.AddLinkedControl(&linked);
    preview.SetPrintJob(&job);
    EXPECT_FALSE(preview.Panel()->isVisible());
    EXPECT_EQ(draws, 0);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(linked.updates, 0);
    preview.RemoveLinkedControl(&linked);
}

TEST_F(PreviewTest, PrinterGoneAfterRenderingPaintsOnlyTheBackground)
{
    preview.SetPrintJob(&job);
    printer.hasDevice = false;
    const QImage img = preview.Panel()->grab().toImage();
    for (QPoint p : {QPoint(0, 0), QPoint(img.width() / 2, img.height() / 2), QPoint(5, 5)})
        EXPECT_EQ(ColourAt(img, p.x(), p.y()), plat::TColor(0x808080));
}

TEST_F(PreviewTest, PageIndexClampsAndFiresOnEveryWrite)
{
    preview.SetPrintJob(&job);
    int changed = 0;
    preview.OnPageChanged = [&](TCustomPreview&) { ++changed; };
    struct Case {
        int write, want, renders;
    };
    const Case cases[] = {{0, 1, 0}, {2, 2, 1}, {2, 2, 0}, {8, 3, 1}, {-4, 1, 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.write);
        const int before = draws;
        changed = 0;
        preview.SetPageIndex(k.write);
        EXPECT_EQ(preview.PageIndex(), k.want);
        EXPECT_EQ(changed, 1);
        EXPECT_EQ(draws - before, k.renders);
    }
}

TEST_F(PreviewTest, FewerPagesPullThePageBackWithoutAPageEvent)
{
    preview.SetPrintJob(&job);
    preview.SetPageIndex(3);
    int changed = 0;
    preview.OnPageChanged = [&](TCustomPreview&) { ++changed; };
    job.SetPageCount(2);
    EXPECT_EQ(preview.PageIndex(), 2);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(preview.PageText(), "Page 2 of 2");
}

TEST_F(PreviewTest, ViewScaleActsOnlyInCustomAndIsBounded)
{
    preview.SetPrintJob(&job);
    const int whole = preview.ViewScale();
    preview.SetViewScale(300);
    EXPECT_EQ(preview.ViewScale(), whole);
    EXPECT_EQ(preview.ViewMode(), vmWholePage);

    preview.SetViewMode(vmCustom);
    EXPECT_EQ(preview.ViewScale(), whole);   // the scale last computed
    for (auto [write, want] : {std::pair{5, 10}, {5000, 1000}, {120, 120}}) {
        preview.SetViewScale(write);
        EXPECT_EQ(preview.ViewScale(), want);
    }
    EXPECT_EQ(preview.ScaleText(), "120%");
}

TEST_F(PreviewTest, ScaleZeroBecomesTheLowestStepInCustom)
{
    // Without a job no layout ever computed a scale.
    EXPECT_EQ(preview.ViewScale(), 0);
    preview.SetViewMode(vmCustom);
    EXPECT_EQ(preview.ViewScale(), 10);
}

TEST_F(PreviewTest, ZoomStepsAndTheirEnds)
{
    preview.SetPrintJob(&job);
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(120);
    preview.ZoomIn();
    EXPECT_EQ(preview.ViewScale(), 150);
    preview.SetViewScale(120);
    preview.ZoomOut();
    EXPECT_EQ(preview.ViewScale(), 100);

    preview.SetViewScale(1000);
    preview.SetViewMode(vmWholePage);
    preview.SetViewMode(vmPageWidth);
    preview.ZoomIn();  // from the page-width scale
    EXPECT_EQ(preview.ViewMode(), vmCustom);
    EXPECT_EQ(preview.ViewScale(), 50);

    preview.SetViewScale(1000);
    const int before = draws;
    preview.ZoomIn();
    EXPECT_EQ(preview.ViewScale(), 1000);
    EXPECT_EQ(draws, before);
    preview.SetViewScale(10);
    preview.ZoomOut();
    EXPECT_EQ(preview.ViewScale(), 10);

    // At an end, zooming still switches to custom.
    preview.SetViewMode(vmWholePage);
    preview.ZoomOut();
    EXPECT_EQ(preview.ViewMode(), vmCustom);
}

TEST_F(PreviewTest, ShadowSizeIsClamped)
{
    for (auto [write, want] : {std::pair{-5, 0}, {500, 100}, {12, 12}}) {
        preview.SetShadowSize(write);
        EXPECT_EQ(preview.ShadowSize(), want);
    }
}

TEST_F(PreviewTest, TextsFollowTheViewMode)
{
    preview.SetPrintJob(&job);
    preview.SetPageIndex(2);
    EXPECT_EQ(preview.PageText(), "Page 2 of 3");
    EXPECT_EQ(preview.ScaleText(), "Whole page (43%)");
    preview.SetViewMode(vmPageWidth);
    EXPECT_EQ(preview.ScaleText(), "Page width (" + std::to_string(preview.ViewScale()) + "%)");
}

// The three layouts for A4 at 600 dpi (4960 x 7016) in a 400 x 500 box
// without a frame, shadow 8, a screen of 96 dpi; worked out by hand.
TEST_F(PreviewTest, LayoutsToThePixel)
{
    ASSERT_EQ(preview.ScreenPixelsPerInch(), 96);
    preview.SetPrintJob(&job);

    // Whole page: height 500 - 16 - 8 = 476; width Round(466 * 4960 / 7016)
    // + 10 = 329 + 10 = 339, which fits 384; centred at (30, 12). Scale
    // Round(339 * 100 * 600 / 4960 / 96) = Round(42.7) = 43.
    SCOPED_TRACE("whole page");
    ExpectGeometry(preview, {30, 12, 339, 476});
    EXPECT_EQ(preview.ViewScale(), 43);
    EXPECT_EQ(preview.HorzRange(), 0);
    EXPECT_EQ(preview.VertRange(), 0);

    // Page width: 400 - 20 - the scroll bar's width; height Round((w - 10)
    // * 7016 / 4960) + 10; vertical range height + 16.
    const int bar = preview.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, preview.ScrollBox());
    ASSERT_EQ(bar, 14) << "the hand-worked numbers below assume the 14-pixel bar of Qt's own style";
    preview.SetViewMode(vmPageWidth);
    {
        SCOPED_TRACE("page width");
        // 366 wide; Round(356 * 7016 / 4960) = Round(503.57) = 504, + 10.
        ExpectGeometry(preview, {8, 8, 366, 514});
        EXPECT_EQ(preview.VertRange(), 530);
        EXPECT_EQ(preview.HorzRange(), 0);
        // Round(366 * 100 * 600 / 4960 / 96) = Round(46.12).
        EXPECT_EQ(preview.ViewScale(), 46);
    }

    preview.SetViewMode(vmCustom);
    preview.SetViewScale(100);
    {
        SCOPED_TRACE("100%");
        // Round(4960 * 100 * 96 / 600 / 100) + 2 = Round(793.6) + 2 = 796;
        // Round(786 * 7016 / 4960) + 10 = Round(1111.8) + 10 = 1122. The
        // ranges exceed the box: both at 8.
        ExpectGeometry(preview, {8, 8, 796, 1122});
        EXPECT_EQ(preview.HorzRange(), 812);
        EXPECT_EQ(preview.VertRange(), 1138);
    }
    preview.SetViewScale(25);
    {
        SCOPED_TRACE("25%");
        // Round(198.4) + 2 = 200; Round(190 * 7016 / 4960) + 10 = Round(268.76)
        // + 10 = 279; centred: ((400 - 200) div 2, (500 - 279) div 2).
        ExpectGeometry(preview, {100, 110, 200, 279});
        EXPECT_EQ(preview.HorzRange(), 216);
        EXPECT_EQ(preview.VertRange(), 295);
    }
}

TEST_F(PreviewTest, WidePageInATallWindowTakesTheWidthAndIsCentredVertically)
{
    job.SetOrientation(orLandscape);
    preview.SetPrintJob(&job);
    // 7016 x 4960: Round(466 * 7016 / 4960) + 10 = 669 > 384, so the width
    // 384 rules: Round(374 * 4960 / 7016) + 10 = Round(264.4) + 10 = 274.
    ExpectGeometry(preview, {8, 113, 384, 274});
}

TEST_F(PreviewTest, PageWithoutSizeIsHiddenAndTinyBoxesGiveNoNegativeSizes)
{
    job.SetPageMode(pmCustom);
    job.SetPageWidth(0);
    preview.SetPrintJob(&job);
    EXPECT_FALSE(preview.Panel()->isVisible());

    job.SetPageWidth(4960);
    EXPECT_TRUE(preview.Panel()->isVisible());
    preview.resize(10, 10);
    EXPECT_GE(preview.Panel()->width(), 0);
    EXPECT_GE(preview.Panel()->height(), 0);
    preview.Panel()->grab();  // paints without faulting
}

TEST_F(PreviewTest, ResizeRendersAgainAndCustomScrollsBackToTheCorner)
{
    preview.SetPrintJob(&job);
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(100);
    preview.SetHorzPosition(50);
    preview.SetVertPosition(70);
    ASSERT_EQ(preview.VertPosition(), 70);
    const int before = draws;
    preview.resize(380, 480);
    EXPECT_EQ(draws, before + 1);
    EXPECT_EQ(preview.HorzPosition(), 0);
    EXPECT_EQ(preview.VertPosition(), 0);
}

TEST_F(PreviewTest, PaintShowsFrameShadowPageAndMarker)
{
    preview.SetPrintJob(&job);
    preview.SetShadowColor(0x0000FF);
    const QImage img = preview.Panel()->grab().toImage();
    const int w = img.width(), h = img.height();   // 339 x 476, shadow 8
    // The frame, the white margin left of the printable area, the shadow
    // below and to the right, and the desk colour in the shadow's corners.
    EXPECT_EQ(ColourAt(img, 0, 0), plat::clBlack);
    EXPECT_EQ(ColourAt(img, w - 9, h - 9), plat::clBlack);
    EXPECT_EQ(ColourAt(img, 2, 100), plat::clWhite);
    EXPECT_EQ(ColourAt(img, w - 4, h / 2), plat::TColor(0x0000FF));
    EXPECT_EQ(ColourAt(img, w / 2, h - 4), plat::TColor(0x0000FF));
    EXPECT_EQ(ColourAt(img, w - 4, 3), plat::TColor(0x808080));
    EXPECT_EQ(ColourAt(img, 3, h - 4), plat::TColor(0x808080));
    // Page 1's marker: 300 printer pixels at the printable corner are about
    // 20 panel pixels; its middle is black, past it white.
    EXPECT_EQ(ColourAt(img, 15, 15), plat::clBlack);
    EXPECT_EQ(ColourAt(img, 40, 40), plat::clWhite);

    preview.SetShadowSize(0);
    const QImage flat = preview.Panel()->grab().toImage();
    EXPECT_EQ(ColourAt(flat, flat.width() - 1, flat.height() - 1), plat::clBlack);
}

TEST_F(PreviewTest, PagingKeysTurnPagesAtTheEnds)
{
    preview.SetPrintJob(&job);
    int changed = 0;
    preview.OnPageChanged = [&](TCustomPreview&) { ++changed; };
    // Whole page: no vertical range, so PgDn and PgUp always turn the page.
    Key(&preview, Qt::Key_PageDown);
    EXPECT_EQ(preview.PageIndex(), 2);
    Key(&preview, Qt::Key_PageDown);
    Key(&preview, Qt::Key_PageDown);
    EXPECT_EQ(preview.PageIndex(), 3);
    EXPECT_EQ(changed, 3);
    Key(&preview, Qt::Key_PageUp);
    EXPECT_EQ(preview.PageIndex(), 2);

    // Zoomed in, PgDn first scrolls by a screen less one step.
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(100);
    const int client = preview.BoxClientHeight();
    Key(preview.Panel(), Qt::Key_PageDown);
    EXPECT_EQ(preview.PageIndex(), 2);
    EXPECT_EQ(preview.VertPosition(), client - 8);
    Key(&preview, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(preview.VertPosition(), preview.ScrollBox()->verticalScrollBar()->maximum());
    Key(&preview, Qt::Key_PageDown);
    EXPECT_EQ(preview.PageIndex(), 3);
    EXPECT_EQ(preview.VertPosition(), 0);
    Key(&preview, Qt::Key_PageUp);
    EXPECT_EQ(preview.PageIndex(), 2);
}

TEST_F(PreviewTest, ArrowHomeAndEndKeysScroll)
{
    preview.SetPrintJob(&job);
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(100);
    QScrollBar* h = preview.ScrollBox()->horizontalScrollBar();
    QScrollBar* v = preview.ScrollBox()->verticalScrollBar();
    Key(&preview, Qt::Key_Down);
    Key(&preview, Qt::Key_Down);
    EXPECT_EQ(v->value(), 16);
    Key(&preview, Qt::Key_Up);
    EXPECT_EQ(v->value(), 8);
    Key(&preview, Qt::Key_Right);
    EXPECT_EQ(h->value(), 8);
    Key(&preview, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(h->value(), std::min(h->maximum(), 8 + preview.BoxClientWidth() - 8));
    Key(&preview, Qt::Key_End);
    EXPECT_EQ(h->value(), h->maximum());
    EXPECT_EQ(v->value(), 8);
    Key(&preview, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v->value(), v->maximum());
    Key(&preview, Qt::Key_Home);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), v->maximum());
    Key(&preview, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v->value(), 0);
}

TEST_F(PreviewTest, WheelScrollsByScaleAndKeepsTheRemainder)
{
    preview.SetPrintJob(&job);
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(1000);
    Wheel(preview.Panel(), -120);
    EXPECT_EQ(preview.VertPosition(), 250);
    Wheel(preview.ScrollBox()->viewport(), 120);
    EXPECT_EQ(preview.VertPosition(), 0);

    // At 10% the page is small; a short box still scrolls it.
    preview.resize(100, 100);
    preview.SetViewScale(10);
    ASSERT_GT(preview.ScrollBox()->verticalScrollBar()->maximum(), 8);
    Wheel(&preview, -120);
    EXPECT_EQ(preview.VertPosition(), 2);
    // A touchpad's small steps add up: 24 * 10 / 480 is below a pixel
    // each time, but ten of them make 5.
    for (int i = 0; i < 10; ++i)
        Wheel(preview.Panel(), -24);
    EXPECT_EQ(preview.VertPosition(), 7);
}

TEST_F(PreviewTest, DraggingScrollsWhenEnabled)
{
    preview.SetPrintJob(&job);
    preview.SetViewMode(vmCustom);
    preview.SetViewScale(100);
    QWidget* panel = preview.Panel();
    SendMouse(panel, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(panel, QEvent::MouseMove, {40, 30}, Qt::NoButton, Qt::LeftButton);
    SendMouse(panel, QEvent::MouseButtonRelease, {40, 30}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(preview.HorzPosition(), 0);

    preview.SetDragScroll(true);
    SendMouse(panel, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(panel->cursor().shape(), Qt::SizeAllCursor);
    SendMouse(panel, QEvent::MouseMove, {40, 30}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(preview.HorzPosition(), 10);
    EXPECT_EQ(preview.VertPosition(), 20);
    SendMouse(panel, QEvent::MouseButtonRelease, {40, 30}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(preview.hasFocus() || !QApplication::focusWindow());
}

TEST_F(PreviewTest, LinkedControlsAreRefreshedAndOneFaultDoesNotStopTheOthers)
{
    Linked a, b;
    a.fail = true;
    preview.AddLinkedControl(&a);
    preview.AddLinkedControl(&a);
    preview.AddLinkedControl(&b);
    EXPECT_EQ(preview.LinkedControls().size(), 2u);
    int updates = 0;
    preview.OnUpdate = [&](TCustomPreview&) { ++updates; };
    preview.SetPrintJob(&job);
    EXPECT_EQ(a.updates, 1);
    EXPECT_EQ(b.updates, 1);
    EXPECT_EQ(updates, 1);

    auto gone = std::make_unique<TPreview>();
    Linked c;
    gone->AddLinkedControl(&c);
    TCustomPreview* raw = gone.get();
    gone.reset();
    EXPECT_EQ(c.removed, raw);
    preview.RemoveLinkedControl(&a);
    preview.RemoveLinkedControl(&b);
}

TEST_F(PreviewTest, ADestroyedJobIsForgotten)
{
    {
        TPrintJob other;
        preview.SetPrintJob(&other);
        EXPECT_EQ(other.Previews().size(), 1u);
    }
    EXPECT_EQ(preview.PrintJob(), nullptr);
    EXPECT_FALSE(preview.Panel()->isVisible());

    // A preview going first leaves the job without it.
    auto p = std::make_unique<TPreview>();
    p->SetPrintJob(&job);
    p.reset();
    EXPECT_TRUE(job.Previews().empty());
}

// The recorded page, replayed at its own size, is the page drawn directly.
TEST_F(PreviewTest, MetafileReplayEqualsDirectDrawing)
{
    job.SetOptions({joMargins, joHeader});
    job.SetMarginsUnits(unMillimeters);
    job.SetMargins({15, 12, 15, 12});
    job.SetHeaderUnits(unMillimeters);
    job.SetHeader(20);
    job.SetRelativeCoords(true);
    job.OnDraw = [](TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r, TDrawArea area,
                    TDrawTarget) {
        c.Pen.Width = 6;
        c.Brush.Style = plat::bsSolid;
        c.Brush.Color = area == daHeader ? plat::TColor(0x80C0FF) : plat::TColor(0xFFE0C0);
        c.Rectangle(r);
        c.MoveTo(r.Left, r.Top);
        c.LineTo(r.Right, r.Bottom);
        c.Font.SetSize(24);
        c.Brush.Style = plat::bsClear;
        c.TextOut(r.Left + 100, r.Top + 60, area == daHeader ? "Kopfzeile" : "Seite 1 – Ähre");
    };
    preview.SetPrintJob(&job);
    const PageMetafile& meta = preview.Panel()->Metafile();
    ASSERT_EQ(meta.Width(), 4960);
    ASSERT_EQ(meta.Height(), 7016);

    // Halved, to keep the images small; both sides see the same mapping.
    const QSize size(meta.Width() / 2, meta.Height() / 2);
    QImage replayed(size, QImage::Format_RGB32);
    replayed.fill(Qt::white);
    {
        QPainter p(&replayed);
        meta.PlayInto(p, QRect(QPoint(0, 0), size));
    }
    QImage direct(size, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        p.scale(0.5, 0.5);
        plat::Canvas c(&p);
        job.DrawPage(c, 1, dtPreview);
    }
    // Counted apart for the text rows at the top, so that missing or moved
    // text cannot hide among the large areas.
    const auto differing = [&](int top, int bottom) {
        qint64 n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < size.width(); ++x)
                if (replayed.pixel(x, y) != direct.pixel(x, y))
                    ++n;
        return n;
    };
    const qint64 textRows = differing(0, 600);
    const qint64 all = textRows + differing(600, size.height());
    EXPECT_LT(all, qint64(size.width()) * size.height() / 1000) << all << " pixels differ";
    // Glyph edges are smoothed a little differently; the text itself is the same.
    EXPECT_LT(textRows, qint64(size.width()) * 600 / 100) << textRows << " pixels differ";
    const auto dark = [&](const QImage& img) {
        qint64 n = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < size.width(); ++x)
                n += qGray(img.pixel(x, y)) < 64;
        return n;
    };
    EXPECT_NEAR(double(dark(replayed)), double(dark(direct)), dark(direct) * 0.03);
    // The header's colour made it through both.
    EXPECT_EQ(ColourAt(replayed, 1000, 300), plat::TColor(0x80C0FF));
    EXPECT_EQ(ColourAt(direct, 1000, 300), plat::TColor(0x80C0FF));
}

// A window builds its preview hidden and links the job before it shows: the
// view gets its size only then, and the page is laid out for it.
TEST(PreviewShownLater, IsLaidOutForTheSizeItShowsWith)
{
    EnsureApplication();
    plat::FakePrinter printer{{{"A4", A4At600()}}};
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    TPreview preview;
    preview.SetBorderStyle(bsNone);
    preview.SetPrintJob(&job);
    preview.resize(400, 500);
    ShowExposed(preview);
    EXPECT_EQ(preview.ViewScale(), 43);
    ExpectGeometry(preview, {30, 12, 339, 476});
}

// A page-sized bitmap is kept beside the recording, not encoded into it,
// and replays where, how and in the order it was drawn: upright from a
// bottom-up DIB, cut to its source, clipped, below what was drawn after it.
TEST_F(PreviewTest, ALargeBitmapIsKeptBesideTheRecordingAndReplaysInItsPlace)
{
    // As seen: red above, green below, each with noise in the low bits
    // that no encoder could squeeze away.
    constexpr int w = 1200, h = 900;
    plat::Bitmap bmp(w, h);
    std::uint32_t seed = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 29);
            bmp.setPixel(x, y, y < h / 2 ? plat::RGB(250 - n, n, n) : plat::RGB(n, 250 - n, n));
        }
    plat::Dib dib;
    ASSERT_TRUE(plat::MakeDib(bmp, dib));
    job.SetPageCount(1);
    job.OnDraw = [&](TCustomPrintJob&, plat::Canvas& c, int, const plat::TRect&, TDrawArea, TDrawTarget) {
        c.Brush.Color = 0xFF8000;
        c.FillRect({0, 0, 4000, 4000});
        // The left 200 columns of the bitmap are cut off by the clip.
        c.IntersectClipRect({700, 0, 4000, 4000});
        c.StretchDIBits(300, 400, 2 * w, 2 * h, 0, 0, w, h, dib, plat::SRCCOPY);
        c.SelectClip({});
        c.Brush.Color = plat::clBlack;
        c.FillRect({2000, 1000, 2400, 1400});
    };
    preview.SetPrintJob(&job);
    const PageMetafile& meta = preview.Panel()->Metafile();
    EXPECT_EQ(meta.KeptImages(), 1);
    EXPECT_LT(meta.RecordedBytes(), 10000);

    QImage replayed(meta.Width() / 4, meta.Height() / 4, QImage::Format_RGB32);
    replayed.fill(Qt::white);
    {
        QPainter p(&replayed);
        meta.PlayInto(p, replayed.rect());
    }
    const auto near = [&](int x, int y, plat::TColor want) {
        const plat::TColor got = ColourAt(replayed, x / 4, y / 4);
        const auto close = [](int a, int b) { return std::abs(a - b) <= 12; };
        return close(plat::GetRValue(got), plat::GetRValue(want)) && close(plat::GetGValue(got), plat::GetGValue(want))
               && close(plat::GetBValue(got), plat::GetBValue(want));
    };
    struct Probe { const char* what; int x, y; plat::TColor colour; };
    const Probe probes[] = {
        {"beside the bitmap", 200, 200, 0xFF8000},
        {"clipped off", 500, 800, 0xFF8000},
        {"upper half", 1500, 700, plat::RGB(246, 4, 4)},
        {"lower half", 1500, 2000, plat::RGB(4, 246, 4)},
        {"drawn after it", 2200, 1200, plat::clBlack},
        {"below it", 1500, 2300, 0xFF8000},
    };
    for (const Probe& probe : probes) {
        SCOPED_TRACE(probe.what);
        EXPECT_TRUE(near(probe.x, probe.y, probe.colour)) << std::hex << ColourAt(replayed, probe.x / 4, probe.y / 4);
    }
}
