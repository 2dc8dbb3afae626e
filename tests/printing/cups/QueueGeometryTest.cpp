#include "CupsServer.h"

#include "platform/QtPrinter.h"
#include "printing/PSJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using plat::QtPrinter;
using plat::SheetGeometry;
using plat::TPrinterOrientation;
using tolv::test::CupsTest;
using tolv::test::SharedCupsServer;

// The sample laser printer's A4 sheet has borders of 18 pt left and right,
// 36 pt at top and bottom: 150 and 300 px at 600 dpi. It prints black
// and white only.
TEST_F(CupsTest, QueueBordersAreThePrintableAreaAndTurnWithTheSheet)
{
    ASSERT_EQ(SharedCupsServer().addQueue("Laser", "drv:///sample.drv/laserjet.ppd"), "");
    QtPrinter printer;
    const int laser = IndexOf(printer, "Laser");
    ASSERT_GE(laser, 0);
    EXPECT_EQ(printer.Printers().back(), "PDF-Datei");
    printer.SetPrinterIndex(laser);
    // The paper of the printer chosen before stays where this one has it.
    printer.SetPaper({"A4", 595.28, 841.89});
    EXPECT_FALSE(printer.IsPdfPrinter());
    EXPECT_TRUE(printer.HasDevice());
    ASSERT_EQ(printer.PaperName(), "A4");
    EXPECT_EQ(printer.Sheet(), (SheetGeometry{600, 600, 4961, 7016, 150, 300, 4661, 6416, 2}));

    printer.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(printer.Sheet(), (SheetGeometry{600, 600, 7016, 4961, 300, 150, 6416, 4661, 2}));

    // A job on it checks its margins against those borders.
    plat::ScopedPrinter guard(printer);
    printing::TPrintJob job;
    job.SetOptions({printing::joMargins});
    EXPECT_EQ(job.Margins(), (printing::TMargins{300, 150, 300, 150}));
}
