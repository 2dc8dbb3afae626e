// The canvas's drawing model, checked pixel by pixel on memory images.
#include "platform/Canvas.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QPicture>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

QImage White(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

TColor At(const QImage& img, int x, int y)
{
    const QRgb p = img.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

// Pixels of one colour as a picture of '#' and '.', row by row.
std::string Mask(const QImage& img, TColor c, int x0, int y0, int x1, int y1)
{
    std::string s;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            s += At(img, x, y) == c ? '#' : '.';
        s += '\n';
    }
    return s;
}

int Count(const QImage& img, TColor c, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    if (x1 < 0)
        x1 = img.width();
    if (y1 < 0)
        y1 = img.height();
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += At(img, x, y) == c;
    return n;
}

// Bounding box of every pixel that is not white: {left, top, right, bottom} exclusive.
TRect Ink(const QImage& img)
{
    TRect r{img.width(), img.height(), 0, 0};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (At(img, x, y) != clWhite) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { tolv::test::EnsureApplication(); }
};

} // namespace

TEST_F(CanvasTest, LinesLeaveOutTheirLastPixel)
{
    QImage img = White(12, 6);
    {
        Canvas c(&img);
        c.Pen.Color = clBlack;
        c.MoveTo(1, 1);
        c.LineTo(8, 1);
        EXPECT_EQ(c.PenPos(), (TPoint{8, 1}));
        // An open polyline leaves out only its final pixel.
        const TPoint open[] = {{1, 3}, {5, 3}, {5, 5}};
        c.Polyline(open);
    }
    EXPECT_EQ(Mask(img, clBlack, 0, 0, 12, 6),
              "............\n"
              ".#######....\n"
              "............\n"
              ".#####......\n"
              ".....#......\n"
              "............\n");
}

TEST_F(CanvasTest, ClosedOutlineKeepsEveryCorner)
{
    QImage img = White(8, 6);
    {
        Canvas c(&img);
        c.Pen.Width = 0;
        const TPoint box[] = {{1, 1}, {6, 1}, {6, 4}, {1, 4}, {1, 1}};
        c.Polyline(box);
    }
    EXPECT_EQ(Mask(img, clBlack, 0, 0, 8, 6),
              "........\n"
              ".######.\n"
              ".#....#.\n"
              ".#....#.\n"
              ".######.\n"
              "........\n");
}

TEST_F(CanvasTest, PolygonFillsWithTheBrushAndOutlinesWithThePen)
{
    QImage img = White(8, 6);
    const TPoint box[] = {{1, 1}, {6, 1}, {6, 4}, {1, 4}};
    {
        Canvas c(&img);
        c.Pen.Color = clBlue;
        c.Brush.Color = clRed;
        c.Polygon(box);
    }
    EXPECT_EQ(Mask(img, clBlue, 0, 0, 8, 6),
              "........\n"
              ".######.\n"
              ".#....#.\n"
              ".#....#.\n"
              ".######.\n"
              "........\n");
    EXPECT_EQ(Count(img, clRed), 8);

    // A clear brush leaves the inside alone; a clear pen draws no outline.
    QImage img2 = White(8, 6);
    {
        Canvas c(&img2);
        c.Brush.Style = bsClear;
        c.Polygon(box);
        c.Brush.Style = bsSolid;
        c.Brush.Color = clLime;
        c.Pen.Style = psClear;
        const TPoint far[] = {{10, 10}, {12, 10}, {12, 12}};
        c.Polygon(far);
    }
    EXPECT_EQ(Count(img2, clBlack), 16);
    EXPECT_EQ(Count(img2, clWhite), 48 - 16);
}

TEST_F(CanvasTest, RectangleAndFillRectCoverLeftToRightMinusOne)
{
    QImage img = White(10, 8);
    {
        Canvas c(&img);
        c.Brush.Color = clRed;
        c.Rectangle(1, 1, 5, 4);   // outline 1..4 x 1..3, inside red
        c.FillRect({6, 5, 9, 7});  // 6..8 x 5..6
        c.Brush.Style = bsClear;
        c.FillRect({0, 0, 10, 8}); // a clear brush fills nothing
    }
    EXPECT_EQ(Mask(img, clBlack, 0, 0, 10, 8),
              "..........\n"
              ".####.....\n"
              ".#..#.....\n"
              ".####.....\n"
              "..........\n"
              "..........\n"
              "..........\n"
              "..........\n");
    EXPECT_EQ(Mask(img, clRed, 0, 0, 10, 8),
              "..........\n"
              "..........\n"
              "..##......\n"
              "..........\n"
              "..........\n"
              "......###.\n"
              "......###.\n"
              "..........\n");
}

