#include "platform/Dialogs.h"
#include "platform/QtDialogs.h"
#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <functional>

using namespace plat;

TEST(ScriptedDialogsTest, RecordsCallsInOrderAndAnswersFromTheQueue)
{
    ScriptedDialogs d;
    d.answerMessage(MsgResult::No);
    d.shellAnswers.push(false);
    EXPECT_EQ(d.messageBox({"Frage?", "Tolvaria", MsgIcon::Question, MsgButtons::YesNo}), MsgResult::No);
    EXPECT_FALSE(d.shellOpen("/tmp/plan.pdf", ShowMode::Show));
    // Queues empty: a box answers with its first button, the shell succeeds.
    EXPECT_EQ(d.messageBox({"x", "c", MsgIcon::None, MsgButtons::RetryCancel}), MsgResult::Retry);
    EXPECT_EQ(d.messageBox({"x", "c", MsgIcon::None, MsgButtons::YesNoCancel}), MsgResult::Yes);
    EXPECT_TRUE(d.shellOpen("https://example.org/", ShowMode::Maximized));
    d.messageAnswers.setDefault(MsgResult::Cancel);
    EXPECT_EQ(d.messageBox({"x", "c", MsgIcon::None, MsgButtons::OKCancel}), MsgResult::Cancel);

    ASSERT_EQ(d.calls().size(), 6u);
    EXPECT_TRUE(std::holds_alternative<MessageBox>(d.calls()[0]));
    EXPECT_TRUE(std::holds_alternative<ShellCall>(d.calls()[1]));
    const auto boxes = d.messageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "Frage?");
    EXPECT_EQ(boxes[0].caption, "Tolvaria");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
    const auto shell = d.shellCalls();
    ASSERT_EQ(shell.size(), 2u);
    EXPECT_EQ(shell[0].target, "/tmp/plan.pdf");
    EXPECT_EQ(shell[0].mode, ShowMode::Show);
    EXPECT_EQ(shell[1].mode, ShowMode::Maximized);
}

TEST(ScriptedDialogsTest, GuardsInstallAndRestoreInNestedOrder)
{
    DialogSeam& qt = Dialogs();
    EXPECT_EQ(InstalledDialogs(), nullptr);
    {
        ScopedScriptedDialogs outer;
        EXPECT_EQ(&Dialogs(), &outer);
        {
            ScriptedDialogs inner;
            ScopedDialogs guard(inner);
            ShowMessage("Fault #1 in procedure SetDispAnzGel", "Caution", MsgIcon::Error);
            EXPECT_EQ(inner.messageBoxes().size(), 1u);
            EXPECT_EQ(inner.messageBoxes()[0].buttons, MsgButtons::OK);
        }
        EXPECT_EQ(&Dialogs(), &outer);
        EXPECT_TRUE(outer.calls().empty());
    }
    EXPECT_EQ(InstalledDialogs(), nullptr);
    EXPECT_EQ(&Dialogs(), &qt);
}

TEST(QtDialogsTest, ShellTargetsBecomeUrlsNotCommandLines)
{
    EXPECT_EQ(ShellUrl("https://example.org/a b?x=1"), QUrl("https://example.org/a b?x=1"));
    EXPECT_EQ(ShellUrl("mailto:info@example.org").scheme(), "mailto");
    EXPECT_EQ(ShellUrl("/home/u/Plan 1.pdf"), QUrl::fromLocalFile("/home/u/Plan 1.pdf"));
    EXPECT_EQ(ShellUrl("/tmp/x; rm -rf ~").toLocalFile(), "/tmp/x; rm -rf ~");
    EXPECT_EQ(ShellUrl("C:/Maps/Plan.pdf").isLocalFile(), true);
    EXPECT_EQ(ShellUrl("Plan.pdf").toLocalFile(), QDir::current().absoluteFilePath("Plan.pdf"));
    // A folder whose name is not valid UTF-8 keeps its bytes.
    EXPECT_EQ(ShellUrl("/opt/Tolv\xE4ria/Tlv10.html").toEncoded(), QByteArray("file:///opt/Tolv%E4ria/Tlv10.html"));
    EXPECT_FALSE(QtDialogs().shellOpen("", ShowMode::Show));
}

TEST(QtDialogsTest, WithoutAnApplicationABoxTakesItsFirstButton)
{
    if (QCoreApplication::instance())
        GTEST_SKIP() << "an application exists in this process already";
    EXPECT_EQ(QtDialogs().messageBox({"Profiledatei schreibgeschützt (CD-ROM?)/w/Tolvaria.ini",
                                      "Schwerer Fehler", MsgIcon::Error, MsgButtons::YesNo}),
              MsgResult::Yes);
    EXPECT_FALSE(QtDialogs().shellOpen("/tmp/plan.pdf", ShowMode::Show));
}

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        app = new QApplication(argc, argv);
    return *app;
}

// Runs act on the message box once it is shown.
void WhenShown(std::function<void(QMessageBox&)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*mb);
        }
    });
    timer->start(5);
}

} // namespace

TEST(QtDialogsTest, MessageBoxShowsCaptionTextIconAndButtons)
{
    App();
    QtDialogs qt;
    const struct {
        MsgButtons buttons;
        QMessageBox::StandardButtons expected;
        QMessageBox::StandardButton click;
        MsgResult result;
    } cases[] = {
        {MsgButtons::OK, QMessageBox::Ok, QMessageBox::Ok, MsgResult::OK},
        {MsgButtons::OKCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, MsgResult::Cancel},
        {MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, MsgResult::No},
        {MsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, MsgResult::Yes},
        {MsgButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry, MsgResult::Retry},
        {MsgButtons::AbortRetryIgnore, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
         QMessageBox::Ignore, MsgResult::Ignore},
    };
    for (const auto& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons shown;
        WhenShown([&](QMessageBox& mb) {
            title = mb.windowTitle();
            text = mb.text();
            icon = mb.icon();
            shown = mb.standardButtons();
            mb.button(c.click)->click();
        });
        const MsgResult r = qt.messageBox({"Datei nicht erzeugbar: /w/Tolvaria.ini", "Schwerer Fehler",
                                           MsgIcon::Error, c.buttons});
        EXPECT_EQ(r, c.result) << int(c.buttons);
        EXPECT_EQ(title, "Schwerer Fehler");
        EXPECT_EQ(text, "Datei nicht erzeugbar: /w/Tolvaria.ini");
        EXPECT_EQ(icon, QMessageBox::Critical);
        EXPECT_EQ(shown, c.expected) << int(c.buttons);
    }
}

TEST(QtDialogsTest, EscapeAnswersCancel)
{
    App();
    WhenShown([](QMessageBox& mb) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&mb, &esc);
    });
    EXPECT_EQ(QtDialogs().messageBox({"?", "Frage", MsgIcon::Question, MsgButtons::YesNoCancel}),
              MsgResult::Cancel);
}
