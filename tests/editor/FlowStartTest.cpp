// Start-up and close of the main window through the dialog seam, in
// temporary program and work folders.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1App.h"
#include "editor/Unit1Shape.h"
#include "editor/Unit2.h"
#include "platform/IniFile.h"
#include "platform/ScriptedDialogs.h"

#include "FlowSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSpinBox>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace tolv;
namespace fs = std::filesystem;

namespace {

class FlowStart : public flow::FlowTest {
protected:
    std::unique_ptr<TForm1> Start()
    {
        return std::make_unique<TForm1>(Options(dirs_->WorkDir() + "/"));
    }
};

TEST_F(FlowStart, WithoutProfileCreatesItAndCounts240Pampa)
{
    auto form = Start();
    ASSERT_EQ(form->FatalExitCode(), 0);
    EXPECT_TRUE(seam_.calls().empty()) << "a clean start shows nothing";

    // The profile lists every key but PrivateTest1.
    ASSERT_TRUE(fs::exists(dirs_->ProfilePath()));
    plat::IniFile ini(dirs_->ProfilePath());
    for (const char* section : {"Colors", "Control", "Druck"})
        EXPECT_TRUE(ini.SectionExists(section)) << section;
    EXPECT_EQ(ini.ReadSection("Colors").size(), 11u);
    EXPECT_EQ(ini.ReadSection("Druck").size(), 10u);
    for (const char* key : {"PosLeft", "PosTop", "PosWidth", "PosHeight", "HexX", "HexY", "HexSize",
                            "SaveDir", "PdfJpgC", "wwwVennhalm", "wwwLindsruh", "wwwLudoveil",
                            "Acrobat", "MitBMP", "MitZahl", "M1", "M2", "W1", "W2", "HellF",
                            "HellA"})
        EXPECT_TRUE(ini.ValueExists("Control", key)) << key;
    EXPECT_FALSE(ini.ValueExists("Control", "PrivateTest1"));
    EXPECT_EQ(ini.ReadInteger("Control", "HexX", 0), 13);
    EXPECT_EQ(ini.ReadString("Control", "SaveDir", ""), dirs_->ProgramDir());

    // The board: 13 x 37 of size 26, 240 Pampa hexagons, the rest 0.
    EXPECT_EQ(form->HexMapA1->ColCount(), 13);
    EXPECT_EQ(form->HexMapA1->RowCount(), 37);
    EXPECT_EQ(form->HexMapA1->HexSize(), 26);
    EXPECT_TRUE(form->HexMapA1->FirstOdd());
    EXPECT_EQ(flow::Counter(*form, tcPampa), "240");
    for (TerrainCode c : {tcBeliebig, tcWiese, tcWald, tcMoor, tcFels, tcBerg, tcMarkt, tcWasser,
                          tcLeer})
        EXPECT_EQ(flow::Counter(*form, c), "0") << c;
    EXPECT_EQ(form->SpinEditCol->value(), 13);
    EXPECT_EQ(form->SpinEdit1->value(), 37);
    EXPECT_EQ(form->SpinEdit2->value(), 26);

    // Palette, colours, status bar, pictures, the rest of the start state.
    EXPECT_EQ(form->State().SelectedTerrain, tcBeliebig);
    EXPECT_EQ(form->Shape[1]->PenWidth(), 4);
    for (int i = 2; i <= 10; ++i)
        EXPECT_EQ(form->Shape[i]->PenWidth(), 1);
    EXPECT_EQ(form->Shape[2]->BrushColor(), 11992989);
    EXPECT_EQ(form->HexMapA1->GridColor(), 131586);
    EXPECT_EQ(form->HexMapA1->Color(), 16777215);
    EXPECT_EQ(form->StatusPanel[0]->text(), QString("   V1.10 / 02.01.2006"));
    EXPECT_EQ(form->StatusPanel[1]->text(), QString("      "));
    EXPECT_TRUE(form->MissingPictures().empty());
    for (int i = 1; i <= 11; ++i)
        EXPECT_TRUE(form->State().Pictures[i].Loaded) << i;
    EXPECT_EQ(form->State().PdfFileName, "TolvariaPlan01.pdf");
    EXPECT_EQ(form->State().PdfDir, dirs_->ProgramDir());
    EXPECT_EQ(form->State().MapDir, dirs_->ProgramDir());
    EXPECT_EQ(form->Paths().WorkDir, dirs_->WorkDir());
    EXPECT_EQ(form->windowTitle(), QString("Tolvaria Feldwerker"));
}

struct SizeCase {
    int hexX, hexY, mapCols, mapRows;
    const char* pampa;
};

TEST_F(FlowStart, CountersMatchTheProfilesBoardInEveryCase)
{
    // 14 x 38 is also the form's own map: no edit changes, the count must
    // still be right. 3 columns are raised to the edit's minimum of 4.
    const SizeCase cases[] = {
        {13, 37, 13, 37, "240"}, {14, 38, 14, 38, "266"}, {40, 80, 40, 80, "1600"},
        {3, 5, 4, 5, "10"},      {14, 37, 14, 37, "259"},
    };
    for (const SizeCase& c : cases) {
        dirs_->WriteProfile("[Control]\nHexX=" + std::to_string(c.hexX) +
                            "\nHexY=" + std::to_string(c.hexY) + "\n");
        auto form = Start();
        EXPECT_EQ(form->HexMapA1->ColCount(), c.mapCols) << c.hexX;
        EXPECT_EQ(form->HexMapA1->RowCount(), c.mapRows) << c.hexY;
        EXPECT_EQ(flow::Counter(*form, tcPampa), c.pampa) << c.hexX << " x " << c.hexY;
    }
}

TEST_F(FlowStart, MissingAndBrokenPicturesGiveOneMessageAndStartGoesOn)
{
    dirs_->RemovePicture(4);
    dirs_->BreakPicture(9);
    dirs_->WriteProfile("[Control]\nM1=Forum\nW1=https://example.org/\n");
    auto form = Start();
    ASSERT_EQ(form->FatalExitCode(), 0);

    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Error);
    EXPECT_NE(boxes[0].text.find("Pic4.jpg"), std::string::npos);
    EXPECT_NE(boxes[0].text.find("Pic9.jpg"), std::string::npos);
    EXPECT_EQ(boxes[0].text.find("Pic1.jpg"), std::string::npos);

