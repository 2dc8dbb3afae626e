// TrueType fonts of the writer: names, keys, flags, widths lines and
// encodings, the objects a font writes on its first use, reuse, embedding
// and the errors that abandon a document.
#include "pdf/PdfFont.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"
#include "support/FontFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace pdf;
using pdftest::Entry;
using pdftest::ObjectLines;

namespace {

using Lines = std::vector<std::string>;

// Numbers of the objects whose lines hold the given line, in file order.
std::vector<int> ObjectsWith(const std::string& bytes, const std::string& line)
{
    std::vector<int> found;
    for (int n = 1; n < 200; ++n) {
        const Lines obj = ObjectLines(bytes, n);
        if (std::find(obj.begin(), obj.end(), line) != obj.end())
            found.push_back(n);
    }
    return found;
}

int RefOf(const std::string& ref)   // "12 0 R" -> 12
{
    return std::stoi(ref);
}

struct TextDoc : pdftest::MemoryDoc {
    TPdfCanvas& c = pdf.Canvas();
    TextDoc() : MemoryDoc("/t/text.pdf") {}
    // Draws each font's text and finishes the document.
    const std::string& Write(std::initializer_list<TFont> fonts, const std::string& text = "Hexfeld")
    {
        pdf.BeginDoc();
        int y = 100;
        for (const TFont& f : fonts) {
            c.Font = f;
            c.TextOut(100, y, text);
            y += 100;
        }
        pdf.EndDoc();
        return bytes();
    }
};

} // namespace

TEST(PdfFontNames, KeysStyledNamesAndNameTokens)
{
    const struct {
        TFont font;
        const char* styled;
        const char* key;
    } cases[] = {
        {{"Arial", 10, DEFAULT_CHARSET, 0}, "Arial", "Arial|1"},
        {{"Arial", 10, 0, fsBold}, "Arial,Bold", "Arial,Bold|0"},
        {{"Arial", 10, 0, fsItalic | fsUnderline}, "Arial,Italic", "Arial,Italic|0"},
        {{"Times New Roman", 8, 204, fsBold | fsItalic | fsStrikeOut}, "Times New Roman,BoldItalic",
         "Times New Roman,BoldItalic|204"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(StyledFontName(k.font), k.styled);
        EXPECT_EQ(FontKey(k.font), k.key);
    }
    EXPECT_EQ(EscapeName("Times New Roman,BoldItalic"), "Times#20New#20Roman,BoldItalic");
    EXPECT_EQ(EscapeName("Arial"), "Arial");
    // Every delimiter and byte outside 33..126 would end or break the token.
    EXPECT_EQ(EscapeName("A#(b)/<c>[d]{e}%f"), "A#23#28b#29#2F#3Cc#3E#5Bd#5D#7Be#7D#25f");
    EXPECT_EQ(EscapeName("Gr\xc3\xb6\xc3\x9f" "e\t~"), "Gr#C3#B6#C3#9Fe#09~");
}

TEST(PdfFontFlags, SymbolicOrNonsymbolicPlusFamilyAndItalic)
{
    const struct {
        bool symbolic;
        std::uint8_t pitchAndFamily;
        bool italic;
        int flags;
    } cases[] = {
        {false, 0x27, false, 32},        // Swiss
        {false, 0x17, false, 34},        // Roman
        {false, 0x37, true, 98},         // Modern carries the Roman bit; italic
        {false, 0x47, false, 40},        // Script
        {false, 0x57, false, 42},        // Decorative: both bits
        {true, 0x57, false, 14},         // Symbol
        {true, 0x07, true, 68},
    };
    for (const auto& k : cases)
        EXPECT_EQ(FontDescriptorFlags(k.symbolic, k.pitchAndFamily, k.italic), k.flags)
            << int(k.pitchAndFamily) << " symbolic " << k.symbolic;
}

TEST(PdfFontWidths, SixteenValuesALine)
{
    const Lines full = WidthsLines(std::vector<int>(224, 7));   // codes 32..255
    ASSERT_EQ(full.size(), 14u);
    EXPECT_EQ(full[0], "7 7 7 7 7 7 7 7 7 7 7 7 7 7 7 7 ");
    const Lines rest = WidthsLines(std::vector<int>(226, 500));   // codes 30..255
    ASSERT_EQ(rest.size(), 15u);
    EXPECT_EQ(rest.back(), "500 500 ");
    EXPECT_TRUE(WidthsLines({}).empty());
}

TEST(PdfFontEncodings, RunsPerCharsetAndTheRightToLeftCodes)
{
    const struct {
        int charset, codePage;
        std::size_t runs;
    } cases[] = {{0, 1252, 0}, {161, 1253, 9}, {162, 1254, 4}, {177, 1255, 8}, {178, 1256, 19},
                 {186, 1257, 20}, {204, 1251, 21}, {238, 1250, 32}, {2, 0, 0}, {1, 0, 0}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.charset);
        EXPECT_EQ(CharsetCodePage(k.charset), k.codePage);
        EXPECT_EQ(EncodingRuns(k.charset).size(), k.runs);
    }
    EXPECT_EQ(std::string(EncodingRuns(204)[0]), "128/afii10051/afii10052");

    auto count = [](const RtlFlags& f) { return std::count(f.begin(), f.end(), true); };
    RtlFlags arabic{}, hebrew{};
    ASSERT_TRUE(AssignRTLChars(EncodingRuns(178), arabic));
    ASSERT_TRUE(AssignRTLChars(EncodingRuns(177), hebrew));
    EXPECT_EQ(count(arabic), 61);
    EXPECT_EQ(count(hebrew), 54);
    EXPECT_TRUE(arabic[129] && arabic[255] && !arabic[128] && !arabic[215]);
    EXPECT_TRUE(hebrew[224] && hebrew[250] && !hebrew[202] && !hebrew[251]);

    RtlFlags bad{};
    const char* noSlash[] = {"129"};
    const char* notNumeric[] = {"x1/afii57506"};
    EXPECT_FALSE(AssignRTLChars(noSlash, bad));
    EXPECT_FALSE(AssignRTLChars(notNumeric, bad));
}

