// Whole runs of the program through its windows, the dialogs answered by
// the seam's double: control file in, files and registry entries gone.
#include "RunSupport.h"

#include "platform/ScriptedDialogs.h"
#include "uninstaller/ControlFile.h"
#include "uninstaller/widgets/Fretig.h"
#include "uninstaller/widgets/TFlatProgressBarUnit.h"
#include "uninstaller/widgets/UnInstForm.h"
#include "uninstaller/widgets/Uninstall1.h"
#include "uninstaller/widgets/UninstallApp.h"
#include "uninstaller/widgets/WinXP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace uninst;
using namespace uninst::test;

namespace {

const std::string kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kWeb = "\\Software\\quorran\\Pakoreth_UPD_WEB";

// Remembers, for each box, whether the finish window was up when it was shown.
class Dialogs : public plat::ScopedScriptedDialogs {
public:
    std::vector<bool> finishShownAtBox;
    UninstallProgram* program = nullptr;
    plat::MsgResult messageBox(const plat::MessageBox& box) override
    {
        finishShownAtBox.push_back(program && program->Fertig->isVisible());
        return ScopedScriptedDialogs::messageBox(box);
    }
};

struct Flow : Installation {
    Dialogs dialogs;
    std::unique_ptr<UninstallProgram> program;
    std::optional<int> ended;
    std::string ownFile = (c / "Programme/Plan/Uninstall").string();

    Flow()
    {
        tolv::test::EnsureApplication();
        File("Programme/Plan/Uninstall", "program");
    }
    // Starts the program as Windows would, with the arguments given, and
    // lets the welcome window's check run.
    void Start(std::vector<std::string> args, const std::string& workingDir = "/")
    {
        UninstallOptions o;
        o.args = std::move(args);
        o.workingDir = workingDir;
        o.ownFile = ownFile;
        o.drives = drives;
        o.registryPath = registryPath;
        program = std::make_unique<UninstallProgram>(std::move(o));
        dialogs.program = program.get();
        QObject::connect(program.get(), &UninstallProgram::Ended, [this](int code) { ended = code; });
        program->Start();
        QCoreApplication::processEvents();
    }
    // Started with the control file, "&Ja", and the timer's tick at once.
    void RunToTheEnd()
    {
        Start({control});
        program->Welcome->Button2->click();
        program->UnInst->Timer1Timer();
    }
    // Waits (for the progress window's timer) until the condition holds.
    bool WaitFor(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};

std::string Text(const QLabel* label)
{
    return label->text().toStdString();
}

} // namespace

TEST(UninstallFlow, WindowsAsTheyStart)
{
    Flow f;
    f.Control(kSigned + "AppName=Plan\nVersion=1.1\n");
    f.Start({f.control});
    TWelcome& w = *f.program->Welcome;
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.program->UnInst->isVisible());
    EXPECT_FALSE(f.program->Fertig->isVisible());
    EXPECT_EQ(w.windowTitle(), "Willkommen.");
    EXPECT_EQ(f.program->UnInst->windowTitle(), "Deinstallieren.");
    EXPECT_EQ(f.program->Fertig->windowTitle(), "Fertig.");
    for (QWidget* form : {static_cast<QWidget*>(&w), static_cast<QWidget*>(f.program->UnInst.get()),
                          static_cast<QWidget*>(f.program->Fertig.get())})
        EXPECT_EQ(form->size(), QSize(492, 354));
    EXPECT_EQ(Text(w.Label1), "Willkommen zum Pakoreth-Deinstallations Assistenten für Plan 1.1");
    EXPECT_EQ(Text(w.Label2), "Mit diesem Programm können Sie Plan 1.1 von Ihrem Computer entfernen.");
    EXPECT_EQ(Text(w.Label5), "Wollen Sie Plan 1.1 deinstallieren?");
    EXPECT_EQ(Text(f.program->Fertig->Label1), "Die Deinstallation von Plan 1.1 wurde erfolgreich durchgeführt.");
    EXPECT_EQ(Text(f.program->UnInst->Label12),
              "Der Plan 1.1 Deinstallations Assistent führt die gewünschten Operationen aus.");
    EXPECT_EQ(w.Button2->text(), "&Ja");
    EXPECT_EQ(w.Button1->text(), "&Nein");
    EXPECT_EQ(w.Button2->size(), QSize(75, 25));
    EXPECT_EQ(Text(f.program->Fertig->Label2).find("dennnoch") != std::string::npos, true);
    EXPECT_EQ(f.program->UnInst->ProgressBar1->size(), QSize(363, 17));
    EXPECT_TRUE(f.dialogs.calls().empty());
}