    ASSERT_EQ(form->MissingPictures().size(), 2u);
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(form->State().Pictures[i].Loaded, i != 4 && i != 9) << i;
    // The steps after the pictures ran.
    EXPECT_EQ(form->State().PdfFileName, "TolvariaPlan01.pdf");
    EXPECT_EQ(form->State().PdfDir, dirs_->ProgramDir());
    ASSERT_NE(form->AddMenu1, nullptr);
    EXPECT_EQ(form->AddMenu1->text(), QString("Forum"));
    EXPECT_EQ(form->AddMenu2, nullptr);

    // The program runs on: painting still works.
    form->BitBtn1Click();
    EXPECT_EQ(flow::Counter(*form, tcPampa), "240");
}

TEST_F(FlowStart, ReadOnlyProfileStopsWithExitCode103)
{
    dirs_->WriteProfile("[Control]\nHexX=13\n");
    fs::permissions(dirs_->ProfilePath(), fs::perms::owner_read | fs::perms::group_read |
                                              fs::perms::others_read);
    auto form = Start();
    EXPECT_EQ(form->FatalExitCode(), 103);
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Schwerer Fehler");
    EXPECT_EQ(boxes[0].text, "Profiledatei schreibgeschützt (CD-ROM?)" + dirs_->ProfilePath());
    // Nothing after the profile ran: no pictures, the form's own map.
    EXPECT_FALSE(form->State().Pictures[1].Loaded);
    EXPECT_EQ(form->HexMapA1->ColCount(), 14);
}