TEST_F(CanvasTest, PenStatePersistsAndWidthCounts)
{
    QImage img = White(20, 20);
    {
        Canvas c(&img);
        c.Pen.Color = clRed;
        c.Pen.Width = 5;
        c.MoveTo(3, 10);
        c.LineTo(16, 10);
        // Still red and wide: nothing was reset between the calls.
        c.MoveTo(10, 3);
        c.LineTo(10, 16);
    }
    EXPECT_EQ(Count(img, clBlack), 0);
    // A 5-pixel pen covers five rows around the line.
    for (int y = 8; y <= 12; ++y)
        EXPECT_EQ(At(img, 5, y), clRed) << y;
    EXPECT_EQ(At(img, 5, 7), clWhite);
    EXPECT_EQ(At(img, 5, 13), clWhite);
    for (int x = 8; x <= 12; ++x)
        EXPECT_EQ(At(img, x, 5), clRed) << x;
}

TEST_F(CanvasTest, DottedThinPenHasGapsWidePenDrawsSolid)
{
    QImage img = White(40, 10);
    {
        Canvas c(&img);
        c.SetBkMode(TRANSPARENT);
        c.Pen.Style = psDot;
        c.MoveTo(0, 2);
        c.LineTo(40, 2);
        c.Pen.Width = 3;
        c.MoveTo(0, 7);
        c.LineTo(40, 7);
    }
    const int dotted = Count(img, clBlack, 0, 2, 40, 3);
    EXPECT_GT(dotted, 10);
    EXPECT_LT(dotted, 30);
    EXPECT_GE(Count(img, clBlack, 2, 7, 38, 8), 36);
}

TEST_F(CanvasTest, SystemColoursAreResolved)
{
    QImage img = White(4, 4);
    {
        Canvas c(&img);
        c.Brush.Color = clBtnShadow;
        c.FillRect({0, 0, 4, 4});
    }
    EXPECT_EQ(At(img, 2, 2), RGB(128, 128, 128));
}