TEST(PdfFontEncodings, CodesShowWhatTheEncodingNames)
{
    const plat::FontCodeMap cyr = CharsetCodeMap(204);
    EXPECT_EQ(cyr[0xC0], U'\u0410');   // afii10017
    EXPECT_EQ(cyr[0x88], U'\u20AC');   // Euro
    EXPECT_EQ(cyr[0x98], U'\u02DC') << "undefined in 1251: WinAnsi's tilde shows";
    EXPECT_EQ(CharsetCodeMap(0)[0xDF], U'\u00DF');
}

TEST(PdfFontDocument, ArialInTheDefaultCharsetUsesWinAnsi)
{
    TextDoc d;
    const std::string& b = d.Write({TFont{}});
    const std::vector<int> fonts = ObjectsWith(b, "/Type/Font");
    ASSERT_EQ(fonts.size(), 1u);
    const Lines font = ObjectLines(b, fonts[0]);
    EXPECT_EQ(font, (Lines{"<<", "/Type/Font", "/Subtype/TrueType", "/Name/F0",
                           "/BaseFont/Arial", "/Encoding/WinAnsiEncoding", "/FirstChar 32", "/LastChar 255",
                           "/Widths " + Entry(font, "/Widths "), "/FontDescriptor " + Entry(font, "/FontDescriptor "),
                           ">>"}));
    // Widths, then descriptor, then the dictionary: in that order, at once.
    const int widths = RefOf(Entry(font, "/Widths "));
    const int descriptor = RefOf(Entry(font, "/FontDescriptor "));
    EXPECT_EQ(widths, 4);
    EXPECT_EQ(descriptor, 5);
    EXPECT_EQ(fonts[0], 6);
    const Lines w = ObjectLines(b, widths);
    EXPECT_EQ(w.front(), "[");
    EXPECT_EQ(w.back(), "]");
    EXPECT_EQ(w.size(), 16u) << "224 widths in 14 lines";

    const Lines desc = ObjectLines(b, descriptor);
    EXPECT_EQ(Entry(desc, "/FontName"), "/Arial");
    EXPECT_EQ(Entry(desc, "/Ascent "), "900");   // 120 pixels at 133 ppem, 7.5 units a pixel
    EXPECT_EQ(Entry(desc, "/Descent "), "-210");
    EXPECT_EQ(Entry(desc, "/CapHeight "), "900");
    EXPECT_EQ(Entry(desc, "/ItalicAngle "), "0");
    EXPECT_EQ(Entry(desc, "/Flags "), "32");
    EXPECT_EQ(Entry(desc, "/FontBBox"), "[0 0 0 0]");
    EXPECT_EQ(Entry(desc, "/FontFile2 "), "<missing>");
    EXPECT_TRUE(ObjectsWith(b, "/Type/Encoding").empty());

    const Lines res = ObjectLines(b, 3);
    EXPECT_EQ(res[2], "/Font<<");
    EXPECT_EQ(res[3], "/F0 6 0 R");
}

