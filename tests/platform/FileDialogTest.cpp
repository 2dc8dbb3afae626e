// File dialogs on the dialog seam: filters, default extension, the scripted
// double's replay and the Qt dialog whose accept step asks the close query.
#include "platform/Dialogs.h"
#include "platform/QtDialogs.h"
#include "platform/ScriptedDialogs.h"
#include "tests/platform/ModalSteps.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>

#include <gtest/gtest.h>

#include <functional>

using namespace plat;
using tolv::test::ClickLater;
using tolv::test::ModalSteps;

namespace {

using tolv::test::TempDir;

// A small file of that name in the folder.
void Touch(const TempDir& dir, const std::string& name)
{
    tolv::test::WriteBytes(dir.file(name), std::string("x"));
}

FileDialogRequest SaveRequest(const std::string& dir)
{
    FileDialogRequest r;
    r.kind = FileDialogKind::Save;
    r.title = "Speichern eines Tolvaria Scripts";
    r.filter = "Tolvaria Map|*.tlv|alle Dateien|*.*";
    r.defaultExt = "tlv";
    r.initialDir = dir;
    r.fileName = "Tlv01.tlv";
    r.options.overwritePrompt = true;
    return r;
}

FileDialogRequest OpenRequest(const std::string& dir)
{
    FileDialogRequest r;
    r.kind = FileDialogKind::Open;
    r.title = "Öffnen eines Tolvaria Scripts";
    r.filter = "Tolvaria Map|*.tlv|Alle Dateien|*.*";
    r.defaultExt = "*.tlv";
    r.initialDir = dir;
    r.fileName = "Tlv01.tlv";
    return r;
}

TEST(FileDialogFilters, DescriptionsAndPatternsInOrder)
{
    const auto f = ParseFileFilter("Tolvaria Map|*.tlv|alle Dateien|*.*");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Tolvaria Map");
    EXPECT_EQ(f[0].patterns, std::vector<std::string>{"*.tlv"});
    EXPECT_EQ(f[1].description, "alle Dateien");
    EXPECT_EQ(f[1].patterns, std::vector<std::string>{"*.*"});

    const auto multi = ParseFileFilter("Bilder|*.jpg; *.bmp|Rest");
    ASSERT_EQ(multi.size(), 1u);   // a description without patterns is dropped
    EXPECT_EQ(multi[0].patterns, (std::vector<std::string>{"*.jpg", "*.bmp"}));
    EXPECT_TRUE(ParseFileFilter("").empty());

    EXPECT_EQ(QtNameFilters("Tolvaria Map|*.tlv|alle Dateien|*.*"),
              QStringList({"Tolvaria Map (*.tlv)", "alle Dateien (*)"}));
    EXPECT_EQ(QtNameFilters("Bilder|*.jpg;*.bmp"), QStringList({"Bilder (*.jpg *.bmp)"}));
}

TEST(FileDialogNames, DefaultExtensionAndFolder)
{
    TempDir dir;
    Touch(dir, "alt");
    for (const char* ext : {"tlv", ".tlv", "*.tlv"})
        EXPECT_EQ(BareExtension(ext), "tlv") << ext;
    EXPECT_EQ(BareExtension("*.*"), "");
    EXPECT_EQ(BareExtension(""), "");

    const FileDialogRequest save = SaveRequest(dir.str());
    const FileDialogRequest open = OpenRequest(dir.str());
    struct Case {
        const FileDialogRequest* request;
        std::string entry;
        std::string expected;
    };
    const Case cases[] = {
        {&save, "plan", dir.file("plan.tlv")},
        {&save, "plan.txt", dir.file("plan.txt")},    // an extension of its own stays
        {&save, "alt", dir.file("alt.tlv")},          // saving always takes the default
        {&save, "/tmp/x/plan", "/tmp/x/plan.tlv"},    // a full path leaves the folder
        {&save, "sub/../plan.tlv", dir.file("plan.tlv")},
        {&open, "plan", dir.file("plan.tlv")},
        {&open, "alt", dir.file("alt")},              // opening takes a file that exists as typed
        {&save, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveDialogFileName(*c.request, c.entry), c.expected) << c.entry;

    EXPECT_EQ(OverwriteQuestionText("/a/b/plan.tlv"),
              "plan.tlv ist bereits vorhanden.\nMöchten Sie die Datei ersetzen?");
}

TEST(ScriptedFileDialogs, ReplaysRefusedOtherAndCancelThroughTheCloseQuery)
{
    TempDir dir;
    ScriptedDialogs d;
    FileDialogRequest r = OpenRequest(dir.str());
    std::vector<std::string> asked;
    r.canClose = [&](const std::string& name) {
        asked.push_back(name);
        return name.find("good") != std::string::npos;
    };

    // Refused, then accepted: the dialog returns the second file.
    d.answerFiles({"bad.tlv", "good.tlv", "never.tlv"});
    // Refused, then cancelled.
    d.answerFiles({"bad.tlv", std::nullopt, "good.tlv"});
    EXPECT_EQ(d.fileDialog(r), dir.file("good.tlv"));
    EXPECT_EQ(d.fileDialog(r), std::nullopt);
    // A folder typed as it is is opened, not offered; its name with the
    // default extension is.
    std::filesystem::create_directories(dir.file("sub"));
    d.answerFiles({"sub", "sub/good"});
    EXPECT_EQ(d.fileDialog(r), dir.file("sub/good.tlv"));
    asked.pop_back();
    // Nothing queued: a cancel, the close query is not asked.
    EXPECT_EQ(d.fileDialog(r), std::nullopt);

    EXPECT_EQ(asked, (std::vector<std::string>{dir.file("bad.tlv"), dir.file("good.tlv"),
                                               dir.file("bad.tlv")}));
    const auto calls = d.fileDialogCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].request.title, "Öffnen eines Tolvaria Scripts");
    EXPECT_EQ(calls[0].request.defaultExt, "*.tlv");
    EXPECT_EQ(calls[0].offered.size(), 2u);
    EXPECT_EQ(calls[0].result, dir.file("good.tlv"));
    EXPECT_EQ(calls[1].offered.size(), 1u);
    EXPECT_EQ(calls[1].result, std::nullopt);
    EXPECT_EQ(calls[2].offered, std::vector<std::string>{dir.file("sub/good.tlv")});
    EXPECT_TRUE(calls[3].offered.empty());
}

