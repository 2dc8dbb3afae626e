// The component's use of the dialog seam: the shell "open" of the finished
// file and the warning box.
#include "pdf/PdfVell.h"
#include "platform/ScriptedDialogs.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

using namespace pdf;
using pdftest::ErrorOf;

namespace {

struct Doc : pdftest::MemoryDoc {
    int ends = 0, aborts = 0;
    Doc() : MemoryDoc("/out/doc.pdf")
    {
        pdf.OnEnd = [this](TPdfVell&) { ++ends; };
        pdf.OnAbort = [this](TPdfVell&) { ++aborts; };
    }
};

} // namespace

TEST(PdfVellShowFile, WantShowHandsTheFileToTheShell)
{
    plat::ScriptedDialogs dialogs;
    plat::ScopedDialogs guard(dialogs);
    Doc d;
    d.pdf.WantShow = true;
    d.pdf.BeginDoc();
    d.pdf.EndDoc();
    const auto calls = dialogs.shellCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, "/out/doc.pdf");
    EXPECT_EQ(calls[0].mode, plat::ShowMode::Show);

    // No output, no shell.
    Doc quiet;
    quiet.pdf.WantShow = true;
    quiet.pdf.Canvas().SetEnableOutput(false);
    quiet.pdf.BeginDoc();
    quiet.pdf.EndDoc();
    EXPECT_EQ(dialogs.shellCalls().size(), 1u);
    EXPECT_TRUE(quiet.fs.files["/out/doc.pdf"].empty());
}

TEST(PdfVellShowFile, VanishedFileRaisesAfterTheDocumentWasCompleted)
{
    plat::ScriptedDialogs dialogs;
    plat::ScopedDialogs guard(dialogs);
    Doc d;
    d.pdf.WantShow = true;
    d.pdf.OnEnd = [&](TPdfVell&) { d.fs.files.erase("/out/doc.pdf"); ++d.ends; };
    d.pdf.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { d.pdf.EndDoc(); }), "File not found: /out/doc.pdf");
    EXPECT_EQ(d.ends, 1);
    EXPECT_EQ(d.aborts, 0);
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_TRUE(dialogs.shellCalls().empty());
}

TEST(PdfVellShowWarning, BoxWithCaptionQuillmark)
{
    plat::ScriptedDialogs dialogs;
    plat::ScopedDialogs guard(dialogs);
    TPdfVell pdf;
    pdf.ShowWarning("Link destination name not defined", "Intro");
    pdf.ShowWarning("Internal error");
    const auto boxes = dialogs.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Link destination name not defined: Intro");
    EXPECT_EQ(boxes[0].caption, "Quillmark");
    EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Warning);
    EXPECT_EQ(boxes[0].buttons, plat::MsgButtons::OK);
    EXPECT_EQ(boxes[1].text, "Internal error");
}