TEST(UninstallFlow, OneWinXPPerFormAndOnlyOnForms)
{
    Flow f;
    f.Start({});
    auto message = [](QObject* owner) -> std::string {
        try {
            new TWinXP(owner);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(nothing raised)";
    };
    TWelcome& w = *f.program->Welcome;
    EXPECT_EQ(message(&w), "Only one instance of TWinXP allowed on form");
    EXPECT_EQ(w.findChildren<TWinXP*>().size(), 1);
    EXPECT_EQ(message(w.Label1), "Control parent must be a form!");
    EXPECT_EQ(message(nullptr), "Control parent must be a form!");
    EXPECT_TRUE(w.Label1->findChildren<TWinXP*>().isEmpty());
}

TEST(UninstallFlow, AMissingOrUnsignedControlFileEndsTheProgramWithItsMessage)
{
    struct Case {
        const char* name;
        bool write;
        std::string text;
        bool withArgument;
        std::string message, caption;
    };
    const Case cases[] = {
        {"no argument", false, "", false, kNotFoundText, kNotFoundCaption},
        {"no file", false, "", true, kNotFoundText, kNotFoundCaption},
        {"wrong signature", true, "[Settings]\nSignature=#$Morvelin_Pakoreth$\n", true, kSignatureText,
         kSignatureCaption},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Flow f;
        if (c.write)
            f.Control(c.text);
        f.Start(c.withArgument ? std::vector<std::string>{f.control} : std::vector<std::string>{});
        const auto boxes = f.dialogs.messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Error);
        EXPECT_EQ(boxes[0].buttons, plat::MsgButtons::OK);
        EXPECT_EQ(f.ended, 1);
        EXPECT_FALSE(f.program->Welcome->isVisible());
        EXPECT_EQ(fs::exists(f.control), c.write);
    }
    EXPECT_NE(std::string(kSignatureText).find("wahrscheinlich\rnicht"), std::string::npos);
}

TEST(UninstallFlow, NoLeavesEverythingInPlace)
{
    Flow f;
    f.File("Programme/Plan/a.txt");
    f.Control(kSigned + "[Files]\nFileCount=0\nFile0=C:\\Programme\\Plan\\a.txt\n");
    f.Start({f.control});
    f.program->Welcome->Button1->click();
    EXPECT_EQ(f.ended, 0);
    EXPECT_TRUE(f.Exists("Programme/Plan/a.txt"));
    EXPECT_TRUE(fs::exists(f.control));
}

