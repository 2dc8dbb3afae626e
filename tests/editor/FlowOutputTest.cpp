// "Kacheln - In PDF-Datei" through the main window: menu command, save
// dialog (scripted), the PDF file on disk checked and rendered by readers
// we did not write, and what the window refuses while an export runs.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "output/CountingStrip.h"
#include "output/PdfTileCommand.h"
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"
#include "pdf/PdfVell.h"
#include "platform/Jpeg.h"

#include "AllocationLimit.h"
#include "FlowSupport.h"
#include "PdfCheck.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <sstream>

#include <unistd.h>

using namespace tolv;

namespace {

namespace fs = std::filesystem;

// Page pixels at 300 dpi: the tile lies inside the 5 mm margins, stretched
// over the page rectangle less one 1/10 mm.
constexpr double Dpi = 300;
double PageX(double tileX) { return 50 / 254.0 * Dpi + tileX * (1999.0 / 2362) / 254.0 * Dpi; }
double PageY(double tileY) { return 50 / 254.0 * Dpi + tileY * (1999.0 / 2362) / 254.0 * Dpi; }

using flow::Distance;

class FlowOutput : public flow::WindowFlowTest {
protected:
    void SetUp() override
    {
        WindowFlowTest::SetUp();
        dirs_->WriteHexagonPictures();
        // The strip picture, large enough for every section.
        plat::Bitmap strip(320, 300);
        strip.fill(StripColour);
        test::WriteBytes(dirs_->PicturePath(11), plat::EncodeJpeg(strip, 95));
    }
    std::string Pdf() const { return out_.file("Plan.pdf"); }
    void Export(const std::string& path)
    {
        seam_.answerFiles({path});
        form_->KachelnPDF1->trigger();
    }
    void ExportFramed(const std::string& path)
    {
        seam_.answerFiles({path});
        form_->est1PdfRahmen1->trigger();
    }

    static constexpr plat::TColor StripColour = plat::RGB(60, 140, 60);
};

// Runs f at the n-th pass of pending messages from now (1 = the next).
void AtMessagePass(QObject* context, int n, std::function<void()> f)
{
    QTimer::singleShot(0, context, [context, n, f] {
        if (n <= 1)
            f();
        else
            AtMessagePass(context, n - 1, f);
    });
}

TEST_F(FlowOutput, TheMenuCommandWritesOneJpegTilePerPage)
{
    struct Case {
        int cols, rows, pages;
    };
    for (const Case c : {Case{13, 37, 4}, Case{40, 80, 30}}) {
        SCOPED_TRACE(testing::Message() << c.cols << " x " << c.rows);
        TForm1& form = Start(c.cols, c.rows);
        ASSERT_TRUE(form.KachelnPDF1->isEnabled());
        EXPECT_TRUE(form.est1PdfRahmen1->isEnabled());
        const std::string path = out_.file("Plan" + std::to_string(c.pages) + ".pdf");
        Export(path);
        ASSERT_TRUE(fs::exists(path));
        EXPECT_TRUE(pdftest::PdfPassesChecks(path));
        EXPECT_EQ(flow::PdfPages(path), c.pages);
        const auto list = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(path));
        std::istringstream in(list.out);
        std::string line;
        int jpegs = 0;
        while (std::getline(in, line))
            jpegs += line.find("2362  3389") != std::string::npos && line.find("jpeg") != std::string::npos;
        EXPECT_EQ(jpegs, c.pages) << list.out;
        // The dialog as the window offers it; the name is proposed next time.
        const auto dialogs = seam_.fileDialogCalls();
        ASSERT_FALSE(dialogs.empty());
        EXPECT_EQ(dialogs.back().request.title, "Speichern der PDF-Datei");
        EXPECT_EQ(form.State().PdfFileName, path);
        EXPECT_FALSE(form.Gauge1->isVisible());
        EXPECT_FALSE(form.BitBtn6->isVisible());
        EXPECT_TRUE(form.State().TileBitmap.empty());
        form_->close();
    }
    EXPECT_TRUE(seam_.messageBoxes().empty());
}