TEST_F(CanvasTest, BrushChangesSetTheBackgroundMode)
{
    QImage img = White(4, 4);
    Canvas c(&img);
    EXPECT_EQ(c.BkMode(), OPAQUE);
    EXPECT_EQ(c.BkColor(), clWhite);
    c.Brush.Style = bsClear;
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    c.Brush.Style = bsSolid;
    c.Brush.Color = clYellow;
    EXPECT_EQ(c.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(c.BkColor(), clYellow);
    // The explicit mode holds until the brush changes again.
    EXPECT_EQ(c.SetBkMode(OPAQUE), TRANSPARENT);
    EXPECT_EQ(c.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    c.Brush.Color = clRed;
    EXPECT_EQ(c.BkMode(), OPAQUE);
}

TEST_F(CanvasTest, TextOutPutsTheCellsTopLeftCornerAtThePoint)
{
    QImage img = White(120, 60);
    int cell = 0, width = 0;
    {
        Canvas c(&img);
        c.Font.Name = "Arial";
        c.Font.Height = -20;
        c.Font.Color = clBlack;
        c.SetBkMode(TRANSPARENT);
        const TSize ext = c.TextExtent("3,12");
        cell = ext.cy;
        width = ext.cx;
        c.TextOut(30, 20, "3,12");
    }
    ASSERT_GT(cell, 18);
    const TRect ink = Ink(img);
    // The digits sit below the point and to its right, inside the text cell.
    EXPECT_GE(ink.Left, 30);
    EXPECT_LE(ink.Left, 33);
    EXPECT_GE(ink.Top, 20);
    EXPECT_LE(ink.Top, 20 + cell / 3);
    EXPECT_LE(ink.Bottom, 20 + cell + 1);
    EXPECT_LE(ink.Right, 30 + width + 1);
}

TEST_F(CanvasTest, OpaqueTextFillsItsCellWithTheBackground)
{
    QImage img = White(100, 40);
    TSize ext;
    {
        Canvas c(&img);
        c.Font.Height = -16;
        c.Brush.Color = clYellow;   // opaque, background yellow
        ext = c.TextExtent("Wald");
        c.TextOut(10, 5, "Wald");
        c.SetBkMode(TRANSPARENT);
        c.TextOut(10, 5 + ext.cy + 2, "Wald");
    }
    EXPECT_EQ(At(img, 10, 5), clYellow);
    EXPECT_EQ(At(img, 10 + ext.cx - 1, 5 + ext.cy - 1), clYellow);
    EXPECT_EQ(At(img, 9, 5), clWhite);
    EXPECT_EQ(At(img, 10 + ext.cx, 5), clWhite);
    EXPECT_EQ(Count(img, clYellow, 0, 5 + ext.cy, 100, 40), 0);
}

// A dotted line in opaque mode fills its gaps with the background; the text
// drawn after it follows the text's own mode and colour, not the line's.
TEST_F(CanvasTest, TextAfterAnOpaqueDottedLineKeepsItsOwnBackground)
{
    QImage img = White(100, 60);
    TSize ext;
    {
        Canvas c(&img);
        c.Font.Height = -16;
        c.Font.Color = clBlack;
        c.Brush.Color = clRed;   // opaque, background red
        c.Pen.Style = psDot;
        c.MoveTo(0, 55);
        c.LineTo(100, 55);
        c.Pen.Style = psSolid;
        ext = c.TextExtent("Wald");
        c.SetBkMode(TRANSPARENT);
        c.TextOut(10, 2, "Wald");
        c.Brush.Color = clLime;   // opaque again, background lime
        c.TextOut(10, 4 + ext.cy, "Wald");
    }
    EXPECT_EQ(Count(img, clRed, 0, 0, 100, 50), 0);
    EXPECT_EQ(At(img, 10, 2), clWhite);
    EXPECT_EQ(At(img, 10, 4 + ext.cy), clLime);
    EXPECT_GT(Count(img, clRed, 0, 55, 100, 56), 20);
}

TEST_F(CanvasTest, EscapementNinetyRunsTheTextUpwards)
{
    QImage img = White(80, 120);
    TSize ext;
    {
        Canvas c(&img);
        c.SetBkMode(TRANSPARENT);
        c.Font.Name = "Ariel";
        c.Font.Height = 30;
        c.Font.Width = 15;
        c.Font.Escapement = 900;
        c.Font.Weight = 500;
        ext = c.TextExtent("Zahl 95");
        c.TextOut(20, 100, "Zahl 95");
    }
    // The cell turns about (20, 100): it lies above the point and to the right.
    const TRect ink = Ink(img);
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Right, 20 + ext.cy + 1);
    EXPECT_LE(ink.Bottom, 101);
    EXPECT_GE(ink.Top, 100 - ext.cx - 1);
    EXPECT_GT(ink.Height(), ink.Width());
}

TEST_F(CanvasTest, FontHeightsAndPointSizes)
{
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);     // halves away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);

    TFont f;
    EXPECT_EQ(f.Size(), 8);
    f.PixelsPerInch = 600;
    f.SetSize(10);
    EXPECT_EQ(f.Height, -83);
    EXPECT_EQ(f.Size(), 10);

    QImage img = White(10, 10);
    Canvas c(&img);
    c.Font.Height = 100;   // the whole cell
    EXPECT_NEAR(c.TextHeight("0"), 100, 2);
    c.Font.Height = -100;  // the em: the cell is larger
    EXPECT_GT(c.TextHeight("0"), 105);
    // A narrower average width narrows the text.
    c.Font.Height = 100;
    const int natural = c.TextWidth("00000");
    c.Font.Width = 20;
    EXPECT_LT(c.TextWidth("00000"), natural * 3 / 4);
}

namespace {

// A bottom-up 24-bit DIB from rows given top to bottom.
Dib MakeTestDib(const std::vector<std::vector<TColor>>& rowsTopDown)
{
    Dib d;
    d.info.biWidth = int(rowsTopDown[0].size());
    d.info.biHeight = int(rowsTopDown.size());
    d.bits.assign(std::size_t(d.stride()) * d.info.biHeight, 0);
    for (int y = 0; y < d.info.biHeight; ++y) {
        const int memRow = d.info.biHeight - 1 - y;
        for (int x = 0; x < d.info.biWidth; ++x) {
            const TColor c = rowsTopDown[y][x];
            std::uint8_t* p = d.bits.data() + std::size_t(memRow) * d.stride() + 3 * x;
            p[0] = std::uint8_t(GetBValue(c));
            p[1] = std::uint8_t(GetGValue(c));
            p[2] = std::uint8_t(GetRValue(c));
        }
    }
    return d;
}

constexpr TColor R = clRed, G = clLime, B = clBlue, W = clWhite, K = clBlack;

} // namespace

