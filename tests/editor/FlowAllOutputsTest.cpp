// Every output of "D&rucken" through the main window, for a small and the
// full board in both tile modes: the page count the print parameters give
// (worked out here from the parameters alone, not by the output code), a
// file that readers we did not write accept, and the board where it
// belongs on a rendered first page. The printer outputs print from their
// preview onto "PDF-Datei".
#include "editor/Unit1.h"

#include "platform/Printer.h"
#include "platform/QtPrinter.h"
#include "printing/PSToolbar.h"
#include "printing/PSWindow.h"

#include "FlowSupport.h"
#include "PdfCheck.h"
#include "tests/platform/ModalSteps.h"

#include <QAction>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

using namespace tolv;

namespace {

int Round(double v) { return int(std::nearbyint(v)); }
int Ceil(double v) { return int(std::ceil(v)); }

struct BoardSize {
    int cols, rows;
};

// The default print parameters (1/10 mm): hexagon 341, margins 50, overlap 80.
constexpr int Hex = 341, Margin = 50, Overlap = 80;

// ---- Page counts from the parameters.

// Picture tiles at 300 dpi, on A4 inside the margins; the counting strip
// frames the board with 224 pixels on every side.
int PdfPicturePages(BoardSize b, bool landscape, bool strip)
{
    const int w = Round(Hex / 10.0 * 300 / 25.4);       // 403
    const int q = w / 4, h = w / 2, p = h + q;           // 100, 201, 301
    const int r = Round(w * 0.433);                      // 174
    const int o = Round(Overlap / 10.0 * 300 / 25.4);    // 94
    const int frame = strip ? 2 * 224 : 0;
    const int B = b.cols * p + q + frame;
    const int H = Ceil((b.rows + 1) * double(r)) + frame;
    const int across = (landscape ? 2970 : 2100) - 2 * Margin - Overlap;   // 1/10 mm
    const int down = (landscape ? 2100 : 2970) - 2 * Margin - Overlap;
    const int W = Round(across / 10.0 * 300 / 25.4), T = Round(down / 10.0 * 300 / 25.4);
    return Ceil(double(B - o) / W) * Ceil(double(H - o) / T);
}

// Draft tiles in a PDF file, all in 1/10 mm.
int PdfDraftPages(BoardSize b, bool landscape)
{
    const int q = Hex / 4, h = Hex / 2, p = h + q;   // 85, 170, 255
    const int r = Round(Hex * 0.433);                // 148
    const int B = b.cols * p + q, H = Ceil((b.rows + 1) * double(r));
    const int W = (landscape ? 2970 : 2100) - 2 * Margin - Overlap;
    const int T = (landscape ? 2100 : 2970) - 2 * Margin - Overlap;
    return Ceil(double(B - Overlap) / W) * Ceil(double(H - Overlap) / T);
}

// The sheet as the printer reports it, in its current orientation.
struct Sheet {
    int dpiX, dpiY, width, height, offsetX, offsetY, horzRes, vertRes;
    static Sheet Current()
    {
        plat::Printer& pr = plat::ThePrinter();
        using plat::DeviceCap;
        return {pr.GetDeviceCaps(DeviceCap::LOGPIXELSX),     pr.GetDeviceCaps(DeviceCap::LOGPIXELSY),
                pr.GetDeviceCaps(DeviceCap::PHYSICALWIDTH),  pr.GetDeviceCaps(DeviceCap::PHYSICALHEIGHT),
                pr.GetDeviceCaps(DeviceCap::PHYSICALOFFSETX), pr.GetDeviceCaps(DeviceCap::PHYSICALOFFSETY),
                pr.GetDeviceCaps(DeviceCap::HORZRES),        pr.GetDeviceCaps(DeviceCap::VERTRES)};
    }
    // The page inside the 5 mm margins and the printable area.
    int Left() const { return std::max(Round(Margin / 10.0 * dpiX / 25.4), offsetX); }
    int Top() const { return std::max(Round(Margin / 10.0 * dpiY / 25.4), offsetY); }
    int Right() const { return std::min(width - Round(Margin / 10.0 * dpiX / 25.4), offsetX + horzRes); }
    int Bottom() const { return std::min(height - Round(Margin / 10.0 * dpiY / 25.4), offsetY + vertRes); }
};

// Tiles across and down on the printer: hexagons and overlap at its
// resolution, the tile the page less the overlap.
std::pair<int, int> PrinterTiles(BoardSize b, const Sheet& s)
{
    const int w = Round(Hex / 10.0 * s.dpiX / 25.4), v = Round(Hex / 10.0 * s.dpiY / 25.4);
    const int ox = Round(Overlap / 10.0 * s.dpiX / 25.4), oy = Round(Overlap / 10.0 * s.dpiY / 25.4);
    const int q = w / 4, h = w / 2, p = h + q, r = Round(v * 0.433);
    const int B = b.cols * p + q, H = Ceil((b.rows + 1) * double(r));
    const int W = s.Right() - s.Left() - ox, T = s.Bottom() - s.Top() - oy;
    return {Ceil(double(B - ox) / W), Ceil(double(H - oy) / T)};
}

int PrinterTilePages(BoardSize b, const Sheet& s)
{
    const auto [across, down] = PrinterTiles(b, s);
    return across * down;
}

// The overview: the tiles reduced, 3 x 3 to a sheet when more than two
// tiles across, else 2 x 2.
int OverviewPages(BoardSize b, const Sheet& s)
{
    const auto [across, down] = PrinterTiles(b, s);
    const int perSheet = across > 2 ? 9 : 4;
    return (across * down + perSheet - 1) / perSheet;
}

// ---- Where cell (1, 2) lies on the first page, in millimetres from the
// sheet's top-left corner.

struct Mm {
    double x, y;
};

// Picture tiles: 300-dpi pixels stretched over the page inside the margins.
Mm PdfPictureCell(bool landscape, bool strip)
{
    const int frame = strip ? 224 : 0;
    const double cx = 1 * 301 + 201 + frame, cy = 2 * 174 + 174 + frame;
    const double pageW = ((landscape ? 2970 : 2100) - 2 * Margin) / 10.0;
    const double bitmapW = Round(((landscape ? 2970 : 2100) - 2 * Margin - Overlap) / 10.0 * 300 / 25.4)
                           + Round(Overlap / 10.0 * 300 / 25.4);
    const double mmPerPx = pageW / bitmapW;
    return {Margin / 10.0 + cx * mmPerPx, Margin / 10.0 + cy * mmPerPx};
}

Mm PdfDraftCell()
{
    return {(Margin + 1 * 255 + 170) / 10.0, (Margin + 2 * 148 + 148) / 10.0};
}

// Printer tiles: printer pixels from the page's corner; the picture tiles
// are drawn at 300 dpi and stretched by the printer's dpi / 300.
Mm PrinterCell(const Sheet& s, bool pictures)
{
    const double sx = pictures ? 300.0 / s.dpiX : 1, sy = pictures ? 300.0 / s.dpiY : 1;
    const int w = Round(Hex / 10.0 * s.dpiX / 25.4 * sx), v = Round(Hex / 10.0 * s.dpiY / 25.4 * sy);
    const int q = w / 4, h = w / 2, p = h + q, r = Round(v * 0.433);
    const double cx = (1 * p + h) / sx, cy = (2 * r + r) / sy;
    return {(s.Left() + cx) * 25.4 / s.dpiX, (s.Top() + cy) * 25.4 / s.dpiY};
}

using flow::Distance;

std::array<int, 3> Rgb(plat::TColor c)
{
    return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)};
}

