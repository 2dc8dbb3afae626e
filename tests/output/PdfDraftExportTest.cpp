#include "output/PdfDraftExport.h"
#include "output/PdfTileCommand.h"

#include "OutputFixture.h"
#include "PdfCheck.h"
#include "pdf/PdfFormat.h"
#include "pdf/PdfVell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tolv {
namespace {

using outtest::Snapshot;

class Recorder : public ExportMonitor {
public:
    void Started() override { events += "S"; }
    void Progress(int percent) override { progress.push_back(percent); }
    void Finished() override { events += "F"; }

    std::string events;
    std::vector<int> progress;
};

// A draft export into memory; the document's file is checked by the
// readers when the test ends.
struct DraftExport {
    pdftest::MemoryDoc doc{"/maps/Draft.pdf"};
    Recorder monitor;

    int Run(const OutputSnapshot& s)
    {
        SetUpTileDocument(doc.pdf, 90, s.PrintParams);
        const auto grid = PdfDraftTileGrid(s.PrintParams, s.Map);
        EXPECT_TRUE(grid);
        return grid ? ExportDraftTiles(doc.pdf, s, *grid, monitor) : -1;
    }

    // The content streams of the pages in order (the file holds no other
    // streams: no images, fonts not embedded).
    std::vector<std::string> Pages()
    {
        std::vector<std::string> pages;
        const std::string& b = doc.bytes();
        for (std::size_t at = b.find("\nstream\n"); at != std::string::npos; at = b.find("\nstream\n", at)) {
            const std::size_t end = b.find("endstream", at);
            pages.push_back(b.substr(at + 8, end - at - 8));
            at = end;
        }
        return pages;
    }
};

std::size_t Polygons(const std::string& content)
{
    std::size_t n = 0;
    for (const std::string& line : pdftest::SplitLines(content))
        n += line == "B";
    return n;
}

PrintParamArray Params(int tileMode)
{
    PrintParamArray p = DefaultPrintParams();
    p[ppTileMode] = tileMode;
    return p;
}

TEST(PdfDraftExport, GeometryInTenthsOfAMillimetre)
{
    // Hexagon 341 across and down, margins 50, overlap 80.
    const auto g = PdfDraftTileGrid(Params(0), MapShape{13, 37, true});
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Hex.q(), 85);
    EXPECT_EQ(g->Hex.h(), 170);
    EXPECT_EQ(g->Hex.p(), 255);
    EXPECT_EQ(g->Hex.r(), 148);   // Round(341 * 0.433)
    EXPECT_EQ(g->TileWidth, 1920);
    EXPECT_EQ(g->TileHeight, 2790);

    // Margins of different sizes show which one goes where when the page turns.
    PrintParamArray p = Params(1);
    p[ppMarginTop] = 30;
    p[ppMarginBottom] = 70;
    p[ppMarginLeft] = 110;
    p[ppMarginRight] = 90;
    EXPECT_EQ(PdfPageRect(p), (plat::TRect{30, 90, 2970 - 70, 2100 - 110}));
    const auto turned = PdfDraftTileGrid(p, MapShape{13, 37, true});
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->TileWidth, 2870 - 80);
    EXPECT_EQ(turned->TileHeight, 1900 - 80);

    p[ppOverlap] = 2800;   // no room left for a tile
    EXPECT_FALSE(PdfDraftTileGrid(p, MapShape{13, 37, true}));
}

