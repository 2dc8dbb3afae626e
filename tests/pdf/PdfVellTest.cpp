// The component: properties, paper sizes, document life cycle and errors.
#include "pdf/PdfPaper.h"
#include "pdf/PdfVell.h"
#include "platform/Paths.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace pdf;
using pdftest::ErrorOf;
using pdftest::MemoryFileSystem;

namespace {

// A component writing into memory, counting its events.
struct Doc : pdftest::MemoryDoc {
    int starts = 0, ends = 0, aborts = 0, newPages = 0, pumps = 0;
    explicit Doc(const std::string& name = "/out/doc.pdf") : MemoryDoc(name)
    {
        pdf.OnStart = [this](TPdfVell& s) { EXPECT_EQ(&s, &pdf); ++starts; };
        pdf.OnEnd = [this](TPdfVell& s) { EXPECT_EQ(&s, &pdf); ++ends; };
        pdf.OnAbort = [this](TPdfVell& s) { EXPECT_EQ(&s, &pdf); ++aborts; };
        pdf.OnNewPage = [this](TPdfCanvas& c) { EXPECT_EQ(&c, &pdf.Canvas()); ++newPages; };
        pdf.ProcessMessages = [this] { ++pumps; };
    }
};

// After an error the document is gone, and drawing, NewPage and EndDoc do nothing.
void ExpectAbandoned(Doc& d)
{
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_TRUE(d.pdf.Aborted());
    EXPECT_FALSE(d.fileExists());
    EXPECT_EQ(d.aborts, 1);
    EXPECT_NO_THROW(d.pdf.Canvas().Polygon({{0, 0}, {10, 10}}));
    EXPECT_NO_THROW(d.pdf.Canvas().LineTo(5, 5));
    EXPECT_NO_THROW(d.pdf.NewPage());
    EXPECT_NO_THROW(d.pdf.EndDoc());
    EXPECT_FALSE(d.fileExists());
    EXPECT_EQ(d.ends, 0);
}

} // namespace