TEST_F(FlowOutput, AHexagonOfThirtyFourPointOneMillimetresMeasuresSoOnThePage)
{
    Start(13, 37);
    Fill(tcLeer);
    // FirstOdd: cell (3, 2) exists; its centre lies at (3 p + h, 2 r + r).
    form_->State().Board[3][2].Terrain = tcPampa;
    Export(Pdf());
    ASSERT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    const pdftest::RgbImage page = pdftest::RenderPage(Pdf(), 1, int(Dpi));
    const int cx = int(PageX(3 * 301 + 201)), cy = int(PageY(2 * 174 + 174));
    auto red = [&](int x, int y) {
        const auto p = page.at(x, y);
        return p[0] > 150 && p[1] < 120 && p[2] < 120;
    };
    ASSERT_TRUE(red(cx, cy));
    const flow::HexagonSpan span = flow::MeasureHexagon(red, cx, cy);
    const double widthMm = span.Across * 25.4 / Dpi, heightMm = span.Down * 25.4 / Dpi;
    EXPECT_NEAR(widthMm, 34.1, 0.3);
    EXPECT_NEAR(heightMm, 34.1 * 0.866, 0.3);   // flat-topped: across the flats
}

TEST_F(FlowOutput, NeighbouringPagesShowTheSameHexagonsInTheirOverlap)
{
    Start(13, 37);
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            form_->State().Board[c][r].Terrain = 2 + (c * 5 + r * 3) % 9;
    Export(Pdf());
    ASSERT_EQ(flow::PdfPages(Pdf()), 4);
    const pdftest::RgbImage p1 = pdftest::RenderPage(Pdf(), 1, int(Dpi));
    const pdftest::RgbImage p2 = pdftest::RenderPage(Pdf(), 2, int(Dpi));
    const pdftest::RgbImage p3 = pdftest::RenderPage(Pdf(), 3, int(Dpi));
    // The band of 94 tile pixels: right edge of page 1 = left edge of page 2,
    // bottom edge of page 1 = top edge of page 3. Compared away from the
    // band's own edges, and against a shifted band as the measure of "different".
    auto bandDiff = [&](const pdftest::RgbImage& a, const pdftest::RgbImage& b, bool across, int shift) {
        long long sum = 0, n = 0;
        for (int d = 10; d < 84; d += 3)
            for (int s = 20; s < (across ? 3380 : 2350); s += 5) {
                const double t1 = (across ? 2268 : 3295) + d, t2 = d + shift;
                const auto pa = across ? a.at(int(PageX(t1)), int(PageY(s))) : a.at(int(PageX(s)), int(PageY(t1)));
                const auto pb = across ? b.at(int(PageX(t2)), int(PageY(s))) : b.at(int(PageX(s)), int(PageY(t2)));
                sum += Distance(pa, pb);
                ++n;
            }
        return double(sum) / double(n);
    };
    EXPECT_LT(bandDiff(p1, p2, true, 0), 6.0);
    EXPECT_LT(bandDiff(p1, p3, false, 0), 6.0);
    EXPECT_GT(bandDiff(p1, p2, true, 150), 40.0);
    EXPECT_GT(bandDiff(p1, p3, false, 150), 40.0);
}

TEST_F(FlowOutput, ARenderedPageShowsTheTileBitmap)
{
    Start(13, 37);
    for (int c = 0; c < 13; ++c)
        for (int r = 0; r < 37; ++r)
            form_->State().Board[c][r].Terrain = 1 + (c * 3 + r) % 10;
    form_->State().PrintParams[ppShowCoords] = 1;
    const OutputSnapshot snap = TakeOutputSnapshot(form_->State(), form_->CurrentMapShape());
    Export(Pdf());
    const TileGrid grid = *PdfPictureTileGrid(snap.PrintParams, snap.Map);
    plat::Bitmap tile = MakeTileBitmap(grid);
    RenderPictureTile(tile, snap, grid, 4);
    const pdftest::RgbImage page = pdftest::RenderPage(Pdf(), 4, int(Dpi));
    long long sum = 0, n = 0;
    for (int y = 3; y < tile.height() - 3; y += 11)
        for (int x = 3; x < tile.width() - 3; x += 11) {
            const plat::TColor c = tile.pixel(x, y);
            sum += Distance(page.at(int(PageX(x + 0.5)), int(PageY(y + 0.5))),
                            {int(plat::GetRValue(c)), int(plat::GetGValue(c)), int(plat::GetBValue(c))});
            ++n;
        }
    EXPECT_LT(double(sum) / double(n), 8.0);
}