TEST(PdfFontDocument, BoldItalicNameAndTheCyrillicEncoding)
{
    TextDoc d;
    const std::string& b = d.Write({TFont{"Times New Roman", 12, 0, fsBold | fsItalic}, TFont{"Arial", 12, 204, 0}},
                                   "\xd0\x96");
    const std::vector<int> fonts = ObjectsWith(b, "/Type/Font");
    ASSERT_EQ(fonts.size(), 2u);
    const Lines times = ObjectLines(b, fonts[0]);
    EXPECT_EQ(Entry(times, "/BaseFont"), "/Times#20New#20Roman,BoldItalic");
    const Lines timesDesc = ObjectLines(b, RefOf(Entry(times, "/FontDescriptor ")));
    EXPECT_EQ(Entry(timesDesc, "/FontName"), "/Times#20New#20Roman");
    EXPECT_EQ(Entry(timesDesc, "/Flags "), "98") << "nonsymbolic, Roman, italic";
    EXPECT_EQ(Entry(timesDesc, "/ItalicAngle "), "-16");

    const Lines cyr = ObjectLines(b, fonts[1]);
    EXPECT_EQ(Entry(cyr, "/Name"), "/F1");
    const int enc = RefOf(Entry(cyr, "/Encoding "));
    EXPECT_EQ(enc, fonts[1] - 1) << "the encoding is written just before the dictionary";
    const Lines e = ObjectLines(b, enc);
    ASSERT_EQ(e.size(), 1u + 3u + 21u + 2u);
    EXPECT_EQ((Lines{e.begin(), e.begin() + 4}),
              (Lines{"<<", "/Type/Encoding", "/BaseEncoding/WinAnsiEncoding", "/Differences ["}));
    EXPECT_EQ(e[4], "128/afii10051/afii10052");
    EXPECT_EQ(e[24], "250/afii10092/afii10093/afii10094/afii10095/afii10096/afii10097");
    EXPECT_EQ(e[25], "]");
    // Zhe is byte 0xC6 of code page 1251.
    const std::string content = b.substr(b.find("/F1 12 Tf"), 80);
    EXPECT_NE(content.find("(\xc6) Tj"), std::string::npos);
}

TEST(PdfFontDocument, AFontIsReusedWhateverItsDecoration)
{
    TextDoc d;
    const std::string& b = d.Write({TFont{"Arial", 10, 0, 0}, TFont{"Arial", -14, 0, fsUnderline | fsStrikeOut},
                                    TFont{"Arial", 10, 0, fsBold}, TFont{"Arial", 10, DEFAULT_CHARSET, 0}});
    const std::vector<int> fonts = ObjectsWith(b, "/Type/Font");
    ASSERT_EQ(fonts.size(), 3u) << "Arial|0, Arial,Bold|0 and Arial|1";
    EXPECT_EQ(ObjectLines(b, 3), (Lines{"<<", "/ProcSet[/PDF/Text/ImageC]", "/Font<<",
                                        "/F0 " + std::to_string(fonts[0]) + " 0 R",
                                        "/F1 " + std::to_string(fonts[1]) + " 0 R",
                                        "/F2 " + std::to_string(fonts[2]) + " 0 R", ">>", ">>"}));
    EXPECT_NE(b.find("/F0 14 Tf"), std::string::npos) << "the size's magnitude";
}

TEST(PdfFontDocument, ErrorsAbandonTheDocument)
{
    const struct {
        TFont font;
        const char* error;
    } cases[] = {
        {{"Arial", 10, 2, 0}, "Font character set not supported: Arial"},
        {{"Arial", 10, 128, 0}, "Font character set not supported: Arial"},
        {{"Nimbus Sans", 10, 0, 0}, "This font is not TrueType: Nimbus Sans"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.error);
        TextDoc d;
        d.pdf.BeginDoc();
        d.c.Font = k.font;
        EXPECT_EQ(pdftest::ErrorOf([&] { d.c.TextOut(10, 10, "x"); }), k.error);
        EXPECT_FALSE(d.pdf.Opened());
        EXPECT_FALSE(d.fileExists());
        EXPECT_TRUE(d.c.Fonts().empty());
        d.c.TextOut(10, 10, "x");   // abandoned: nothing happens
    }
    TextDoc none;
    none.pdf.FontMatcher = [](const std::string&, bool, bool) { return std::unique_ptr<plat::FontFace>(); };
    none.pdf.BeginDoc();
    EXPECT_EQ(pdftest::ErrorOf([&] { none.c.TextOut(10, 10, "x"); }), "Internal error: GetTextMetrics");
}

namespace {

// A document whose every font is the given file.
struct FileFontDoc : TextDoc {
    explicit FileFontDoc(const std::string& path)
    {
        pdf.FontMatcher = [path](const std::string&, bool, bool) { return plat::FontFace::Open(path); };
        pdf.SetEmbedFonts(true);
        pdf.SetNonEmbeddedFonts({});
    }
    bool Embedded(const std::string& face)
    {
        const std::string& b = Write({TFont{face, 10, 0, 0}});
        const Lines font = ObjectLines(b, ObjectsWith(b, "/Type/Font").at(0));
        const Lines desc = ObjectLines(b, RefOf(Entry(font, "/FontDescriptor ")));
        return Entry(desc, "/FontFile2 ") != "<missing>";
    }
};

} // namespace