TEST(PdfVellProperties, ConstructorDefaults)
{
    TPdfVell pdf;
    EXPECT_EQ(pdf.About(), "Ormavent Quillmark version 2.1");
    pdf.SetAbout("other");
    EXPECT_EQ(pdf.About(), "Ormavent Quillmark version 2.1");
    EXPECT_EQ(pdf.ImageCompressMode(), TPdfCompressMode::cpJpeg);
    EXPECT_EQ(pdf.JpegQuality(), 90);
    EXPECT_EQ(pdf.LengthUnit(), TLengthUnit::luTenth);
    EXPECT_EQ(pdf.Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_TRUE(pdf.SmartStretchDraw);
    EXPECT_FALSE(pdf.WantShow);
    EXPECT_FALSE(pdf.EmbedFonts());
    EXPECT_EQ(pdf.NonEmbeddedFonts(), (std::vector<std::string>{"Arial", "Courier New", "Symbol", "Times New Roman"}));
    EXPECT_EQ(pdf.SymbolFonts(), (std::vector<std::string>{"Symbol", "Webdings", "Wingdings"}));
    EXPECT_TRUE(pdf.Title().empty());
    EXPECT_EQ(pdf.PageCount(), 0);
    // The paper the locale names (the tests run under C.UTF-8: A4).
    const PaperEntry& e = PaperTable()[static_cast<std::size_t>(SanePaperIndex(LocalePaperSize()))];
    EXPECT_EQ(pdf.PaperSizeName(), e.Name);
    EXPECT_EQ(pdf.PageWidth(), e.Width);
    EXPECT_EQ(pdf.PageHeight(), e.Height);
    const TPdfCanvas& c = pdf.Canvas();
    EXPECT_EQ(c.Font.Name, "Arial");
    EXPECT_EQ(c.Font.Size, 10);
    EXPECT_EQ(c.Font.Charset, 1);
    EXPECT_EQ(c.Font.Color, plat::clBlack);
    EXPECT_EQ(c.Pen.Color, plat::clBlack);
    EXPECT_EQ(c.Pen.Width, 1);
    EXPECT_EQ(c.Brush.Color, plat::clWhite);
    EXPECT_EQ(c.Brush.Style, TBrushStyle::bsSolid);
    EXPECT_EQ(c.ImageResolution, 600);
    EXPECT_FALSE(c.AlwaysNewImage);
    EXPECT_TRUE(c.EnableOutput());
    EXPECT_EQ(c.CharacterSpacing(), 0);
}

TEST(PdfVellPaper, NamesSizesOrientationAndUnits)
{
    TPdfVell pdf;
    pdf.SetPaperSizeName("a4");
    EXPECT_EQ(pdf.PaperSizeName(), "A4");
    EXPECT_EQ(pdf.PageWidth(), 2100);
    EXPECT_EQ(pdf.PageHeight(), 2970);
    // The first of the two B5 entries wins.
    pdf.SetPaperSizeName("B5");
    EXPECT_EQ(pdf.PageWidth(), 1820);
    EXPECT_EQ(pdf.PageHeight(), 2570);
    pdf.SetPaperSize(35);
    EXPECT_EQ(pdf.PaperSizeName(), "B6");
    EXPECT_EQ(pdf.PageWidth(), 1760);
    EXPECT_EQ(pdf.PageHeight(), 1250);
    pdf.SetPaperSize(0);
    EXPECT_EQ(pdf.PaperSizeName(), "Custom");
    EXPECT_EQ(pdf.PageWidth(), 0);

    pdf.SetOrientation(TPrinterOrientation::poLandscape);
    pdf.SetPaperSizeName("A4");
    EXPECT_EQ(pdf.PageWidth(), 2970);
    EXPECT_EQ(pdf.PageHeight(), 2100);
    pdf.SetOrientation(TPrinterOrientation::poLandscape);   // no change, no swap
    EXPECT_EQ(pdf.PageWidth(), 2970);
    pdf.SetOrientation(TPrinterOrientation::poPortrait);
    EXPECT_EQ(pdf.PageWidth(), 2100);
    EXPECT_EQ(pdf.PageHeight(), 2970);
    EXPECT_EQ(pdf.PaperSizeName(), "A4");

    pdf.SetLengthUnit(TLengthUnit::luPoint);
    EXPECT_EQ(pdf.PageWidth(), 595);
    EXPECT_EQ(pdf.PageHeight(), 842);
    EXPECT_EQ(pdf.UnitToPoints(), 1.0L);
    pdf.SetPaperSizeName("Letter");   // table sizes are converted into points
    EXPECT_EQ(pdf.PageWidth(), 612);
    EXPECT_EQ(pdf.PageHeight(), 792);
    pdf.SetLengthUnit(TLengthUnit::luPoint);   // same unit: sizes stay
    EXPECT_EQ(pdf.PageWidth(), 612);
    pdf.SetLengthUnit(TLengthUnit::luTenth);
    EXPECT_EQ(pdf.PageWidth(), 2159);
    EXPECT_EQ(pdf.PageHeight(), 2794);
    EXPECT_NEAR(static_cast<double>(pdf.PixelToUnit()), 254.0 / 96, 1e-12);

    pdf.SetPageWidth(1000);
    EXPECT_EQ(pdf.PaperSizeName(), "Custom");
    pdf.SetPaperSizeName("A4");
    pdf.SetPageHeight(1000);
    EXPECT_EQ(pdf.PaperSizeName(), "Custom");
}

TEST(PdfVellPaper, InvalidValuesRaise)
{
    TPdfVell pdf;
    const struct {
        std::function<void()> set;
        const char* error;
    } cases[] = {
        {[&] { pdf.SetPaperSizeName("Custom"); }, "Invalid property value: PaperSizeName"},
        {[&] { pdf.SetPaperSizeName("A6"); }, "Invalid property value: PaperSizeName"},
        {[&] { pdf.SetPaperSize(42); }, "Invalid property value: PaperSize"},
        {[&] { pdf.SetPaperSize(-1); }, "Invalid property value: PaperSize"},
        {[&] { pdf.SetJpegQuality(0); }, "Invalid value for property: JpegQuality"},
        {[&] { pdf.SetJpegQuality(101); }, "Invalid value for property: JpegQuality"},
        {[&] { pdf.SetJpegQuality(1); }, ""},
        {[&] { pdf.SetJpegQuality(100); }, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.set), c.error);
    EXPECT_EQ(pdf.JpegQuality(), 100);
}

TEST(PdfVellPaper, LocalePaper)
{
    EXPECT_EQ(PaperIndexForSize(210, 297), 9);
    EXPECT_EQ(PaperIndexForSize(216, 279), 1);   // glibc's Letter in whole millimetres
    EXPECT_EQ(PaperIndexForSize(216, 356), 5);
    EXPECT_EQ(PaperIndexForSize(297, 420), 8);
    EXPECT_EQ(PaperIndexForSize(100, 100), 0);
    EXPECT_EQ(LocalePaperSizeFrom({true, 148, 210, "49"}), 11);
    EXPECT_EQ(LocalePaperSizeFrom({true, 100, 100, "49"}), 9);
    EXPECT_EQ(LocalePaperSizeFrom({true, 100, 100, "1"}), 1);
    EXPECT_EQ(LocalePaperSizeFrom({false, 0, 0, "1"}), 1);
    EXPECT_EQ(LocalePaperSizeFrom({false, 0, 0, ""}), 9);
    // Values the table does not hold give A4; 297's low byte would have been 41.
    for (int v : {0, 42, 255, 297, -1})
        EXPECT_EQ(SanePaperIndex(v), 9) << v;
    for (int v : {1, 9, 41})
        EXPECT_EQ(SanePaperIndex(v), v);
}

TEST(PdfVellProperties, RefusedWhileOpenAbandonTheDocument)
{
    const struct {
        const char* detail;
        std::function<void(TPdfVell&)> set;
    } cases[] = {
        {"Author", [](TPdfVell& p) { p.SetAuthor("x"); }},
        {"EmbedFonts", [](TPdfVell& p) { p.SetEmbedFonts(true); }},
        {"FileName", [](TPdfVell& p) { p.SetFileName("x.pdf"); }},
        {"Keywords", [](TPdfVell& p) { p.SetKeywords("x"); }},
        {"Producer", [](TPdfVell& p) { p.SetProducer("x"); }},
        {"Subject", [](TPdfVell& p) { p.SetSubject("x"); }},
        {"Title", [](TPdfVell& p) { p.SetTitle("x"); }},
        {"LengthUnit", [](TPdfVell& p) { p.SetLengthUnit(TLengthUnit::luPoint); }},
        {"Orientation (use NewSection method)", [](TPdfVell& p) { p.SetOrientation(TPrinterOrientation::poLandscape); }},
        {"PageHeight (use NewSection method)", [](TPdfVell& p) { p.SetPageHeight(100); }},
        {"PageWidth (use NewSection method)", [](TPdfVell& p) { p.SetPageWidth(100); }},
        {"PaperSizeName (use NewSection method)", [](TPdfVell& p) { p.SetPaperSizeName("A4"); }},
        {"PaperSize (use NewSection method)", [](TPdfVell& p) { p.SetPaperSize(9); }},
        {"EnableOutput", [](TPdfVell& p) { p.Canvas().SetEnableOutput(false); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        Doc d;
        d.pdf.BeginDoc();
        ASSERT_TRUE(d.fileExists());
        EXPECT_EQ(ErrorOf([&] { c.set(d.pdf); }), std::string("Can't modify property when opened: ") + c.detail);
        ExpectAbandoned(d);
    }
    // An invalid value given while open abandons the document the same way.
    Doc d;
    d.pdf.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { d.pdf.SetJpegQuality(0); }), "Invalid value for property: JpegQuality");
    ExpectAbandoned(d);
}

TEST(PdfVellProperties, PlainSettingsAreAllowedWhileOpen)
{
    Doc d;
    d.pdf.BeginDoc();
    d.pdf.SetImageCompressMode(TPdfCompressMode::cpZlib);
    d.pdf.SetJpegQuality(50);
    d.pdf.SetNonEmbeddedFonts({"Arial"});
    d.pdf.SmartStretchDraw = false;
    d.pdf.WantShow = false;
    d.pdf.Canvas().ImageResolution = 300;
    d.pdf.Canvas().AlwaysNewImage = true;
    EXPECT_TRUE(d.pdf.Opened());
    d.pdf.EndDoc();
    EXPECT_EQ(d.aborts, 0);
    EXPECT_EQ(d.pdf.ImageCompressMode(), TPdfCompressMode::cpZlib);
    EXPECT_EQ(d.pdf.NonEmbeddedFonts(), (std::vector<std::string>{"Arial"}));
}

TEST(PdfVellLifeCycle, EventsPagesAndStateAcrossTwoDocuments)
{
    Doc d;
    d.pdf.BeginDoc();
    EXPECT_TRUE(d.pdf.Opened());
    EXPECT_EQ(d.starts, 1);
    EXPECT_EQ(d.newPages, 1);
    EXPECT_EQ(d.pumps, 1);
    EXPECT_EQ(d.pdf.PageCount(), 1);
    d.pdf.NewPage();
    d.pdf.NewPage();
    EXPECT_EQ(d.pdf.PageCount(), 3);
    EXPECT_EQ(d.newPages, 3);
    EXPECT_EQ(d.pumps, 3);
    d.pdf.EndDoc();
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_FALSE(d.pdf.Aborted());
    EXPECT_EQ(d.ends, 1);
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(d.fs.files["/out/doc.pdf"]));

    // After EndDoc drawing raises; EndDoc and Abort do nothing.
    EXPECT_EQ(ErrorOf([&] { d.pdf.Canvas().Polygon({{0, 0}, {1, 1}}); }), "Document not opened");
    EXPECT_EQ(ErrorOf([&] { d.pdf.Canvas().MoveTo(1, 1); }), "Document not opened");
    EXPECT_EQ(ErrorOf([&] { d.pdf.NewPage(); }), "Document not opened");
    EXPECT_NO_THROW(d.pdf.EndDoc());
    EXPECT_NO_THROW(d.pdf.Abort());
    EXPECT_EQ(d.aborts, 0);
    EXPECT_TRUE(d.fileExists()) << "a finished file stays";

    // The settings stay; the next document starts afresh.
    d.pdf.SetTitle("second");
    d.pdf.BeginDoc();
    EXPECT_EQ(d.pdf.PageCount(), 1);
    d.pdf.EndDoc();
    EXPECT_NE(d.fs.files["/out/doc.pdf"].find("/Title(second)"), std::string::npos);
    EXPECT_EQ(d.starts, 2);
}

