// "&Kacheln - auf Drucker" through the main window: the picture pages in
// the preview, printed from its toolbar on "PDF-Datei", the file checked
// and compared with the PDF export by readers we did not write; and the
// refusals that open no preview.
#include "editor/Unit1.h"

#include "output/PictureTiles.h"
#include "output/TileGeometry.h"
#include "platform/QtPrinter.h"
#include "printing/PSWindow.h"

#include "FlowSupport.h"
#include "PdfCheck.h"
#include "tests/platform/ModalSteps.h"

#include <QAction>
#include <QMenu>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace tolv;

namespace {

namespace fs = std::filesystem;

constexpr int Dpi = 300;

using flow::Distance;

// Mean colour distance of two pages, the second read shifted by (dx, dy).
double PageDistance(const pdftest::RgbImage& a, const pdftest::RgbImage& b, int dx = 0, int dy = 0)
{
    long long sum = 0, n = 0;
    for (int y = 40; y + 40 < a.height && y + dy + 40 < b.height; y += 7)
        for (int x = 40; x + 40 < a.width && x + dx + 40 < b.width; x += 7) {
            sum += Distance(a.at(x, y), b.at(x + dx, y + dy));
            ++n;
        }
    return n ? double(sum) / double(n) : 1e9;
}

class FlowPrintPictures : public flow::WindowFlowTest {
protected:
    void SetUp() override
    {
        WindowFlowTest::SetUp();
        dirs_->WriteHexagonPictures();
    }

    // Kacheln1 with the open preview answered by the steps; the last one
    // should close it.
    bool RunPreview(std::vector<std::function<bool(printing::TPreviewForm&)>> steps)
    {
        std::vector<test::ModalSteps::Step> wrapped;
        for (auto& s : steps)
            wrapped.push_back([s](QWidget* w) {
                auto* f = qobject_cast<printing::TPreviewForm*>(w);
                return f && f->isVisible() && s(*f);
            });
        test::ModalSteps driver(std::move(wrapped));
        form_->Kacheln1->trigger();
        return driver.done() && !driver.timedOut();
    }
};

// One printed page shows the tile of the PDF export in place and size:
// the printer's page area starts at the 5 mm margin as the export's does,
// and 600 printer pixels per inch take 300 tile pixels.
TEST_F(FlowPrintPictures, PrintedFromThePreviewThePagesMatchThePdfExport)
{
    plat::QtPrinter qt;
    plat::ScopedPrinter installed(qt);
    qt.SetPrinterIndex(int(qt.Printers().size()) - 1);
    ASSERT_TRUE(qt.IsPdfPrinter());

    Start(13, 37);
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            form_->State().Board[c][r].Terrain = (c * 7 + r * 3) % 5 == 0 ? 2 + (c + r) % 9 : tcLeer;
    // FirstOdd: (3, 2) exists; alone among leer hexagons so it can be measured.
    for (int c = 2; c <= 4; ++c)
        for (int r = 0; r <= 4; ++r)
            form_->State().Board[c][r].Terrain = tcLeer;
    form_->State().Board[3][2].Terrain = tcPampa;

    const std::string exported = out_.file("Export.pdf");
    seam_.answerFiles({exported});
    form_->KachelnPDF1->trigger();
    ASSERT_TRUE(pdftest::PdfPassesChecks(exported));

    const std::string printed = out_.file("Gedruckt.pdf");
    seam_.answerFiles({printed});
    int pages = 0, tileWidth = 0, tileHeight = 0;
    ASSERT_TRUE(RunPreview({[&](printing::TPreviewForm& f) {
                                pages = f.Preview->PrintJob()->PageCount();
                                tileWidth = form_->State().TileBitmap.width();
                                tileHeight = form_->State().TileBitmap.height();
                                test::ClickLater(f.Toolbar->Button(printing::btnPrint));
                                return true;
                            },
                            [&](printing::TPreviewForm& f) {
                                if (!fs::exists(printed) || qt.Printing())
                                    return false;
                                test::ClickLater(f.Toolbar->Button(printing::btnClose));
                                return true;
                            }}));
    EXPECT_EQ(pages, 4);
    // A4 at 600 dpi less 2 x 118 margin pixels: Round(4725 / 2) = 2362 (half
    // to even), 6780 / 2 = 3390.
    EXPECT_EQ(tileWidth, 2362);
    EXPECT_EQ(tileHeight, 3390);
    EXPECT_TRUE(form_->State().TileBitmap.empty());
    EXPECT_FALSE(form_->OutputRunning());
    EXPECT_TRUE(form_->Drucken1->menuAction()->isEnabled());

    ASSERT_TRUE(pdftest::ReadersAccept(printed));
    ASSERT_EQ(flow::PdfPages(printed), 4);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        const pdftest::RgbImage a = pdftest::RenderPage(printed, page, 100);
        const pdftest::RgbImage b = pdftest::RenderPage(exported, page, 100);
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        EXPECT_LT(PageDistance(a, b), 6.0);
        // What "different" looks like: the same page a hexagon's width off.
        EXPECT_GT(PageDistance(a, b, 40, 0), 20.0);
    }