TEST_F(CanvasTest, StretchDIBitsDrawsBottomUpDibsUpright)
{
    const Dib d = MakeTestDib({{R, G, B}, {K, W, R}});
    QImage img = White(10, 10);
    {
        Canvas c(&img);
        EXPECT_EQ(c.StretchDIBits(1, 1, 3, 2, 0, 0, 3, 2, d, SRCCOPY), 2);
        // Twice the size: every source pixel becomes a 2 x 2 block.
        EXPECT_EQ(c.StretchDIBits(4, 4, 6, 4, 0, 0, 3, 2, d, SRCCOPY), 2);
    }
    EXPECT_EQ(At(img, 1, 1), R);
    EXPECT_EQ(At(img, 2, 1), G);
    EXPECT_EQ(At(img, 3, 1), B);
    EXPECT_EQ(At(img, 1, 2), K);
    EXPECT_EQ(At(img, 3, 2), R);
    EXPECT_EQ(At(img, 0, 1), W);
    EXPECT_EQ(At(img, 1, 3), W);
    for (int y = 4; y < 6; ++y)
        for (int x = 4; x < 6; ++x)
            EXPECT_EQ(At(img, x, y), R);
    EXPECT_EQ(At(img, 9, 7), R);
    EXPECT_EQ(At(img, 6, 6), W);
}

TEST_F(CanvasTest, StretchDIBitsSourceCountsFromTheLowerLeftCorner)
{
    // Rows top to bottom: red, green, blue. Source row 0 is the bottom (blue).
    const Dib d = MakeTestDib({{R, R}, {G, G}, {B, B}});
    QImage img = White(6, 6);
    {
        Canvas c(&img);
        c.StretchDIBits(0, 0, 2, 1, 0, 0, 2, 1, d, SRCCOPY);
        c.StretchDIBits(0, 2, 2, 2, 0, 1, 2, 2, d, SRCCOPY);   // rows 1..2 from below: red over green
    }
    EXPECT_EQ(At(img, 0, 0), B);
    EXPECT_EQ(At(img, 0, 2), R);
    EXPECT_EQ(At(img, 1, 3), G);
}

TEST_F(CanvasTest, StretchDIBitsAndCombinesWithTheDestination)
{
    const Dib d = MakeTestDib({{W, RGB(0, 255, 255)}, {K, RGB(128, 128, 128)}});
    QImage img = White(4, 4);
    {
        Canvas c(&img);
        c.Brush.Color = RGB(255, 255, 0);
        c.FillRect({0, 0, 4, 4});
        c.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, d, SRCAND);
    }
    EXPECT_EQ(At(img, 0, 0), RGB(255, 255, 0));   // white leaves what lies below
    EXPECT_EQ(At(img, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(At(img, 0, 1), K);
    EXPECT_EQ(At(img, 1, 1), RGB(128, 128, 0));
    EXPECT_EQ(At(img, 2, 2), RGB(255, 255, 0));
}

TEST_F(CanvasTest, StretchDIBitsCutsTheSourceAndRefusesBadDibs)
{
    const Dib d = MakeTestDib({{R, G}, {B, K}});
    QImage img = White(8, 8);
    Canvas c(&img);
    // A source of 4 x 4 from a 2 x 2 DIB: the part inside lands where a
    // full-size picture would have it; the rest stays as it was.
    EXPECT_EQ(c.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, d, SRCCOPY), 2);
    EXPECT_EQ(At(img, 0, 2), R);
    EXPECT_EQ(At(img, 0, 3), B);
    EXPECT_EQ(At(img, 1, 3), K);
    EXPECT_EQ(At(img, 0, 1), W);
    EXPECT_EQ(At(img, 2, 3), W);

    Dib shortBits = d;
    shortBits.bits.resize(5);
    Dib eightBit = d;
    eightBit.info.biBitCount = 8;
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, shortBits, SRCCOPY), 0);
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, eightBit, SRCCOPY), 0);
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, d, 0x00EE0086 /* SRCPAINT */), 0);
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 5, 5, 2, 2, d, SRCCOPY), 0);
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 0, 0, 0, 2, d, SRCCOPY), 0);
    EXPECT_EQ(c.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, Dib{}, SRCCOPY), 0);
}

