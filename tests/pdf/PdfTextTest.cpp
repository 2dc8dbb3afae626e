// Text on the canvas: the operators TextOut writes, right-to-left
// placement, decoration lines, measuring, the default style, and what
// readers make of the file: fonts listed, text extracted, glyphs rendered
// where they were put, widths that match the faces.
#include "pdf/PdfFont.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

using namespace pdf;

namespace {

using Lines = std::vector<std::string>;

using pdftest::OpenDoc;

// Liberation Sans, which "Arial" resolves to: 2048 units per em, ascent
// 1854 (120 pixels at 133 ppem, so 0.9 points per point of size).
constexpr long double kArialAscent = 0.9L;

} // namespace

TEST(PdfTextOut, OperatorsInOrderWithTheBaselineBelowY)
{
    OpenDoc d;
    d.c.Font = TFont{"Arial", -12, 0, 0, plat::clRed};
    d.c.TextOut(100, 200, "a(b)");
    // x = 100 tenths = 28.346 pt; y = 841.89 - 56.693 - 12 * 0.9.
    EXPECT_EQ(d.lines(), (Lines{"BT", "/F0 12 Tf", "1 0 0 rg", "28.346 774.397 Td", "(a\\(b\\)) Tj", "ET"}));
    EXPECT_NEAR(841.89 - 200 * 72 / 254.0 - 12 * kArialAscent, 774.397, 0.001);
}

TEST(PdfTextOut, UnderlineAndStrikeOutFollowTheText)
{
    OpenDoc d;
    d.c.Font = TFont{"Arial", 20, 0, fsUnderline | fsStrikeOut, plat::clBlue};
    d.c.TextOut(0, 0, "Hexfeld");
    const Lines l = d.lines();
    ASSERT_EQ(l.size(), 6u + 4u + 4u);
    const long double by = 841.89 - 20 * kArialAscent;
    const long double w = std::nearbyint(d.c.TextWidth("Hexfeld") * 72 / 254.0L);
    for (std::size_t at : {6u, 10u}) {
        SCOPED_TRACE(at);
        EXPECT_EQ(l[at], "0 0 1 RG");
        EXPECT_EQ(l[at + 1], "[]0 d");
        EXPECT_EQ(l[at + 2].substr(l[at + 2].size() - 2), " w");
        double x0, y0, x1, y1;
        char m, lc, s;
        std::istringstream in(l[at + 3]);
        in >> x0 >> y0 >> m >> x1 >> y1 >> lc >> s;
        ASSERT_TRUE(in && m == 'm' && lc == 'l' && s == 'S') << l[at + 3];
        EXPECT_EQ(x0, 0);
        EXPECT_NEAR(x1, w, 0.001);
        EXPECT_EQ(y0, y1);
        if (at == 6)
            EXPECT_LT(y0, by) << "the underline is below the baseline";
        else
            EXPECT_GT(y0, by + 3) << "the strike-out runs through the lower case";
    }
}

TEST(PdfTextOut, RightToLeftTextEndsAtXAndComesReordered)
{
    OpenDoc d;
    d.c.Font = TFont{"Arial", 10, HEBREW_CHARSET, 0};
    // Alef, bet (0xE0, 0xE1 in code page 1255), then "12".
    const std::string text = "\xd7\x90\xd7\x91" "12";
    const int width = d.c.TextWidth(text);
    EXPECT_GT(width, 0);
    d.c.TextOut(1000, 100, text);
    const Lines l = d.lines();
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[3].substr(0, l[3].find(' ')), FormatNumber((1000 - width) * 72 / 254.0L));
    EXPECT_EQ(l[4], "(12\xe1\xe0) Tj");

    d.c.Font.Charset = ARABIC_CHARSET;
    d.c.TextOut(1000, 300, "\xd8\xa8" "a");   // beh (0xC8), then a Latin letter
    EXPECT_EQ(d.c.ContentLines()[10], "(a\xc8) Tj");
}

TEST(PdfTextOut, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    OpenDoc d;
    d.c.TextOut(0, 0, "Gr\xc3\xb6\xc3\x9f" "e \xe2\x82\xac \xe6\x97\xa5");
    EXPECT_EQ(d.lines()[4], "(Gr\xf6\xdf" "e \x80 ?) Tj");
    d.c.Font.Charset = RUSSIAN_CHARSET;
    d.c.TextOut(0, 0, "\xd0\x96 \xc3\xb6");   // Zhe is in 1251, o-umlaut is not
    EXPECT_EQ(d.lines()[10], "(\xc6 ?) Tj");
}