constexpr int RenderDpi = 40;

// The colour at a point of the rendered page, and whether it lies within
// `tolerance` of the expected colour somewhere within 1 mm of it.
bool ColourNear(const pdftest::RgbImage& page, Mm at, const std::array<int, 3>& colour, int tolerance)
{
    const int px = Round(at.x / 25.4 * RenderDpi), py = Round(at.y / 25.4 * RenderDpi);
    const int reach = Ceil(1 / 25.4 * RenderDpi);
    for (int y = py - reach; y <= py + reach; ++y)
        for (int x = px - reach; x <= px + reach; ++x)
            if (x >= 0 && y >= 0 && x < page.width && y < page.height && Distance(page.at(x, y), colour) <= tolerance)
                return true;
    return false;
}

class AllOutputs : public flow::WindowFlowTest {
protected:
    void SetUp() override
    {
        WindowFlowTest::SetUp();
        qt_ = std::make_unique<plat::QtPrinter>();
        installed_ = std::make_unique<plat::ScopedPrinter>(*qt_);
        qt_->SetPrinterIndex(int(qt_->Printers().size()) - 1);
        ASSERT_TRUE(qt_->IsPdfPrinter());
    }

    void StartBoard(BoardSize b, bool landscape)
    {
        Start(b.cols, b.rows);
        Fill(tcWald);
        form_->State().PrintParams[ppTileMode] = landscape ? 1 : 0;
        form_->State().PrintParams[ppShowCoords] = 0;
    }

