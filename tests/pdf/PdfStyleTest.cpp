// Text styles (parameters, parents, colours, charsets, what SetStyle and a
// page start do with them), the outline tree and named destinations, as
// the file holds them and as readers list them.
#include "pdf/PdfFont.h"
#include "pdf/PdfStyle.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pdf;
using pdftest::Entry;
using pdftest::ObjectLines;

namespace {

using Lines = std::vector<std::string>;

} // namespace

TEST(PdfStyleColour, TriplesAndNames)
{
    const struct {
        const char* text;
        bool ok;
        plat::TColor colour;
        const char* bad;
    } cases[] = {
        {"0, 128, 255", true, 0xFF8000, ""},
        {"", true, plat::clBlack, ""},
        {" 1 ,2, 3 ,trailing", true, 0x030201, ""},
        {"Red", true, plat::clRed, ""},
        {"skyblue", true, plat::clSkyBlue, ""},
        {"BtnFace", true, plat::clBtnFace, ""},
        {"MedGray", true, 0xA4A0A0, ""},
        {"1,2", false, 0, ""},
        {"0, 256, 0", false, 0, " 256, 0"},
        {"0,x,0", false, 0, "x,0"},
        {"-1,0,0", false, 0, "-1,0,0"},
        {"Orange", false, 0, "Orange"},
        {"[1,2,3]", false, 0, "[1,2,3]"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.text);
        plat::TColor c = 12345;
        std::string bad;
        EXPECT_EQ(ColorOfText(k.text, c, bad), k.ok);
        if (k.ok)
            EXPECT_EQ(c, k.colour);
        else
            EXPECT_EQ(bad, k.bad);
    }
}

TEST(PdfStyle, ParametersComeFromTheStyleOrItsParents)
{
    pdftest::OpenDoc d;
    TPdfStyle& base = d.pdf.DefineStyle("Basis");
    base.SetParameter("FontBold", "1");
    base.SetParameter("FontName", "Times New Roman");
    base.SetParameter("fontsize", "14");
    base.SetParameter("FontColor", "0, 128, 255");
    base.SetParameter("FontCharset", "greek");
    TPdfStyle& child = d.pdf.DefineStyle("Titel");
    child.SetParent(&base);
    child.SetParameter("FontItalic", "1");
    child.SetParameter("FontName", "");   // empty counts as absent
    EXPECT_EQ(&d.pdf.DefineStyle("TITEL"), &child) << "names in any case";

    d.c.SetStyle("titel");
    EXPECT_EQ(d.c.CurrentStyle(), &child);
    EXPECT_EQ(d.c.Font.Name, "Times New Roman");
    EXPECT_EQ(d.c.Font.Size, 14);
    EXPECT_EQ(d.c.Font.Color, plat::TColor(0xFF8000));
    EXPECT_EQ(d.c.Font.Style, unsigned(fsBold | fsItalic));
    EXPECT_EQ(d.c.Font.Charset, GREEK_CHARSET);

    child.SetParameter("FontBold", "2");   // only 1 sets a style bit
    child.SetParameter("FontCharset", "Thai");   // unknown: the charset stays
    child.SetParameter("LeftMargin", "30");
    base.SetParameter("Indent", "5");
    base.SetParameter("TopMargin", "7");
    d.c.SetStyle("Titel");
    EXPECT_EQ(d.c.Font.Style, unsigned(fsItalic));
    EXPECT_EQ(d.c.Font.Charset, GREEK_CHARSET);
    EXPECT_EQ(child.LeftMargin(), 35);
    EXPECT_EQ(child.TopMargin(), 7);
    d.c.SetStyle("Basis");
    child.SetParameter("FontCharset", "");
    base.SetParameter("FontCharset", "");
    d.c.SetStyle("Titel");
    EXPECT_EQ(d.c.Font.Charset, DEFAULT_CHARSET) << "no charset anywhere: the default";

    EXPECT_EQ(pdftest::ErrorOf([&] { base.SetParent(&child); }), "Bad parameters for method: Parent");
    EXPECT_FALSE(d.pdf.Opened()) << "a parent cycle is refused";
}

