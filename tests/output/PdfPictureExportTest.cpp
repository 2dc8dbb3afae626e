#include "output/PdfPictureExport.h"
#include "output/PdfTileCommand.h"
#include "output/StripTiles.h"

#include "AllocationLimit.h"
#include "OutputFixture.h"
#include "PdfCheck.h"
#include "pdf/PdfVell.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tolv {
namespace {

using outtest::Grid;
using outtest::Snapshot;

// Counts what the window would show, and can cancel or fail on cue.
class Recorder : public ExportMonitor {
public:
    void Started() override { events += "S"; running = true; }
    void Progress(int percent) override { progress.push_back(percent); }
    void ProcessMessages() override
    {
        ++messages;
        if (onMessages)
            onMessages();
    }
    bool CancelRequested() override { return cancel; }
    void Finished() override { events += "F"; running = false; }

    std::string events;
    std::vector<int> progress;
    int messages = 0;
    bool running = false;
    bool cancel = false;
    std::function<void()> onMessages;
};

struct Export {
    pdftest::TempDir dir;
    pdf::TPdfVell pdf;
    plat::Bitmap tile;
    Recorder monitor;
    std::string path = dir.file("Plan.pdf");

    explicit Export(int quality = 90)
    {
        SetUpTileDocument(pdf, quality, DefaultPrintParams());
        pdf.SetFileName(path);
    }
    PictureExportResult Run(const OutputSnapshot& s, bool bmp = false, int workers = 0)
    {
        return ExportPictureTiles(pdf, s, Grid(s), PdfPageRect(s.PrintParams), bmp, tile, monitor, workers);
    }
};

// pdfimages -list: one line per image (type, width, height, encoding).
struct ImageLine {
    std::string type;
    int width = 0, height = 0;
    std::string enc;
};
std::vector<ImageLine> ImagesOf(const std::string& path)
{
    const auto r = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(path));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<ImageLine> out;
    std::istringstream in(r.out);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (n++ < 2)
            continue;   // heading and rule
        std::istringstream f(line);
        int page = 0, num = 0;
        ImageLine img;
        f >> page >> num >> img.type >> img.width >> img.height;
        std::string color, comp, bpc;
        f >> color >> comp >> bpc >> img.enc;
        out.push_back(img);
    }
    return out;
}

TEST(PdfPictureExport, OnePageAndOneJpegPerTile)
{
    Export e;
    const OutputSnapshot s = Snapshot(13, 37);
    const PictureExportResult r = e.Run(s);
    EXPECT_EQ(r.PagesDone, 4);
    EXPECT_FALSE(r.Cancelled);
    EXPECT_TRUE(r.WriterError.empty());
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
    EXPECT_EQ(pdftest::PdfInfo(e.path)["Pages"], "4");
    const auto images = ImagesOf(e.path);
    ASSERT_EQ(images.size(), 4u);
    for (const ImageLine& img : images) {
        EXPECT_EQ(img.width, 2362);
        EXPECT_EQ(img.height, 3389);
        EXPECT_EQ(img.enc, "jpeg");
    }
    // Progress: 10, +80 div 4 per further page, 100; shown and hidden once.
    EXPECT_EQ(e.monitor.progress, (std::vector<int>{10, 30, 50, 70, 100}));
    EXPECT_EQ(e.monitor.events, "SF");
    // Once before the pages, then once per hexagon row of every page.
    EXPECT_EQ(e.monitor.messages, 1 + 4 * 37);
    EXPECT_TRUE(e.tile.empty());   // the tile memory is released
    const auto info = pdftest::PdfInfo(e.path);
    EXPECT_EQ(info.at("Title"), "Tolvaria Spielplan");
    EXPECT_EQ(info.at("Author"), "J. Harmsdorf");
}

TEST(PdfPictureExport, CancelDuringTheFirstPageFinishesThatPage)
{
    Export e;
    e.monitor.onMessages = [&] {
        if (e.monitor.messages == 5)   // a row of page 1
            e.monitor.cancel = true;
    };
    const PictureExportResult r = e.Run(Snapshot(13, 37));
    EXPECT_TRUE(r.Cancelled);
    EXPECT_EQ(r.PagesDone, 1);
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
    EXPECT_EQ(pdftest::PdfInfo(e.path)["Pages"], "1");
    EXPECT_EQ(ImagesOf(e.path).size(), 1u);
    EXPECT_EQ(e.monitor.events, "SF");
}