TEST_F(FlowStart, ProgramEndsWithExitCode103OnAReadOnlyProfile)
{
    const std::string exe = std::string(TOLV_BIN_DIR) + "/Tolvplan";
    if (!fs::exists(exe))
        GTEST_SKIP() << "Tolvplan is not built in " << TOLV_BIN_DIR;
    dirs_->WriteProfile("[Control]\nHexX=13\n");
    fs::permissions(dirs_->ProfilePath(), fs::perms::owner_read);

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TOLV_AUTO_DIALOGS", "1");
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(exe), {QString::fromStdString(dirs_->WorkDir())});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 103);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("[Schwerer Fehler] Profiledatei schreibgeschützt (CD-ROM?)"))
        << err.toStdString();
}

// Runs the program with arguments as raw bytes (QProcess would convert them
// from QString) and unattended dialogs; the exit code and what it wrote to
// stderr.
std::pair<int, std::string> RunUnattended(const std::vector<std::string>& argv)
{
    // Everything the child needs is made before the fork.
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "TOLV_AUTO_DIALOGS=1"};
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.emplace_back(*e);
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0)
        return {-1, "pipe failed"};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string err;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        err.append(buf, std::size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

TEST_F(FlowStart, FoldersNamedInAnotherEncodingAreFoundByTheirBytes)
{
    const std::string built = std::string(TOLV_BIN_DIR) + "/Tolvplan";
    if (!fs::exists(built))
        GTEST_SKIP() << "Tolvplan is not built in " << TOLV_BIN_DIR;
    // "Kärten" in Windows-1252: not valid UTF-8.
    const std::string odd = "K\xE4rten";

    // As the work directory on the command line.
    const std::string work = dirs_->WorkDir() + "/" + odd;
    // As the program's own folder, which is also the work directory
    // when none is given.
    const std::string prog = dirs_->ProgramDir() + "/" + odd;
    fs::create_directory(work);
    fs::create_directory(prog);
    fs::copy_file(built, prog + "/Tolvplan");

    const struct {
        std::vector<std::string> argv;
        std::string profile;
    } cases[] = {
        {{built, work}, work + "/Tolvaria.ini"},
        {{prog + "/Tolvplan"}, prog + "/Tolvaria.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        // A read-only profile ends the start with 103, naming the file:
        // the folder was found and read.
        test::WriteBytes(c.profile, "[Control]\nHexX=13\n");
        fs::permissions(c.profile, fs::perms::owner_read);
        const auto [code, err] = RunUnattended(c.argv);
        fs::permissions(c.profile, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(code, 103) << err;
        EXPECT_NE(err.find("[Schwerer Fehler] Profiledatei schreibgeschützt (CD-ROM?)" + c.profile),
                  std::string::npos)
            << err;
    }
}

TEST_F(FlowStart, ProfileThatCannotBeCreatedStopsWithExitCode102)
{
    StartOptions o;
    o.ProgramDir = dirs_->ProgramDir();
    o.Args = {dirs_->WorkDir() + "/no/such/folder"};
    TForm1 form(o);
    EXPECT_EQ(form.FatalExitCode(), 102);
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Datei nicht erzeugbar: " + dirs_->WorkDir() + "/no/such/folder/Tolvaria.ini");
}

TEST_F(FlowStart, CloseWritesThePlacementAndTheNextStartRestoresIt)
{
    {
        auto form = Start();
        form->show();
        QCoreApplication::processEvents();
        form->move(40, 30);
        form->resize(640, 500);
        QCoreApplication::processEvents();
        form->SpinEditCol->setValue(20);   // the board size goes to the profile too
        form->close();
    }
    plat::IniFile ini(dirs_->ProfilePath());
    EXPECT_EQ(ini.ReadInteger("Control", "PosLeft", -1), 40);
    EXPECT_EQ(ini.ReadInteger("Control", "PosTop", -1), 30);
    EXPECT_EQ(ini.ReadInteger("Control", "PosWidth", -1), 640);
    EXPECT_EQ(ini.ReadInteger("Control", "PosHeight", -1), 500);
    EXPECT_EQ(ini.ReadInteger("Control", "HexX", -1), 20);

    auto again = Start();
    again->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(again->pos(), QPoint(40, 30));
    EXPECT_EQ(again->size(), QSize(640, 500));
    EXPECT_EQ(again->HexMapA1->ColCount(), 20);
}

TEST_F(FlowStart, MaximisedWindowSavesItsNormalPlacement)
{
    {
        auto form = Start();
        form->show();
        QCoreApplication::processEvents();
        form->move(50, 60);
        form->resize(660, 480);
        QCoreApplication::processEvents();
        form->showMaximized();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->isMaximized());
        ASSERT_NE(form->size(), QSize(660, 480));
        form->close();
    }
    plat::IniFile ini(dirs_->ProfilePath());
    EXPECT_EQ(ini.ReadInteger("Control", "PosLeft", -1), 50);
    EXPECT_EQ(ini.ReadInteger("Control", "PosTop", -1), 60);
    EXPECT_EQ(ini.ReadInteger("Control", "PosWidth", -1), 660);
    EXPECT_EQ(ini.ReadInteger("Control", "PosHeight", -1), 480);
}

TEST_F(FlowStart, OffScreenOrTinyPlacementIsMovedOntoTheScreen)
{
    dirs_->WriteProfile("[Control]\nPosLeft=-20000\nPosTop=15000\nPosWidth=3\nPosHeight=2\n");
    auto form = Start();
    form->show();
    QCoreApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(form->width(), MinUsableWidth);
    EXPECT_GE(form->height(), MinUsableHeight);
    EXPECT_TRUE(screen.intersects(QRect(form->pos(), form->size())))
        << form->x() << "," << form->y() << " on " << screen.width() << "x" << screen.height();
    EXPECT_GE(form->y(), screen.top());
}

TEST_F(FlowStart, GiantPlacementIsCutToTheScreen)
{
    // A window of 100000 x 100000 pixels cannot be drawn at all.
    for (const char* placement : {"PosWidth=100000\nPosHeight=100000\n",
                                  "PosLeft=2147483000\nPosTop=2147483000\n"
                                  "PosWidth=2000000000\nPosHeight=2000000000\n"}) {
        dirs_->WriteProfile(std::string("[Control]\n") + placement);
        auto form = Start();
        form->show();
        QCoreApplication::processEvents();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size())))
            << form->x() << "," << form->y() << " " << form->width() << "x" << form->height();
        form->close();
    }
}

