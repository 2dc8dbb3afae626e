// The vector half of the canvas: paint state, polygons, lines, character
// spacing, page start and reset, and what a renderer makes of them.
#include "pdf/PdfFont.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <limits>

using namespace pdf;

namespace {

using pdftest::OpenDoc;

using Lines = std::vector<std::string>;

} // namespace

TEST(PdfCanvasPolygon, WhiteBrushBlackPenTriangle)
{
    OpenDoc d;
    d.c.Polygon({{100, 100}, {500, 100}, {100, 500}});
    EXPECT_EQ(d.lines(), (Lines{"1 1 1 rg", "0 0 0 RG", "[]0 d", "0.283 w", "28.346 813.543 m", "141.732 813.543 l",
                                "28.346 700.157 l", "28.346 813.543 l", "B"}));
}

TEST(PdfCanvasPolygon, PaintStateFromBrushAndPen)
{
    const std::string fill = "1 1 1 rg", stroke = "0 0 0 RG", solid = "[]0 d", dashed = "[3 3]0 d";
    const struct {
        TBrushStyle brush;
        TPenStyle pen;
        int width;
        Lines state;
        const char* op;
    } cases[] = {
        {TBrushStyle::bsSolid, TPenStyle::psSolid, 1, {fill, stroke, solid, "0.283 w"}, "B"},
        {TBrushStyle::bsClear, TPenStyle::psSolid, 1, {stroke, solid, "0.283 w"}, "S"},
        {TBrushStyle::bsSolid, TPenStyle::psClear, 1, {fill}, "f"},
        {TBrushStyle::bsSolid, TPenStyle::psSolid, 0, {fill}, "f"},
        {TBrushStyle::bsSolid, TPenStyle::psSolid, -2, {fill}, "f"},
        {TBrushStyle::bsCross, TPenStyle::psDash, 3, {fill, stroke, dashed, "0.85 w"}, "B"},
        {TBrushStyle::bsDiagCross, TPenStyle::psDot, 1, {fill, stroke, dashed, "0.283 w"}, "B"},
        {TBrushStyle::bsClear, TPenStyle::psDashDot, 1, {stroke, dashed, "0.283 w"}, "S"},
        {TBrushStyle::bsClear, TPenStyle::psDashDotDot, 1, {stroke, dashed, "0.283 w"}, "S"},
        {TBrushStyle::bsClear, TPenStyle::psInsideFrame, 1, {stroke, dashed, "0.283 w"}, "S"},
    };
    for (const auto& k : cases) {
        OpenDoc d;
        d.c.Brush.Style = k.brush;
        d.c.Pen.Style = k.pen;
        d.c.Pen.Width = k.width;
        d.c.Polygon({{0, 0}, {10, 0}});
        Lines want = k.state;
        for (const char* l : {"0 841.89 m", "2.835 841.89 l", "0 841.89 l"})
            want.push_back(l);
        want.push_back(k.op);
        EXPECT_EQ(d.lines(), want) << k.op << " width " << k.width;
    }
    OpenDoc none;
    none.c.Brush.Style = TBrushStyle::bsClear;
    none.c.Pen.Style = TPenStyle::psClear;
    none.c.Polygon({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_TRUE(none.lines().empty());
}

TEST(PdfCanvasPolygon, ColoursOfBrushAndPen)
{
    OpenDoc d;
    d.c.Brush.Color = plat::RGB(0, 128, 255);
    d.c.Pen.Color = plat::clBtnShadow;
    d.c.Polygon({{0, 0}, {1, 1}});
    EXPECT_EQ(d.lines()[0], "0 0.502 1 rg");
    EXPECT_EQ(d.lines()[1], "0.502 0.502 0.502 RG");
}

TEST(PdfCanvasPolygon, FewerThanTwoPointsAbandonTheDocument)
{
    for (std::size_t n : {0u, 1u}) {
        OpenDoc d;
        int aborts = 0;
        d.pdf.OnAbort = [&](TPdfVell&) { ++aborts; };
        std::vector<plat::TPoint> pts(n, plat::TPoint{5, 5});
        try {
            d.c.Polygon(pts);
            ADD_FAILURE() << "no error";
        } catch (const EPdfError& e) {
            EXPECT_STREQ(e.what(), "Bad parameters for method: Polygon");
            EXPECT_EQ(e.message(), "Bad parameters for method");
            EXPECT_EQ(e.detail(), "Polygon");
        }
        EXPECT_EQ(aborts, 1);
        EXPECT_TRUE(d.fs.files.empty());
        EXPECT_NO_THROW(d.c.Polygon(pts)) << "silent after the abort";
    }
}

TEST(PdfCanvasLines, MoveToWritesNothingLineToStrokesFromThePenPosition)
{
    OpenDoc d;
    d.c.MoveTo(100, 100);
    EXPECT_TRUE(d.lines().empty());
    d.c.Pen.Width = 5;
    d.c.LineTo(500, 100);
    EXPECT_EQ(d.lines(), (Lines{"0 0 0 RG", "[]0 d", "1.417 w", "28.346 813.543 m", "141.732 813.543 l S"}));
    EXPECT_EQ(d.c.PenPos().X, 500);

    // An invisible pen writes nothing but still moves.
    d.c.Pen.Style = TPenStyle::psClear;
    d.c.LineTo(700, 700);
    EXPECT_EQ(d.lines().size(), 5u);
    EXPECT_EQ(d.c.PenPos().X, 700);
    EXPECT_EQ(d.c.PenPos().Y, 700);

    // The page end puts the pen back at the top-left corner.
    d.pdf.NewPage();
    d.c.Pen.Style = TPenStyle::psSolid;
    d.c.LineTo(0, 100);
    EXPECT_EQ(d.lines()[3], "0 841.89 m");
}

namespace {

// The farthest coordinates an A4 page in tenths of a millimetre takes:
// 32767 points (115594.3 tenths) either side of the left edge, and of the
// bottom edge at y = 2970.
constexpr int kFarX = 115594;
constexpr int kFarTop = 2970 - 115594, kFarBottom = 2970 + 115594;

} // namespace

TEST(PdfCanvasFar, EveryDrawingCallRefusesWhatNoPageHolds)
{
    constexpr int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    plat::Bitmap bmp(4, 4, plat::PixelFormat::pf24bit);
    bmp.fill(plat::clRed);
    const struct {
        const char* what;
        std::function<void(TPdfCanvas&)> draw;
        const char* error;
    } cases[] = {
        {"polygon at the int limits", [](TPdfCanvas& c) { c.Polygon({{lo, lo}, {hi, hi}}); }, "Polygon"},
        {"polygon one unit too far right", [](TPdfCanvas& c) { c.Polygon({{0, 0}, {kFarX + 1, 0}}); }, "Polygon"},
        {"polygon one unit below", [](TPdfCanvas& c) { c.Polygon({{0, kFarBottom + 1}, {0, 0}}); }, "Polygon"},
        {"line to the int limits", [](TPdfCanvas& c) { c.LineTo(hi, lo); }, "LineTo"},
        {"line from a far pen position", [](TPdfCanvas& c) {
             c.MoveTo(lo, 0);
             c.LineTo(0, 0);
         }, "LineTo"},
        {"text at the int limits", [](TPdfCanvas& c) { c.TextOut(lo, lo, "Feld"); }, "TextOut"},
        {"text whose baseline leaves the page range", [](TPdfCanvas& c) { c.TextOut(0, kFarBottom, "Feld"); },
         "TextOut"},
        {"right-to-left text ending at INT_MIN", [](TPdfCanvas& c) {
             c.Font.Charset = HEBREW_CHARSET;
             c.TextOut(lo, 0, "\xd7\x90\xd7\x91");
         }, "TextOut"},
        {"underline running past the range", [](TPdfCanvas& c) {
             c.Font.Style = fsUnderline;
             c.TextOut(kFarX - 10, 0, "Hexfeld");
         }, "TextOut"},
        {"image across the int range", [&bmp](TPdfCanvas& c) { c.StretchDraw(lo, lo, hi, hi, &bmp); }, "StretchDraw"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        OpenDoc d;
        int aborts = 0;
        d.pdf.OnAbort = [&](TPdfVell&) { ++aborts; };
        EXPECT_EQ(pdftest::ErrorOf([&] { k.draw(d.c); }), std::string("Invalid property value: ") + k.error);
        EXPECT_EQ(aborts, 1);
        EXPECT_FALSE(d.fileExists());
    }
}

TEST(PdfCanvasFar, UpToTheLimitIsWrittenAndWhatWritesNothingRefusesNothing)
{
    OpenDoc d;
    d.c.Polygon({{kFarX, kFarTop}, {-kFarX, kFarBottom}, {0, 0}});
    EXPECT_EQ(d.lines()[4], "32766.803 32766.803 m");
    EXPECT_EQ(d.lines()[5], "-32766.803 -32766.803 l");
    d.c.MoveTo(-kFarX, kFarTop);
    d.c.LineTo(kFarX, kFarBottom);
    d.c.TextOut(kFarX - 1000, 0, "Rand");

    // Nothing to paint, nothing written: far coordinates are no error there.
    d.c.MoveTo(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    d.c.Pen.Style = TPenStyle::psClear;
    d.c.LineTo(std::numeric_limits<int>::max(), 0);
    d.c.Brush.Style = TBrushStyle::bsClear;
    d.c.Polygon({{std::numeric_limits<int>::min(), 0}, {std::numeric_limits<int>::max(), 0}});
    EXPECT_TRUE(d.pdf.Opened());
    // The file is checked by the readers when the document goes.
}

TEST(PdfCanvasSpacing, IssuedOnChangeAndAgainAtEveryPageStart)
{
    OpenDoc d;
    d.c.SetCharacterSpacing(10);
    d.c.SetCharacterSpacing(10);
    EXPECT_EQ(d.lines(), (Lines{"2.835 Tc"}));
    d.pdf.NewPage();
    EXPECT_EQ(d.lines(), (Lines{"2.835 Tc"}));
    d.c.SetCharacterSpacing(0);
    EXPECT_EQ(d.lines(), (Lines{"2.835 Tc", "0 Tc"}));
    d.pdf.NewPage();
    EXPECT_TRUE(d.lines().empty());
    d.pdf.EndDoc();

    // Set between documents: written once, as the first line of page 1.
    d.c.SetCharacterSpacing(-4);
    EXPECT_TRUE(d.lines().empty());
    d.pdf.BeginDoc();
    EXPECT_EQ(d.lines(), (Lines{"-1.134 Tc"}));
}

TEST(PdfCanvasReset, EndAndAbortRestoreFontPenAndBrush)
{
    for (bool abort : {false, true}) {
        OpenDoc d;
        d.c.Font = TFont{"Courier New", -12, 0, fsBold | fsUnderline, plat::clRed};
        d.c.Pen = TPen{plat::clBlue, TPenStyle::psDot, 7};
        d.c.Brush = TBrush{plat::clGreen, TBrushStyle::bsClear};
        d.c.AddContentLine("q");
        if (abort)
            d.pdf.Abort();
        else
            d.pdf.EndDoc();
        EXPECT_EQ(d.c.Font.Name, "Arial");
        EXPECT_EQ(d.c.Font.Size, 10);
        EXPECT_EQ(d.c.Font.Style, 0u);
        EXPECT_EQ(d.c.Font.Charset, 0) << "the charset stays";
        EXPECT_EQ(d.c.Font.Color, plat::clRed) << "the colour stays";
        EXPECT_EQ(d.c.Pen.Color, plat::clBlack);
        EXPECT_EQ(d.c.Pen.Style, TPenStyle::psSolid);
        EXPECT_EQ(d.c.Pen.Width, 1);
        EXPECT_EQ(d.c.Brush.Color, plat::clWhite);
        EXPECT_EQ(d.c.Brush.Style, TBrushStyle::bsSolid);
        EXPECT_TRUE(d.lines().empty());
        EXPECT_TRUE(d.c.Images().empty());
    }
}

TEST(PdfCanvasReset, OnNewPageSettingsStayForThePage)
{
    pdftest::MemoryDoc d("/c/p.pdf");
    TPdfVell& pdf = d.pdf;
    pdf.OnNewPage = [](TPdfCanvas& c) {
        c.Brush.Color = plat::clYellow;
        c.Pen.Style = TPenStyle::psClear;
        c.Polygon({{0, 0}, {100, 0}, {100, 100}});
    };
    pdf.BeginDoc();
    EXPECT_EQ(pdf.Canvas().ContentLines().front(), "1 1 0 rg");
    EXPECT_EQ(pdf.Canvas().Brush.Color, plat::clYellow);
    pdf.EndDoc();
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(d.bytes()));
}

namespace {

bool Near(const std::array<int, 3>& px, int r, int g, int b, int tol = 40)
{
    return std::abs(px[0] - r) <= tol && std::abs(px[1] - g) <= tol && std::abs(px[2] - b) <= tol;
}

std::string Describe(const std::array<int, 3>& px)
{
    return "(" + std::to_string(px[0]) + "," + std::to_string(px[1]) + "," + std::to_string(px[2]) + ")";
}

// A draft-tile-like hexagon of half width h around (cx, cy).
std::vector<plat::TPoint> Hexagon(int cx, int cy, int h, int r)
{
    const int q = h / 2;
    return {{cx - h, cy}, {cx - q, cy + r}, {cx + q, cy + r}, {cx + h, cy}, {cx + q, cy - r}, {cx - q, cy - r}, {cx - h, cy}};
}

} // namespace

TEST(PdfCanvasRender, FillsAndStrokesLandWhereTheyBelong)
{
    pdftest::TempDir dir;
    const std::string path = dir.file("vector.pdf");
    TPdfVell pdf;
    pdf.SetFileName(path);
    pdf.SetTitle("Vektortest");
    pdf.BeginDoc();
    TPdfCanvas& c = pdf.Canvas();

    // A red square without outline.
    c.Brush.Color = plat::clRed;
    c.Pen.Style = TPenStyle::psClear;
    c.Polygon({{200, 200}, {800, 200}, {800, 800}, {200, 800}});
    // A blue outline of a triangle, not filled, 2 mm wide.
    c.Brush.Style = TBrushStyle::bsClear;
    c.Pen = TPen{plat::clBlue, TPenStyle::psSolid, 20};
    c.Polygon({{1100, 200}, {1900, 200}, {1500, 800}});
    // A green hexagon with a black 1.5 mm outline, as the draft tiles draw them.
    c.Brush = TBrush{plat::clLime, TBrushStyle::bsSolid};
    c.Pen = TPen{plat::clBlack, TPenStyle::psSolid, 15};
    c.Polygon(Hexagon(1000, 1500, 400, 346));
    // A magenta line 3 mm wide.
    c.Pen = TPen{plat::clFuchsia, TPenStyle::psSolid, 30};
    c.MoveTo(200, 2500);
    c.LineTo(1900, 2500);
    // Page 2: one yellow square in the bottom-right corner.
    pdf.NewPage();
    c.Brush.Color = plat::clYellow;
    c.Pen.Style = TPenStyle::psClear;
    c.Polygon({{1600, 2500}, {2100, 2500}, {2100, 2970}, {1600, 2970}});
    pdf.EndDoc();

    ASSERT_TRUE(pdftest::PdfPassesChecks(path));
    EXPECT_EQ(pdftest::PdfInfo(path)["Title"], "Vektortest");

    // 50 dpi: a tenth of a millimetre is 50 / 254 pixels.
    const int dpi = 50;
    auto px = [&](const pdftest::RgbImage& img, int x, int y) { return img.at(x * dpi / 254, y * dpi / 254); };
    const pdftest::RgbImage p1 = pdftest::RenderPage(path, 1, dpi);
    ASSERT_NEAR(p1.width, 413, 1);
    ASSERT_NEAR(p1.height, 585, 1);
    const struct {
        int x, y;
        int r, g, b;
        const char* what;
    } probes[] = {
        {500, 500, 255, 0, 0, "inside the red square"},
        {150, 500, 255, 255, 255, "left of the red square"},
        {500, 900, 255, 255, 255, "below the red square"},
        {1500, 200, 0, 0, 255, "on the triangle's top edge"},
        {1500, 400, 255, 255, 255, "inside the unfilled triangle"},
        {1000, 1500, 0, 255, 0, "inside the hexagon"},
        {600, 1500, 0, 0, 0, "on the hexagon's left corner"},
        {1000, 1154, 0, 0, 0, "on the hexagon's top edge"},
        {1000, 1000, 255, 255, 255, "above the hexagon"},
        {1000, 2500, 255, 0, 255, "on the magenta line"},
        {1000, 2600, 255, 255, 255, "below the magenta line"},
        {1800, 2700, 255, 255, 255, "page 1 has no yellow corner"},
    };
    for (const auto& p : probes)
        EXPECT_TRUE(Near(px(p1, p.x, p.y), p.r, p.g, p.b)) << p.what << ": " << Describe(px(p1, p.x, p.y));

    const pdftest::RgbImage p2 = pdftest::RenderPage(path, 2, dpi);
    ASSERT_NEAR(p2.width, 413, 1);
    EXPECT_TRUE(Near(px(p2, 1800, 2700), 255, 255, 0)) << Describe(px(p2, 1800, 2700));
    EXPECT_TRUE(Near(px(p2, 500, 500), 255, 255, 255)) << Describe(px(p2, 500, 500));

    if (const char* keep = std::getenv("TOLV_KEEP_PDF"))
        pdftest::WriteFileBytes(keep, pdftest::ReadFileBytes(path));
}
