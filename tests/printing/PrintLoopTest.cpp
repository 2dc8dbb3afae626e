#include "JobFixture.h"

#include <stdexcept>

using namespace printing;
using tolv::test::JobTest;

namespace {

using Log = std::vector<std::string>;

// Every event of the job goes into the printer's log, so the two
// interleave as they happened.
class PrintLoopTest : public JobTest {
protected:
    PrintLoopTest()
    {
        printer.keepPages = false;
        job.SetPageCount(5);
        job.SetTitle("Plan");
        auto note = [this](const std::string& s) { printer.log.push_back(s); };
        job.OnStartPrint = [note](TCustomPrintJob&) { note("StartPrint"); };
        job.OnEndPrint = [note](TCustomPrintJob&) { note("EndPrint"); };
        job.OnStartPrintPage = [note](TCustomPrintJob&, int p) { note("start " + std::to_string(p)); };
        job.OnEndPrintPage = [note](TCustomPrintJob&, int p) { note("end " + std::to_string(p)); };
        job.OnPrintProgress = [note](TCustomPrintJob&, int pos, int min, int max) {
            note("progress " + std::to_string(pos) + " " + std::to_string(min) + ".." + std::to_string(max));
        };
        job.OnPrinterSetupChange = [note](TCustomPrintJob&) { note("SetupChange"); };
        job.OnUpdate = [note](TCustomPrintJob& j) { note("Update " + std::to_string(j.PageCount())); };
        printer.log.clear();
    }

    // The log lines of one page printed in a run of `count` pages; a page
    // after the first of a document begins a new sheet.
    static Log Page(int page, int pos, int count, bool newPage)
    {
        Log l;
        if (newPage)
            l.push_back("NewPage");
        l.push_back("start " + std::to_string(page));
        l.push_back("end " + std::to_string(page));
        l.push_back("progress " + std::to_string(pos) + " 1.." + std::to_string(count));
        return l;
    }
    static Log Join(std::initializer_list<Log> parts)
    {
        Log all;
        for (const Log& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    }
};

} // namespace

TEST_F(PrintLoopTest, ARangeIsOneDocumentWithANewPageBetweenPages)
{
    job.PrintRange(3, 7, false);
    const Log expected = Join({{"Title Plan", "StartPrint", "BeginRun", "BeginDoc"}, Page(3, 1, 5, false),
                               Page(4, 2, 5, true), Page(5, 3, 5, true), Page(6, 4, 5, true),
                               Page(7, 5, 5, true), {"EndDoc", "EndRun", "EndPrint"}});
    EXPECT_EQ(printer.log, expected);
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0].title, "Plan");
    EXPECT_EQ(printer.documents[0].pages.size(), 5u);
}

TEST_F(PrintLoopTest, OnePageAndOneDocumentPerPage)
{
    job.PrintRange(2, 2, false);
    EXPECT_EQ(printer.log, Join({{"Title Plan", "StartPrint", "BeginRun", "BeginDoc"}, Page(2, 1, 1, false),
                                 {"EndDoc", "EndRun", "EndPrint"}}));

    printer.log.clear();
    job.SetOrientation(orLandscape);
    printer.log.clear();
    job.SetMultiDoc(true);
    job.Print();
    Log expected{"Orientation landscape", "Title Plan", "StartPrint", "BeginRun"};
    for (int p = 1; p <= 5; ++p) {
        expected.push_back("BeginDoc");
        const Log page = Page(p, p, 5, false);
        expected.insert(expected.end(), page.begin(), page.end() - 1);
        expected.push_back("EndDoc");
        expected.push_back(page.back());
    }
    expected.insert(expected.end(), {"EndRun", "EndPrint"});
    EXPECT_EQ(printer.log, expected);
    EXPECT_EQ(printer.documents.size(), 6u);

    // No pass when the range is empty; the run still starts and ends.
    printer.log.clear();
    job.SetMultiDoc(false);
    job.PrintRange(4, 3, false);
    EXPECT_EQ(printer.log, (Log{"Orientation landscape", "Title Plan", "StartPrint", "BeginRun", "BeginDoc",
                                "EndDoc", "EndRun", "EndPrint"}));
}

TEST_F(PrintLoopTest, AbortBetweenPagesEndsTheDocumentNormally)
{
    job.OnEndPrintPage = [this](TCustomPrintJob& j, int page) {
        printer.log.push_back("end " + std::to_string(page));
        if (page == 2)
            j.Abort();
    };
    job.Print();
    // Page 2 is finished, page 3 never started, and no blank sheet follows.
    EXPECT_EQ(printer.log, Join({{"Title Plan", "StartPrint", "BeginRun", "BeginDoc"}, Page(1, 1, 5, false),
                                 Page(2, 2, 5, true), {"EndDoc", "EndRun", "EndPrint"}}));
    EXPECT_EQ(printer.documents.back().pages.size(), 2u);
    EXPECT_FALSE(job.AbortRequested());
    EXPECT_TRUE(printer.documents.back().ended);

    // A request made outside a run is cleared when the next one starts.
    job.OnEndPrintPage = nullptr;
    job.Abort();
    job.Print();
    EXPECT_EQ(printer.documents.back().pages.size(), 5u);
}

TEST_F(PrintLoopTest, OnAllowPrintFalseDoesNothingAtAll)
{
    job.SetOrientation(orLandscape);
    printer.SetOrientation(plat::TPrinterOrientation::poPortrait);
    printer.log.clear();
    job.OnAllowPrint = [](TCustomPrintJob&, bool& allow) { allow = false; };
    job.Print();
    EXPECT_TRUE(printer.log.empty());
    EXPECT_TRUE(printer.documents.empty());
}

