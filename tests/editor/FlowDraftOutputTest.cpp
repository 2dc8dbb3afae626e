// "Draft" → "Kacheln - in PDF-Datei" through the main window: menu command,
// save dialog (scripted), the PDF file on disk checked, read and rendered
// by readers we did not write.
#include "editor/Unit1.h"

#include "output/TileGeometry.h"
#include "pdf/PdfVell.h"

#include "FlowSupport.h"
#include "PdfCheck.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace tolv;

namespace {

namespace fs = std::filesystem;

constexpr int Dpi = 300;
int ToPixels(double tenth) { return int(tenth / 254.0 * Dpi); }

class FlowDraft : public flow::WindowFlowTest {
protected:
    std::string Pdf() const { return out_.file("Draft.pdf"); }
    void Export()
    {
        seam_.answerFiles({Pdf()});
        form_->est22->trigger();
    }
    int Pages() { return flow::PdfPages(Pdf()); }
    std::string PageText(int page)
    {
        const std::string p = std::to_string(page);
        return pdftest::RunCommand("pdftotext -f " + p + " -l " + p + " " + pdftest::ShellQuote(Pdf()) + " -").out;
    }
};

TEST_F(FlowDraft, TheMenuCommandWritesCheckedPagesWithTheCoordinates)
{
    TForm1& form = Start(13, 37);
    ASSERT_TRUE(form.est22->isEnabled());
    Fill(tcPampa);
    form.State().PrintParams[ppShowCoords] = 1;
    form.ProfileRecord().Acrobat = true;
    Export();
    ASSERT_TRUE(fs::exists(Pdf()));
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    EXPECT_EQ(Pages(), 4);
    const auto info = pdftest::PdfInfo(Pdf());
    EXPECT_EQ(info.at("Title"), "Tolvaria Spielplan");
    EXPECT_NE(info.at("Page size").find("(A4)"), std::string::npos);
    // The top-left cells of the board on page 1; page 4 starts far inside it.
    const std::string first = PageText(1);
    for (const char* label : {"0,1", "1,0", "2,1", "3,0"})
        EXPECT_NE(first.find(label), std::string::npos) << label << " in\n" << first;
    EXPECT_EQ(PageText(4).find("0,1\n"), std::string::npos);
    EXPECT_NE(PageText(4).find("12,35"), std::string::npos);

    EXPECT_EQ(form.State().PdfFileName, Pdf());
    EXPECT_EQ(seam_.fileDialogCalls().back().request.title, "Speichern der PDF-Datei");
    ASSERT_EQ(seam_.shellCalls().size(), 1u);
    EXPECT_EQ(seam_.shellCalls()[0].target, Pdf());
    EXPECT_FALSE(form.Gauge1->isVisible());
    EXPECT_FALSE(form.BitBtn6->isVisible());
    EXPECT_FALSE(form.OutputRunning());
    EXPECT_TRUE(seam_.messageBoxes().empty());
}

// Colour of a rendered pixel as a 0x00BBGGRR value.
plat::TColor ColourAt(const pdftest::RgbImage& page, int x, int y)
{
    const auto p = page.at(x, y);
    return plat::RGB(p[0], p[1], p[2]);
}

bool Near(plat::TColor a, plat::TColor b)
{
    return std::abs(plat::GetRValue(a) - plat::GetRValue(b)) + std::abs(plat::GetGValue(a) - plat::GetGValue(b)) +
               std::abs(plat::GetBValue(a) - plat::GetBValue(b)) <
           12;
}

TEST_F(FlowDraft, HexagonsShowTheirTerrainColoursWhereTheyBelongAtTheirSize)
{
    Start(13, 37);
    Fill(tcLeer);
    // The map has FirstOdd set: (3, 2) and (9, 20) exist.
    form_->State().Board[3][2].Terrain = tcWasser;
    form_->State().Board[9][20].Terrain = tcWald;
    const plat::TColor wasser = form_->State().ColorTable[tcWasser];
    const plat::TColor wald = form_->State().ColorTable[tcWald];
    Export();
    ASSERT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    ASSERT_EQ(Pages(), 4);

    // Centre of (3, 2) on page 1: (3 p + h + 50, 2 r + r + 50) = (985, 494) in 1/10 mm.
    const pdftest::RgbImage page1 = pdftest::RenderPage(Pdf(), 1, Dpi);
    const int cx = ToPixels(985), cy = ToPixels(494);
    ASSERT_TRUE(Near(ColourAt(page1, cx, cy), wasser));
    // Its extent, outline included, corner to corner and across the flats
    // (2 Round(341 * 0.433) = 296); the outline's middle is the hexagon's
    // edge, so half the 0.3 mm pen lies outside on either side.
    auto inked = [&](int x, int y) { return !Near(ColourAt(page1, x, y), plat::clWhite); };
    int left = cx, right = cx, top = cy, bottom = cy;
    while (inked(left - 1, cy))
        --left;
    while (inked(right + 1, cy))
        ++right;
    while (inked(cx, top - 1))
        --top;
    while (inked(cx, bottom + 1))
        ++bottom;
    const double pen = 0.3;
    EXPECT_NEAR((right - left + 1) * 25.4 / Dpi - pen, 34.1, 0.2);
    EXPECT_NEAR((bottom - top + 1) * 25.4 / Dpi - pen, 29.6, 0.2);
    // Black outline, white around it.
    EXPECT_TRUE(Near(ColourAt(page1, left + 1, cy), plat::clBlack));
    EXPECT_TRUE(Near(ColourAt(page1, cx, top - 3), plat::clWhite));

    // (9, 20) on page 4, whose tile starts at (1920, 2790) of the board:
    // (9 p + h + 50 - 1920, 20 r + r + 50 - 2790) = (595, 368).
    const pdftest::RgbImage page4 = pdftest::RenderPage(Pdf(), 4, Dpi);
    EXPECT_TRUE(Near(ColourAt(page4, ToPixels(595), ToPixels(368)), wald));
    EXPECT_TRUE(Near(ColourAt(page4, ToPixels(595 + 255), ToPixels(368)), plat::clWhite));
}

TEST_F(FlowDraft, RefusedWithoutRoomForATile)
{
    struct Case {
        int left, right, top, bottom, overlap;
    };
    // Margins and overlap leave a tile of no width, no height, or less.
    const Case cases[] = {{1000, 1020, 50, 50, 80}, {50, 50, 1400, 1490, 80}, {50, 50, 50, 50, 2500}};
    Start(13, 37);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << " " << c.right << " " << c.top << " " << c.bottom);
        seam_.clearCalls();
        PrintParamArray& p = form_->State().PrintParams;
        p[ppMarginLeft] = c.left;
        p[ppMarginRight] = c.right;
        p[ppMarginTop] = c.top;
        p[ppMarginBottom] = c.bottom;
        p[ppOverlap] = c.overlap;
        Export();
        ASSERT_EQ(seam_.messageBoxes().size(), 1u);
        EXPECT_EQ(seam_.messageBoxes()[0].text, NoTileRoomText);
        EXPECT_EQ(seam_.messageBoxes()[0].caption, "Tolvaria Feldwerker");
        EXPECT_TRUE(seam_.fileDialogCalls().empty());
        EXPECT_FALSE(fs::exists(Pdf()));
        EXPECT_FALSE(form_->OutputRunning());
    }
}

TEST_F(FlowDraft, AWriterErrorAtANewPageIsShownAndLeavesNeitherGaugeNorLock)
{
    Start(13, 37);
    Fill(tcPampa);
    // The target takes the header but not the first page, which NewPage
    // finishes.
    pdftest::MemoryFileSystem full;
    full.writeLimit = 2000;
    form_->PdfVell1().FileSystem = &full;
    bool gaugeShown = false;
    form_->PdfVell1().OnAbort = [&](pdf::TPdfVell&) { gaugeShown = form_->Gauge1->isVisible(); };
    Export();
    EXPECT_TRUE(gaugeShown);
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    EXPECT_FALSE(full.files.count(Pdf()));
    EXPECT_FALSE(form_->Gauge1->isVisible());
    EXPECT_EQ(form_->Gauge1->value(), 0);
    EXPECT_FALSE(form_->OutputRunning());
    EXPECT_TRUE(form_->Drucken1->menuAction()->isEnabled());

    // The next export runs as usual.
    form_->PdfVell1().FileSystem = &pdf::PosixFileSystem();
    Export();
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    EXPECT_EQ(Pages(), 4);
}

} // namespace