TEST(ScriptedFileDialogs, SaveAsksBeforeAnExistingFileAndNoGoesOn)
{
    TempDir dir;
    Touch(dir, "old.tlv");
    ScriptedDialogs d;
    FileDialogRequest r = SaveRequest(dir.str());
    std::vector<std::string> asked;
    r.canClose = [&](const std::string& name) {
        asked.push_back(name);
        return true;
    };
    d.answerFiles({"old", "old.tlv", "new"});
    d.answerMessage(MsgResult::No);
    d.answerMessage(MsgResult::Yes);
    EXPECT_EQ(d.fileDialog(r), dir.file("old.tlv"));
    // The first "No" skipped the first entry before the close query.
    EXPECT_EQ(asked, std::vector<std::string>{dir.file("old.tlv")});
    const auto boxes = d.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, OverwriteQuestionText("old.tlv"));
    EXPECT_EQ(boxes[0].caption, "Speichern eines Tolvaria Scripts");
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
    // The box follows its dialog in the record.
    ASSERT_EQ(d.calls().size(), 3u);
    EXPECT_TRUE(std::holds_alternative<FileDialogCall>(d.calls()[0]));

    // Without the option nothing is asked.
    r.options.overwritePrompt = false;
    d.clearCalls();
    d.answerFiles({"old.tlv"});
    EXPECT_EQ(d.fileDialog(r), dir.file("old.tlv"));
    EXPECT_TRUE(d.messageBoxes().empty());
}

// --- The Qt dialog, driven while its modal loop runs ---


// Types a name into the file dialog and presses its accept button.
ModalSteps::Step Confirm(const QString& name)
{
    return [name](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg)
            return false;
        auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
        if (!edit)
            return false;
        edit->setText(name);
        // The dialog's own Open or Save button.
        for (auto* box : dlg->findChildren<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) {
                    ClickLater(b);
                    return true;
                }
        return false;
    };
}

ModalSteps::Step Cancel()
{
    return [](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg)
            return false;
        dlg->reject();
        return true;
    };
}

ModalSteps::Step AnswerBox(QMessageBox::StandardButton button, QString* text)
{
    return [button, text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        *text = box->text();
        ClickLater(box->button(button));
        return true;
    };
}