TEST_F(FlowStart, RefusedProfileWriteAtCloseIsShownAndTheWindowCloses)
{
    auto form = Start();
    form->show();
    QCoreApplication::processEvents();
    fs::remove_all(dirs_->WorkDir());   // the folder is gone: the write must fail
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    EXPECT_EQ(boxes[0].text, "Unable to write to " + dirs_->ProfilePath());
}

TEST_F(FlowStart, PdfQualityIsLimitedAndWrittenBackAtClose)
{
    for (auto [in, out] : {std::pair{5, 10}, std::pair{150, 100}, std::pair{55, 55}}) {
        dirs_->WriteProfile("[Control]\nPdfJpgC=" + std::to_string(in) + "\n");
        auto form = Start();
        EXPECT_EQ(form->ProfileRecord().PdfJpgC, out);
        form->close();
        EXPECT_EQ(plat::IniFile(dirs_->ProfilePath()).ReadInteger("Control", "PdfJpgC", -1), out);
    }
}

TEST_F(FlowStart, MenuHoldsEveryItemInOrderEveryCommandEnabled)
{
    auto form = Start();
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[0]->text(), QString("&Datei"));
    EXPECT_EQ(top[1]->text(), QString("D&rucken"));
    EXPECT_EQ(top[2]->text(), QString("&Optionen"));
    EXPECT_EQ(top[3]->text(), QString());
    EXPECT_EQ(top[4]->text(), QString("&Hilfe"));

    auto texts = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << (a->isSeparator() ? QString("-") : a->text());
        return out;
    };
    EXPECT_EQ(texts(form->Datei1),
              QStringList({"Script &laden ...", "Script &speichern unter ...", "Ende"}));
    EXPECT_EQ(texts(form->Drucken1), QStringList({"&Draft", "&Grafik"}));
    EXPECT_EQ(texts(form->Draft1),
              QStringList({"&Bildschirmansicht", "Kacheln &Überblick", "&Kacheln - auf Drucker",
                           "Kacheln - in &PDF-Datei"}));
    EXPECT_EQ(texts(form->Grafik1),
              QStringList({"&Kacheln - auf Drucker", "Kacheln - In &PDF-Datei",
                           "Kacheln - In PDF-Datei mit &Zählleiste"}));
    EXPECT_EQ(texts(form->Optionen1), QStringList({"&Farben", "&Druckeinstellungen ..."}));
    EXPECT_EQ(texts(form->Farben1),
              QStringList({"b&eliebig", "&Pampa", "&Wiese", "W&ald", "&Moor", "&Fels", "&Berg",
                           "Ma&rkt", "Wa&sser", "&Grid", "&leer"}));
    EXPECT_EQ(texts(form->Hilfe1),
              QStringList({"&Bedienung(Deutsch)", "B&edienung(übersetzt)", "&Über...", "-",
                           "Homepage &Vennhalm Verlag", "Homepage &Lindsruh Gamer",
                           "Homepage Ludo&veil"}));
    EXPECT_FALSE(form->Bedienungbersetzt1->isVisible());
    EXPECT_EQ(form->Contents1->shortcut(), QKeySequence(Qt::Key_F1));

    // Working now: everything.
    for (QAction* a : {form->Laden1, form->Speichernunter1, form->Ende1, form->Druckeinstellungen1,
                       form->est12, form->est31, form->est21,
                       form->Kacheln1, form->KachelnPDF1, form->est1PdfRahmen1, form->est22,
                       form->Contents1, form->About1,
                       form->HomepageVennhalmVerlag1, form->HomepageLindsruhGamer1,
                       form->HomepageLudoveil1})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    for (QAction* a : form->Farben1->actions())
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(form->WriteLanguageFile1, nullptr);
}