    // A PDF command: the save dialog answered with `file`.
    void Export(QAction* command, const std::string& file)
    {
        ASSERT_TRUE(command->isEnabled());
        seam_.answerFiles({file});
        command->trigger();
    }

    // A printer command: its preview opens, "Print" writes `file` on
    // "PDF-Datei", "Close" ends the preview. The page count the preview
    // shows is kept.
    void PrintFromPreview(QAction* command, const std::string& file)
    {
        ASSERT_TRUE(command->isEnabled());
        seam_.answerFiles({file});
        previewPages_ = -1;
        test::ModalSteps driver({[&](QWidget* w) {
                                     auto* f = qobject_cast<printing::TPreviewForm*>(w);
                                     if (!f || !f->isVisible())
                                         return false;
                                     previewPages_ = form_->PreviewWindow1->PrintJob()->PageCount();
                                     test::ClickLater(f->Toolbar->Button(printing::btnPrint));
                                     return true;
                                 },
                                 [&](QWidget* w) {
                                     auto* f = qobject_cast<printing::TPreviewForm*>(w);
                                     if (!f || !std::filesystem::exists(file) || qt_->Printing())
                                         return false;
                                     test::ClickLater(f->Toolbar->Button(printing::btnClose));
                                     return true;
                                 }},
                                60000);
        command->trigger();
        EXPECT_TRUE(driver.done());
        EXPECT_FALSE(driver.timedOut());
    }

    void TearDown() override
    {
        WindowFlowTest::TearDown();
        installed_.reset();
        qt_.reset();
    }

    std::unique_ptr<plat::QtPrinter> qt_;   // after the application object
    std::unique_ptr<plat::ScopedPrinter> installed_;
    int previewPages_ = -1;
};

struct Case {
    BoardSize board;
    bool landscape;
};

std::string Name(const Case& c)
{
    return std::to_string(c.board.cols) + "x" + std::to_string(c.board.rows) + (c.landscape ? " quer" : " hoch");
}

const Case Cases[] = {{{13, 37}, false}, {{13, 37}, true}, {{40, 80}, false}, {{40, 80}, true}};

} // namespace

