// The bytes of the file: the worked example, object order, information
// dictionary, resources and the hooks for images and encryption.
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace pdf;
using pdftest::ObjectLines;

namespace {

const PdfDateTime Jan2nd2006{2006, 1, 2, 15, 30, 0, 0};
const char* const ExampleName = "C:/PDF/plan.pdf";

struct Line {
    std::size_t offset;
    const char* text;   // without its LF
};

// The worked example, line by line with its byte offset.
const std::vector<Line> ExampleLines = {
    {0, "%PDF-1.3"}, {9, "1 0 obj"}, {17, "<<"}, {20, "/CreationDate(D:20060102153000)"},
    {52, "/Title()"}, {61, "/Producer(Ormavent Quillmark version 2.1)"}, {103, ">>"}, {106, "endobj"},
    {113, "4 0 obj"}, {121, "<<"}, {124, "/Length 103"}, {136, ">>"}, {139, "stream"},
    {146, "1 1 1 rg"}, {155, "0 0 0 RG"}, {164, "[]0 d"}, {170, "0.283 w"},
    {178, "28.346 813.543 m"}, {195, "141.732 813.543 l"}, {213, "28.346 700.157 l"},
    {230, "28.346 813.543 l"}, {247, "B"}, {249, "endstream"}, {259, "endobj"},
    {266, "5 0 obj"}, {274, "<<"}, {277, "/Type/Page"}, {288, "/Parent 2 0 R"},
    {302, "/MediaBox[ 0 0 595.276 841.89 ]"}, {334, "/Contents 4 0 R"}, {350, ">>"}, {353, "endobj"},
    {360, "6 0 obj"}, {368, "<<"}, {371, "/Type/Catalog"}, {385, "/Pages 2 0 R"}, {398, ">>"}, {401, "endobj"},
    {408, "2 0 obj"}, {416, "<<"}, {419, "/Type/Pages"}, {431, "/Kids["}, {438, "5 0 R"}, {444, "]"},
    {446, "/Count 1"}, {455, "/Resources 3 0 R"}, {472, ">>"}, {475, "endobj"},
    {482, "3 0 obj"}, {490, "<<"}, {493, "/ProcSet[/PDF/Text/ImageC]"}, {520, "/Font<<"}, {528, ">>"},
    {531, ">>"}, {534, "endobj"}, {541, "xref"}, {546, "0 7"},
    {550, "0000000000 65535 f\r"}, {570, "0000000009 00000 n\r"}, {590, "0000000408 00000 n\r"},
    {610, "0000000482 00000 n\r"}, {630, "0000000113 00000 n\r"}, {650, "0000000266 00000 n\r"},
    {670, "0000000360 00000 n\r"}, {690, "trailer"}, {698, "<<"}, {701, "/Size 7"}, {709, "/Root 6 0 R"},
    {721, "/Info 1 0 R"}, {733, "/ID[(387196458Flf)(387196458Flf)]"}, {767, ">>"}, {770, "startxref"},
    {780, "541"}, {784, "%%EOF"},
};

struct Fixture : pdftest::MemoryDoc {
    explicit Fixture(const char* name = ExampleName) : MemoryDoc(name) { pdf.Clock = [] { return Jan2nd2006; }; }
};

} // namespace

TEST(PdfStructure, WorkedExampleIsByteExact)
{
    Fixture f;
    f.pdf.BeginDoc();
    f.pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    f.pdf.EndDoc();

    std::string expected;
    for (const Line& l : ExampleLines) {
        ASSERT_EQ(expected.size(), l.offset) << "before " << l.text;
        expected += l.text;
        expected += '\n';
    }
    ASSERT_EQ(expected.size(), 790u);
    EXPECT_EQ(f.bytes(), expected);
    EXPECT_EQ(f.pdf.FileName(), ExampleName);
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(f.bytes()));
}

TEST(PdfStructure, TheCrossReferenceCheckCatchesBrokenFiles)
{
    // The check the fuzz target relies on: sound for the worked example,
    // and a reason, never an exception, for each way a file can be broken.
    std::string sound;
    for (const Line& l : ExampleLines)
        sound += std::string(l.text) + "\n";
    ASSERT_EQ(pdftest::XrefProblem(sound), "");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string b = sound;
        b.replace(b.find(from), from.size(), to);
        return b;
    };
    const struct {
        std::string bytes;
        const char* problem;
    } cases[] = {
        {sound.substr(0, sound.size() - 1), "file does not end with %%EOF and LF"},
        {replaced("0000000113 00000 n", "0000000114 00000 n"), "xref entry 4 (offset 114) does not point at '4 0 obj'"},
        {replaced("\n541\n", "\n542\n"), "startxref 542 does not point at an xref line"},
        {replaced("\n541\n", "\n99999999999999\n"), "startxref 99999999999999 does not point at an xref line"},
        {replaced("\n541\n", "\n99999999999999999999\n"), "startxref value '99999999999999999999'"},
        {replaced("0000000408 00000 n", "9999999999 00000 n"),
         "xref entry 2 (offset 9999999999) does not point at '2 0 obj'"},
        {replaced("\n0 7\n", "\n0 6\n"), "no trailer after 6 xref entries"},
        {replaced("/Size 7", "/Size 6"), "trailer lacks /Size 7\n"},
        {"%%EOF\n", "no startxref"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.problem);
        EXPECT_EQ(pdftest::XrefProblem(k.bytes), k.problem);
    }
}