TEST(PdfVellLifeCycle, NewPageWithoutDocumentRaises)
{
    Doc d;
    EXPECT_EQ(ErrorOf([&] { d.pdf.NewPage(); }), "Document not opened");
    EXPECT_FALSE(d.fileExists());
    EXPECT_NO_THROW(d.pdf.EndDoc());
    EXPECT_NO_THROW(d.pdf.Abort());
    EXPECT_EQ(d.aborts, 0);
}

TEST(PdfVellLifeCycle, AbortDeletesTheFileAndSilencesDrawingUntilBeginDoc)
{
    Doc d;
    d.pdf.BeginDoc();
    d.pdf.Abort();
    ExpectAbandoned(d);
    d.pdf.BeginDoc();
    EXPECT_FALSE(d.pdf.Aborted());
    d.pdf.Canvas().Polygon({{0, 0}, {1, 1}});
    d.pdf.EndDoc();
    EXPECT_TRUE(d.fileExists());
}

TEST(PdfVellLifeCycle, DestructorAbandonsAnOpenDocument)
{
    MemoryFileSystem fs;
    {
        TPdfVell pdf;
        pdf.FileSystem = &fs;
        pdf.SetFileName("/x/open.pdf");
        pdf.BeginDoc();
        EXPECT_EQ(fs.files.count("/x/open.pdf"), 1u);
    }
    EXPECT_EQ(fs.files.count("/x/open.pdf"), 0u);
}