TEST(PdfFontDocument, SymbolFacesAreSymbolic)
{
    // Whatever file stands in for them, the three symbol faces (in any case)
    // are symbolic; the family bits come from the file.
    const std::string serif = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";
    const struct {
        const char* face;
        const char* flags;
    } cases[] = {{"Symbol", "6"}, {"wingdings", "6"}, {"Webdings", "6"}, {"Marlett", "34"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.face);
        FileFontDoc d(serif);
        d.pdf.SetEmbedFonts(false);
        const std::string& b = d.Write({TFont{k.face, 10, 0, 0}});
        const Lines font = ObjectLines(b, ObjectsWith(b, "/Type/Font").at(0));
        EXPECT_EQ(Entry(ObjectLines(b, RefOf(Entry(font, "/FontDescriptor "))), "/Flags "), k.flags);
    }
}

TEST(PdfFontEmbedding, OnlyWhenAskedAllowedListedAndReadable)
{
    {
        TextDoc d;   // EmbedFonts off
        const std::string& b = d.Write({TFont{"Arial", 10, 0, 0}});
        EXPECT_EQ(b.find("/FontFile2"), std::string::npos);
    }
    {
        TextDoc d;   // on, but Arial is listed as not to be embedded; case does not matter
        d.pdf.SetEmbedFonts(true);
        d.pdf.SetNonEmbeddedFonts({"ARIAL"});
        const std::string& b = d.Write({TFont{"Arial", 10, 0, 0}});
        EXPECT_EQ(b.find("/FontFile2"), std::string::npos);
    }
    const std::string ttf = tolv::test::ReadBytes(tolv::test::LiberationSansPath());
    ASSERT_FALSE(ttf.empty());
    {
        TextDoc d;
        d.pdf.SetEmbedFonts(true);
        d.pdf.SetNonEmbeddedFonts({});
        const std::string& b = d.Write({TFont{"Arial", 10, 0, 0}});
        const Lines font = ObjectLines(b, ObjectsWith(b, "/Type/Font").at(0));
        const Lines desc = ObjectLines(b, RefOf(Entry(font, "/FontDescriptor ")));
        const int file = RefOf(Entry(desc, "/FontFile2 "));
        EXPECT_EQ(file, 4) << "the font file comes first";
        const Lines obj = ObjectLines(b, file);
        EXPECT_EQ(obj[1], "/Filter[/ASCII85Decode/FlateDecode]");
        EXPECT_EQ(obj[3], "/Length1 " + std::to_string(ttf.size()));
        const std::size_t at = b.find("stream\n", b.find(std::to_string(file) + " 0 obj")) + 7;
        const std::size_t length = std::stoul(Entry(obj, "/Length "));
        EXPECT_EQ(b.substr(at + length, 10), "\nendstream");
        const std::vector<std::uint8_t> data = pdftest::Inflate(pdftest::Ascii85Decode(b.substr(at, length)));
        EXPECT_EQ(std::string(data.begin(), data.end()), ttf);
    }
    tolv::test::TempDir dir;
    const struct {
        const char* file;
        std::string bytes;
        bool embedded;
    } cases[] = {
        {"editable.ttf", tolv::test::WithFsType(ttf, 0x0008), true},
        {"preview.ttf", tolv::test::WithFsType(ttf, 0x0004), true},
        {"restricted.ttf", tolv::test::WithFsType(ttf, 0x0002), false},
        {"restricted-bitmap.ttf", tolv::test::WithFsType(ttf, 0x0202), false},
        {"no-subsetting.ttf", tolv::test::WithFsType(ttf, 0x0100), true},
        {"collection.ttc", tolv::test::AsCollection(ttf), false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.file);
        tolv::test::WriteBytes(dir.file(k.file), k.bytes);
        FileFontDoc d(dir.file(k.file));
        EXPECT_EQ(d.Embedded("Liberation Sans"), k.embedded);
    }
    // A font file that cannot be read is written without embedding.
    const std::string gone = dir.file("gone.ttf");
    tolv::test::WriteBytes(gone, ttf);
    auto face = plat::FontFace::Open(gone);
    ASSERT_TRUE(face);
    std::filesystem::remove(gone);
    FileFontDoc d(gone);
    d.pdf.FontMatcher = [&face](const std::string&, bool, bool) { return std::move(face); };
    EXPECT_FALSE(d.Embedded("Liberation Sans")) << "no document for a font file it cannot read";
}
