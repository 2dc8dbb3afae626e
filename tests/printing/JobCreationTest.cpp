// A job as it is made: on the printer it is given, and told of its
// creation only once it is whole.
#include "JobFixture.h"

#include "printing/PJDraft.h"

using namespace printing;
using plat::TPrinterOrientation;
using plat::TRect;

namespace {

// A job that its own constructor sets up, as an owner's job class would.
class FourPageJob : public TPrintJob {
public:
    FourPageJob() { SetPageCount(4); }
};

} // namespace

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

TEST(JobCreation, OnCreateSeesTheDerivedJobWhole)
{
    plat::FakePrinter printer;
    plat::ScopedPrinter guard(printer);
    int created = 0;
    int pages = 0;
    bool derived = false;
    const auto job = MakePrintJob<FourPageJob>([&](TCustomPrintJob& sender) {
        ++created;
        pages = sender.PageCount();
        derived = dynamic_cast<FourPageJob*>(&sender) != nullptr;
    });
    EXPECT_EQ(created, 1);
    EXPECT_EQ(pages, 4);
    EXPECT_TRUE(derived);
    EXPECT_EQ(job->PageCount(), 4);
}

// What the handler throws reaches the caller; the job is destroyed as any
// other, so a draft job it was linked to in the meantime forgets it.
TEST(JobCreation, AFailingOnCreateHandlerLeavesNoJobBehind)
{
    plat::FakePrinter printer;
    plat::ScopedPrinter guard(printer);
    TDraftPrintJob draft;
    EXPECT_THROW(MakePrintJob<TPrintJob>([&](TCustomPrintJob& sender) {
                     draft.SetPrintJob(&sender);
                     throw EPrintJobException("kein Auftrag");
                 }),
                 EPrintJobException);
    EXPECT_EQ(draft.PrintJob(), nullptr);
}