TEST(UninstallFlow, YesRunsTheUninstallAndEndRemovesTheProgramsOwnFile)
{
    Flow f;
    for (const char* name : {"Tolvplan", "readme.txt", "Pics/Pic1.jpg", "Data/x.dll"})
        f.File(std::string("Programme/Plan/") + name);
    f.File("Programme/Plan/Data/user.txt", "mine");
    f.File("Desktop/Plan.desktop");
    f.Seed(RootKey::LocalMachine, "\\Software\\quorran\\Plan\\1.1", {{"Company", "q"}, {"Name", "Plan"}});
    f.Seed(RootKey::LocalMachine, "\\Software\\quorran\\Other\\2.0", {{"Name", "Other"}});
    f.Seed(RootKey::LocalMachine, kUninstallKey + "Plan", {{"DisplayName", "Plan"}, {"UninstallString", "x"}});
    f.Seed(RootKey::LocalMachine, kUninstallKey + "Other", {{"DisplayName", "Other"}});
    f.Seed(RootKey::LocalMachine, kWeb, {{"SetupCount", "2"}});
    f.Seed(RootKey::LocalMachine, kWeb + "\\Program1", {{"UpdateID", "plan-1"}});
    f.Seed(RootKey::LocalMachine, kWeb + "\\Program2", {{"UpdateID", "other-2"}});
    f.Seed(RootKey::CurrentUser, "\\Software\\Plan", {{"LastFile", "x"}, {"Colors", "y"}});
    f.Control(kSigned +
              "AppName=Plan\nVersion=1.1\nCompany=quorran\nUpdateFromTheWeb=1\nStandardReg=1\n"
              "[Files]\nFileCount=3\nFile0=C:\\Programme\\Plan\\Tolvplan\nFile1=C:\\Programme\\Plan\\readme.txt\n"
              "File2=C:\\Programme\\Plan\\Pics\\Pic1.jpg\nFile3=C:\\Programme\\Plan\\Uninstall\n"
              "[ExtraFiles]\nExtraCount=1\nExFile1=C:\\Programme\\Plan\\Data\\x.dll\n"
              "[Links]\nLinkCount=1\n[Link1]\nPath=C:\\Desktop\\Plan.desktop\n"
              "[Registry]\nRegCount=1\n[Reg1]\nRoot=HKCU\nKey=\\Software\\Plan\nTitle=LastFile\n"
              "[UpdateFromTheWeb]\nProgramID=plan-1\n"
              "[ExtraDir]\nDirCount=1\nDir1=C:\\Programme\\Plan\\Pics\\\n"
              "[Directories]\nMainDir=C:\\Programme\\Plan\\\n");
    // Started with a relative path: checked, read and deleted as the same file.
    f.Start({"Plan/Uninstall.inf"}, (f.c / "Programme").string());
    ASSERT_TRUE(f.program->Welcome->isVisible());

    f.program->Welcome->Button2->click();
    TUnInst& progress = *f.program->UnInst;
    EXPECT_FALSE(f.program->Welcome->isVisible());
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.Timer1->isActive());
    EXPECT_EQ(Text(progress.Label2), "Setup bereitet die Deinstallation vor...");
    EXPECT_EQ(Text(progress.Label5), "Initialisierung...");
    EXPECT_FALSE(progress.close());   // the progress window cannot be closed
    EXPECT_TRUE(progress.isVisible());

    ASSERT_TRUE(f.WaitFor([&] { return f.program->Fertig->isVisible(); }));
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(progress.Timer1->isActive());
    EXPECT_EQ(Text(progress.Label2), "Registry-Werte werden gelöscht...");
    EXPECT_EQ(Text(progress.Label5), "");
    EXPECT_EQ(progress.ProgressBar1->Position(), 100);
    EXPECT_EQ(progress.Memo1->toPlainText().toStdString(), "C:\\Programme\\Plan\\Data\\");
    EXPECT_FALSE(f.ended);
    EXPECT_TRUE(f.dialogs.calls().empty());

    // Everything listed went before the finish page; the program file waits for "&Beenden".
    for (const char* gone : {"Programme/Plan/Tolvplan", "Programme/Plan/readme.txt", "Programme/Plan/Pics",
                             "Programme/Plan/Data/x.dll", "Desktop/Plan.desktop", "Programme/Plan/Uninstall.inf"})
        EXPECT_FALSE(f.Exists(gone)) << gone;
    EXPECT_TRUE(f.Exists("Programme/Plan/Uninstall"));
    EXPECT_EQ(tolv::test::ReadBytes((f.c / "Programme/Plan/Data/user.txt").string()), "mine");
    EXPECT_FALSE(f.KeyExists(RootKey::LocalMachine, "\\Software\\quorran\\Plan"));
    EXPECT_TRUE(f.KeyExists(RootKey::LocalMachine, "\\Software\\quorran\\Other\\2.0"));
    EXPECT_FALSE(f.KeyExists(RootKey::LocalMachine, kUninstallKey + "Plan"));
    EXPECT_EQ(f.Value(RootKey::LocalMachine, kUninstallKey + "Other", "DisplayName"), "Other");
    EXPECT_EQ(f.Value(RootKey::LocalMachine, kWeb + "\\Program1", "UpdateID"), "other-2");
    EXPECT_FALSE(f.KeyExists(RootKey::LocalMachine, kWeb + "\\Program2"));
    EXPECT_EQ(f.Value(RootKey::LocalMachine, kWeb, "SetupCount"), "1");
    EXPECT_EQ(f.Value(RootKey::CurrentUser, "\\Software\\Plan", "LastFile"), "(none)");
    EXPECT_EQ(f.Value(RootKey::CurrentUser, "\\Software\\Plan", "Colors"), "y");

    f.program->Fertig->Button1->click();
    EXPECT_EQ(f.ended, 0);
    EXPECT_FALSE(f.Exists("Programme/Plan/Uninstall"));
    EXPECT_FALSE(f.program->Fertig->isVisible());
    EXPECT_TRUE(f.Exists("Programme/Plan/Data/user.txt"));
}