TEST_F(AllOutputs, EachOutputGivesThePagesItsGeometryGivesAndShowsTheBoardInPlace)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(Name(c));
        StartBoard(c.board, c.landscape);
        const auto wald = Rgb(form_->State().ColorTable[tcWald]);
        const auto waldPicture = std::array<int, 3>{80, 100, 160};   // the fixture's picture 4

        struct Output {
            const char* name;
            QAction* command;
            bool printer;
            std::function<int()> pages;              // after the run
            std::function<bool(const pdftest::RgbImage&)> showsBoard;
        };
        const bool land = c.landscape;
        const Output outputs[] = {
            {"Grafik: Kacheln - In PDF-Datei", form_->KachelnPDF1, false,
             [&] { return PdfPicturePages(c.board, land, false); },
             [&](const pdftest::RgbImage& p) { return ColourNear(p, PdfPictureCell(land, false), waldPicture, 40); }},
            {"Grafik: mit Zählleiste", form_->est1PdfRahmen1, false,
             [&] { return PdfPicturePages(c.board, land, true); },
             [&](const pdftest::RgbImage& p) { return ColourNear(p, PdfPictureCell(land, true), waldPicture, 40); }},
            {"Draft: Kacheln - in PDF-Datei", form_->est22, false, [&] { return PdfDraftPages(c.board, land); },
             [&](const pdftest::RgbImage& p) { return ColourNear(p, PdfDraftCell(), wald, 24); }},
            {"Draft: Kacheln - auf Drucker", form_->est21, true,
             [&] { return PrinterTilePages(c.board, Sheet::Current()); },
             [&](const pdftest::RgbImage& p) { return ColourNear(p, PrinterCell(Sheet::Current(), false), wald, 24); }},
            {"Grafik: Kacheln - auf Drucker", form_->Kacheln1, true,
             [&] { return PrinterTilePages(c.board, Sheet::Current()); },
             [&](const pdftest::RgbImage& p) {
                 return ColourNear(p, PrinterCell(Sheet::Current(), true), waldPicture, 40);
             }},
            {"Draft: Kacheln Überblick", form_->est31, true, [&] { return OverviewPages(c.board, Sheet::Current()); },
             [&](const pdftest::RgbImage& p) {
                 // The first tile, reduced, in the sheet's upper left part.
                 const Sheet s = Sheet::Current();
                 const Mm corner{s.Left() * 25.4 / s.dpiX, s.Top() * 25.4 / s.dpiY};
                 for (double f = 0.02; f < 0.3; f += 0.01)
                     if (ColourNear(p, Mm{corner.x + f * 210, corner.y + f * 210}, wald, 24))
                         return true;
                 return false;
             }},
            {"Draft: Bildschirmansicht", form_->est12, true, [] { return 1; },
             [&](const pdftest::RgbImage& p) {
                 // The map capture inside the margins, nothing outside them.
                 const int margin = Round(4.0 / 25.4 * RenderDpi);
                 bool inside = false;
                 for (int y = 0; y < p.height; ++y)
                     for (int x = 0; x < p.width; ++x) {
                         const bool dark = Distance(p.at(x, y), {255, 255, 255}) > 60;
                         if (!dark)
                             continue;
                         if (x < margin || y < margin || x >= p.width - margin || y >= p.height - margin)
                             return false;
                         inside = true;
                     }
                 return inside;
             }},
        };

        for (const Output& out : outputs) {
            SCOPED_TRACE(out.name);
            const std::string file = out_.file(std::string(out.printer ? "print" : "export") + ".pdf");
            std::filesystem::remove(file);
            if (out.printer)
                PrintFromPreview(out.command, file);
            else
                Export(out.command, file);
            ASSERT_TRUE(std::filesystem::exists(file));
            const int expected = out.pages();
            EXPECT_EQ(flow::PdfPages(file), expected);
            if (out.printer) {
                EXPECT_EQ(previewPages_, expected);
            }
            EXPECT_TRUE(out.printer ? pdftest::ReadersAccept(file) : pdftest::PdfPassesChecks(file));
            const pdftest::RgbImage first = pdftest::RenderPage(file, 1, RenderDpi);
            ASSERT_GT(first.width, 0);
            EXPECT_TRUE(out.showsBoard(first));
        }
        form_->close();
        form_.reset();
    }
}