TEST(PdfStyle, SpacingAndAngleReachTheText)
{
    pdftest::OpenDoc d;
    TPdfStyle& s = d.pdf.DefineStyle("Schraeg");
    s.SetParameter("CharacterSpacing", "10");
    s.SetParameter("FontDegreeAngle", "90");
    s.SetParameter("FontUnderline", "1");
    d.c.SetStyle("Schraeg");
    EXPECT_EQ(d.c.CharacterSpacing(), 10);
    d.c.TextOut(1000, 1000, "Nord");
    const Lines l = d.lines();
    ASSERT_GE(l.size(), 11u);
    EXPECT_EQ(l[0], "2.835 Tc");
    // A quarter turn: the baseline runs up the page, the underline beside it.
    const long double bx = 1000 * 72 / 254.0L, by = 841.89L - 1000 * 72 / 254.0L - 10 * 0.9L;
    EXPECT_EQ(l[4], "0 1 -1 0 " + FormatNumber(bx) + " " + FormatNumber(by) + " Tm");
    std::istringstream under(l[10]);
    double x0, y0, x1, y1;
    char m;
    under >> x0 >> y0 >> m >> x1 >> y1;
    EXPECT_GT(x0, double(bx)) << "the underline lies to the right of an upward baseline";
    EXPECT_DOUBLE_EQ(x0, x1);
    EXPECT_GT(y1, y0);

    d.c.SetStyle("");
    EXPECT_EQ(d.c.TextAngle(), 0);
    EXPECT_EQ(d.c.CharacterSpacing(), 0);
}

TEST(PdfStyle, BadParametersAbandonTheDocument)
{
    const struct {
        const char* name;
        const char* value;
        const char* error;
    } cases[] = {
        {"FontSize", "zwoelf", "Numeric value expected for style parameter: FontSize = zwoelf"},
        {"FontDegreeAngle", "4.5", "Numeric value expected for style parameter: FontDegreeAngle = 4.5"},
        {"FontColor", "0, 300, 0", "Invalid color specification:  300, 0"},
        {"FontColor", "Orange", "Invalid color specification: Orange"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.error);
        pdftest::OpenDoc d;
        d.pdf.DefineStyle("S").SetParameter(k.name, k.value);
        EXPECT_EQ(pdftest::ErrorOf([&] { d.c.SetStyle("S"); }), k.error);
        EXPECT_FALSE(d.pdf.Opened());
        EXPECT_FALSE(d.fileExists());
    }
}

TEST(PdfStyle, APageStartsInTheCurrentStyleWhateverTheHandlerDid)
{
    pdftest::OpenDoc d;
    d.pdf.DefineStyle("Kopf").SetParameter("FontName", "Courier New");
    d.c.SetStyle("Kopf");
    d.pdf.OnNewPage = [](TPdfCanvas& c) {
        c.SetStyle("");
        c.Font.Name = "Times New Roman";
    };
    d.pdf.NewPage();
    EXPECT_EQ(d.c.Font.Name, "Courier New");
    EXPECT_EQ(d.c.CurrentStyle(), d.c.FindStyle("Kopf", false));
    d.pdf.EndDoc();
    EXPECT_EQ(d.c.CurrentStyle(), nullptr) << "styles belong to one document";
    EXPECT_EQ(pdftest::ErrorOf([&] { d.c.SetStyle("Kopf"); }), "Invalid style name: Kopf");
}

TEST(PdfOutline, CountsLinksAndOrder)
{
    pdftest::MemoryDoc d("/o/outline.pdf");
    d.pdf.BeginDoc();
    d.pdf.NewPage();
    d.pdf.NewPage();
    TBookmark& root = d.pdf.Outline();
    TBookmark& a = root.Add("A", 1);
    TBookmark& b = root.Add("B", 2, "/XYZ 0 842 0", false);
    b.Add("B1", 2);
    TBookmark& b2 = b.Add("B2", 3);
    b2.Add("B2a", 3);
    TBookmark& c = root.Add("C", 3, "/Fit", true);
    TBookmark& c1 = c.Add("C1", 3, "/Fit", false);
    c1.Add("C1a", 3);
    c1.Add("C1b", 3);
    // Visible below an open item: its children, and theirs where open.
    EXPECT_EQ(a.OpenCount(), 0);
    EXPECT_EQ(b.OpenCount(), 3);
    EXPECT_EQ(c.OpenCount(), 1) << "C1 is closed: its children are hidden";
    EXPECT_EQ(root.OpenCount(), 4);
    d.pdf.EndDoc();   // the tree goes with the document
    EXPECT_TRUE(d.pdf.Outline().Children().empty());

    const std::string& bytes = d.bytes();
    // Pages 4..9 are content and page objects; the tree follows in pre-order.
    const int r = 10, na = 11, nb = 12, nb1 = 13, nb2 = 14, nb2a = 15, nc = 16, nc1 = 17;
    const auto ref = [](int n) { return std::to_string(n) + " 0 R"; };
    const struct {
        int n;
        Lines lines;
    } want[] = {
        {r, {"<<", "/Count 4", "/First " + ref(na), "/Last " + ref(nc), ">>"}},
        {na, {"<<", "/Title (A)", "/Dest[5 0 R /Fit]", "/Parent " + ref(r), "/Next " + ref(nb), "/Count 0", ">>"}},
        {nb, {"<<", "/Title (B)", "/Dest[7 0 R /XYZ 0 842 0]", "/Parent " + ref(r), "/Prev " + ref(na),
              "/Next " + ref(nc), "/Count -3", "/First " + ref(nb1), "/Last " + ref(nb2), ">>"}},
        {nb1, {"<<", "/Title (B1)", "/Dest[7 0 R /Fit]", "/Parent " + ref(nb), "/Next " + ref(nb2), "/Count 0", ">>"}},
        {nb2, {"<<", "/Title (B2)", "/Dest[9 0 R /Fit]", "/Parent " + ref(nb), "/Prev " + ref(nb1), "/Count 1",
               "/First " + ref(nb2a), "/Last " + ref(nb2a), ">>"}},
        {nc1, {"<<", "/Title (C1)", "/Dest[9 0 R /Fit]", "/Parent " + ref(nc), "/Count -2", "/First " + ref(18),
               "/Last " + ref(19), ">>"}},
    };
    for (const auto& k : want)
        EXPECT_EQ(ObjectLines(bytes, k.n), k.lines) << k.n;
    const Lines catalog = ObjectLines(bytes, 20);
    EXPECT_EQ(Entry(catalog, "/Outlines "), ref(r));
}