TEST_F(CanvasTest, StretchDIBitsGivesTheSamePictureOnEveryPath)
{
    // Bitmaps are drawn pixel by pixel; a metafile replays through the
    // painter. Both must show the same picture.
    std::vector<std::vector<TColor>> rows;
    for (int y = 0; y < 5; ++y) {
        rows.emplace_back();
        for (int x = 0; x < 7; ++x)
            rows.back().push_back(RGB(x * 40, y * 60, (x * y * 13) & 255));
    }
    const Dib d = MakeTestDib(rows);
    struct Case {
        const char* name;
        int xd, yd, wd, hd, xs, ys, ws, hs;
    };
    const Case cases[] = {
        {"one to one", 3, 2, 7, 5, 0, 0, 7, 5},
        {"twice", 1, 1, 14, 10, 0, 0, 7, 5},
        {"uneven", 0, 0, 17, 12, 0, 0, 7, 5},
        {"shrunk", 2, 2, 4, 3, 0, 0, 7, 5},
        {"part, from below", 0, 0, 9, 6, 2, 1, 3, 2},
        {"beyond the DIB", 0, 0, 20, 20, -2, -2, 10, 10},
        {"off the image", -5, -4, 14, 10, 0, 0, 7, 5},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QImage direct = White(24, 24);
        {
            Canvas c(&direct);
            c.StretchDIBits(k.xd, k.yd, k.wd, k.hd, k.xs, k.ys, k.ws, k.hs, d, SRCCOPY);
        }
        QPicture pic;
        {
            Canvas c(&pic);
            c.StretchDIBits(k.xd, k.yd, k.wd, k.hd, k.xs, k.ys, k.ws, k.hs, d, SRCCOPY);
        }
        QImage replayed = White(24, 24);
        {
            QPainter p(&replayed);
            pic.play(&p);
        }
        EXPECT_TRUE(direct == replayed);
    }
}

TEST_F(CanvasTest, StretchDIBitsThroughAMovedPainterKeepsItsClip)
{
    const Dib d = MakeTestDib({{R, R, R, R}, {R, R, R, R}, {R, R, R, R}, {R, R, R, R}});
    QImage img = White(20, 20);
    {
        QPainter p(&img);
        p.translate(10, 10);
        Canvas c(&p);
        c.IntersectClipRect({0, 0, 2, 2});
        EXPECT_EQ(c.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, d, SRCCOPY), 4);
    }
    // Only the clipped 2 x 2 corner, at the painter's origin.
    EXPECT_EQ(Count(img, R), 4);
    EXPECT_EQ(Count(img, R, 10, 10, 12, 12), 4);
}

TEST_F(CanvasTest, ClippingIsIntersectedAndRestored)
{
    QImage img = White(10, 10);
    {
        Canvas c(&img);
        const TClip before = c.GetClip();
        c.IntersectClipRect({2, 2, 8, 8});
        c.IntersectClipRect({0, 0, 5, 5});
        c.Brush.Color = clRed;
        c.FillRect({0, 0, 10, 10});
        c.SelectClip(before);
        c.Brush.Color = clBlue;
        c.FillRect({9, 9, 10, 10});
    }
    EXPECT_EQ(Count(img, clRed), 9);
    EXPECT_EQ(Count(img, clRed, 2, 2, 5, 5), 9);
    EXPECT_EQ(At(img, 9, 9), clBlue);
}

TEST_F(CanvasTest, ViewportOriginAndScaling)
{
    QImage img = White(40, 40);
    {
        Canvas c(&img);
        EXPECT_EQ(c.SetViewportOrg(10, 20), (TPoint{0, 0}));
        c.Brush.Color = clRed;
        c.FillRect({0, 0, 2, 2});
        EXPECT_EQ(c.SetViewportOrg(0, 0), (TPoint{10, 20}));
        // A third of the size: a 30 x 30 logical square covers 10 x 10 pixels.
        c.SetMapMode(mmAnisotropic);
        c.SetWindowExt(3, 3);
        c.SetViewportExt(1, 1);
        c.Brush.Color = clBlue;
        c.FillRect({0, 0, 30, 30});
        // The clip rectangle is mapped too.
        c.IntersectClipRect({0, 0, 15, 15});
        c.Brush.Color = clLime;
        c.FillRect({0, 0, 120, 120});
    }
    EXPECT_EQ(Count(img, clRed), 4);
    EXPECT_EQ(At(img, 10, 20), clRed);
    EXPECT_EQ(Count(img, clLime), 25);
    EXPECT_EQ(Count(img, clBlue), 100 - 25);
}

