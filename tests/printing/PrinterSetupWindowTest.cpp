#include "platform/QtPrintDialogs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>

using plat::PrinterSetupRequest;
using plat::PrinterSetupWindow;

TEST(PrinterSetupWindowTest, OffersThePapersOfThePrinterChosenAndKeepsACommonOne)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    PrinterSetupRequest request;
    request.printers = {"Laser", "PDF-Datei"};
    request.printer = 1;
    request.papers = [](int printer) {
        return printer == 0 ? std::vector<std::string>{"Letter", "A4"}
                            : std::vector<std::string>{"A3", "A4", "A5"};
    };
    request.paper = "A5";
    request.landscape = true;
    PrinterSetupWindow window(request);
    EXPECT_EQ(window.windowTitle(), "Druckereinrichtung");
    EXPECT_EQ(window.printerBox()->currentText(), "PDF-Datei");
    EXPECT_EQ(window.paperBox()->currentText(), "A5");
    EXPECT_TRUE(window.landscapeButton()->isChecked());

    // The laser printer has no A5: its first paper is offered; A4 survives
    // a change back.
    window.printerBox()->setCurrentIndex(0);
    EXPECT_EQ(window.paperBox()->count(), 2);
    EXPECT_EQ(window.paperBox()->currentText(), "Letter");
    window.paperBox()->setCurrentIndex(1);
    window.printerBox()->setCurrentIndex(1);
    EXPECT_EQ(window.paperBox()->currentText(), "A4");

    const plat::PrinterSetupAnswer answer = window.Answer();
    EXPECT_EQ(answer.printer, 1);
    EXPECT_EQ(answer.paper, "A4");
    EXPECT_TRUE(answer.landscape);
}
