// A job as it is made: on the printer it is given.
#include "JobFixture.h"

using namespace printing;
using plat::TPrinterOrientation;
using plat::TRect;

TEST(JobCreation, AJobWorksOnThePrinterItIsGivenNotTheOneInstalled)
{
    plat::FakePrinter installed;
    plat::ScopedPrinter guard(installed);
    plat::FakePrinter own({tolv::test::Setup("A4", {600, 600, 4960, 7016, 100, 120, 4760, 6776, -1})});
    plat::ScopedScriptedDialogs dialogs;

    TPrintJob job(own);
    EXPECT_EQ(&job.Printer(), &own);
    EXPECT_EQ(job.PageWidth(), 4960);
    EXPECT_EQ(job.PrinterDpiY(), 600);
    EXPECT_EQ(job.GetPrintableExtent(), (TRect{0, 0, 4760, 6776}));
    job.SetOrientation(orLandscape);
    EXPECT_EQ(own.Orientation(), TPrinterOrientation::poLandscape);
    job.Print();
    EXPECT_EQ(own.documents.size(), 1u);
    EXPECT_EQ(installed.Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_TRUE(installed.documents.empty());
    EXPECT_TRUE(installed.log.empty());
}