TEST(PdfVellBeginDoc, RefusesEmptyNegativeOrHugePageSizesWithoutAFile)
{
    const struct {
        int width, height;
        const char* error;
    } cases[] = {
        {2100, 0, "Invalid property value: PageHeight"},
        {2100, -5, "Invalid property value: PageHeight"},
        {0, 2970, "Invalid property value: PageWidth"},
        {-1, 2970, "Invalid property value: PageWidth"},
        {0, 0, "Invalid property value: PageHeight"},
        // More than the largest number a reader takes, in points.
        {2100, 1155000, "Invalid property value: PageHeight"},
        {2147483647, 2970, "Invalid property value: PageWidth"},
    };
    for (const auto& c : cases) {
        Doc d;
        d.pdf.SetPageWidth(c.width);
        d.pdf.SetPageHeight(c.height);
        EXPECT_EQ(ErrorOf([&] { d.pdf.BeginDoc(); }), c.error);
        EXPECT_TRUE(d.fs.files.empty());
        EXPECT_FALSE(d.pdf.Opened());
        EXPECT_EQ(d.aborts, 0);
    }
}

TEST(PdfVellBeginDoc, AHugePageInAnotherUnitIsLimitedThenRefused)
{
    Doc d;
    d.pdf.SetLengthUnit(TLengthUnit::luPoint);
    d.pdf.SetPageHeight(2000000000);
    d.pdf.SetPageWidth(32767);
    d.pdf.SetLengthUnit(TLengthUnit::luTenth);   // 3.5 times the points: beyond int
    EXPECT_EQ(d.pdf.PageHeight(), 2147483647);
    EXPECT_EQ(ErrorOf([&] { d.pdf.BeginDoc(); }), "Invalid property value: PageHeight");
    EXPECT_TRUE(d.fs.files.empty());
}

