#include "JobFixture.h"

#include "platform/QtPrinter.h"
#include "support/TestSupport.h"

#include <QImage>

#include <algorithm>

using namespace printing;
using plat::DeviceCap;
using plat::FakePrinter;
using plat::QtPrinter;
using plat::SheetGeometry;
using plat::TPrinterOrientation;

TEST(FakePrinterTest, LandscapeTurnsTheSheetWithItsBordersAndResolutions)
{
    FakePrinter printer;
    printer.SetOrientation(TPrinterOrientation::poLandscape);
    // Portrait: 600 x 300 dpi, 2400 x 1800, borders left 90, top 40, right
    // and bottom 60. The page's top lies along the paper's left edge.
    const SheetGeometry expected{300, 600, 1800, 2400, 60, 90, 1700, 2250, -1};
    EXPECT_EQ(printer.Sheet(), expected);
    struct Row { DeviceCap cap; int value; };
    for (const Row& r : {Row{DeviceCap::LOGPIXELSX, 300}, Row{DeviceCap::LOGPIXELSY, 600},
                         Row{DeviceCap::PHYSICALWIDTH, 1800}, Row{DeviceCap::PHYSICALHEIGHT, 2400},
                         Row{DeviceCap::PHYSICALOFFSETX, 60}, Row{DeviceCap::PHYSICALOFFSETY, 90},
                         Row{DeviceCap::HORZRES, 1700}, Row{DeviceCap::VERTRES, 2250},
                         Row{DeviceCap::NUMCOLORS, -1}}) {
        SCOPED_TRACE(static_cast<int>(r.cap));
        EXPECT_EQ(printer.GetDeviceCaps(r.cap), r.value);
    }
    // Turned four times, the sheet is back.
    EXPECT_EQ(expected.Turned().Turned().Turned(), FakePrinter().Sheet());
}

TEST(FakePrinterTest, RecordsDocumentsWithPagesDrawnThroughTheCanvas)
{
    FakePrinter printer;
    printer.SetTitle("Plan");
    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_THROW(printer.BeginDoc(), plat::EPrinter);
    EXPECT_THROW(printer.SetOrientation(TPrinterOrientation::poLandscape), plat::EPrinter);
    plat::Canvas& c = printer.PrinterCanvas();
    EXPECT_EQ(c.LogPixelsX(), 600);
    EXPECT_EQ(c.LogPixelsY(), 300);
    c.Brush.Color = plat::clBlack;
    c.FillRect({10, 20, 30, 40});
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_THROW(printer.NewPage(), plat::EPrinter);

    ASSERT_EQ(printer.documents.size(), 1u);
    const FakePrinter::Document& doc = printer.documents[0];
    EXPECT_EQ(doc.title, "Plan");
    EXPECT_TRUE(doc.ended);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[0].size(), QSize(2250, 1700));   // the printable area
    EXPECT_EQ(doc.pages[0].pixel(10, 20), qRgb(0, 0, 0));
    EXPECT_EQ(doc.pages[0].pixel(30, 40), qRgb(255, 255, 255));
    EXPECT_EQ(doc.pages[1].pixel(10, 20), qRgb(255, 255, 255));
    EXPECT_EQ(printer.log, (std::vector<std::string>{"Title Plan", "BeginDoc", "NewPage", "EndDoc"}));
}

TEST(FakePrinterTest, CancelsAndFailsOnDemand)
{
    FakePrinter printer;
    printer.cancelBeginDoc = true;
    EXPECT_FALSE(printer.BeginDoc());
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.documents.empty());

    printer.cancelBeginDoc = false;
    printer.failNewPageAt = 2;
    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_THROW(printer.NewPage(), plat::EPrinter);
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.documents.back().aborted);

    printer.failBeginDoc = true;
    EXPECT_THROW(printer.BeginDoc(), plat::EPrinter);
    printer.hasDevice = false;
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::LOGPIXELSX), 0);
}

TEST(FakePrinterTest, SwitchingPrintersChangesTheGeometryTheJobSees)
{
    FakePrinter printer({tolv::test::Setup("klein", {600, 300, 2400, 1800, 90, 40, 2250, 1700, -1}),
                         tolv::test::Setup("gross", {300, 300, 2480, 3508, 50, 50, 2380, 3408, 2})});
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    EXPECT_EQ(printer.Printers(), (std::vector<std::string>{"klein", "gross"}));
    printer.SetPrinterIndex(1);
    job.Update();
    EXPECT_EQ(job.PageWidth(), 2480);
    EXPECT_EQ(job.PrinterDpiX(), 300);
    EXPECT_THROW(printer.SetPrinterIndex(2), plat::EPrinter);
}

// The Qt printer on this machine: the CUPS queues, if any, then "PDF-Datei".
class QtPrinterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(tolv::test::EnsureApplication(), nullptr); }
};

TEST_F(QtPrinterTest, ListsThePdfPrinterLastWithAnA4SheetAt600Dpi)
{
    QtPrinter printer;
    const auto names = printer.Printers();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), "PDF-Datei");
    printer.SetPrinterIndex(static_cast<int>(names.size()) - 1);
    EXPECT_TRUE(printer.IsPdfPrinter());
    EXPECT_TRUE(printer.HasDevice());
    EXPECT_EQ(printer.PaperName(), "A4");
    // A4 is 210 x 297 mm: 4960.6 x 7015.7 px at 600 dpi; the whole sheet prints.
    EXPECT_EQ(printer.Sheet(), (SheetGeometry{600, 600, 4961, 7016, 0, 0, 4961, 7016, -1}));

    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    EXPECT_TRUE(job.PrinterAvailable());
    job.SetPageUnits(unMillimeters);
    EXPECT_DOUBLE_EQ(job.PageWidth(), 210.02);   // 4961 px
    job.SetOrientation(orLandscape);
    EXPECT_EQ(printer.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::PHYSICALWIDTH), 7016);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::HORZRES), 7016);
    EXPECT_EQ(printer.GetDeviceCaps(DeviceCap::VERTRES), 4961);
}

TEST_F(QtPrinterTest, WithoutQueuesAndWithoutThePdfPrinterThereIsNoPrinter)
{
    QtPrinter printer(false);
    if (!printer.Printers().empty())
        GTEST_SKIP() << "this machine has print queues";
    EXPECT_EQ(printer.PrinterIndex(), -1);
    EXPECT_FALSE(printer.HasDevice());
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    EXPECT_FALSE(job.PrinterAvailable());
    EXPECT_EQ(job.GetPageExtent(), (plat::TRect{0, 0, 2000, 3000}));
}

TEST_F(QtPrinterTest, PdfPrinterAsksForTheFileAndACancelWritesNothing)
{
    tolv::test::TempDir dir;
    QtPrinter printer;
    printer.SetPrinterIndex(static_cast<int>(printer.Printers().size()) - 1);
    plat::ScopedScriptedDialogs dialogs;

    EXPECT_FALSE(printer.BeginDoc());
    EXPECT_FALSE(printer.Printing());
    ASSERT_EQ(dialogs.fileDialogCalls().size(), 1u);
    EXPECT_EQ(dialogs.fileDialogCalls()[0].request.kind, plat::FileDialogKind::Save);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    dialogs.answerFiles({dir.file("seite")});
    printer.SetTitle("Plan");
    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_EQ(printer.PrinterCanvas().LogPixelsX(), 600);
    printer.PrinterCanvas().Rectangle(100, 100, 600, 600);
    printer.NewPage();
    printer.EndDoc();
    const std::string pdf = tolv::test::ReadBytes(dir.file("seite.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
}