TEST(PdfPictureExport, CancelBeforeTheFirstPageLeavesTheEmptyFirstPage)
{
    Export e;
    e.monitor.onMessages = [&] { e.monitor.cancel = true; };
    const PictureExportResult r = e.Run(Snapshot(13, 37));
    EXPECT_TRUE(r.Cancelled);
    EXPECT_EQ(r.PagesDone, 0);
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
    EXPECT_EQ(pdftest::PdfInfo(e.path)["Pages"], "1");
    EXPECT_TRUE(ImagesOf(e.path).empty());
}

TEST(PdfPictureExport, BmpCopyOfEveryTileBesideThePdf)
{
    Export e;
    const PictureExportResult r = e.Run(Snapshot(13, 45), true);
    ASSERT_EQ(r.PagesDone, 6);
    EXPECT_EQ(r.BmpFailures, 0);
    for (int i = 1; i <= 6; ++i) {
        const std::string bmp = e.dir.file("P" + std::to_string(i) + "_Plan.bmp");
        SCOPED_TRACE(bmp);
        ASSERT_TRUE(std::filesystem::exists(bmp));
        const auto id = pdftest::RunCommand("identify -format '%w %h' " + pdftest::ShellQuote(bmp));
        EXPECT_EQ(id.out, "2362 3389");
    }
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("P7_Plan.bmp")));
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
}

TEST(PdfPictureExport, BmpNames)
{
    EXPECT_EQ(TileBmpPath("/maps/Plan.pdf", 3), "/maps/P3_Plan.bmp");
    EXPECT_EQ(TileBmpPath("/maps/Plan", 12), "/maps/P12_Plan.bmp");
    EXPECT_EQ(TileBmpPath("/maps/my.plan.pdf", 1), "/maps/P1_my.plan.bmp");
}

TEST(PdfPictureExport, AFailedBmpCopyDoesNotStopTheExport)
{
    Export e;
    std::filesystem::create_directory(e.dir.file("P2_Plan.bmp"));   // a folder in the way
    const PictureExportResult r = e.Run(Snapshot(13, 37), true);
    EXPECT_EQ(r.PagesDone, 4);
    EXPECT_EQ(r.BmpFailures, 1);
    EXPECT_TRUE(std::filesystem::exists(e.dir.file("P3_Plan.bmp")));
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
}

TEST(PdfPictureExport, TilesGoDownTheFlatePathWhenJpegFails)
{
    pdftest::ScopedJpegEncoder failing(pdftest::ThrowingJpeg);
    Export e;
    OutputSnapshot s = Snapshot(4, 4);
    EXPECT_EQ(e.Run(s).PagesDone, 1);
    EXPECT_TRUE(pdftest::PdfPassesChecks(e.path));
    const auto images = ImagesOf(e.path);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].enc, "image");
    // The page shows the tile: a Pampa hexagon near the top-left corner.
    const pdftest::RgbImage page = pdftest::RenderPage(e.path, 1, 72);
    const auto px = page.at(int((50 + 201 * 0.8467) / 254.0 * 72), int((50 + 174 * 0.8467) / 254.0 * 72));
    EXPECT_NEAR(px[0], 255, 2);
    EXPECT_NEAR(px[1], 255, 2);
    EXPECT_NEAR(px[2], 0, 2);
}

TEST(PdfPictureExport, AWriterErrorWhilePlacingIsReportedAndLeavesNoFile)
{
    Export e;
    // The JPEG encoder fails and memory runs out on the way to deflate:
    // the writer abandons the document inside the placement.
    std::optional<pdftest::ScopedAllocationLimit> limit;
    pdftest::ScopedJpegEncoder failing([&](const plat::Bitmap&, int) -> std::vector<std::uint8_t> {
        limit.emplace(4096);   // a solid tile deflates to very little: the row buffer must fail
        throw std::runtime_error("no JPEG");
    });
    e.monitor.onMessages = [&] { limit.reset(); };
    // On this thread: the limit holds for every thread while it is set.
    const PictureExportResult r = e.Run(Snapshot(13, 37), false, 1);
    limit.reset();
    EXPECT_EQ(r.PagesDone, 4);   // runs on to its end as before
    EXPECT_NE(r.WriterError.find(pdf::msg::InternalError), std::string::npos) << r.WriterError;
    EXPECT_FALSE(std::filesystem::exists(e.path));
    EXPECT_EQ(e.monitor.events, "SF");
}