TEST(PdfVellBeginDoc, TwiceLosesTheFirstDocument)
{
    Doc d;
    d.pdf.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { d.pdf.BeginDoc(); }), "PDF document already open");
    ExpectAbandoned(d);
}

TEST(PdfVellBeginDoc, NamesWithoutFolderGoToTheProgramFolder)
{
    Doc d("");
    d.pdf.BeginDoc();
    const std::string dir = plat::ProgramDir();
    EXPECT_EQ(d.pdf.FileName(), dir + "/File.pdf");
    d.pdf.EndDoc();
    EXPECT_TRUE(d.fileExists());

    Doc n("plan.pdf");
    n.pdf.BeginDoc();
    EXPECT_EQ(n.pdf.FileName(), dir + "/plan.pdf");
    n.pdf.Abort();

    Doc r("sub/plan.pdf");   // a relative name with a folder stays as it is
    r.pdf.BeginDoc();
    EXPECT_EQ(r.pdf.FileName(), "sub/plan.pdf");
    r.pdf.Abort();
}

TEST(PdfVellBeginDoc, FileSystemErrors)
{
    {
        Doc d;
        d.fs.throwOnExists = true;
        EXPECT_EQ(ErrorOf([&] { d.pdf.BeginDoc(); }), "File locked: /out/doc.pdf");
        EXPECT_FALSE(d.pdf.Opened());
    }
    {
        Doc d;
        d.fs.failCreate = true;
        EXPECT_EQ(ErrorOf([&] { d.pdf.BeginDoc(); }), "Can't open file: /out/doc.pdf");
        EXPECT_FALSE(d.pdf.Opened());
    }
    {
        // Abandoned where the file system cannot test for the file: the
        // partial file goes all the same.
        Doc d;
        d.pdf.BeginDoc();
        d.fs.throwOnExists = true;
        d.pdf.Abort();
        EXPECT_EQ(d.aborts, 1);
        EXPECT_TRUE(d.fs.files.empty());
    }
    {
        TPdfVell pdf;
        pdftest::TempDir dir;
        pdf.SetFileName(dir.file("missing/x.pdf"));
        EXPECT_EQ(ErrorOf([&] { pdf.BeginDoc(); }), "Can't open file: " + dir.file("missing/x.pdf"));
    }
}