// A file that cannot be deleted while it lives: its folder write-protected,
// or for root, who may delete anyway, the file made immutable.
class UndeletableFile {
public:
    explicit UndeletableFile(const std::string& folder) : folder_(folder), path_(folder + "/Plan.pdf")
    {
        test::WriteBytes(path_, "old");
        if (geteuid() != 0) {
            fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
            locked_ = true;
        } else {
            locked_ = pdftest::RunCommand("chattr +i " + pdftest::ShellQuote(path_)).exitCode == 0;
        }
    }
    ~UndeletableFile()
    {
        if (geteuid() != 0)
            fs::permissions(folder_, fs::perms::owner_all);
        else
            pdftest::RunCommand("chattr -i " + pdftest::ShellQuote(path_));
    }
    bool Locked() const { return locked_; }
    const std::string& Path() const { return path_; }

private:
    std::string folder_, path_;
    bool locked_ = false;
};

TEST_F(FlowOutput, AFileThatCannotBeDeletedIsReportedAndNothingIsWritten)
{
    Start(13, 37);
    fs::create_directories(out_.file("locked"));
    const UndeletableFile locked(out_.file("locked"));
    if (!locked.Locked())
        GTEST_SKIP() << "no way to protect a file from deletion here";
    seam_.messageAnswers.setDefault(plat::MsgResult::Yes);   // replace it? yes
    Export(locked.Path());
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, "Fehler");
    EXPECT_EQ(boxes[1].text, "Datei " + locked.Path() + " kann nicht beschrieben werden !");
    EXPECT_EQ(test::ReadBytes(locked.Path()), "old");
    EXPECT_EQ(form_->State().PdfFileName, "TolvariaPlan01.pdf");
    EXPECT_TRUE(form_->State().TileBitmap.empty());
}

TEST_F(FlowOutput, AnExistingFileIsReplacedAndACancelledDialogWritesNothing)
{
    Start(13, 37);
    test::WriteBytes(Pdf(), "old");
    Export(Pdf());
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    fs::remove(Pdf());
    seam_.answerFiles({std::nullopt});
    form_->KachelnPDF1->trigger();
    EXPECT_FALSE(fs::exists(Pdf()));
    // Only the dialog's question before replacing the old file was asked.
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, plat::OverwriteQuestionText(Pdf()));
}

TEST_F(FlowOutput, WhileAnExportRunsTheWindowRefusesOutputsAndClosingAndItsBoardMayChange)
{
    Start(13, 37);
    int checked = 0;
    // The first pass comes when the document begins, the second once it is
    // open, the third at the first hexagon row.
    AtMessagePass(form_.get(), 1, [&] {
        EXPECT_TRUE(form_->OutputRunning());
        EXPECT_FALSE(form_->Drucken1->menuAction()->isEnabled());
        form_->KachelnPDF1->trigger();
        form_->close();
        Fill(tcWasser);
        form_->SpinEditCol->setValue(40);
        ++checked;
    });
    AtMessagePass(form_.get(), 2, [&] {
        EXPECT_TRUE(form_->Gauge1->isVisible());
        EXPECT_TRUE(form_->BitBtn6->isVisible());
        ++checked;
    });
    Export(Pdf());
    ASSERT_EQ(checked, 2);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(seam_.fileDialogCalls().size(), 1u);
    // The board as it was when the command began: 13 x 37 in Pampa.
    EXPECT_EQ(flow::PdfPages(Pdf()), 4);
    const pdftest::RgbImage page = pdftest::RenderPage(Pdf(), 1, 72);
    const auto px = page.at(int(PageX(301 + 201) * 72 / Dpi), int(PageY(174) * 72 / Dpi));
    EXPECT_LT(Distance(px, {220, 0, 0}), 30);
    EXPECT_FALSE(form_->OutputRunning());
    EXPECT_TRUE(form_->Drucken1->menuAction()->isEnabled());
    EXPECT_FALSE(form_->Gauge1->isVisible());
    form_->close();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(FlowOutput, AbbruchDuringTheFirstPageFinishesThatPage)
{
    Start(13, 37);
    AtMessagePass(form_.get(), 4, [&] { form_->BitBtn6->click(); });
    Export(Pdf());
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    EXPECT_EQ(flow::PdfPages(Pdf()), 1);
    const auto list = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(Pdf()));
    EXPECT_NE(list.out.find("2362  3389"), std::string::npos) << list.out;
    EXPECT_FALSE(form_->State().CancelRequested);
    EXPECT_FALSE(form_->BitBtn6->isVisible());
}