TEST_F(FlowStart, PrivateTestAddsTheLanguageFileItem)
{
    dirs_->WriteProfile("[Control]\nPrivateTest1=1\n");
    auto form = Start();
    ASSERT_NE(form->WriteLanguageFile1, nullptr);
    EXPECT_EQ(form->Optionen1->actions().back(), form->WriteLanguageFile1);
    EXPECT_EQ(form->WriteLanguageFile1->text(), QString("Write Language File"));
}

TEST_F(FlowStart, LanguageFileTranslatesTheWindow)
{
    std::ofstream(dirs_->ProgramDir() + "/lang.ini")
        << "[Menue]\n&Datei=&File\nEnde=Quit\n"
           "[MainForm]\nTolvaria Feldwerker=Tolvaria Fieldworker\nGeländetyp=Terrain\n"
           "löschen=clear\nSpalten=Columns\nPampa=Steppe\n"
           "[Other]\nSprachvariante: Deutsch; übersetzt durch YOUR NAME=by Ann\n";
    std::ofstream(dirs_->ProgramDir() + "/lang.ini", std::ios::app)
        << "[AboutForm]\nFeldwerker=Fieldworker\nGrafiken:=Pictures:\n";
    std::ofstream(dirs_->ProgramDir() + "/langhelp.txt") << "help";
    TAboutBox about;
    StartOptions o;
    o.ProgramDir = dirs_->ProgramDir();
    o.Args = {dirs_->WorkDir()};
    o.AboutBox = &about;
    auto form = std::make_unique<TForm1>(o);
    EXPECT_EQ(form->Datei1->title(), QString("&File"));
    EXPECT_EQ(form->Ende1->text(), QString("Quit"));
    EXPECT_EQ(form->windowTitle(), QString("Tolvaria Fieldworker"));
    EXPECT_EQ(ApplicationTitle(), "Tolvaria Fieldworker");
    EXPECT_EQ(form->GroupBox1->title(), QString("Terrain"));
    EXPECT_EQ(form->BitBtn1->text(), QString("clear"));
    EXPECT_EQ(form->Label1->text(), QString("Columns"));
    EXPECT_EQ(form->StaticText[2]->text(), QString("Steppe"));
    EXPECT_EQ(form->StatusPanel[1]->text(), QString("by Ann     "));
    EXPECT_TRUE(form->Bedienungbersetzt1->isVisible());
    // The about box's text panel shows the composed lines.
    EXPECT_EQ(about.Label1->text(), QString("Tolvaria Fieldworker V1.1"));
    EXPECT_EQ(about.Label3->text(), QString("Spieleautor: Ansgar Quendler"));
    EXPECT_EQ(about.Label4->text(), QString("Pictures: Torben Rauhfels"));
    EXPECT_TRUE(about.Panel1->isVisibleTo(&about));
    SetApplicationTitle("Tolvaria Feldwerker");
}