TEST(PdfDraftExport, PageCountsFollowTheBoard)
{
    // Board width B = cols * 255 + 85, height H = (rows + 1) * 148; tiles
    // across Ceil((B - 80) / W), down Ceil((H - 80) / T).
    //   13 x 37: B 3400, H 5624
    //     portrait  W 1920, T 2790: Ceil(3320 / 1920) = 2, Ceil(5544 / 2790) = 2 -> 4
    //     landscape W 2790, T 1920: Ceil(3320 / 2790) = 2, Ceil(5544 / 1920) = 3 -> 6
    //   40 x 80: B 10285, H 11988
    //     portrait:  Ceil(10205 / 1920) = 6, Ceil(11908 / 2790) = 5 -> 30
    //     landscape: Ceil(10205 / 2790) = 4, Ceil(11908 / 1920) = 7 -> 28
    struct Case {
        int cols, rows, tileMode, pages;
        const char* mediaBox;
    };
    const Case cases[] = {
        {13, 37, 0, 4, "/MediaBox[ 0 0 595.276 841.89 ]"},
        {13, 37, 1, 6, "/MediaBox[ 0 0 841.89 595.276 ]"},
        {40, 80, 0, 30, "/MediaBox[ 0 0 595.276 841.89 ]"},
        {40, 80, 1, 28, "/MediaBox[ 0 0 841.89 595.276 ]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << " x " << c.rows << " mode " << c.tileMode);
        DraftExport e;
        OutputSnapshot s = Snapshot(c.cols, c.rows, tcWald);
        s.PrintParams = Params(c.tileMode);
        EXPECT_EQ(e.Run(s), c.pages);
        EXPECT_EQ(e.doc.pdf.PageCount(), c.pages);
        const std::vector<std::string> pages = e.Pages();
        ASSERT_EQ(pages.size(), std::size_t(c.pages));
        for (const std::string& page : pages)
            EXPECT_GT(Polygons(page), 0u);
        EXPECT_NE(e.doc.bytes().find(c.mediaBox), std::string::npos);
    }
}

TEST(PdfDraftExport, HexagonsStartInsideTheMarginsInTheirColoursWithABlackOutline)
{
    DraftExport e;
    OutputSnapshot s = Snapshot(13, 37, tcLeer);
    s.PrintParams = Params(1);
    s.PrintParams[ppMarginTop] = 30;   // the left margin of the turned page
    s.PrintParams[ppMarginRight] = 90; // its top margin
    s.PrintParams[ppGridWidth] = 4;
    s.Board[0][0].Terrain = tcWasser;
    e.Run(s);
    const std::vector<std::string> lines = pdftest::SplitLines(e.Pages().at(0));
    // Fill, outline colour, dash, width, then the left corner (x1, r + y1)
    // of cell (0, 0), in points from the bottom of the 2100-high page.
    const long double pt = 72.0L / 254.0L;
    const std::vector<std::string> expected = {
        pdf::ColorToPdf(s.ColorTable[tcWasser]) + "rg",
        "0 0 0 RG",
        "[]0 d",
        pdf::FormatNumber(4 * pt) + " w",
        pdf::FormatNumber(30 * pt) + " " + pdf::FormatNumber((2100 - 148 - 90) * pt) + " m",
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), expected);
    EXPECT_EQ(Polygons(e.Pages().at(0)), 1u);
}

TEST(PdfDraftExport, ALeerBoardGivesPagesWithoutPolygons)
{
    DraftExport e;
    OutputSnapshot s = Snapshot(13, 37, tcLeer);
    s.PrintParams[ppShowCoords] = 1;   // skipped cells have no label either
    EXPECT_EQ(e.Run(s), 4);
    const std::vector<std::string> pages = e.Pages();
    ASSERT_EQ(pages.size(), 4u);
    for (const std::string& page : pages)
        EXPECT_EQ(page, "");
}

TEST(PdfDraftExport, ProgressRunsFromTenToAHundred)
{
    DraftExport e;
    e.Run(Snapshot(13, 37));
    EXPECT_EQ(e.monitor.progress, (std::vector<int>{10, 30, 50, 70, 100}));
    EXPECT_EQ(e.monitor.events, "SF");

    DraftExport full;   // 30 pages: 80 div 30 = 2 per page
    full.Run(Snapshot(40, 80));
    ASSERT_EQ(full.monitor.progress.size(), 31u);
    EXPECT_EQ(full.monitor.progress[29], 10 + 29 * 2);
    EXPECT_EQ(full.monitor.progress.back(), 100);
}

TEST(PdfDraftExport, AWriterErrorAtANewPageEndsTheRunAndLeavesNoFile)
{
    DraftExport e;
    // Room for the header, not for the first page's content: finishing it
    // in NewPage fails.
    e.doc.fs.writeLimit = 2000;
    EXPECT_THROW(e.Run(Snapshot(13, 37)), pdf::EPdfError);
    EXPECT_EQ(e.monitor.events, "SF");   // the progress is hidden again
    EXPECT_FALSE(e.doc.fileExists());
    EXPECT_FALSE(e.doc.pdf.Opened());
}

TEST(PdfDraftExport, OnlyWhatCanMarkTheSheetIsWritten)
{
    // Hexagons 4 mm across (q 10, h 20, p 30, r 17) with their coordinates,
    // a page 40 mm high less 8 mm overlap: tile row 1 starts 320 down the
    // board, so row 13 is centred 32 above the sheet. Its hexagon misses
    // the sheet but its label, 10 points high from the centre down, does
    // not; row 1, far above, is left out.
    OutputSnapshot s = Snapshot(13, 37, tcWiese);
    s.PrintParams[ppHexSizeX] = s.PrintParams[ppHexSizeY] = 40;
    s.PrintParams[ppMarginBottom] = 2970 - 50 - 400;
    s.PrintParams[ppShowCoords] = 1;
    DraftExport e;
    e.Run(s);
    const std::vector<std::string> pages = e.Pages();
    ASSERT_GE(pages.size(), 2u);
    EXPECT_NE(pages[1].find("(1,13) Tj"), std::string::npos);
    EXPECT_EQ(pages[1].find("(1,1) Tj"), std::string::npos);
    EXPECT_NE(pages[0].find("(1,1) Tj"), std::string::npos);
}

} // namespace
} // namespace tolv