TEST_F(FlowOutput, AWriterErrorWhileATileIsPlacedIsShownOnceAndNoFileRemains)
{
    Start(13, 37);
    // The JPEG encoder fails and memory runs out on the deflate road: the
    // writer abandons the document inside the placement of page 1.
    std::optional<pdftest::ScopedAllocationLimit> limit;
    pdftest::ScopedJpegEncoder failing([&](const plat::Bitmap&, int) -> std::vector<std::uint8_t> {
        limit.emplace(4096);
        throw std::runtime_error("no JPEG");
    });
    form_->PdfVell1().OnAbort = [&](pdf::TPdfVell&) { limit.reset(); };
    Export(Pdf());
    limit.reset();
    EXPECT_FALSE(fs::exists(Pdf()));
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    EXPECT_EQ(boxes[0].text.rfind(pdf::msg::InternalError, 0), 0u) << boxes[0].text;
    EXPECT_FALSE(form_->Gauge1->isVisible());
    EXPECT_FALSE(form_->OutputRunning());
}

TEST_F(FlowOutput, ProfileSwitchesOpenTheFileAndWriteBmpCopies)
{
    Start(13, 37);
    form_->ProfileRecord().Acrobat = true;
    form_->ProfileRecord().MitBMP = true;
    Export(Pdf());
    const auto shell = seam_.shellCalls();
    ASSERT_EQ(shell.size(), 1u);
    EXPECT_EQ(shell[0].target, Pdf());
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(fs::exists(out_.file("P" + std::to_string(i) + "_Plan.bmp"))) << i;
}

TEST_F(FlowOutput, RefusedWithoutRoomForATileOrWithoutTerrainPictures)
{
    Start(13, 37);
    form_->State().PrintParams[ppOverlap] = 2500;
    Export(Pdf());
    ASSERT_EQ(seam_.messageBoxes().size(), 1u);
    EXPECT_NE(seam_.messageBoxes()[0].text.find("keine Kachel"), std::string::npos);
    EXPECT_TRUE(seam_.fileDialogCalls().empty());
    form_->close();

    dirs_->RemovePicture(tcMoor);
    seam_.clearCalls();
    Start(13, 37);   // start-up names the missing picture once
    ASSERT_EQ(seam_.messageBoxes().size(), 1u);
    Export(Pdf());
    const auto boxes = seam_.messageBoxes();
    for (const auto& b : boxes)
        std::cerr << b.caption << ": " << b.text << "\n";
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].text.find("Pic5.jpg"), std::string::npos) << boxes[1].text;
    EXPECT_TRUE(seam_.fileDialogCalls().empty());
    EXPECT_FALSE(fs::exists(Pdf()));
}