TEST(QtFileDialogs, RefusedFileKeepsTheDialogOpenUntilAnotherIsAccepted)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    TempDir dir;
    QtDialogs qt;
    FileDialogRequest r = OpenRequest(dir.str());
    std::vector<std::string> asked;
    QString title;
    QStringList filters;
    bool nonNative = false;
    r.canClose = [&](const std::string& name) {
        asked.push_back(name);
        return name.find("good") != std::string::npos;
    };
    ModalSteps steps({[&](QWidget* w) {
                          auto* dlg = qobject_cast<QFileDialog*>(w);
                          if (!dlg)
                              return false;
                          title = dlg->windowTitle();
                          filters = dlg->nameFilters();
                          nonNative = dlg->testOption(QFileDialog::DontUseNativeDialog);
                          return true;
                      },
                      Confirm("bad.tlv"),
                      [&](QWidget* w) {
                          // Still open after the refusal.
                          return qobject_cast<QFileDialog*>(w) && asked.size() == 1;
                      },
                      Confirm("good")});
    const auto result = qt.fileDialog(r);
    EXPECT_FALSE(steps.timedOut());
    EXPECT_TRUE(steps.done());
    EXPECT_EQ(result, dir.file("good.tlv"));
    EXPECT_EQ(asked, (std::vector<std::string>{dir.file("bad.tlv"), dir.file("good.tlv")}));
    EXPECT_EQ(title, QString("Öffnen eines Tolvaria Scripts"));
    EXPECT_EQ(filters, QStringList({"Tolvaria Map (*.tlv)", "Alle Dateien (*)"}));
    EXPECT_TRUE(nonNative);
}

TEST(QtFileDialogs, ButtonsSpeakGerman)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    const GermanQtTexts german;
    ASSERT_TRUE(german.installed()) << "Qt's German texts are missing (qt6-translations-l10n)";
    TempDir dir;
    QtDialogs qt;
    for (const FileDialogRequest& r : {OpenRequest(dir.str()), SaveRequest(dir.str())}) {
        QStringList texts;
        ModalSteps steps({[&](QWidget* w) {
                              auto* dlg = qobject_cast<QFileDialog*>(w);
                              if (!dlg)
                                  return false;
                              for (auto* box : dlg->findChildren<QDialogButtonBox*>())
                                  for (QAbstractButton* b : box->buttons())
                                      texts << b->text().remove('&');
                              return true;
                          },
                          Cancel()});
        qt.fileDialog(r);
        EXPECT_TRUE(steps.done());
        const QString accept = r.kind == FileDialogKind::Open ? "Öffnen" : "Speichern";
        EXPECT_EQ(texts, QStringList({accept, "Abbrechen"})) << texts.join('|').toStdString();
    }
}

TEST(QtFileDialogs, CancelAnswersNothing)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    TempDir dir;
    QtDialogs qt;
    FileDialogRequest r = OpenRequest(dir.str());
    bool asked = false;
    r.canClose = [&](const std::string&) { return asked = true; };
    ModalSteps steps({Cancel()});
    EXPECT_EQ(qt.fileDialog(r), std::nullopt);
    EXPECT_FALSE(steps.timedOut());
    EXPECT_FALSE(asked);
}

TEST(QtFileDialogs, SaveAsksBeforeOverwritingThenTheCloseQueryDecides)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    TempDir dir;
    Touch(dir, "old.tlv");
    QtDialogs qt;
    FileDialogRequest r = SaveRequest(dir.str());
    std::vector<std::string> asked;
    r.canClose = [&](const std::string& name) {
        asked.push_back(name);
        return true;
    };
    QString first, second;
    ModalSteps steps({Confirm("old"), AnswerBox(QMessageBox::No, &first), Confirm("old"),
                      AnswerBox(QMessageBox::Yes, &second)});
    EXPECT_EQ(qt.fileDialog(r), dir.file("old.tlv"));
    EXPECT_FALSE(steps.timedOut());
    EXPECT_TRUE(steps.done());
    EXPECT_EQ(first.toStdString(), OverwriteQuestionText("old.tlv"));
    EXPECT_EQ(second, first);
    // The "No" kept the dialog open without asking the close query.
    EXPECT_EQ(asked, std::vector<std::string>{dir.file("old.tlv")});
}

TEST(QtFileDialogs, StartsInTheFolderOfAFullNameAndShowsItsBareName)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    TempDir dir, other;
    QtDialogs qt;
    FileDialogRequest r = OpenRequest(dir.str());
    r.fileName = other.file("x.tlv");
    QString shownDir, shownName;
    ModalSteps steps({[&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg)
            return false;
        shownDir = dlg->directory().absolutePath();
        shownName = dlg->findChild<QLineEdit*>("fileNameEdit")->text();
        dlg->reject();
        return true;
    }});
    EXPECT_EQ(qt.fileDialog(r), std::nullopt);
    EXPECT_EQ(shownDir.toStdString(), other.str());
    EXPECT_EQ(shownName, QString("x.tlv"));

    r.fileName = "Tlv01.tlv";
    ModalSteps again({[&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg)
            return false;
        shownDir = dlg->directory().absolutePath();
        dlg->reject();
        return true;
    }});
    qt.fileDialog(r);
    EXPECT_EQ(shownDir.toStdString(), dir.str());
}

} // namespace