TEST(PdfStructure, WorkedExampleOnDiskPassesTheReadersAndShowsItsInfo)
{
    pdftest::TempDir dir;
    TPdfVell pdf;
    pdf.Clock = [] { return Jan2nd2006; };
    pdf.SetFileName(dir.file("plan.pdf"));
    pdf.SetTitle("Tolvaria Spielplan");
    pdf.SetAuthor("J. Harmsdorf");
    pdf.SetSubject("Tolvaria Feldwerker / Vennhalm");
    pdf.SetKeywords("Tolvaria,Spielplan");
    pdf.SetProducer("Tolvaria Feldwerker / Vennhalm");
    pdf.BeginDoc();
    pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    pdf.EndDoc();

    ASSERT_TRUE(pdftest::PdfPassesChecks(pdf.FileName()));
    auto info = pdftest::PdfInfo(pdf.FileName());
    EXPECT_EQ(info["Page size"], "595.276 x 841.89 pts (A4)");
    EXPECT_EQ(info["Pages"], "1");
    EXPECT_EQ(info["Title"], "Tolvaria Spielplan");
    EXPECT_EQ(info["Author"], "J. Harmsdorf");
    EXPECT_EQ(info["Subject"], "Tolvaria Feldwerker / Vennhalm");
    EXPECT_EQ(info["Keywords"], "Tolvaria,Spielplan");
    EXPECT_EQ(info["Producer"], "Tolvaria Feldwerker / Vennhalm");
    EXPECT_NE(info["CreationDate"].find("2006"), std::string::npos) << info["CreationDate"];
    EXPECT_EQ(info["PDF version"], "1.3");
}

TEST(PdfStructure, InformationReadsBackAsWrittenBeyondLatin1)
{
    pdftest::TempDir dir;
    TPdfVell pdf;
    pdf.SetFileName(dir.file("euro.pdf"));
    pdf.SetTitle("Preis 5 \xe2\x82\xac \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e");   // PDFDocEncoding
    pdf.SetAuthor("\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd");                 // UTF-16
    pdf.BeginDoc();
    pdf.EndDoc();
    ASSERT_TRUE(pdftest::PdfPassesChecks(pdf.FileName()));
    auto info = pdftest::PdfInfo(pdf.FileName());
    EXPECT_EQ(info["Title"], "Preis 5 \xe2\x82\xac \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e");
    EXPECT_EQ(info["Author"], "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd");
}

TEST(PdfStructure, InformationDictionaryLines)
{
    Fixture f;
    f.pdf.SetTitle("A(b)\\");
    f.pdf.SetSubject("one\rtwo");
    f.pdf.SetKeywords("Gr\xc3\xb6\xc3\x9f" "e");
    f.pdf.BeginDoc();
    f.pdf.EndDoc();
    EXPECT_EQ(ObjectLines(f.bytes(), 1),
              (std::vector<std::string>{"<<", "/CreationDate(D:20060102153000)", "/Title(A\\(b\\)\\\\)",
                                        "/Subject(one\\rtwo)", "/Keywords(Gr\xf6\xdf" "e)",
                                        "/Producer(Ormavent Quillmark version 2.1)", ">>"}));
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(f.bytes()));
}