TEST_F(FlowOutput, TheStripCommandWritesFramedTilesThatPassTheChecks)
{
    Start(13, 37);
    Fill(tcPampa);
    ASSERT_TRUE(form_->est1PdfRahmen1->isEnabled());
    ExportFramed(Pdf());
    ASSERT_TRUE(fs::exists(Pdf()));
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
    // The frame is 4461 x 7060 tile pixels: 2 x 3 tiles.
    EXPECT_EQ(flow::PdfPages(Pdf()), 6);
    const auto list = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(Pdf()));
    std::istringstream in(list.out);
    std::string line;
    int jpegs = 0;
    while (std::getline(in, line))
        jpegs += line.find("2362  3389") != std::string::npos && line.find("jpeg") != std::string::npos;
    EXPECT_EQ(jpegs, 6) << list.out;
    EXPECT_TRUE(seam_.messageBoxes().empty());
    EXPECT_EQ(form_->State().PdfFileName, Pdf());
    EXPECT_TRUE(form_->State().TileBitmap.empty());
    EXPECT_FALSE(form_->Gauge1->isVisible());

    // Read back at 50 dpi: the strip across the top of page 1, the board
    // inside it, white beyond the frame on the last page.
    constexpr int Low = 50;
    auto at = [&](const pdftest::RgbImage& page, double tileX, double tileY) {
        return page.at(int(PageX(tileX) * Low / Dpi), int(PageY(tileY) * Low / Dpi));
    };
    const auto strip = std::array<int, 3>{60, 140, 60};
    const pdftest::RgbImage first = pdftest::RenderPage(Pdf(), 1, Low);
    EXPECT_LT(Distance(at(first, 400, 60), strip), 30);     // top strip
    EXPECT_LT(Distance(at(first, 100, 1500), strip), 30);   // left strip
    EXPECT_LT(Distance(at(first, 1000, 1500), {220, 0, 0}), 40);   // the board in Pampa
    const pdftest::RgbImage last = pdftest::RenderPage(Pdf(), 6, Low);
    EXPECT_LT(Distance(at(last, 2080, 100), strip), 30);    // right strip
    EXPECT_LT(Distance(at(last, 1000, 400), strip), 30);    // bottom strip
    EXPECT_LT(Distance(at(last, 2300, 1000), {255, 255, 255}), 12);
    EXPECT_LT(Distance(at(last, 1000, 2000), {255, 255, 255}), 12);
}

TEST_F(FlowOutput, TheStripCommandRefusesBoardsTooSmallTilesThatDoNotFitAndAMissingStripPicture)
{
    struct Case {
        const char* what;
        std::function<void(TForm1&)> set;
        std::string text;
    };
    const Case cases[] = {
        // 4 columns of 5 mm hexagons: 634 pixels with the strip, two sections.
        {"small", [](TForm1& f) { f.SpinEditCol->setValue(4); f.State().PrintParams[ppHexSizeX] = 50; },
         StripTooSmallText},
        {"no room", [](TForm1& f) { f.State().PrintParams[ppOverlap] = 2500; }, NoTileRoomText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seam_.clearCalls();
        Start(13, 37);
        c.set(*form_);
        ExportFramed(Pdf());
        const auto boxes = seam_.messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
        EXPECT_TRUE(seam_.fileDialogCalls().empty());
        EXPECT_TRUE(form_->State().TileBitmap.empty());
        EXPECT_FALSE(fs::exists(Pdf()));
        EXPECT_FALSE(form_->OutputRunning());
        form_->close();
    }

    dirs_->RemovePicture(11);
    seam_.clearCalls();
    Start(13, 37);   // start-up names the missing picture once
    ASSERT_EQ(seam_.messageBoxes().size(), 1u);
    ExportFramed(Pdf());
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].text.find("Pic11.jpg"), std::string::npos) << boxes[1].text;
    EXPECT_TRUE(seam_.fileDialogCalls().empty());
    EXPECT_FALSE(fs::exists(Pdf()));
    // The bare tiles need no strip picture.
    seam_.clearCalls();
    Export(Pdf());
    EXPECT_TRUE(seam_.messageBoxes().empty());
    EXPECT_TRUE(pdftest::PdfPassesChecks(Pdf()));
}

} // namespace