TEST(PdfTextMeasure, WidthAndHeightAsTheFaceGivesThem)
{
    OpenDoc d;
    // "Hexfeld" in Liberation Sans: 1479 + 1139 + 1024 + 569 + 1139 + 455 + 1139 units.
    const long double units = 1479 + 1139 + 1024 + 569 + 1139 + 455 + 1139;
    const long double tenths = units / 2048 * 10 * 254 / 72;   // at 10 points
    EXPECT_NEAR(d.c.TextWidth("Hexfeld"), tenths, 1.0);
    d.c.Font.Size = 40;
    EXPECT_NEAR(d.c.TextWidth("Hexfeld"), 4 * tenths, 1.0);
    // Spacing counts between characters, in the length unit.
    d.c.SetCharacterSpacing(5);
    EXPECT_NEAR(d.c.TextWidth("Hexfeld"), 4 * tenths + 6 * 5, 1.0);
    d.c.SetCharacterSpacing(0);
    // Ascent plus descent: (1854 + 434) / 2048 of the size.
    EXPECT_NEAR(d.c.TextHeight("x"), (1854.0 + 434) / 2048 * 40 * 254 / 72, 1.0);
    // Measuring writes nothing but the spacing lines.
    EXPECT_EQ(d.lines(), (Lines{"1.417 Tc", "0 Tc"}));
    EXPECT_TRUE(d.c.Fonts().empty());

    pdftest::ErrorOf([&] { d.pdf.SetLengthUnit(TLengthUnit::luPoint); });   // refused while open: abandons
    EXPECT_EQ(d.c.TextWidth("Hexfeld"), 1) << "after Abort";
    EXPECT_EQ(d.c.TextHeight("Hexfeld"), 1);
    d.c.TextOut(0, 0, "nothing");
}

TEST(PdfTextMeasure, WithoutADocumentMeasuringIsAnError)
{
    TPdfVell pdf;
    EXPECT_EQ(pdftest::ErrorOf([&] { pdf.Canvas().TextWidth("x"); }), "Document not opened");
    EXPECT_EQ(pdftest::ErrorOf([&] { pdf.Canvas().TextOut(0, 0, "x"); }), "Document not opened");
}

TEST(PdfTextSize, SizesBeyondTheLargestPageAreRefusedByEveryTextCall)
{
    const int sizes[] = {std::numeric_limits<int>::min(), -300000000, -32768, 32768, 300000000,
                         std::numeric_limits<int>::max()};
    const struct {
        const char* name;
        std::function<void(TPdfCanvas&)> call;
    } calls[] = {
        {"TextOut", [](TPdfCanvas& c) { c.TextOut(100, 100, "Feld"); }},
        {"TextWidth", [](TPdfCanvas& c) { c.TextWidth("Feld"); }},
        {"TextHeight", [](TPdfCanvas& c) { c.TextHeight("Feld"); }},
    };
    for (const int size : sizes)
        for (const auto& k : calls) {
            SCOPED_TRACE(std::string(k.name) + " at size " + std::to_string(size));
            OpenDoc d;
            d.c.Font.Size = size;
            EXPECT_EQ(pdftest::ErrorOf([&] { k.call(d.c); }), "Invalid property value: Font.Size");
            EXPECT_FALSE(d.pdf.Opened());
            EXPECT_FALSE(d.fileExists());
        }
}

TEST(PdfTextSize, TheLargestSizeIsMeasuredAndWritten)
{
    for (const int size : {32767, -32767}) {
        SCOPED_TRACE(size);
        OpenDoc d;
        d.c.Font.Size = size;
        d.c.Font.Style = fsUnderline;
        // Liberation Sans at 32767 points, in tenths of a millimetre.
        EXPECT_NEAR(d.c.TextWidth("H"), 1479.0 / 2048 * 32767 * 254 / 72, 2.0);
        EXPECT_NEAR(d.c.TextHeight("H"), (1854.0 + 434) / 2048 * 32767 * 254 / 72, 2.0);
        d.c.TextOut(0, 0, "H");
        ASSERT_GE(d.lines().size(), 4u);
        EXPECT_EQ(d.lines()[1], "/F0 32767 Tf");
        // Its top at the top of the page: the baseline far below the page, as far as a reader takes.
        EXPECT_EQ(d.lines()[3], "0 " + FormatNumber(2970 * 72 / 254.0L - 32767 * kArialAscent) + " Td");
    }
}