// Every terrain, so that the tiles differ from page to page.
OutputSnapshot MixedBoard(int cols, int rows)
{
    OutputSnapshot s = Snapshot(cols, rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            s.Board[std::size_t(c)][std::size_t(r)].Terrain = TerrainCode(1 + (c * 7 + r * 3) % 11);
    return s;
}

struct SameFileCase {
    const char* name;
    int tileMode = 0;
    bool coords = false;
    bool strip = false;
    bool flate = false;
};

// The export of s into the file at path, at a fixed moment (the file's
// identifier follows its name and the clock), as its bytes.
std::string ExportedBytes(const OutputSnapshot& s, const SameFileCase& c, int workers, const std::string& path)
{
    pdf::TPdfVell pdf;
    SetUpTileDocument(pdf, 80, s.PrintParams);
    pdf.Clock = [] { return pdf::PdfDateTime{2026, 12, 11, 10, 30, 0, 0}; };
    pdf.SetFileName(path);
    const TileGrid grid =
        c.strip ? *PdfStripTileGrid(s.PrintParams, s.Map) : *PdfPictureTileGrid(s.PrintParams, s.Map);
    std::optional<CountingStripLayout> strip;
    std::unique_ptr<TileRenderer> renderer;
    if (c.strip) {
        strip = MakeCountingStrip(grid.Hex, s.Map.ColCount, s.Map.RowCount, true);
        renderer = std::make_unique<StripTileRenderer>(s, grid, *strip);
    } else {
        renderer = std::make_unique<PictureTileRenderer>(s, grid);
    }
    Recorder monitor;
    plat::Bitmap tile;
    const PictureExportResult r =
        ExportPictureTiles(pdf, *renderer, grid, PdfPageRect(s.PrintParams), false, tile, monitor, workers);
    EXPECT_EQ(r.PagesDone, grid.PageCount());
    EXPECT_TRUE(r.WriterError.empty()) << r.WriterError;
    EXPECT_GT(grid.PageCount(), 3) << "more pages than some of the workers";
    if (workers == 1) {   // the others must be the same bytes
        EXPECT_TRUE(pdftest::PdfPassesChecks(path));
    }
    std::string bytes = pdftest::ReadFileBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

TEST(PdfPictureExport, WorkersWriteByteForByteTheFileOneThreadWrites)
{
    test::EnsureApplication();   // the labels and numbers need the font system
    const SameFileCase cases[] = {
        {.name = "portrait"},
        {.name = "landscape", .tileMode = 1},
        {.name = "coordinates", .coords = true},
        {.name = "counting strip", .strip = true},
        {.name = "counting strip, coordinates", .coords = true, .strip = true},
        {.name = "deflate", .flate = true},
    };
    for (const SameFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<pdftest::ScopedJpegEncoder> failing;
        if (c.flate)
            failing.emplace(pdftest::ThrowingJpeg);
        // Wide margins keep the tiles small and the pages many.
        OutputSnapshot s = MixedBoard(7, 12);
        s.PrintParams[ppMarginLeft] = s.PrintParams[ppMarginRight] = 700;
        s.PrintParams[ppMarginTop] = s.PrintParams[ppMarginBottom] = 1000;
        s.PrintParams[ppTileMode] = c.tileMode;
        s.PrintParams[ppShowCoords] = c.coords ? 1 : 0;
        pdftest::TempDir dir;
        const std::string path = dir.file("Plan.pdf");
        const std::string one = ExportedBytes(s, c, 1, path);
        ASSERT_FALSE(one.empty());
        EXPECT_EQ(one.find("/DCTDecode") == std::string::npos, c.flate);
        for (const int workers : {3, 0}) {
            const std::string many = ExportedBytes(s, c, workers, path);
            EXPECT_EQ(many.size(), one.size()) << workers;
            EXPECT_TRUE(many == one) << workers << " workers write another file";

        }
    }
}

// Draws as the picture renderer does, but page 2 fails; an int, not an
// exception of the library, when standard is false.
class FailingRenderer : public TileRenderer {
public:
    FailingRenderer(const OutputSnapshot& s, const TileGrid& grid, bool standard)
        : inner_(s, grid), standard_(standard)
    {
    }
    void Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow) const override
    {
        if (page == 2) {
            if (standard_)
                throw std::runtime_error("tile lost");
            throw 42;
        }
        inner_.Render(tile, page, beforeRow);
    }

private:
    PictureTileRenderer inner_;
    bool standard_;
};

TEST(PdfPictureExport, AFailedTileIsTheWritersErrorOnceAndLeavesNoFileOnEveryThread)
{
    for (const int workers : {1, 3}) {
        for (const bool standard : {true, false}) {
            SCOPED_TRACE(testing::Message() << workers << " workers, standard " << standard);
            Export e;
            const OutputSnapshot s = Snapshot(13, 37);
            const FailingRenderer renderer(s, Grid(s), standard);
            const PictureExportResult r = ExportPictureTiles(e.pdf, renderer, Grid(s), PdfPageRect(s.PrintParams),
                                                             true, e.tile, e.monitor, workers);
            EXPECT_EQ(r.PagesDone, 4);   // runs on to its end
            EXPECT_NE(r.WriterError.find(pdf::msg::InternalError), std::string::npos) << r.WriterError;
            if (standard) {
                EXPECT_NE(r.WriterError.find("tile lost"), std::string::npos) << r.WriterError;
            }
            EXPECT_FALSE(std::filesystem::exists(e.path));
            EXPECT_EQ(e.monitor.events, "SF");
            // The copies go on: all but the lost tile's.
            EXPECT_EQ(r.BmpFailures, 1);
            for (int page = 1; page <= 4; ++page)
                EXPECT_EQ(std::filesystem::exists(TileBmpPath(e.path, page)), page != 2) << page;
        }
    }
}

TEST(PdfPictureExport, ACancelLeavesCopiesOnlyOfThePagesWritten)
{
    Export e;
    e.monitor.onMessages = [&] {
        if (e.monitor.messages == 5)   // a row of page 1
            e.monitor.cancel = true;
    };
    const PictureExportResult r = e.Run(Snapshot(13, 45), true, 4);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_EQ(r.PagesDone, 1);
    EXPECT_EQ(pdftest::PdfInfo(e.path)["Pages"], "1");
    EXPECT_TRUE(std::filesystem::exists(e.dir.file("P1_Plan.bmp")));
    for (int page = 2; page <= 6; ++page)
        EXPECT_FALSE(std::filesystem::exists(TileBmpPath(e.path, page))) << page;
}

TEST(PdfPictureExport, AnErrorWhileMessagesAreProcessedLeavesNoWorkerBehind)
{
    Export e;
    std::optional<OutputSnapshot> s = Snapshot(13, 45);
    const TileGrid grid = Grid(*s);
    auto renderer = std::make_unique<PictureTileRenderer>(*s, grid);
    e.monitor.onMessages = [&] {
        if (e.monitor.messages == 10)
            throw std::runtime_error("window gone");
    };
    EXPECT_THROW(
        ExportPictureTiles(e.pdf, *renderer, grid, PdfPageRect(s->PrintParams), true, e.tile, e.monitor, 4),
        std::runtime_error);
    EXPECT_EQ(e.monitor.events, "SF");
    // Whatever a worker still used is gone now; the sanitizers see any touch.
    renderer.reset();
    s.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("P2_Plan.bmp")));
}