// An exception escaping an event handler reaches the default error box,
// captioned with the application title, and the program runs on.
class Thrower : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Unable to write to /x/Tolvaria.ini");
        return QObject::event(e);
    }
};

TEST_F(FlowStart, EscapedExceptionShowsTheErrorBox)
{
    ASSERT_NE(dynamic_cast<TApplication*>(QCoreApplication::instance()), nullptr)
        << "the application object must be the program's own";
    Thrower t;
    QEvent e(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&t, &e));
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to write to /x/Tolvaria.ini");
    EXPECT_EQ(boxes[0].caption, "Tolvaria Feldwerker");
    EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Error);
    // Events go on being delivered.
    QEvent other(QEvent::Type(QEvent::User + 1));
    QCoreApplication::sendEvent(&t, &other);
    EXPECT_EQ(seam_.messageBoxes().size(), 1u);
}

} // namespace

namespace {

TEST_F(FlowStart, StartCentresTheBoardInTheMapsRealView)
{
    dirs_->WriteProfile("[Control]\r\nHexX=40\r\nHexY=80\r\nHexSize=26\r\n");
    auto form = Start();
    THexMapA& map = *form->HexMapA1;
    ASSERT_GT(map.width(), 300);   // laid out inside the window, not the control's own default
    // The middle cell's centre lies in the middle of the view (within a cell).
    const plat::TPoint c = map.CellCenter(map.ColCount() / 2, map.RowCount() / 2);
    EXPECT_NEAR(c.X - map.ScrollX(), map.width() / 2, map.ColPitch());
    EXPECT_NEAR(c.Y - map.ScrollY(), map.height() / 2, 2 * map.HalfHeight());
}

} // namespace

TEST_F(FlowStart, PreviewWindowIsSetUpForTheBoardOutput)
{
    auto form = Start();
    const printing::TPreviewWindow& w = *form->PreviewWindow1;
    EXPECT_EQ(w.Caption(), "Preview");
    EXPECT_EQ(w.Position(), printing::poDesktopCenter);
    EXPECT_EQ(w.WindowWidth(), 400);
    EXPECT_EQ(w.WindowHeight(), 500);
    // The first nine kinds and Close.
    EXPECT_EQ(w.ToolbarOptions().Buttons.Bits(), 0x11FF);
    EXPECT_FALSE(w.ToolbarOptions().UserButtonEnabled);
    EXPECT_EQ(w.Font().Name, "MS Sans Serif");
    EXPECT_EQ(w.Font().Height, -11);
    EXPECT_EQ(w.PrintJob(), nullptr);
}