TEST(PdfTextStyle, TheEmptyStyleRestoresTheDefaultFont)
{
    OpenDoc d;
    d.c.Font = TFont{"Courier New", 30, RUSSIAN_CHARSET, fsBold | fsItalic, plat::clRed};
    d.c.SetCharacterSpacing(3);
    d.c.SetStyle("");
    EXPECT_EQ(d.c.Font.Name, "Arial");
    EXPECT_EQ(d.c.Font.Size, 10);
    EXPECT_EQ(d.c.Font.Charset, DEFAULT_CHARSET);
    EXPECT_EQ(d.c.Font.Style, 0u);
    EXPECT_EQ(d.c.Font.Color, plat::clBlack);
    EXPECT_EQ(d.c.CharacterSpacing(), 0);
    EXPECT_EQ(d.c.TextAngle(), 0);
    EXPECT_EQ(pdftest::ErrorOf([&] { d.c.SetStyle("Titel"); }), "Invalid style name: Titel");
    EXPECT_FALSE(d.pdf.Opened());
}

namespace {

// A page of text as the tools see it: Arial, Times New Roman bold italic,
// Courier New underlined and embedded, a Cyrillic line, and a large "H" in
// the face Arial stands for, embedded so that readers draw that very face.
struct TextFile {
    pdftest::TempDir dir;
    std::string path = dir.file("text.pdf");
    TextFile()
    {
        TPdfVell pdf;
        pdf.SetFileName(path);
        pdf.SetEmbedFonts(true);
        pdf.SetNonEmbeddedFonts({"Arial", "Times New Roman"});
        pdf.BeginDoc();
        TPdfCanvas& c = pdf.Canvas();
        c.Font = TFont{"Arial", 12, DEFAULT_CHARSET, 0};
        c.TextOut(200, 200, "12,34 Hexfeld Gr\xc3\xb6\xc3\x9f" "e");
        c.Font = TFont{"Times New Roman", 14, 0, fsBold | fsItalic};
        c.TextOut(200, 400, "Tolvaria Feldwerker");
        c.Font = TFont{"Courier New", 12, 0, fsUnderline};
        c.TextOut(200, 600, "Pampa Wiese Wald");
        c.Font = TFont{"Arial", 12, RUSSIAN_CHARSET, 0};
        c.TextOut(200, 800, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, \xd0\xbc\xd0\xb8\xd1\x80");
        c.Font = TFont{"Liberation Sans", 48, DEFAULT_CHARSET, 0};   // embedded: rendered as measured
        c.TextOut(1000, 1200, "H");
        pdf.EndDoc();
    }
};

std::vector<int> WidthsOf(const std::string& bytes, const std::string& baseFont)
{
    for (int n = 4; n < 100; ++n) {
        const Lines obj = pdftest::ObjectLines(bytes, n);
        if (std::find(obj.begin(), obj.end(), "/BaseFont/" + baseFont) == obj.end())
            continue;
        for (const std::string& l : obj)
            if (l.rfind("/Widths ", 0) == 0) {
                std::vector<int> widths;
                for (const std::string& line : pdftest::ObjectLines(bytes, std::stoi(l.substr(8)))) {
                    std::istringstream in(line);
                    for (int w; in >> w;)
                        widths.push_back(w);
                }
                return widths;
            }
    }
    return {};
}

} // namespace

TEST(PdfTextReaders, FontsAreListedAndTheTextComesBack)
{
    TextFile f;
    ASSERT_TRUE(pdftest::PdfPassesChecks(f.path));

    const auto fonts = pdftest::RunCommand("pdffonts " + pdftest::ShellQuote(f.path));
    ASSERT_EQ(fonts.exitCode, 0) << fonts.err;
    const Lines rows = pdftest::SplitLines(fonts.out);
    ASSERT_EQ(rows.size(), 2u + 5u) << fonts.out;
    // name, type, encoding, embedded: one row per font, in order of first use.
    const struct {
        const char* name;
        const char* encoding;
        const char* embedded;
    } want[] = {
        {"Arial", "WinAnsi", "no"},
        {"Times New Roman,BoldItalic", "WinAnsi", "no"},
        {"Courier New", "WinAnsi", "yes"},
        {"Arial", "Custom", "no"},
        {"Liberation Sans", "WinAnsi", "yes"},
    };
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(rows[i + 2]);
        const std::string& row = rows[i + 2];
        EXPECT_EQ(row.substr(0, row.find("  ")), want[i].name);
        std::istringstream rest(row.substr(37));
        std::string type, encoding, emb;
        rest >> type >> encoding >> emb;
        EXPECT_EQ(type, "TrueType");
        EXPECT_EQ(encoding, want[i].encoding);
        EXPECT_EQ(emb, want[i].embedded);
    }