TEST_F(CanvasTest, DrawsOnAMetafileAndThroughAForeignPainter)
{
    QPicture pic;
    {
        Canvas c(&pic);
        c.Brush.Color = clRed;
        c.Rectangle(2, 2, 6, 6);
        c.TextOut(0, 10, "1,1");
    }
    QImage img = White(30, 30);
    {
        QPainter p(&img);
        p.translate(5, 5);
        // A picture leaves the painter in the state it ended with.
        p.save();
        pic.play(&p);
        p.restore();
        // A canvas that adopts a painter starts from the painter's origin.
        Canvas c(&p);
        c.Brush.Color = clBlue;
        c.FillRect({20, 20, 22, 22});
    }
    EXPECT_EQ(At(img, 7, 7), clBlack);
    EXPECT_EQ(At(img, 9, 9), clRed);
    EXPECT_EQ(At(img, 25, 25), clBlue);
    EXPECT_EQ(Count(img, clBlue), 4);
}

TEST_F(CanvasTest, UnboundCanvasDoesNothing)
{
    Canvas c;
    EXPECT_FALSE(c.Active());
    c.LineTo(5, 5);
    c.Rectangle(0, 0, 4, 4);
    c.TextOut(0, 0, "x");
    EXPECT_EQ(c.PenPos(), (TPoint{5, 5}));
    EXPECT_EQ(c.Painter(), nullptr);
}

TEST_F(CanvasTest, BitmapCanvasDrawsIntoTheBitmap)
{
    Bitmap bmp(6, 4, PixelFormat::pf24bit);
    bmp.fill(clWhite);
    {
        BitmapCanvas c(bmp);
        const auto id = bmp.identity();
        c.Brush.Color = clRed;
        c.FillRect({1, 1, 3, 3});
        EXPECT_NE(bmp.identity(), id);
        EXPECT_EQ(bmp.pixel(1, 1), clRed);
        EXPECT_EQ(bmp.pixel(3, 3), clWhite);

        // A resized bitmap is picked up at the next call.
        bmp.setSize(10, 8);
        c.Brush.Color = clBlue;
        c.FillRect({8, 6, 10, 8});
        EXPECT_EQ(bmp.pixel(9, 7), clBlue);
        EXPECT_EQ(bmp.pixel(2, 2), clRed);
    }
    Bitmap bmp32(3, 3, PixelFormat::pf32bit);
    bmp32.fill(clWhite);
    {
        BitmapCanvas c(bmp32);
        c.Pen.Color = clLime;
        c.MoveTo(0, 1);
        c.LineTo(3, 1);
    }
    EXPECT_EQ(bmp32.pixel(2, 1), clLime);
    EXPECT_EQ(bmp32.pixel(2, 0), clWhite);

    // Palette bitmaps cannot be drawn on: nothing happens.
    Bitmap mono(4, 4, PixelFormat::pf8bit);
    BitmapCanvas m(mono);
    EXPECT_FALSE(m.Active());
    m.FillRect({0, 0, 4, 4});
}

TEST_F(CanvasTest, BitmapsDrawAndStretch)
{
    Bitmap src(2, 1, PixelFormat::pf24bit);
    src.setPixel(0, 0, clRed);
    src.setPixel(1, 0, clBlue);
    QImage img = White(8, 4);
    {
        Canvas c(&img);
        c.Draw(0, 0, src);
        c.StretchDraw({2, 1, 6, 3}, src);
    }
    EXPECT_EQ(At(img, 0, 0), clRed);
    EXPECT_EQ(At(img, 1, 0), clBlue);
    EXPECT_EQ(At(img, 3, 2), clRed);
    EXPECT_EQ(At(img, 4, 1), clBlue);
    EXPECT_EQ(At(img, 6, 1), clWhite);
}