TEST(PdfStructure, PagesInOrderAndLengthCountsEveryLineFeed)
{
    Fixture f;
    f.pdf.SetPaperSizeName("A5");
    f.pdf.SetOrientation(TPrinterOrientation::poLandscape);
    f.pdf.BeginDoc();
    f.pdf.Canvas().AddContentLine("q");
    f.pdf.Canvas().AddContentLine("Q");
    f.pdf.NewPage();
    f.pdf.NewPage();
    f.pdf.Canvas().MoveTo(0, 0);
    f.pdf.Canvas().LineTo(2100, 1480);
    f.pdf.EndDoc();
    const std::string& b = f.bytes();

    // Objects: 1 info; pages of (content, page) 4/5, 6/7, 8/9; catalog 10; then 2 and 3.
    EXPECT_EQ(ObjectLines(b, 4), (std::vector<std::string>{"<<", "/Length 4", ">>", "stream", "q", "Q", "endstream"}));
    EXPECT_EQ(ObjectLines(b, 6), (std::vector<std::string>{"<<", "/Length 0", ">>", "stream", "endstream"}));
    EXPECT_EQ(ObjectLines(b, 2), (std::vector<std::string>{"<<", "/Type/Pages", "/Kids[", "5 0 R", "7 0 R", "9 0 R",
                                                           "]", "/Count 3", "/Resources 3 0 R", ">>"}));
    EXPECT_EQ(ObjectLines(b, 9)[3], "/MediaBox[ 0 0 595.276 419.528 ]");
    EXPECT_NE(b.find("/Size 11\n/Root 10 0 R\n"), std::string::npos);
    EXPECT_EQ(f.pdf.Canvas().PageObjects().size(), 0u) << "the reset empties the page list";
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(b));
    pdftest::TempDir dir;
    pdftest::WriteFileBytes(dir.file("a.pdf"), b);
    auto info = pdftest::PdfInfo(dir.file("a.pdf"));
    EXPECT_EQ(info["Pages"], "3");
    EXPECT_EQ(info["Page size"], "595.276 x 419.528 pts");
}

TEST(PdfStructure, PointsAsLengthUnit)
{
    Fixture f;
    f.pdf.SetLengthUnit(TLengthUnit::luPoint);
    f.pdf.BeginDoc();
    f.pdf.Canvas().Pen.Width = 2;
    f.pdf.Canvas().MoveTo(0, 0);
    f.pdf.Canvas().LineTo(595, 842);
    f.pdf.EndDoc();
    EXPECT_EQ(ObjectLines(f.bytes(), 4),
              (std::vector<std::string>{"<<", "/Length 37", ">>", "stream", "0 0 0 RG", "[]0 d", "2 w", "0 842 m",
                                        "595 0 l S", "endstream"}));
    EXPECT_EQ(ObjectLines(f.bytes(), 5)[3], "/MediaBox[ 0 0 595 842 ]");
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(f.bytes()));
}

namespace {

// An RGB image without filter, written the way image objects are; by
// default 2 x 1 pixels, red and blue.
class FakeImage final : public PdfPageResource {
public:
    explicit FakeImage(std::string name) : name_(std::move(name)) {}
    FakeImage(std::string name, int w, int h, std::string data)
        : name_(std::move(name)), width_(w), height_(h), data_(std::move(data)) {}
    const std::string& Name() const override { return name_; }
    int ObjectNumber() const override { return number_; }
    bool HasData() const override { return !data_.empty(); }
    void WriteObject(PdfObjectWriter& w) override
    {
        number_ = w.BeginObject("<<");
        for (const std::string& l : {std::string("/Type/XObject"), std::string("/Subtype/Image"),
                                     "/Width " + std::to_string(width_), "/Height " + std::to_string(height_),
                                     std::string("/ColorSpace/DeviceRGB"), std::string("/BitsPerComponent 8"),
                                     "/Length " + std::to_string(data_.size()), std::string(">>"), std::string("stream")})
            w.WriteLine(l);
        w.WriteRaw(data_.data(), data_.size());
        w.WriteRaw("\n", 1);
        w.EndObject("endstream");
        data_.clear();
        ++writes;
    }
    int writes = 0;

private:
    std::string name_;
    int number_ = 0;
    int width_ = 2, height_ = 1;
    std::string data_ = std::string("\xff\x00\x00\x00\x00\xff", 6);
};

} // namespace

