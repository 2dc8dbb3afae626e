#include "platform/QtPrintDialogs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

using plat::Paper;
using plat::PaperList;
using plat::PrinterSetupRequest;
using plat::PrinterSetupWindow;

namespace {

// One size under the names two print systems give it.
const Paper QueueLetter{"US Letter", 612, 792};
const Paper FileLetter{"Letter / ANSI A", 612, 792};
const Paper A3{"A3", 841.89, 1190.55};
const Paper A4{"A4", 595.28, 841.89};
const Paper QueueA4{"A4", 595, 842};
const Paper A5{"A5", 419.53, 595.28};

} // namespace

TEST(PrinterSetupWindowTest, KeepsThePaperBySizeAcrossPrintersElseTakesTheirDefault)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    PrinterSetupRequest request;
    request.printers = {"Laser", "PDF-Datei"};
    request.printer = 1;
    request.papers = [](int printer) {
        // The laser's default is not its first paper.
        return printer == 0 ? PaperList{{QueueA4, QueueLetter}, 1} : PaperList{{A3, A4, A5, FileLetter}, 1};
    };
    request.paper = A5;
    request.landscape = true;
    PrinterSetupWindow window(request);
    EXPECT_EQ(window.windowTitle(), "Druckereinrichtung");
    EXPECT_EQ(window.printerBox()->currentText(), "PDF-Datei");
    EXPECT_EQ(window.paperBox()->currentText(), "A5");
    EXPECT_TRUE(window.landscapeButton()->isChecked());

    struct Step { int printer; const char* paperAfter; };
    // No A5 on the laser: its default. Its Letter is the file printer's
    // Letter under another name, and A4 within a point is A4.
    for (const Step step : {Step{0, "US Letter"}, Step{1, "Letter / ANSI A"}, Step{0, "US Letter"}}) {
        SCOPED_TRACE(step.printer);
        window.printerBox()->setCurrentIndex(step.printer);
        EXPECT_EQ(window.paperBox()->currentText(), step.paperAfter);
    }
    window.paperBox()->setCurrentIndex(0);
    window.printerBox()->setCurrentIndex(1);
    EXPECT_EQ(window.paperBox()->currentText(), "A4");

    const plat::PrinterSetupAnswer answer = window.Answer();
    EXPECT_EQ(answer.printer, 1);
    EXPECT_EQ(answer.paper, A4);
    EXPECT_TRUE(answer.landscape);
}

TEST(PrintWindowTest, OpensOnThePrinterAskedForAndAnswersWithTheRange)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    plat::PrintWindow window({{"Laser", "Tinte", "PDF-Datei"}, 2, 1, 7, 1, 7});
    EXPECT_EQ(window.windowTitle(), "Drucken");
    EXPECT_EQ(window.printerBox()->currentText(), "PDF-Datei");
    EXPECT_TRUE(window.allButton()->isChecked());
    EXPECT_EQ(window.Answer().printer, 2);
    EXPECT_TRUE(window.Answer().allPages);

    // Choosing pages picks the range; its ends stay in order and in the job.
    window.fromBox()->setValue(5);
    EXPECT_TRUE(window.rangeButton()->isChecked());
    window.toBox()->setValue(3);
    EXPECT_EQ(window.fromBox()->value(), 3);
    window.toBox()->setValue(9);
    window.printerBox()->setCurrentIndex(0);
    const plat::PrintDialogAnswer answer = window.Answer();
    EXPECT_EQ(answer.printer, 0);
    EXPECT_FALSE(answer.allPages);
    EXPECT_EQ(answer.fromPage, 3);
    EXPECT_EQ(answer.toPage, 7);
}