TEST(UninstallFlow, ClosingTheFinishWindowLeavesTheProgramsOwnFile)
{
    Flow f;
    f.Control(kSigned + "[Directories]\nMainDir=C:\\Programme\\Plan\\\n");
    f.RunToTheEnd();
    ASSERT_TRUE(f.program->Fertig->isVisible());
    f.program->Fertig->close();
    EXPECT_EQ(f.ended, 0);
    EXPECT_TRUE(f.Exists("Programme/Plan/Uninstall"));
}

// "&Beenden" takes the installation's folders as the run takes paths.
TEST(UninstallFlow, EndLeavesAProgramFileOutsideTheInstallation)
{
    struct Case {
        const char* name;
        std::string ownFile;     // below the sandbox
        std::string directories;
    };
    const Case cases[] = {
        {"outside MainDir", "outside/Uninstall", "[Directories]\nMainDir=C:\\Programme\\Plan\\\n"},
        {"MainDir a link to the program's folder", "outside/Uninstall", "[Directories]\nMainDir=C:\\Link\\\n"},
        {"ProgramPath the drive's root", "c/Other/Uninstall", "[ProgramPath]\nPath=C:\\\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Flow f;
        fs::create_directory_symlink(f.outside, f.c / "Link");
        f.ownFile = (f.tmp.path() / c.ownFile).string();
        f.File(f.ownFile);
        f.Control(kSigned + c.directories);
        f.RunToTheEnd();
        f.program->Fertig->Button1->click();
        EXPECT_EQ(f.ended, 0);
        EXPECT_TRUE(fs::exists(f.ownFile));
        EXPECT_TRUE(fs::is_symlink(f.c / "Link"));
    }
}

TEST(UninstallFlow, AnErrorInTheRunIsShownAndTheProgramEnds)
{
    struct Case {
        const char* name;
        std::string control;
        bool damagedRegistry;
        std::string message;
    };
    const Case cases[] = {
        {"a count that is no number", kSigned + "[Files]\nFileCount=viele\n", false,
         "'viele' ist kein gültiger Integerwert"},
        {"a registry that cannot be read", kSigned + "StandardReg=1\n", true, " kann nicht gelesen werden: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Flow f;
        if (c.damagedRegistry)
            tolv::test::WriteBytes(f.registryPath, std::string(700, 'x'));
        f.Control(c.control);
        f.RunToTheEnd();
        const auto boxes = f.dialogs.messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(c.message), std::string::npos) << boxes[0].text;
        EXPECT_EQ(boxes[0].caption, "Pakoreth UnInstaller");
        EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Error);
        EXPECT_EQ(f.dialogs.finishShownAtBox, std::vector<bool>{false});
        EXPECT_EQ(f.ended, 1);
        EXPECT_FALSE(f.program->UnInst->isVisible());
        EXPECT_TRUE(fs::exists(f.control));
        EXPECT_TRUE(f.Exists("Programme/Plan/Uninstall"));
    }
}

// The run came to its end before the error box: the finish page stays, and
// "&Beenden" works as after a run without error.
TEST(UninstallFlow, AnErrorAmongTheListedFoldersLeavesTheFinishPage)
{
    Flow f;
    f.Control(kSigned + "[ExtraDir]\nDirCount=x\n[Directories]\nMainDir=C:\\Programme\\Plan\\\n");
    f.RunToTheEnd();
    const auto boxes = f.dialogs.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'x' ist kein gültiger Integerwert");
    EXPECT_EQ(f.dialogs.finishShownAtBox, std::vector<bool>{true});
    EXPECT_FALSE(fs::exists(f.control));
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.ended);
    EXPECT_TRUE(f.program->Fertig->isVisible());
    EXPECT_FALSE(f.program->UnInst->isVisible());

    f.program->Fertig->Button1->click();
    EXPECT_EQ(f.ended, 1);
    EXPECT_FALSE(f.Exists("Programme/Plan/Uninstall"));
}

TEST(UninstallFlow, TheLinkOpensTheMakersPageThroughTheShell)
{
    Flow f;
    f.Control(kSigned);
    f.Start({f.control});
    QLabel* link = f.program->Fertig->Label8;
    EXPECT_EQ(Text(link), kMakerWebPage);
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(link, &release);
    const auto shell = f.dialogs.shellCalls();
    ASSERT_EQ(shell.size(), 1u);
    EXPECT_EQ(shell[0].target, kMakerWebPage);
}
