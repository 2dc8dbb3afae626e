// The print and printer-setup windows on a print server whose default
// queue is not the printer chosen, driven as a user would: the queue has
// hardware margins and prints into a file; "PDF-Datei" writes PDF files
// that qpdf and pdfinfo check.
#include "CupsServer.h"
#include "PdfCheck.h"

#include "platform/ModalSteps.h"
#include "platform/QtDialogs.h"
#include "platform/QtPrintDialogs.h"
#include "platform/QtPrinter.h"
#include "platform/ScriptedDialogs.h"
#include "printing/PSJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>

using pdftest::ReadersAccept;
using pdftest::RunCommand;
using pdftest::ShellQuote;
using tolv::test::ModalSteps;
using tolv::test::SharedCupsServer;

namespace {

// The sample PostScript driver: 12 pt borders, US Letter unless told.
constexpr const char* Queue = "Buero";

// Qt's print and printer-setup windows; files and boxes from the script.
class QtPrintWindows : public plat::ScopedScriptedDialogs {
public:
    std::optional<plat::PrintDialogAnswer> printDialog(const plat::PrintDialogRequest& request) override
    {
        ScriptedDialogs::printDialog(request);
        return qt_.printDialog(request);
    }
    std::optional<plat::PrinterSetupAnswer> printerSetupDialog(const plat::PrinterSetupRequest& request) override
    {
        ScriptedDialogs::printerSetupDialog(request);
        return qt_.printerSetupDialog(request);
    }

private:
    plat::QtDialogs qt_;
};

class CupsDialogsTest : public tolv::test::CupsTest {
protected:
    void SetUp() override
    {
        CupsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        static const std::string added = [] {
            const std::string error = SharedCupsServer().addQueue(Queue, "drv:///sample.drv/generic.ppd");
            return error.empty() ? SharedCupsServer().setDefault(Queue) : error;
        }();
        ASSERT_EQ(added, "");
        printer = std::make_unique<plat::QtPrinter>();
        guard = std::make_unique<plat::ScopedPrinter>(*printer);
        job.emplace(*printer);
        job->SetTitle("Plan");
        job->SetPageCount(2);
        job->OnDraw = [](printing::TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r,
                         printing::TDrawArea, printing::TDrawTarget) {
            c.Rectangle(r);
            c.TextOut(r.Left + 100, r.Top + 100, "Seite " + std::to_string(page));
        };
    }

    // The setup window: a printer and a paper picked by the user, then OK.
    void ChooseInSetup(const std::string& printerName, const std::string& paper = {})
    {
        ModalSteps steps({[&](QWidget* w) {
            auto* window = qobject_cast<plat::PrinterSetupWindow*>(w);
            if (!window)
                return false;
            window->printerBox()->setCurrentText(QString::fromStdString(printerName));
            if (!paper.empty())
                window->paperBox()->setCurrentText(QString::fromStdString(paper));
            window->accept();
            return true;
        }});
        job->PrinterSetupDialog();
        ASSERT_TRUE(steps.done());
    }

    // The print window taken as it opens; the printer it shows is kept.
    void PrintAsOffered()
    {
        ModalSteps steps({[&](QWidget* w) {
            auto* window = qobject_cast<plat::PrintWindow*>(w);
            if (!window)
                return false;
            offered = window->printerBox()->currentText().toStdString();
            window->accept();
            return true;
        }});
        job->PrintDialog();
        ASSERT_TRUE(steps.done());
    }

    std::unique_ptr<plat::QtPrinter> printer;
    std::unique_ptr<plat::ScopedPrinter> guard;
    QtPrintWindows dialogs;
    std::optional<printing::TPrintJob> job;
    tolv::test::TempDir dir;
    std::string offered;
};

std::string PageSizeOf(const std::string& pdf)
{
    const auto info = RunCommand("pdfinfo " + ShellQuote(pdf));
    std::smatch m;
    return std::regex_search(info.out, m, std::regex("Page size:\\s+([^\\n]*)\\n")) ? m[1].str() : info.err;
}

} // namespace

// "PDF-Datei" chosen in the setup stays chosen in the print window, and the
// job goes into the file the user names, not to the default queue. The
// queue's Letter paper goes along to "PDF-Datei", which calls it otherwise.
TEST_F(CupsDialogsTest, ThePrintWindowKeepsThePdfPrinterOverTheDefaultQueue)
{
    ASSERT_EQ(printer->PrinterIndex(), IndexOf(*printer, Queue));
    ASSERT_EQ(printer->PaperName(), "US Letter");
    ChooseInSetup("PDF-Datei");
    EXPECT_EQ(printer->PaperName(), "Letter / ANSI A");
    const std::string pdf = dir.file("plan.pdf");
    dialogs.answerFiles({pdf});
    PrintAsOffered();
    EXPECT_EQ(offered, "PDF-Datei");
    EXPECT_TRUE(printer->IsPdfPrinter());

    ASSERT_TRUE(ReadersAccept(pdf));
    EXPECT_NE(RunCommand("pdfinfo " + ShellQuote(pdf)).out.find("Pages:           2"), std::string::npos);
    EXPECT_EQ(PageSizeOf(pdf), "612 x 792 pts (letter)");
    ASSERT_TRUE(SharedCupsServer().waitIdle()) << SharedCupsServer().errorLog();
    EXPECT_FALSE(std::filesystem::exists(SharedCupsServer().output(Queue)));
}

// A paper chosen in the setup survives the print window taken as it opens,
// on the queue and in the preview's page size; on "PDF-Datei" the same
// sheet is found under its other name, and a paper it lacks gives its
// default, not the first entry of its list.
TEST_F(CupsDialogsTest, ThePaperChosenStaysThroughThePrintWindowAndAcrossPrinters)
{
    ChooseInSetup(Queue, "A4");
    const double a4Width = job->PageWidth();
    EXPECT_EQ(a4Width, 4961);
    PrintAsOffered();
    EXPECT_EQ(offered, Queue);
    EXPECT_EQ(printer->PaperName(), "A4");
    EXPECT_EQ(job->PageWidth(), a4Width);
    ASSERT_TRUE(SharedCupsServer().waitIdle()) << SharedCupsServer().errorLog();
    const std::string out = tolv::test::ReadBytes(SharedCupsServer().output(Queue).string());
    ASSERT_FALSE(out.empty()) << SharedCupsServer().errorLog();
    EXPECT_NE(out.find("595 842"), std::string::npos) << out.substr(0, 2000);
    EXPECT_EQ(out.find("612 792"), std::string::npos);

    struct Step { std::string printer, paper, kept; };
    const Step steps[] = {
        {"PDF-Datei", "", "A4"},
        {Queue, "US Letter", "US Letter"},
        {"PDF-Datei", "", "Letter / ANSI A"},
        {Queue, "Executive", "Executive"},
        // "PDF-Datei" has no Executive: its default, not its first paper (A3).
        {"PDF-Datei", "", "A4"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.printer + " " + s.paper);
        ChooseInSetup(s.printer, s.paper);
        EXPECT_EQ(printer->PaperName(), s.kept);
    }
}