TEST(PdfVellBeginDoc, ReplacesAnExistingFileButLeavesOtherKindsAlone)
{
    pdftest::TempDir dir;
    const std::string path = dir.file("old.pdf");
    pdftest::WriteFileBytes(path, std::string(100000, 'x'));
    TPdfVell pdf;
    pdf.SetFileName(path);
    pdf.BeginDoc();
    pdf.EndDoc();
    const std::string bytes = pdftest::ReadFileBytes(path);
    EXPECT_LT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.rfind("%PDF-1.3\n", 0), 0u);
    EXPECT_TRUE(pdftest::PdfPassesChecks(path));

    // A pipe that carries the chosen name is neither deleted nor written.
    const std::string fifo = dir.file("pipe.pdf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    pdf.SetFileName(fifo);
    EXPECT_EQ(ErrorOf([&] { pdf.BeginDoc(); }), "Can't open file: " + fifo);
    struct stat st{};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(PdfVellBeginDoc, NameWithANulByteTouchesNoOtherFile)
{
    // The system would see only the part before the NUL, a file that is not
    // the one named: it is neither deleted nor written.
    pdftest::TempDir dir;
    const std::string other = dir.file("plan");
    pdftest::WriteFileBytes(other, "keep me");
    TPdfVell pdf;
    const std::string name = other + std::string(1, '\0') + ".pdf";
    pdf.SetFileName(name);
    try {
        pdf.BeginDoc();
        ADD_FAILURE() << "no error";
    } catch (const EPdfError& e) {
        EXPECT_EQ(e.message(), "Can't open file");
        EXPECT_EQ(e.detail(), name);
    }
    EXPECT_FALSE(pdf.Opened());
    EXPECT_EQ(pdftest::ReadFileBytes(other), "keep me");
}

TEST(PdfVellWriteErrors, FailedWritesAbandonTheDocument)
{
    // The disk fills while the first page is finished.
    Doc d;
    d.fs.writeLimit = 200;
    d.pdf.BeginDoc();
    d.pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    EXPECT_EQ(ErrorOf([&] { d.pdf.NewPage(); }), "File write error, or disk full");
    ExpectAbandoned(d);
}

TEST(PdfVellWriteErrors, FailureAtCloseIsNoSuccess)
{
    Doc d;
    d.fs.failClose = true;
    d.pdf.BeginDoc();
    d.pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    EXPECT_EQ(ErrorOf([&] { d.pdf.EndDoc(); }), "File write error, or disk full");
    ExpectAbandoned(d);
}

TEST(PdfVellWriteErrors, RealFileThatCannotGrowIsDeleted)
{
    // The file size limit makes write() fail with EFBIG like a full disk;
    // the small document sits in the output buffer until EndDoc flushes it.
    pdftest::TempDir dir;
    const std::string path = dir.file("full.pdf");
    TPdfVell pdf;
    pdf.SetFileName(path);
    int aborts = 0;
    pdf.OnAbort = [&](TPdfVell&) { ++aborts; };

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 300;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    pdf.BeginDoc();
    pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    error = ErrorOf([&] { pdf.EndDoc(); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(error, "File write error, or disk full");
    EXPECT_EQ(aborts, 1);
    EXPECT_FALSE(plat::FileExists(path));
}