    const auto text = pdftest::RunCommand("pdftotext -layout " + pdftest::ShellQuote(f.path) + " -");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("12,34 Hexfeld Gr\xc3\xb6\xc3\x9f" "e"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Tolvaria Feldwerker"), std::string::npos);
    EXPECT_NE(text.out.find("Pampa Wiese Wald"), std::string::npos);
    EXPECT_NE(text.out.find("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, \xd0\xbc\xd0\xb8\xd1\x80"),
              std::string::npos)
        << text.out;
}

TEST(PdfTextReaders, WidthsAgreeWithTheFacesOwnAdvances)
{
    TextFile f;
    const std::string bytes = pdftest::ReadFileBytes(f.path);
    const struct {
        const char* baseFont;
        const char* family;
        bool bold, italic;
        int charset;
    } fonts[] = {
        {"Arial", "Arial", false, false, 0},
        {"Times#20New#20Roman,BoldItalic", "Times New Roman", true, true, 0},
        {"Courier#20New", "Courier New", false, false, 0},
    };
    for (const auto& k : fonts) {
        SCOPED_TRACE(k.baseFont);
        const std::vector<int> widths = WidthsOf(bytes, k.baseFont);
        ASSERT_EQ(widths.size(), 224u);
        auto face = plat::FontFace::Match(k.family, k.bold, k.italic);
        ASSERT_TRUE(face);
        const plat::FontCodeMap codes = CharsetCodeMap(k.charset);
        for (int code = 32; code <= 255; ++code) {
            const double own = face->AdvanceUnits(codes[std::size_t(code)]) * 1000.0 / face->UnitsPerEm();
            EXPECT_NEAR(widths[std::size_t(code - 32)], own, 8) << "code " << code;
        }
    }
}

TEST(PdfTextReaders, GlyphsAreRenderedWhereTextOutPutThem)
{
    TextFile f;
    const int dpi = 100;
    const pdftest::RgbImage page = pdftest::RenderPage(f.path, 1, dpi);
    // The "H" at (1000, 1200) tenths of a millimetre, 48 points: its top lies
    // below Y by the ascent less the cap height (1409 of 2048), its left
    // side bearing is 162 units, its stem stands on the baseline.
    const double px = dpi / 254.0;
    const double pt = dpi / 72.0;
    const double top = 1200 * px + 48 * (0.9 - 1409.0 / 2048) * pt;
    const double base = 1200 * px + 48 * 0.9 * pt;
    const double left = 1000 * px + 48 * 162.0 / 2048 * pt;
    int minY = page.height, maxY = -1, minX = page.width;
    for (int y = int(1100 * px); y < int(1400 * px); ++y)
        for (int x = int(950 * px); x < int(1300 * px); ++x)
            if (page.at(x, y)[0] < 128) {
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                minX = std::min(minX, x);
            }
    ASSERT_GE(maxY, 0) << "nothing drawn";
    EXPECT_NEAR(minY, top, 2);
    EXPECT_NEAR(maxY + 1, base, 2);
    EXPECT_NEAR(minX, left, 2);
    // The first line, in whatever face the reader puts in for Arial, stands
    // on its baseline and starts at X.
    int firstBottom = -1, firstLeft = page.width;
    for (int y = int(180 * px); y < int(300 * px); ++y)
        for (int x = int(180 * px); x < int(220 * px); ++x)   // the "1" alone: the comma descends
            if (page.at(x, y)[0] < 128) {
                firstBottom = std::max(firstBottom, y);
                firstLeft = std::min(firstLeft, x);
            }
    EXPECT_NEAR(firstBottom + 1, 200 * px + 12 * 0.9 * pt, 2);
    EXPECT_NEAR(firstLeft, 200 * px, 2);
}
