// Printing through "PDF-Datei": the whole road of a print job on a machine
// without any queue, checked with readers we did not write.
#include "JobFixture.h"
#include "PdfCheck.h"

#include "platform/QtPrinter.h"
#include "platform/SafeFile.h"
#include "support/TestSupport.h"

#include <QImage>

#include <cerrno>
#include <filesystem>
#include <regex>
#include <system_error>

using namespace printing;
using pdftest::ReadersAccept;
using pdftest::RunCommand;
using pdftest::ShellQuote;

namespace {

class PdfPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(application);
        printer.SetPrinterIndex(static_cast<int>(printer.Printers().size()) - 1);
        ASSERT_TRUE(printer.IsPdfPrinter());
        job.SetTitle("Plan");
        job.SetPageCount(3);
        // A 5 mm marker at the page area's corner: 20 mm from the left,
        // 30 mm margin + 10 mm header from the top of the sheet.
        job.SetOptions({joMargins, joHeader});
        job.SetMarginsUnits(unMillimeters);
        job.SetMargins({20, 30, 20, 30});
        job.SetHeaderUnits(unMillimeters);
        job.SetHeader(10);
        job.SetRelativeCoords(true);
        job.OnDraw = [](TCustomPrintJob& j, plat::Canvas& c, int page, const plat::TRect& r, TDrawArea area,
                        TDrawTarget) {
            if (area != daPage)
                return;
            c.Brush.Color = plat::clBlack;
            c.FillRect({0, 0, int(std::nearbyint(j.MmToPixels(false, 5))),
                        int(std::nearbyint(j.MmToPixels(true, 5)))});
            c.TextOut(0, r.Height() / 2, "Seite " + std::to_string(page));
        };
    }

    // Qt's printer needs the application object first.
    bool application = tolv::test::EnsureApplication() != nullptr;
    plat::QtPrinter printer;
    plat::ScopedPrinter guard{printer};
    plat::ScopedScriptedDialogs dialogs;
    TPrintJob job;
    tolv::test::TempDir dir;
};

} // namespace

TEST_F(PdfPrinterTest, ThreePagesLandOnA4WithTheMarkerWhereItBelongs)
{
    dialogs.answerFiles({dir.file("plan.pdf")});
    job.Print();
    const std::string pdf = dir.file("plan.pdf");

    EXPECT_TRUE(ReadersAccept(pdf));
    const auto info = RunCommand("pdfinfo " + ShellQuote(pdf));
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Pages:\\s+3\\n"))) << info.out;
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Page size:\\s+595[.0-9]* x 84[12][.0-9]* pts \\(A4\\)")))
        << info.out;

    // At 254 dpi a millimetre is 10 pixels: the marker covers 200..249 x
    // 400..449 of page 1.
    ASSERT_EQ(RunCommand("pdftoppm -r 254 -f 1 -l 1 -png " + ShellQuote(pdf) + " " + ShellQuote(dir.file("p"))).exitCode,
              0);
    QImage page(QString::fromStdString(dir.file("p-1.png")));
    ASSERT_FALSE(page.isNull());
    auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    EXPECT_TRUE(dark(201, 401));
    EXPECT_TRUE(dark(248, 448));
    EXPECT_FALSE(dark(198, 401));
    EXPECT_FALSE(dark(201, 398));
    EXPECT_FALSE(dark(251, 448));
    EXPECT_FALSE(dark(248, 451));
}

TEST_F(PdfPrinterTest, OneFilePerDocumentNumberedAfterTheFirst)
{
    dialogs.answerFiles({dir.file("plan.pdf")});
    job.SetMultiDoc(true);
    job.Print();
    EXPECT_EQ(dialogs.fileDialogCalls().size(), 1u);
    for (const char* name : {"plan.pdf", "plan-2.pdf", "plan-3.pdf"}) {
        SCOPED_TRACE(name);
        const auto info = RunCommand("pdfinfo " + ShellQuote(dir.file(name)));
        EXPECT_TRUE(std::regex_search(info.out, std::regex("Pages:\\s+1\\n"))) << info.out << info.err;
    }

    // A new run asks again.
    dialogs.answerFiles({std::nullopt});
    job.Print();
    EXPECT_EQ(dialogs.fileDialogCalls().size(), 2u);
}

TEST_F(PdfPrinterTest, AFailedPageLeavesNoHalfWrittenFile)
{
    dialogs.answerFiles({dir.file("plan.pdf")});
    job.OnDraw = [](TCustomPrintJob&, plat::Canvas&, int page, const plat::TRect&, TDrawArea, TDrawTarget) {
        if (page == 2)
            throw std::runtime_error("Zeichenfehler");
    };
    EXPECT_THROW(job.Print(), std::runtime_error);
    EXPECT_FALSE(printer.Printing());
    EXPECT_FALSE(std::filesystem::exists(dir.file("plan.pdf")));
    // The next print works.
    job.OnDraw = nullptr;
    dialogs.answerFiles({dir.file("plan.pdf")});
    job.Print();
    EXPECT_TRUE(ReadersAccept(dir.file("plan.pdf")));
}

// A print that cannot be written says which file and why, leaves nothing of
// itself (a file it was to replace keeps its content), and the printer
// writes the next file in full. The full disk is the safe writer's fault
// hook; the read-only file is a real one.
TEST_F(PdfPrinterTest, AFailedWriteNamesFileAndCauseLeavesNothingAndTheNextPrintIsWhole)
{
    struct Case {
        const char* name;
        plat::WriteFault fault;
        bool readOnlyOldFile;
        std::string cause;
    };
    const Case cases[] = {
        {"full disk", plat::WriteFault::DiskFull, false, std::error_code(ENOSPC, std::generic_category()).message()},
        {"read-only file", plat::WriteFault::None, true, std::error_code(EACCES, std::generic_category()).message()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tolv::test::TempDir folder;
        const std::string pdf = folder.file("plan.pdf");
        if (c.readOnlyOldFile) {
            tolv::test::WriteBytes(pdf, std::string("alt"));
            std::filesystem::permissions(pdf, std::filesystem::perms::owner_read);
        }
        dialogs.answerFiles({pdf});
        int ends = 0;
        job.OnEndPrint = [&](TCustomPrintJob&) { ++ends; };
        try {
            const plat::ScopedWriteFault fault(c.fault);
            job.Print();
            ADD_FAILURE() << "the print did not fail";
        } catch (const plat::EPrinter& e) {
            EXPECT_EQ(std::string(e.what()), "Die Datei " + pdf + " kann nicht geschrieben werden: " + c.cause);
        }
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(printer.Printing());
        // Nothing but what was there before.
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, c.readOnlyOldFile ? std::vector<std::string>{"plan.pdf"} : std::vector<std::string>{});
        if (c.readOnlyOldFile) {
            EXPECT_EQ(tolv::test::ReadBytes(pdf), "alt");
        }

        const std::string next = folder.file("weiter.pdf");
        dialogs.answerFiles({next});
        job.Print();
        EXPECT_TRUE(ReadersAccept(next));
        const auto info = RunCommand("pdfinfo " + ShellQuote(next));
        EXPECT_TRUE(std::regex_search(info.out, std::regex("Pages:\\s+3\\n"))) << info.out;
        if (c.readOnlyOldFile)
            std::filesystem::permissions(pdf, std::filesystem::perms::owner_all);
    }
}