TEST(PdfOutline, ReadersListTitlesAndPages)
{
    pdftest::TempDir dir;
    TPdfVell pdf;
    pdf.SetFileName(dir.file("outline.pdf"));
    pdf.BeginDoc();
    pdf.NewPage();
    pdf.Outline().Add("Karte", 1);
    TBookmark& tiles = pdf.Outline().Add("Kacheln \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e", 2, "/XYZ 0 800 0");
    tiles.Add("Kachel 1", 2);
    pdf.AddDestination("Table", 2, 100, 200);
    pdf.AddDestination("Intro", 1, 0, 0);
    pdf.EndDoc();
    ASSERT_TRUE(pdftest::PdfPassesChecks(pdf.FileName()));

    const std::string shown = pdftest::RunCommand("mutool show " + pdftest::ShellQuote(pdf.FileName()) + " outline").out;
    EXPECT_NE(shown.find("Karte"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Kacheln \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Kachel 1"), std::string::npos) << shown;

    const std::string json =
        pdftest::RunCommand("qpdf --json --json-key=outlines " + pdftest::ShellQuote(pdf.FileName())).out;
    for (const char* s : {"\"title\": \"Karte\"", "\"title\": \"Kachel 1\"", "\"destpageposfrom1\": 1",
                          "\"destpageposfrom1\": 2"})
        EXPECT_NE(json.find(s), std::string::npos) << s << "\n" << json;

    // Named destinations in name order, with their name tree.
    const std::string bytes = pdftest::ReadFileBytes(pdf.FileName());
    EXPECT_NE(bytes.find("/D [5 0 R /XYZ 0 841.89 null ]"), std::string::npos);
    EXPECT_NE(bytes.find("/D [7 0 R /XYZ 28.346 785.197 null ]"), std::string::npos);
    EXPECT_NE(bytes.find("/Names [(Intro)"), std::string::npos);
    EXPECT_NE(bytes.find("/Limits [(Intro)(Table)]"), std::string::npos);
}

TEST(PdfOutline, APageTheDocumentLacksIsAnError)
{
    {
        pdftest::MemoryDoc d("/o/missing.pdf");
        d.pdf.BeginDoc();
        d.pdf.Outline().Add("Nirgends", 2);
        EXPECT_EQ(pdftest::ErrorOf([&] { d.pdf.EndDoc(); }), "Bad parameters for method: Outline page 2");
        EXPECT_FALSE(d.fileExists());
    }
    {
        pdftest::MemoryDoc d("/o/missing.pdf");
        d.pdf.BeginDoc();
        d.pdf.AddDestination("Weit", 3, 0, 0);
        EXPECT_EQ(pdftest::ErrorOf([&] { d.pdf.EndDoc(); }), "Bad parameters for method: Destination Weit");
    }
    pdftest::MemoryDoc d("/o/none.pdf");
    d.pdf.BeginDoc();
    d.pdf.EndDoc();
    EXPECT_EQ(d.bytes().find("/Outlines"), std::string::npos);
    EXPECT_EQ(d.bytes().find("/Names"), std::string::npos);
}
