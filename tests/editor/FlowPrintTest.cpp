// The board on the printer through the main window: menu command, the
// modal preview, "Print" from its toolbar onto "PDF-Datei" (the file name
// answered through the dialog seam), and the PDF checked and rendered by
// readers we did not write.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "output/TileGeometry.h"
#include "platform/FakePrinter.h"
#include "platform/QtPrinter.h"

#include "FlowSupport.h"
#include "PdfCheck.h"
#include "tests/platform/ModalSteps.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

using namespace tolv;

namespace {

namespace fs = std::filesystem;

// The open preview form, once its window is shown.
printing::TPreviewForm* OpenPreview(QWidget* modal)
{
    auto* form = qobject_cast<printing::TPreviewForm*>(modal);
    return form && form->isVisible() ? form : nullptr;
}

int Distance(const std::array<int, 3>& a, plat::TColor c)
{
    return std::abs(a[0] - plat::GetRValue(c)) + std::abs(a[1] - plat::GetGValue(c))
           + std::abs(a[2] - plat::GetBValue(c));
}

// Qt writes the printer's PDF files: qpdf checks them (our own
// cross-reference check is for our writer's layout).
::testing::AssertionResult QpdfPasses(const std::string& path)
{
    const pdftest::CommandResult r = pdftest::RunCommand("qpdf --check " + pdftest::ShellQuote(path));
    if (r.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "qpdf --check: " << r.out << r.err;
}

// Rendering dpi of the checks; the printer draws at 600.
constexpr int Dpi = 75;

class FlowPrint : public flow::WindowFlowTest {
protected:
    plat::TColor Colour(TerrainCode t) const { return form_->State().ColorTable[std::size_t(t)]; }

    // Runs the command with the steps played against the open preview; the
    // last step should close it. False when no preview opened.
    bool RunPreview(QAction* command, std::vector<std::function<bool(printing::TPreviewForm&)>> steps)
    {
        bool opened = false;
        std::vector<test::ModalSteps::Step> wrapped;
        for (auto& s : steps)
            wrapped.push_back([s, &opened](QWidget* w) {
                printing::TPreviewForm* f = OpenPreview(w);
                opened = opened || f;
                return f && s(*f);
            });
        test::ModalSteps driver(std::move(wrapped));
        command->trigger();
        EXPECT_FALSE(driver.timedOut());
        return opened;
    }

    // Prints the preview's pages to the PDF file and closes it.
    bool PrintToPdf(QAction* command, const std::string& pdf, std::function<void(printing::TPreviewForm&)> check)
    {
        seam_.answerFiles({pdf});
        return RunPreview(command, {[check](printing::TPreviewForm& f) {
                                        check(f);
                                        test::ClickLater(f.Toolbar->Button(printing::btnPrint));
                                        return true;
                                    },
                                    [&](printing::TPreviewForm& f) {
                                        if (!fs::exists(pdf) || plat::ThePrinter().Printing())
                                            return false;
                                        test::ClickLater(f.Toolbar->Button(printing::btnClose));
                                        return true;
                                    }});
    }

    // The pixel at a point of the sheet given in 600-dpi printer pixels.
    static std::array<int, 3> At(const pdftest::RgbImage& page, double x, double y)
    {
        return page.at(int(x * Dpi / 600), int(y * Dpi / 600));
    }

    test::TempDir out_;
};

// "PDF-Datei": A4 at 600 dpi, the whole sheet printable.
class OnPdfPrinter {
public:
    OnPdfPrinter() : installed_(qt_) { qt_.SetPrinterIndex(int(qt_.Printers().size()) - 1); }
    bool Ready() const { return qt_.IsPdfPrinter(); }

private:
    plat::QtPrinter qt_;
    plat::ScopedPrinter installed_;
};

// Default print parameters on "PDF-Datei": w 806, q 201, h 403, p 604,
// r 349, overlap 189, margins 118.11 px, tiles 4536 x 6591. A 16 x 10
// board is 16 * 604 + 201 = 9865 across: Ceil((9865 - 189) / 4536) = 3
// tiles, one down.
constexpr int TileWidth = 4536;
constexpr double Margin = 5 * 600 / 25.4;

TEST_F(FlowPrint, DraftTilesPrintAsHexagonsInTheTerrainColours)
{
    OnPdfPrinter printer;
    ASSERT_TRUE(printer.Ready());
    TForm1& form = Start(16, 10);
    ASSERT_TRUE(form.est21->isEnabled());
    Fill(tcPampa);
    // Odd col + row exist. Centres at (col * 604 + 403 - x0, row * 349 + 349).
    auto& board = form.State().Board;
    board[3][2].Terrain = tcWald;     // page 1: (2215, 1047)
    board[5][4].Terrain = tcLeer;     // page 1: (3423, 1745)
    board[8][1].Terrain = tcMoor;     // page 2: (699, 698)
    board[15][4].Terrain = tcWasser;  // page 3: (391, 1745)
    const std::string pdf = out_.file("draft.pdf");
    ASSERT_TRUE(PrintToPdf(form.est21, pdf, [&](printing::TPreviewForm& f) {
        EXPECT_EQ(f.Preview->PrintJob(), form.PrintJob10.get());
        EXPECT_EQ(form.PrintJob10->PageCount(), 3);
    }));
    ASSERT_TRUE(QpdfPasses(pdf));
    EXPECT_EQ(pdftest::PdfInfo(pdf)["Pages"], "3");

    struct Spot {
        int page;
        double x, y;   // the tile's centre of the cell, in printer pixels
        plat::TColor colour;
    };
    const Spot spots[] = {
        {1, 2215, 1047, Colour(tcWald)},   {1, 3423, 1745, plat::clWhite}, {1, 3423 + 604, 1047, Colour(tcPampa)},
        {2, 699, 698, Colour(tcMoor)},     {3, 391, 1745, Colour(tcWasser)},
        // The last tile ends with the board: beyond its right edge, white.
        {3, 9865 - 2 * TileWidth + 200, 1745, plat::clWhite},
    };
    std::vector<pdftest::RgbImage> pages;
    for (int p = 1; p <= 3; ++p)
        pages.push_back(pdftest::RenderPage(pdf, p, Dpi));
    for (const Spot& s : spots) {
        SCOPED_TRACE(testing::Message() << "page " << s.page << " at " << s.x << ',' << s.y);
        const auto& page = pages[std::size_t(s.page - 1)];
        ASSERT_GT(page.width, 0);
        // Inside the hexagon, off its centre's coordinates label.
        EXPECT_LE(Distance(At(page, Margin + s.x - 150, Margin + s.y - 120), s.colour), 12);
    }
    // The outline in the grid colour (near black, 3 printer pixels wide):
    // across the left corner of the Wald cell, at 300 dpi.
    const pdftest::RgbImage fine = pdftest::RenderPage(pdf, 1, 300);
    int darkest = 3 * 255;
    for (int dx = -6; dx <= 6; ++dx)
        darkest = std::min(darkest, Distance(fine.at(int((Margin + 2215 - 403) / 2) + dx, int((Margin + 1047) / 2)),
                                             Colour(11)));
    EXPECT_LE(darkest, 90);
    // The margins stay white.
    EXPECT_LE(Distance(At(pages[0], Margin / 2, Margin + 1047), plat::clWhite), 6);
    EXPECT_TRUE(seam_.messageBoxes().empty());
}

TEST_F(FlowPrint, TheOverviewShowsScaleSquaredTilesPerSheet)
{
    OnPdfPrinter printer;
    ASSERT_TRUE(printer.Ready());
    // 40 x 80 is 6 x 5 tiles: 3 x 3 per sheet, 4 sheets; 15 x 10 is 2 x 1:
    // 2 x 2 per sheet, one sheet.
    struct Case {
        int cols, rows, scale, sheets;
    };
    for (const Case c : {Case{40, 80, 3, 4}, Case{15, 10, 2, 1}}) {
        SCOPED_TRACE(testing::Message() << c.cols << " x " << c.rows);
        TForm1& form = Start(c.cols, c.rows);
        ASSERT_TRUE(RunPreview(form.est31, {[&](printing::TPreviewForm& f) {
                                   EXPECT_EQ(f.Preview->PrintJob(), form.DraftPrintJob1.get());
                                   EXPECT_EQ(form.DraftPrintJob1->Scale(), c.scale);
                                   EXPECT_EQ(form.DraftPrintJob1->PageCount(), c.sheets);
                                   f.close();
                                   return true;
                               }}));
        form_->close();
    }

    // Three tiles across on one sheet of 3 x 3 cells, each tile a third of
    // the sheet: the Wald cell of tile 1 and the Wasser cell of tile 3.
    TForm1& form = Start(16, 10);
    Fill(tcPampa);
    form.State().Board[3][2].Terrain = tcWald;
    form.State().Board[15][4].Terrain = tcWasser;
    const std::string pdf = out_.file("overview.pdf");
    ASSERT_TRUE(PrintToPdf(form.est31, pdf, [&](printing::TPreviewForm&) {
        EXPECT_EQ(form.DraftPrintJob1->Scale(), 3);
    }));
    ASSERT_TRUE(QpdfPasses(pdf));
    EXPECT_EQ(pdftest::PdfInfo(pdf)["Pages"], "1");
    const pdftest::RgbImage sheet = pdftest::RenderPage(pdf, 1, Dpi);
    const double cell = 4961 / 3.0;
    EXPECT_LE(Distance(At(sheet, (Margin + 2215 - 150) / 3, (Margin + 1047 - 120) / 3), Colour(tcWald)), 12);
    EXPECT_LE(Distance(At(sheet, 2 * cell + (Margin + 391 - 150) / 3, (Margin + 1745 - 120) / 3), Colour(tcWasser)),
              12);
    // The second row of cells is empty.
    EXPECT_LE(Distance(At(sheet, cell / 2, 7016 / 3.0 * 1.5), plat::clWhite), 6);
}

TEST_F(FlowPrint, TheScreenCopyShowsTheMap)
{
    OnPdfPrinter printer;
    ASSERT_TRUE(printer.Ready());
    TForm1& form = Start(13, 37);
    Fill(tcWasser);
    form.HexMapA1->RedrawAll();
    const std::string pdf = out_.file("screen.pdf");
    ASSERT_TRUE(PrintToPdf(form.est12, pdf, [&](printing::TPreviewForm& f) {
        EXPECT_EQ(f.Preview->PrintJob(), form.ControlPrintJob1.get());
        EXPECT_EQ(form.ControlPrintJob1->Control(), form.HexMapA1);
    }));
    EXPECT_EQ(form.ControlPrintJob1->Control(), nullptr);
    ASSERT_TRUE(QpdfPasses(pdf));
    EXPECT_EQ(pdftest::PdfInfo(pdf)["Pages"], "1");
    const pdftest::RgbImage page = pdftest::RenderPage(pdf, 1, Dpi);
    ASSERT_GT(page.width, 0);
    int water = 0;
    for (int y = 0; y < page.height; y += 4)
        for (int x = 0; x < page.width; x += 4)
            water += Distance(page.at(x, y), Colour(tcWasser)) <= 12;
    // The map fills the page's width at least in part.
    EXPECT_GT(water, 200);
}

TEST_F(FlowPrint, NoRoomForATileIsToldAndNoPreviewOpens)
{
    plat::FakePrinter printer;
    plat::ScopedPrinter installed(printer);
    TForm1& form = Start(13, 37);
    // 100 mm + 105 mm of margins and 8 mm of overlap on a 4-inch sheet.
    form.State().PrintParams[ppMarginLeft] = 1000;
    form.State().PrintParams[ppMarginRight] = 1050;
    for (QAction* command : {form.est21, form.est31}) {
        SCOPED_TRACE(command->objectName().toStdString());
        seam_.clearCalls();
        EXPECT_FALSE(RunPreview(command, {[](printing::TPreviewForm& f) {
                                    f.close();
                                    return true;
                                }}));
        const auto boxes = seam_.messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, NoTileRoomText);
        EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    }
    // The gate is open again.
    EXPECT_FALSE(form.OutputRunning());
    EXPECT_TRUE(form.Drucken1->menuAction()->isEnabled());
}

TEST_F(FlowPrint, APrinterWithoutRoomChosenInThePreviewIsToldOnce)
{
    plat::FakePrinter printer({plat::FakePrinterSetup{}, plat::FakePrinterSetup{}});
    // The second printer's sheet is half an inch across.
    printer.printers[1].sheet = plat::SheetGeometry{600, 300, 300, 1800, 0, 0, 300, 1800, -1};
    plat::ScopedPrinter installed(printer);
    TForm1& form = Start(13, 37);
    form.State().PrintParams[ppMarginLeft] = 0;
    form.State().PrintParams[ppMarginRight] = 0;
    int pagesBefore = 0;
    ASSERT_TRUE(RunPreview(form.est21, {[&](printing::TPreviewForm&) {
                                            pagesBefore = form.PrintJob10->PageCount();
                                            printer.SetPrinterIndex(1);
                                            form.PrintJob10->DoPrinterSetupChange();
                                            form.PrintJob10->Update();
                                            return true;
                                        },
                                        [&](printing::TPreviewForm& f) {
                                            EXPECT_EQ(form.PrintJob10->PageCount(), 1);
                                            f.close();
                                            return true;
                                        }}));
    EXPECT_GT(pagesBefore, 1);
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, NoTileRoomText);
}

} // namespace