// An error while a page is drawn or sent must not leave the document open:
// every later print would fail with "document already open".
TEST_F(PrintLoopTest, AFailedPageAbandonsTheDocumentEndsTheRunAndIsRaised)
{
    job.OnDraw = [](TCustomPrintJob&, plat::Canvas&, int page, const plat::TRect&, TDrawArea, TDrawTarget) {
        if (page == 2)
            throw std::runtime_error("Zeichenfehler");
    };
    EXPECT_THROW(job.Print(), std::runtime_error);
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.documents.back().aborted);
    EXPECT_EQ(Log(printer.log.end() - 3, printer.log.end()), (Log{"Abort", "EndRun", "EndPrint"}));

    job.OnDraw = nullptr;
    printer.failNewPageAt = 3;
    EXPECT_THROW(job.Print(), plat::EPrinter);
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.log.back(), "EndPrint");

    printer.failNewPageAt = 0;
    job.Print();
    EXPECT_TRUE(printer.documents.back().ended);
    EXPECT_EQ(printer.documents.back().pages.size(), 5u);
}

TEST_F(PrintLoopTest, ACancelledDocumentEndsTheRunWithoutPages)
{
    printer.cancelBeginDoc = true;
    job.Print();
    EXPECT_TRUE(printer.documents.empty());
    EXPECT_EQ(printer.log, (Log{"Title Plan", "StartPrint", "BeginRun", "BeginDoc", "EndRun", "EndPrint"}));
    printer.log.clear();
    job.SetMultiDoc(true);
    job.Print();
    EXPECT_EQ(printer.log, (Log{"Title Plan", "StartPrint", "BeginRun", "BeginDoc", "EndRun", "EndPrint"}));
}

TEST_F(PrintLoopTest, CancelledDialogsChangeAndFireNothing)
{
    job.PrintDialog();
    job.PrinterSetupDialog();
    EXPECT_TRUE(printer.log.empty());
    ASSERT_EQ(dialogs.printDialogCalls().size(), 1u);
    const plat::PrintDialogRequest r = dialogs.printDialogCalls()[0];
    EXPECT_EQ(r.minPage, 1);
    EXPECT_EQ(r.maxPage, 5);
    EXPECT_EQ(r.fromPage, 1);
    EXPECT_EQ(r.toPage, 5);
    EXPECT_EQ(r.printers, (std::vector<std::string>{"Testdrucker"}));
    ASSERT_EQ(dialogs.printerSetupCalls().size(), 1u);
    EXPECT_EQ(dialogs.printerSetupCalls()[0].papers(0).papers, (std::vector<plat::Paper>{plat::FakeA4, plat::FakeA5}));
    EXPECT_EQ(dialogs.printerSetupCalls()[0].paper, plat::FakeA4);
}

// The dialog's range was made for the old page count; the updates for the
// printer chosen may change it before printing.
TEST_F(PrintLoopTest, ThePrintRangeFollowsThePageCountOfThePrinterChosen)
{
    printer.printers.push_back(tolv::test::Setup("Zweiter", {300, 300, 2480, 3508, 50, 50, 2380, 3408, -1}));
    job.OnPrinterSetupChange = [this](TCustomPrintJob& j) {
        printer.log.push_back("SetupChange");
        j.SetPageCount(plat::ThePrinter().PrinterIndex() == 1 ? 3 : 5);
    };
    struct Row { bool all; int from, to; int first, last; };
    for (const Row& row : {Row{true, 1, 5, 1, 3}, Row{false, 2, 5, 2, 3}, Row{false, 0, 2, 1, 2}}) {
        SCOPED_TRACE(::testing::Message() << row.all << " " << row.from << ".." << row.to);
        job.SetPageCount(5);
        printer.SetPrinterIndex(0);
        printer.log.clear();
        dialogs.printAnswers.push(plat::PrintDialogAnswer{1, row.all, row.from, row.to});
        job.PrintDialog();
        const Log& log = printer.log;
        EXPECT_EQ(log.front(), "Printer Zweiter");
        // Update, title, update, setup change, then the run.
        const auto start = std::find(log.begin(), log.end(), "StartPrint");
        ASSERT_NE(start, log.end());
        EXPECT_NE(std::find(log.begin(), start, "SetupChange"), start);
        EXPECT_NE(std::find(start, log.end(), "start " + std::to_string(row.first)), log.end());
        EXPECT_NE(std::find(start, log.end(), "start " + std::to_string(row.last)), log.end());
        EXPECT_EQ(std::find(start, log.end(), "start " + std::to_string(row.last + 1)), log.end());
        EXPECT_EQ(printer.documents.back().pages.size(), static_cast<std::size_t>(row.last - row.first + 1));
    }
}

TEST_F(PrintLoopTest, PrinterSetupAppliesTheChoiceThenUpdatesAroundTheSetupChange)
{
    printer.printers.push_back(tolv::test::Setup("Zweiter", {300, 300, 2480, 3508, 50, 50, 2380, 3408, -1}));
    dialogs.printerSetupAnswers.push(plat::PrinterSetupAnswer{1, plat::FakeA5, true});
    job.PrinterSetupDialog();
    EXPECT_EQ(printer.log, (Log{"Printer Zweiter", "Paper A5", "Orientation landscape", "Update 5",
                                "SetupChange", "Update 5"}));
    EXPECT_EQ(job.PageWidth(), 3508);
}
