// What the component asks of the desktop: opening the finished file and
// showing a warning.
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

using namespace pdf;
using pdftest::ErrorOf;

namespace {

struct Doc : pdftest::MemoryDoc {
    int ends = 0, aborts = 0;
    std::vector<std::string> shown;
    Doc() : MemoryDoc("/out/doc.pdf")
    {
        pdf.OnEnd = [this](TPdfVell&) { ++ends; };
        pdf.OnAbort = [this](TPdfVell&) { ++aborts; };
        pdf.OnShowFile = [this](const std::string& name) { shown.push_back(name); };
    }
};

} // namespace

TEST(PdfVellShowFile, WantShowHandsTheFileToTheDesktop)
{
    Doc d;
    d.pdf.WantShow = true;
    d.pdf.BeginDoc();
    d.pdf.EndDoc();
    EXPECT_EQ(d.shown, std::vector<std::string>{"/out/doc.pdf"});

    // No output, nothing to open.
    Doc quiet;
    quiet.pdf.WantShow = true;
    quiet.pdf.Canvas().SetEnableOutput(false);
    quiet.pdf.BeginDoc();
    quiet.pdf.EndDoc();
    EXPECT_TRUE(quiet.shown.empty());
    EXPECT_TRUE(quiet.fs.files["/out/doc.pdf"].empty());

    // Without a desktop hook the document still completes.
    Doc bare;
    bare.pdf.OnShowFile = nullptr;
    bare.pdf.WantShow = true;
    bare.pdf.BeginDoc();
    bare.pdf.EndDoc();
    EXPECT_EQ(bare.ends, 1);
    EXPECT_FALSE(bare.fs.files["/out/doc.pdf"].empty());
}

TEST(PdfVellShowFile, VanishedFileRaisesAfterTheDocumentWasCompleted)
{
    Doc d;
    d.pdf.WantShow = true;
    d.pdf.OnEnd = [&](TPdfVell&) { d.fs.files.erase("/out/doc.pdf"); ++d.ends; };
    d.pdf.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { d.pdf.EndDoc(); }), "File not found: /out/doc.pdf");
    EXPECT_EQ(d.ends, 1);
    EXPECT_EQ(d.aborts, 0);
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_TRUE(d.shown.empty());
}

TEST(PdfVellShowFile, AFileSystemThatCannotTestForTheFileIsTheWritersError)
{
    Doc d;
    d.pdf.WantShow = true;
    d.pdf.OnEnd = [&](TPdfVell&) { d.fs.throwOnExists = true; };
    d.pdf.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { d.pdf.EndDoc(); }), "File locked: /out/doc.pdf");
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_TRUE(d.shown.empty());
    d.fs.throwOnExists = false;
    EXPECT_TRUE(d.fileExists()) << "the completed file stays";
}

TEST(PdfVellShowWarning, WarningsCarryTheirDetailAndCaption)
{
    TPdfVell pdf;
    std::vector<std::pair<std::string, std::string>> warnings;
    pdf.OnWarning = [&](const std::string& text, const std::string& caption) {
        warnings.emplace_back(text, caption);
    };
    pdf.ShowWarning("Link destination name not defined", "Intro");
    pdf.ShowWarning("Internal error");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].first, "Link destination name not defined: Intro");
    EXPECT_EQ(warnings[0].second, "Quillmark");
    EXPECT_EQ(warnings[1].first, "Internal error");
}