    // The hexagon of 34.1 mm measures so on the printed page.
    const pdftest::RgbImage page = pdftest::RenderPage(printed, 1, Dpi);
    auto red = [&](int x, int y) {
        const auto p = page.at(x, y);
        return p[0] > 150 && p[1] < 120 && p[2] < 120;
    };
    // Tile pixel t lies at 59 + t page pixels (5 mm margin, 300 dpi).
    const int cx = 59 + 3 * 301 + 201, cy = 59 + 2 * 174 + 174;
    ASSERT_TRUE(red(cx, cy));
    const flow::HexagonSpan span = flow::MeasureHexagon(red, cx, cy);
    EXPECT_NEAR(span.Across * 25.4 / Dpi, 34.1, 0.3);
    EXPECT_NEAR(span.Down * 25.4 / Dpi, 34.1 * 0.866, 0.3);
}

TEST_F(FlowPrintPictures, NoRoomForATileOrAMissingPictureIsRefusedWithoutAPreview)
{
    struct Case {
        const char* what;
        std::function<void(flow::Folders&)> before;     // before the window starts
        std::function<void(TForm1&)> after;             // before the command
        std::string message;
    };
    const Case cases[] = {
        {"margins and overlap fill the page", {},
         [](TForm1& f) {
             f.State().PrintParams[ppMarginLeft] = 1000;
             f.State().PrintParams[ppMarginRight] = 1050;
         },
         NoTileRoomText},
        {"a picture is missing", [](flow::Folders& d) { d.RemovePicture(5); }, {},
         MissingPicturesText({5})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::ScopedScriptedDialogs seam;
        flow::Folders dirs;
        if (c.before)
            c.before(dirs);
        StartOptions o;
        o.ProgramDir = dirs.ProgramDir();
        o.Args = {dirs.WorkDir()};
        TForm1 form(o);
        form.show();
        if (c.after)
            c.after(form);
        int previews = 0;
        form.PreviewWindow1->OnShow = [&](printing::TCustomPreviewWindow& w) {
            ++previews;
            QTimer::singleShot(0, w.Form(), [f = w.Form()] { f->close(); });
        };
        const std::size_t boxesBefore = seam.messageBoxes().size();
        form.Kacheln1->trigger();
        EXPECT_EQ(previews, 0);
        const auto boxes = seam.messageBoxes();
        ASSERT_EQ(boxes.size(), boxesBefore + 1);
        EXPECT_EQ(boxes.back().text, c.message);
        EXPECT_EQ(boxes.back().caption, "Tolvaria Feldwerker");
        EXPECT_TRUE(form.State().TileBitmap.empty());
        EXPECT_FALSE(form.OutputRunning());
        EXPECT_TRUE(form.Drucken1->menuAction()->isEnabled());
        form.close();
    }
}

} // namespace