TEST(PdfStructure, ImagesAreWrittenAfterTheirPageContentAndListedInTheResources)
{
    Fixture f;
    TPdfCanvas& c = f.pdf.Canvas();
    f.pdf.BeginDoc();
    EXPECT_EQ(c.NextImageName(), "Im0");
    auto image0 = std::make_unique<FakeImage>(c.NextImageName());
    FakeImage* im0 = image0.get();
    c.AddImage(std::move(image0));
    for (const char* l : {"q", "100 0 0 50 50 700 cm", "/Im0 Do", "Q"})
        c.AddContentLine(l);
    f.pdf.NewPage();
    EXPECT_EQ(c.NextImageName(), "Im1");
    EXPECT_EQ(im0->writes, 1);
    EXPECT_FALSE(im0->HasData());
    EXPECT_EQ(im0->ObjectNumber(), 5);
    c.AddImage(std::make_unique<FakeImage>(c.NextImageName()));
    for (const char* l : {"q", "100 0 0 50 50 600 cm", "/Im0 Do", "/Im1 Do", "Q"})
        c.AddContentLine(l);
    f.pdf.EndDoc();

    const std::string& b = f.bytes();
    // content 4, image 5, page 6; content 7, image 8, page 9; catalog 10.
    EXPECT_EQ(ObjectLines(b, 5)[1], "/Type/XObject");
    EXPECT_EQ(ObjectLines(b, 6)[1], "/Type/Page");
    EXPECT_EQ(ObjectLines(b, 8)[1], "/Type/XObject");
    EXPECT_EQ(ObjectLines(b, 3),
              (std::vector<std::string>{"<<", "/ProcSet[/PDF/Text/ImageC]", "/Font<<", ">>", "/XObject <<",
                                        "/Im0 5 0 R", "/Im1 8 0 R", " >>", ">>"}));
    ASSERT_TRUE(pdftest::PdfBytesPassChecks(b));

    pdftest::TempDir dir;
    pdftest::WriteFileBytes(dir.file("img.pdf"), b);
    const auto list = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(dir.file("img.pdf")));
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2 + 3) << list.out;   // header + 3 uses
}

TEST(PdfStructure, EncryptionHookEncryptsStringsAndContentAndWritesTheDictionary)
{
    Fixture f;
    f.standInEncryption = true;   // readers cannot open the stand-in's files
    std::string seenId;
    f.pdf.SecuritySetup = [&](const std::string& id) {
        seenId = id;
        return std::make_unique<pdftest::XorEncryption>();
    };
    // A string of any length is encrypted whole.
    const std::string title(300, 'T');
    f.pdf.SetTitle(title);
    f.pdf.BeginDoc();
    f.pdf.Canvas().AddContentLine("q");
    f.pdf.Canvas().AddContentLine("Q");
    f.pdf.EndDoc();
    EXPECT_EQ(seenId, "387196458Flf");
    const std::string& b = f.bytes();
    const auto info = ObjectLines(b, 1);
    EXPECT_EQ(info[2], "/Title(" + pdftest::Xor(title, 1) + ")");
    EXPECT_NE(b.find("stream\n" + pdftest::Xor("q\nQ\n", 4) + "endstream\n"), std::string::npos);
    // encryption dictionary 6, catalog 7
    std::string o, u;
    for (int i = 0; i < 32; ++i) {
        o += "01";
        u += "AB";
    }
    EXPECT_EQ(ObjectLines(b, 6), (std::vector<std::string>{"<<", "/Filter/Standard", "/V 1", "/R 2", "/O <" + o + ">",
                                                           "/U <" + u + ">", "/P -60", ">>"}));
    EXPECT_NE(b.find("/ID[(387196458Flf)(387196458Flf)]\n/Encrypt 6 0 R\n>>\n"), std::string::npos);
    EXPECT_TRUE(pdftest::XrefIsSound(b));
}

TEST(PdfStructure, LargeDocumentOnDiskReadsBack)
{
    // Pages of draft hexagons and a big unfiltered image cross the output
    // buffer's size many times, in small lines and in one large raw block.
    pdftest::TempDir dir;
    TPdfVell pdf;
    pdf.SetFileName(dir.file("large.pdf"));
    pdf.BeginDoc();
    TPdfCanvas& c = pdf.Canvas();
    for (int page = 0; page < 3; ++page) {
        if (page > 0)
            pdf.NewPage();
        for (int col = 0; col < 40; ++col) {
            for (int row = col % 2; row < 80; row += 2) {
                const int cx = col * 55 + 60, cy = row * 37 + 40;
                c.Brush.Color = plat::RGB(col * 6, row * 3, 200);
                c.Polygon({{cx - 34, cy}, {cx - 17, cy + 30}, {cx + 17, cy + 30}, {cx + 34, cy}, {cx + 17, cy - 30},
                           {cx - 17, cy - 30}, {cx - 34, cy}});
            }
        }
    }
    std::string pixels(300 * 300 * 3, '\0');
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<char>(i * 7);
    c.AddImage(std::make_unique<FakeImage>(c.NextImageName(), 300, 300, pixels));
    for (const char* l : {"q", "200 0 0 200 100 100 cm", "/Im0 Do", "Q"})
        c.AddContentLine(l);
    pdf.EndDoc();

    const std::string bytes = pdftest::ReadFileBytes(pdf.FileName());
    EXPECT_GT(bytes.size(), 500000u);
    EXPECT_TRUE(pdftest::PdfPassesChecks(pdf.FileName()));
    EXPECT_NE(bytes.find("stream\n" + pixels + "\nendstream\n"), std::string::npos);
    EXPECT_EQ(pdftest::PdfInfo(pdf.FileName())["Pages"], "3");
}