TEST(PdfPictureExport, AnErrorOfTheDocumentEndsTheExportTidily)
{
    Export e;
    std::filesystem::create_directory(e.path);   // BeginDoc cannot create it
    EXPECT_THROW(e.Run(Snapshot(13, 37)), pdf::EPdfError);
    EXPECT_EQ(e.monitor.events, "");   // nothing was shown
    EXPECT_TRUE(e.tile.empty());
}

TEST(PdfPictureExport, CommandStart)
{
    pdftest::TempDir dir;
    pdf::TPdfVell pdf;
    PrintParamArray p = DefaultPrintParams();
    p[ppTileMode] = 1;
    SetUpTileDocument(pdf, 55, p);
    EXPECT_EQ(pdf.JpegQuality(), 55);
    EXPECT_EQ(pdf.Orientation(), pdf::TPrinterOrientation::poLandscape);
    EXPECT_EQ(pdf.PageWidth(), 2970);
    EXPECT_EQ(pdf.PaperSizeName(), "A4");
    EXPECT_TRUE(pdf.Canvas().AlwaysNewImage);
    EXPECT_EQ(pdf.Canvas().ImageResolution, 300);
    EXPECT_EQ(pdf.Keywords(), "Tolvaria,Spielplan,Vennhalm,Harmsdorf,Quendler");

    const plat::FileDialogRequest r = PdfSaveDialogRequest("Speichern der PDF-Datei", "/x", "TolvariaPlan01.pdf");
    EXPECT_EQ(r.kind, plat::FileDialogKind::Save);
    EXPECT_EQ(r.filter, "PDF Dateien|*.pdf|alle Dateien|*.*");
    EXPECT_TRUE(r.options.overwritePrompt);

    const std::string old = dir.file("old.pdf");
    pdftest::WriteFileBytes(old, "x");
    EXPECT_TRUE(ClearPdfTarget(old));
    EXPECT_FALSE(std::filesystem::exists(old));
    EXPECT_TRUE(ClearPdfTarget(dir.file("none.pdf")));
    std::filesystem::create_directories(dir.file("busy.pdf/inner"));
    EXPECT_FALSE(ClearPdfTarget(dir.file("busy.pdf")));
    EXPECT_EQ(CannotWriteText("/a/b.pdf"), "Datei /a/b.pdf kann nicht beschrieben werden !");
}

} // namespace
} // namespace tolv
