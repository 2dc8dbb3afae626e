// The main window's menu commands through the dialog seam: map scripts,
// print settings, the language file, help, homepages and the about box;
// and the random buttons on known boards.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/LangFile.h"
#include "editor/board/MapScript.h"
#include "editor/board/RandomFill.h"
#include "editor/Unit2.h"
#include "editor/Unit3.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "tests/platform/ModalSteps.h"

#include "tests/editor/board/BoardSupport.h"
#include "FlowSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace tolv;
using tolv::test::ClickLater;
using tolv::test::ModalSteps;
using tolv::test::ReadBytes;
using tolv::test::SameBoard;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> NonEmptyLines(const std::string& text)
{
    std::vector<std::string> out;
    for (std::string& line : test::Lines(text))
        if (!line.empty())
            out.push_back(std::move(line));
    return out;
}

class FlowCommands : public flow::FlowTest {
protected:
    void TearDown() override
    {
        if (form_)
            form_->close();
        form3_.reset();
        form_.reset();
        SetApplicationTitle("Tolvaria Feldwerker");
    }

    // The window as the program's main sequence makes it: main window, then
    // the settings window, then shown.
    void Start(TAboutBox* splash = nullptr)
    {
        StartOptions o = Options(dirs_->WorkDir());
        o.AboutBox = splash;
        form_ = std::make_unique<TForm1>(o);
        form3_ = std::make_unique<TForm3>(form_->State(), form_->ProfileRecord(),
                                          form_->Paths().ProgramDir, form_.get());
        form_->Form3 = form3_.get();
        form_->show();
        QCoreApplication::processEvents();
    }

    std::string Prog(const std::string& name) const { return dirs_->ProgramDir() + "/" + name; }
    TerrainCode Cell(int c, int r) const { return form_->State().Board[c][r].Terrain; }
    std::string Counter(TerrainCode code) const { return flow::Counter(*form_, code); }
    void SetBoard(std::initializer_list<std::tuple<int, int, TerrainCode>> cells)
    {
        for (auto [c, r, t] : cells)
            form_->State().Board[c][r].Terrain = t;
        form_->SetDispAnzGel(true);
    }

    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TForm3> form3_;
};

// --- Map scripts ---

TEST_F(FlowCommands, SaveWritesControlKeysThenEveryMapCellInTheCellWalk)
{
    Start();
    SetBoard({{1, 0, tcWald}, {12, 35, tcWasser}, {0, 1, tcBeliebig}});
    seam_.answerFiles({"plan"});
    form_->Speichernunter1->trigger();

    const auto calls = seam_.fileDialogCalls();
    ASSERT_EQ(calls.size(), 1u);
    const plat::FileDialogRequest& r = calls[0].request;
    EXPECT_EQ(r.kind, plat::FileDialogKind::Save);
    EXPECT_EQ(r.title, "Speichern eines Tolvaria Scripts");
    EXPECT_EQ(r.filter, "Tolvaria Map|*.tlv|alle Dateien|*.*");
    EXPECT_EQ(r.defaultExt, "tlv");
    EXPECT_EQ(r.initialDir, dirs_->ProgramDir());   // SaveDir's default
    EXPECT_EQ(r.fileName, "Tlv01.tlv");
    // Asked by the close query about the ".tlv" file actually written.
    EXPECT_FALSE(r.options.overwritePrompt);
    EXPECT_TRUE(r.options.hideReadOnly);
    EXPECT_TRUE(r.options.resizable);
    EXPECT_EQ(calls[0].result, Prog("plan.tlv"));

    const auto lines = NonEmptyLines(ReadBytes(Prog("plan.tlv")));
    const std::vector<std::string> control = {"[Control]",    "Version=QXTRV0101", "ColCount=13",
                                              "RowCount=37",  "Author=None",       "MapName=None",
                                              "MapVersion=1", "[Hex]"};
    ASSERT_EQ(lines.size(), control.size() + 240);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), control);
    std::vector<std::string> hex;
    const bool firstOdd = form_->HexMapA1->FirstOdd();
    for (int row = 0; row < 37; ++row)
        for (int col = 0; col < 13; ++col)
            if (IsCellParity(col, row, firstOdd))
                hex.push_back(HexKey(col, row) + "=" + std::to_string(Cell(col, row)));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 8, lines.end()), hex);
    EXPECT_EQ(lines[8], "100=4");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1235=10"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1=8"), lines.end());

    EXPECT_EQ(form_->State().MapDir, dirs_->ProgramDir() + "/");
    EXPECT_EQ(form_->State().MapFileName, "plan.tlv");
    EXPECT_TRUE(seam_.messageBoxes().empty());

    // The next dialog starts there; closing stores the folder as SaveDir.
    seam_.answerFiles({std::nullopt});
    form_->Speichernunter1->trigger();
    EXPECT_EQ(seam_.fileDialogCalls()[1].request.initialDir, dirs_->ProgramDir() + "/");
    EXPECT_EQ(seam_.fileDialogCalls()[1].request.fileName, "plan.tlv");
    form_->close();
    EXPECT_EQ(plat::IniFile(dirs_->ProfilePath()).ReadString("Control", "SaveDir", ""),
              dirs_->ProgramDir() + "/");
}

TEST_F(FlowCommands, ChangedNameAsksBeforeWritingIntoAnExistingFile)
{
    Start();
    std::ofstream(Prog("plan.tlv")) << "[Keep]\nold=1\n";
    const std::string before = ReadBytes(Prog("plan.tlv"));

    // "plan.txt" becomes plan.tlv, which exists: No keeps the dialog open,
    // and the user cancels.
    seam_.answerFiles({"plan.txt", std::nullopt});
    seam_.answerMessage(plat::MsgResult::No);
    form_->Speichernunter1->trigger();
    auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ChangedNameQuestionText("plan.tlv"));
    EXPECT_EQ(boxes[0].caption, "Speichern eines Tolvaria Scripts");
    EXPECT_EQ(boxes[0].buttons, plat::MsgButtons::YesNo);
    EXPECT_EQ(ReadBytes(Prog("plan.tlv")), before);
    EXPECT_FALSE(fs::exists(Prog("plan.txt")));
    EXPECT_EQ(form_->State().MapFileName, "Tlv01.tlv");

    // Yes writes, merging into what the file held.
    seam_.clearCalls();
    seam_.answerFiles({"plan.txt"});
    seam_.answerMessage(plat::MsgResult::Yes);
    form_->Speichernunter1->trigger();
    EXPECT_EQ(seam_.messageBoxes().size(), 1u);
    EXPECT_EQ(seam_.fileDialogCalls()[0].result, Prog("plan.txt"));
    const plat::IniFile ini(Prog("plan.tlv"));
    EXPECT_EQ(ini.ReadString("Control", "Version", ""), "QXTRV0101");
    EXPECT_EQ(ini.ReadInteger("Keep", "old", 0), 1);
    EXPECT_EQ(form_->State().MapFileName, "plan.tlv");

    // Without a file of the changed name nothing is asked.
    seam_.clearCalls();
    seam_.answerFiles({"other.txt"});
    form_->Speichernunter1->trigger();
    EXPECT_TRUE(seam_.messageBoxes().empty());
    EXPECT_TRUE(fs::exists(Prog("other.tlv")));
    EXPECT_EQ(form_->State().MapFileName, "other.tlv");
}

TEST_F(FlowCommands, OverwriteQuestionIsAboutTheFileThatIsWritten)
{
    Start();
    // plan.txt exists but is never written: nothing to ask about it.
    std::ofstream(Prog("plan.txt")) << "notes\n";
    seam_.answerFiles({"plan.txt"});
    form_->Speichernunter1->trigger();
    EXPECT_TRUE(seam_.messageBoxes().empty());
    EXPECT_EQ(ReadBytes(Prog("plan.txt")), "notes\n");
    EXPECT_TRUE(fs::exists(Prog("plan.tlv")));

    // Now both exist: one question, about plan.tlv.
    seam_.clearCalls();
    seam_.answerFiles({"plan.txt", std::nullopt});
    seam_.answerMessage(plat::MsgResult::No);
    form_->Speichernunter1->trigger();
    auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ChangedNameQuestionText("plan.tlv"));

    // The name as chosen: the usual question about it, once.
    seam_.clearCalls();
    seam_.answerFiles({"plan.tlv", std::nullopt});
    seam_.answerMessage(plat::MsgResult::No);
    form_->Speichernunter1->trigger();
    boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, plat::OverwriteQuestionText("plan.tlv"));
    EXPECT_EQ(boxes[0].caption, "Speichern eines Tolvaria Scripts");
    EXPECT_EQ(boxes[0].icon, plat::MsgIcon::Warning);
    EXPECT_EQ(seam_.fileDialogCalls()[0].result, std::nullopt);
}

TEST_F(FlowCommands, RefusedWriteShowsTheErrorKeepsTheDialogAndChangesNothing)
{
    Start();
    std::ofstream(Prog("old.tlv")) << "[Control]\nVersion=QXTRV0101\nColCount=5\nRowCount=5\n";
    const std::string before = ReadBytes(Prog("old.tlv"));
    SetBoard({{1, 0, tcWald}});
    const BoardArray board = form_->State().Board;
    {
        const plat::ScopedWriteFault fail(plat::WriteFault::Rename);
        // The question about old.tlv is answered Yes.
        seam_.answerFiles({"old.tlv", std::nullopt});
        form_->Speichernunter1->trigger();
    }
    const auto boxes = seam_.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, plat::OverwriteQuestionText("old.tlv"));
    EXPECT_EQ(boxes[1].text, "Datei " + Prog("old.tlv") + " kann nicht beschrieben werden !");
    EXPECT_EQ(boxes[1].caption, "Fehler");
    EXPECT_EQ(boxes[1].icon, plat::MsgIcon::Error);
    // The dialog stayed open for the next entry (the cancel).
    const auto call = seam_.fileDialogCalls().at(0);
    EXPECT_EQ(call.offered, std::vector<std::string>{Prog("old.tlv")});
    EXPECT_EQ(call.result, std::nullopt);
    EXPECT_EQ(ReadBytes(Prog("old.tlv")), before);
    EXPECT_EQ(form_->State().MapDir, dirs_->ProgramDir());
    EXPECT_EQ(form_->State().MapFileName, "Tlv01.tlv");
    EXPECT_TRUE(SameBoard(form_->State().Board, board));

    // A folder in the place of the script's name: the same message.
    fs::create_directories(Prog("dir.tlv"));
    seam_.clearCalls();
    seam_.answerFiles({"dir"});
    form_->Speichernunter1->trigger();
    ASSERT_EQ(seam_.messageBoxes().size(), 1u);
    EXPECT_EQ(seam_.messageBoxes()[0].text,
              "Datei " + Prog("dir.tlv") + " kann nicht beschrieben werden !");
}

TEST_F(FlowCommands, RefusedScriptKeepsTheDialogOpenAndTheBoardThenAGoodOneReplacesIt)
{
    Start();
    SetBoard({{1, 0, tcWald}, {40, 80, tcBerg}});
    std::ofstream(Prog("lower.tlv")) << "[Control]\nVersion=qxtrv0101\nColCount=20\nRowCount=30\n";
    std::ofstream(Prog("wide.tlv")) << "[Control]\nVersion=QXTRV0101\nColCount=41\nRowCount=30\n";
    std::ofstream(Prog("good.tlv")) << "[Control]\nVersion=QXTRV0101\nColCount=20\nRowCount=30\n"
                                       "[Hex]\n100=9\n1900=0x0A\n300=11\n";
    const BoardArray board = form_->State().Board;

    // Refused twice, then cancelled: nothing changes but the remembered name.
    seam_.answerFiles({"lower.tlv", "wide.tlv", std::nullopt});
    form_->Laden1->trigger();
    auto call = seam_.fileDialogCalls().at(0);
    EXPECT_EQ(call.request.kind, plat::FileDialogKind::Open);
    EXPECT_EQ(call.request.title, "Öffnen eines Tolvaria Scripts");
    EXPECT_EQ(call.request.filter, "Tolvaria Map|*.tlv|Alle Dateien|*.*");
    EXPECT_EQ(call.request.defaultExt, "*.tlv");
    EXPECT_EQ(call.request.initialDir, dirs_->ProgramDir());
    EXPECT_EQ(call.request.fileName, "Tlv01.tlv");
    EXPECT_EQ(call.offered, (std::vector<std::string>{Prog("lower.tlv"), Prog("wide.tlv")}));
    EXPECT_EQ(call.result, std::nullopt);
    EXPECT_TRUE(SameBoard(form_->State().Board, board));
    EXPECT_EQ(form_->HexMapA1->ColCount(), 13);
    EXPECT_EQ(form_->State().MapFileName, Prog("wide.tlv"));
    EXPECT_EQ(form_->State().MapDir, dirs_->ProgramDir());
    EXPECT_TRUE(seam_.messageBoxes().empty());

    // Refused, then a good file (typed without extension): the board is
    // replaced whole and the size edits follow.
    seam_.clearCalls();
    seam_.answerFiles({"lower.tlv", "good"});
    form_->Laden1->trigger();
    call = seam_.fileDialogCalls().at(0);
    EXPECT_EQ(call.request.fileName, Prog("wide.tlv"));
    EXPECT_EQ(call.result, Prog("good.tlv"));
    EXPECT_EQ(form_->HexMapA1->ColCount(), 20);
    EXPECT_EQ(form_->HexMapA1->RowCount(), 30);
    EXPECT_EQ(form_->SpinEditCol->value(), 20);
    EXPECT_EQ(form_->SpinEdit1->value(), 30);
    EXPECT_EQ(Cell(1, 0), tcMarkt);
    EXPECT_EQ(Cell(19, 0), tcWasser);
    EXPECT_EQ(Cell(3, 0), tcPampa);     // 11 is no terrain
    EXPECT_EQ(Cell(40, 80), tcPampa);   // outside the new size
    EXPECT_EQ(Counter(tcMarkt), "1");
    EXPECT_EQ(Counter(tcWasser), "1");
    EXPECT_EQ(Counter(tcPampa), std::to_string(20 * 30 / 2 - 2));
    EXPECT_EQ(Counter(tcWald), "0");
    EXPECT_EQ(form_->State().MapDir, dirs_->ProgramDir() + "/");
    EXPECT_EQ(form_->State().MapFileName, "good.tlv");
}

TEST_F(FlowCommands, ThreeColumnScriptIsShownAsFourByTheSizeEdit)
{
    Start();
    std::ofstream(Prog("narrow.tlv")) << "[Control]\nVersion=QXTRV0101\nColCount=3\nRowCount=10\n";
    seam_.answerFiles({"narrow.tlv"});
    form_->Laden1->trigger();
    EXPECT_EQ(form_->SpinEditCol->value(), 4);
    EXPECT_EQ(form_->SpinEdit1->value(), 10);
    // The edit's change handler widened the map and the counters follow it.
    EXPECT_EQ(form_->HexMapA1->ColCount(), 4);
    EXPECT_EQ(Counter(tcPampa), "20");
}

TEST_F(FlowCommands, MapCommandsEndARunningAnimationFirst)
{
    Start();
    SetBoard({{1, 0, tcWald}});
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton,
                Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(form_->Animation().Running());
    form_->Timer1Timer();

    // Saving writes the user's board, not the animation's.
    seam_.answerFiles({"saved.tlv"});
    form_->Speichernunter1->trigger();
    EXPECT_FALSE(form_->Animation().Running());
    EXPECT_EQ(plat::IniFile(Prog("saved.tlv")).ReadInteger("Hex", "100", 0), tcWald);
    EXPECT_EQ(plat::IniFile(Prog("saved.tlv")).ReadInteger("Hex", "300", 0), tcPampa);

    // A load during the animation stays loaded: no later restore overwrites it.
    std::ofstream(Prog("m.tlv")) << "[Control]\nVersion=QXTRV0101\nColCount=13\nRowCount=37\n"
                                    "[Hex]\n300=9\n";
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton,
                Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(form_->Animation().Running());
    seam_.answerFiles({"m.tlv"});
    form_->Laden1->trigger();
    EXPECT_FALSE(form_->Animation().Running());
    EXPECT_FALSE(form_->Timer1->isActive());
    form_->Timer1Timer();
    EXPECT_EQ(Cell(3, 0), tcMarkt);
    EXPECT_EQ(Cell(1, 0), tcPampa);
}

// --- Random buttons on known boards, right after start ---

TEST_F(FlowCommands, RandomButtonsGiveTheKnownCellsOnAFreshGenerator)
{
    Start();
    // Map cells in the visiting order (column by column, rows inner).
    const std::vector<std::pair<int, int>> seven = {{0, 1}, {1, 0}, {2, 1}, {3, 0},
                                                    {4, 1}, {5, 0}, {6, 1}};
    struct Case {
        int beliebig;   // the first n cells of `seven`
        std::vector<std::pair<int, int>> wiese;   // painted Wiese before
        std::vector<TerrainCode> expected;
    };
    const Case cases[] = {
        {5, {}, {tcWiese, tcWald, tcBerg, tcMoor, tcFels}},
        {7, {}, {tcWiese, tcWiese, tcBerg, tcWald, tcWald, tcFels, tcMoor}},
        {4, {{8, 1}, {9, 0}, {10, 1}}, {tcWiese, tcWald, tcBerg, tcWald}},
    };
    for (const Case& c : cases) {
        form_->BitBtn1->click();   // "löschen"
        ProgramRandom() = RandomGenerator{};
        for (int i = 0; i < c.beliebig; ++i)
            form_->State().Board[seven[i].first][seven[i].second].Terrain = tcBeliebig;
        for (auto [col, row] : c.wiese)
            form_->State().Board[col][row].Terrain = tcWiese;
        form_->SetDispAnzGel(true);
        form_->BitBtn3->click();   // "ergänzen"
        for (int i = 0; i < c.beliebig; ++i) {
            EXPECT_EQ(Cell(seven[i].first, seven[i].second), c.expected[i])
                << c.beliebig << " cells, cell " << i;
            EXPECT_TRUE(form_->State().Board[seven[i].first][seven[i].second].RandomFill);
        }
        EXPECT_EQ(Counter(tcBeliebig), "0");
    }
    // The counters show the last case: 3 + 1 Wiese, 2 Wald, 1 Berg.
    EXPECT_EQ(Counter(tcWiese), "4");
    EXPECT_EQ(Counter(tcWald), "2");
    EXPECT_EQ(Counter(tcBerg), "1");
    EXPECT_EQ(Counter(tcMoor), "0");

    // A second "ergänzen" draws the same four cells anew; the painted Wiese stay.
    form_->BitBtn3->click();
    int drawn = 0;
    for (int i = 0; i < 4; ++i)
        drawn += form_->State().Board[seven[i].first][seven[i].second].RandomFill ? 1 : 0;
    EXPECT_EQ(drawn, 4);
    EXPECT_EQ(Cell(8, 1), tcWiese);
    EXPECT_FALSE(form_->State().Board[8][1].RandomFill);

    // "alle Gelände" on five beliebig cells: equal shares, no flags.
    form_->BitBtn1->click();
    for (int i = 0; i < 5; ++i)
        form_->State().Board[seven[i].first][seven[i].second].Terrain = tcBeliebig;
    form_->BitBtn4->click();
    for (TerrainCode t : {tcWiese, tcWald, tcMoor, tcFels, tcBerg})
        EXPECT_EQ(Counter(t), "1") << t;
    EXPECT_FALSE(form_->State().Board[0][1].RandomFill);
}

// --- Print settings ---

TEST_F(FlowCommands, SettingsWindowOkStoresAndRedrawsCancelStoresNothing)
{
    Start();
    form_->SpinEdit2->setValue(60);   // big hexagons show the coordinates
    const auto params = form_->State().PrintParams;
    const QImage plain = form_->HexMapA1->OffscreenImage().copy();

    // Cancel: changed values are dropped.
    ModalSteps cancel({[&](QWidget* w) {
        if (w != form3_.get())
            return false;
        form3_->SpinEdit[1]->setValue(500);
        form3_->CheckBox1->setChecked(true);
        ClickLater(form3_->BitBtn2);
        return true;
    }});
    form_->Druckeinstellungen1->trigger();
    EXPECT_TRUE(cancel.done());
    EXPECT_FALSE(cancel.timedOut());
    EXPECT_EQ(form_->State().PrintParams, params);
    EXPECT_EQ(form_->ProfileRecord().Param[1], params[1]);
    EXPECT_EQ(form_->HexMapA1->OffscreenImage(), plain);

    // OK: the next showing loads the stored values again, the changes are
    // stored into the parameters and the profile record, the map shows the
    // coordinates at once.
    int shownHexX = 0;
    bool shownCoords = true;
    ModalSteps ok({[&](QWidget* w) {
        if (w != form3_.get())
            return false;
        shownHexX = form3_->SpinEdit[1]->value();
        shownCoords = form3_->CheckBox1->isChecked();
        form3_->SpinEdit[1]->setValue(500);
        form3_->CheckBox1->setChecked(true);
        ClickLater(form3_->BitBtn1);
        return true;
    }});
    form_->Druckeinstellungen1->trigger();
    EXPECT_TRUE(ok.done());
    EXPECT_EQ(shownHexX, params[1]);
    EXPECT_FALSE(shownCoords);
    EXPECT_EQ(form_->State().PrintParams[1], 500);
    EXPECT_EQ(form_->State().PrintParams[ppShowCoords], 1);
    EXPECT_EQ(form_->ProfileRecord().Param[1], 500);
    EXPECT_EQ(form_->ProfileRecord().Param[ppShowCoords], 1);
    EXPECT_NE(form_->HexMapA1->OffscreenImage(), plain);
    form_->close();
    EXPECT_EQ(plat::IniFile(dirs_->ProfilePath()).ReadInteger("Druck", "Param1", 0), 500);
}

// --- Language file ---

TEST_F(FlowCommands, LanguageFileInUtf8OrWindows1252ChangesTheCaptions)
{
    struct Encoding {
        const char* name;
        std::string text;
    };
    // The same file, once as UTF-8 and once as a Windows editor saves it.
    const std::string utf8 =
        "[Menue]\n&Über...=&About...\nScript &laden ...=&Open script ...\n"
        "[MainForm]\nzufällige Geländeverteilung=Zufall: Gelände\nlöschen=Löschen!\n"
        "Größe=Size\n"
        "[PrintForm]\nÜberlappung=Overlap\nHexgröße-x=Hex size x\n"
        "[Other]\nÖffnen eines Tolvaria Scripts=Open a script\nPreview=Vorschau\n"
        "Sprachvariante: Deutsch; übersetzt durch YOUR NAME=Übersetzt von Jörg\n";
    const std::string cp1252 =
        "[Menue]\n&\xDC" "ber...=&About...\nScript &laden ...=&Open script ...\n"
        "[MainForm]\nzuf\xE4llige Gel\xE4ndeverteilung=Zufall: Gel\xE4nde\nl\xF6schen=L\xF6schen!\n"
        "Gr\xF6\xDF" "e=Size\n"
        "[PrintForm]\n\xDC" "berlappung=Overlap\nHexgr\xF6\xDF" "e-x=Hex size x\n"
        "[Other]\n\xD6" "ffnen eines Tolvaria Scripts=Open a script\nPreview=Vorschau\n"
        "Sprachvariante: Deutsch; \xFC" "bersetzt durch YOUR NAME=\xDC" "bersetzt von J\xF6rg\n";
    for (const Encoding& e : {Encoding{"UTF-8", utf8}, Encoding{"Windows-1252", cp1252}}) {
        SCOPED_TRACE(e.name);
        std::ofstream(Prog("lang.ini"), std::ios::binary) << e.text;
        Start();
        EXPECT_EQ(form_->About1->text(), QString("&About..."));
        EXPECT_EQ(form_->Laden1->text(), QString("&Open script ..."));
        EXPECT_EQ(form_->GroupBox2->title(), QString("Zufall: Gelände"));
        EXPECT_EQ(form_->BitBtn1->text(), QString("Löschen!"));
        EXPECT_EQ(form_->Label3->text(), QString("Size"));
        EXPECT_EQ(form_->StatusPanel[1]->text(), QString("Übersetzt von Jörg     "));
        // The whole credit fits its panel.
        EXPECT_GE(form_->StatusPanel[1]->width(),
                  form_->StatusPanel[1]->fontMetrics().horizontalAdvance(
                      form_->StatusPanel[1]->text()));
        EXPECT_EQ(form3_->Label[7]->text(), QString("Overlap"));
        EXPECT_EQ(form3_->Label[2]->text(), QString("Hex size x"));
        EXPECT_EQ(form_->PreviewWindow1->Caption(), "Vorschau");
        // The translated title reaches the open dialog.
        seam_.clearCalls();
        seam_.answerFiles({std::nullopt});
        form_->Laden1->trigger();
        EXPECT_EQ(seam_.fileDialogCalls().at(0).request.title, "Open a script");
        form_->close();
        form3_.reset();
        form_.reset();
    }
}

TEST_F(FlowCommands, WriteLanguageFileAddsMissingKeysAndKeepsTranslations)
{
    dirs_->WriteProfile("[Control]\nPrivateTest1=1\nM1=Extra\nW1=www.example.org\n");
    std::ofstream(Prog("lang.ini")) << "[Menue]\n&Datei=&File\n[PrintForm]\nRand oben=Top\n";
    Start();
    ASSERT_NE(form_->WriteLanguageFile1, nullptr);
    EXPECT_TRUE(form_->WriteLanguageFile1->isEnabled());
    form_->WriteLanguageFile1->trigger();

    const plat::IniFile ini(Prog("lang.ini"));
    // The translator's texts stay; the applied ones are written as they show.
    EXPECT_EQ(ini.ReadString("Menue", "&Datei", ""), "&File");
    EXPECT_EQ(ini.ReadString("Menue", "&File", ""), "&File");
    EXPECT_EQ(ini.ReadString("PrintForm", "Rand oben", ""), "Top");
    EXPECT_EQ(ini.ReadString("PrintForm", "Top", ""), "Top");
    // Missing keys are added, among them the run-time items and the settings window's.
    EXPECT_EQ(ini.ReadString("Menue", "Script &laden ...", ""), "Script &laden ...");
    EXPECT_EQ(ini.ReadString("Menue", "Write Language File", ""), "Write Language File");
    EXPECT_EQ(ini.ReadString("Menue", "Extra", ""), "Extra");
    EXPECT_EQ(ini.ReadString("MainForm", "den als beliebig  gekennzeichneten Feldern wird ein "
                                         "Gelädetyp zugeordnet", ""),
              "den als beliebig  gekennzeichneten Feldern wird ein Gelädetyp zugeordnet");
    EXPECT_EQ(ini.ReadString("PrintForm", "Hexgröße-y", ""), "Hexgröße-y");
    EXPECT_EQ(ini.ReadString("PrintForm", "Landscape", ""), "Landscape");
    EXPECT_EQ(ini.ReadString("AboutForm", "Tolvaria Feldwerker V1.1", ""),
              "Tolvaria Feldwerker V1.1");
    EXPECT_EQ(ini.ReadString("Other", "Speichern der PDF-Datei", ""), "Speichern der PDF-Datei");
    EXPECT_EQ(ini.ReadString("Other", "Supported language in german", ""), "Deutsch");
    EXPECT_TRUE(seam_.messageBoxes().empty());
}

TEST_F(FlowCommands, WriteLanguageFileIntoANewFileListsTheSectionsInOrder)
{
    dirs_->WriteProfile("[Control]\nPrivateTest1=1\n");
    Start();
    form_->WriteLanguageFile1->trigger();
    std::vector<std::string> sections;
    for (const std::string& line : NonEmptyLines(ReadBytes(Prog("lang.ini"))))
        if (line.front() == '[')
            sections.push_back(line);
    EXPECT_EQ(sections, (std::vector<std::string>{"[Menue]", "[MainForm]", "[AboutForm]",
                                                  "[PrintForm]", "[Other]"}));

    // A refused write reaches the error box, captioned with the application title.
    const plat::ScopedWriteFault fail(plat::WriteFault::Rename);
    fs::remove(Prog("lang.ini"));
    form_->WriteLanguageFile1->trigger();
    ASSERT_EQ(seam_.messageBoxes().size(), 1u);
    EXPECT_EQ(seam_.messageBoxes()[0].caption, "Tolvaria Feldwerker");
}

// --- Help, homepages and the about box ---

TEST_F(FlowCommands, HelpItemsOpenTheManualsAndTheProfilesAddresses)
{
    dirs_->WriteProfile("[Control]\nwwwVennhalm=https://vennhalm.example/\n"
                        "wwwLindsruh=www.lindsruh.example\nwwwLudoveil=file:///etc/passwd\n"
                        "M1=none\nW1=http://one.example/\nM2=Zwei\nW2=$(rm -rf ~)\n");
    std::ofstream(Prog("lang.ini")) << "[Menue]\n";
    Start();
    ASSERT_NE(form_->AddMenu1, nullptr);
    ASSERT_NE(form_->AddMenu2, nullptr);
    EXPECT_EQ(form_->AddMenu1->text(), QString("none"));
    EXPECT_FALSE(form_->Bedienungbersetzt1->isVisible());

    // Missing manual: nothing at all.
    form_->Contents1->trigger();
    EXPECT_TRUE(seam_.calls().empty());

    std::ofstream(Prog("Tlv10.html")) << "<html></html>";
    std::ofstream(Prog("langhelp.txt")) << "help";
    for (QAction* a : {form_->Contents1, form_->Bedienungbersetzt1, form_->HomepageVennhalmVerlag1,
                       form_->HomepageLindsruhGamer1, form_->HomepageLudoveil1, form_->AddMenu1,
                       form_->AddMenu2})
        a->trigger();
    const auto shell = seam_.shellCalls();
    ASSERT_EQ(shell.size(), 5u);
    EXPECT_EQ(shell[0].target, Prog("Tlv10.html"));
    EXPECT_EQ(shell[1].target, Prog("langhelp.txt"));
    EXPECT_EQ(shell[2].target, "https://vennhalm.example/");
    EXPECT_EQ(shell[3].target, "http://www.lindsruh.example");
    EXPECT_EQ(shell[4].target, "http://one.example/");
    for (const auto& c : shell)
        EXPECT_EQ(c.mode, plat::ShowMode::Maximized);
    EXPECT_TRUE(seam_.messageBoxes().empty());
}

TEST_F(FlowCommands, TranslatedManualItemShowsWithLanguageFileAndLanghelp)
{
    std::ofstream(Prog("lang.ini")) << "[Menue]\nB&edienung(übersetzt)=&Manual (English)\n";
    std::ofstream(Prog("langhelp.txt")) << "help";
    Start();
    EXPECT_TRUE(form_->Bedienungbersetzt1->isVisible());
    EXPECT_TRUE(form_->Bedienungbersetzt1->isEnabled());
    EXPECT_EQ(form_->Bedienungbersetzt1->text(), QString("&Manual (English)"));
}

TEST(FlowCommandsManual, ManualLiesBesideTheBuiltProgram)
{
    const std::string built = std::string(TOLV_BIN_DIR) + "/Tlv10.html";
    if (!fs::exists(std::string(TOLV_BIN_DIR) + "/Tolvplan"))
        GTEST_SKIP() << "Tolvplan is not built in " << TOLV_BIN_DIR;
    const std::string shipped = ReadBytes(built);
    EXPECT_FALSE(shipped.empty());
    EXPECT_TRUE(shipped == ReadBytes(std::string(TOLV_SOURCE_DIR) + "/editor/doc/Tlv10.html"))
        << "the copy beside the program is not the manual's source";
}

TEST_F(FlowCommands, AboutDuringTheSplashStopsItsTimerAndShowsTheBoxModally)
{
    TAboutBox splash;
    splash.show();
    Start(&splash);
    ASSERT_TRUE(splash.Timer1->isActive());
    ASSERT_TRUE(splash.isVisible());
    EXPECT_FALSE(splash.OKButton->isVisibleTo(&splash));

    bool timerActive = true, okVisible = false, modal = false;
    int ticksSeen = -1;
    ModalSteps steps({[&](QWidget* w) {
                          if (w != &splash)
                              return false;
                          modal = splash.isModal() && splash.isVisible();
                          timerActive = splash.Timer1->isActive();
                          okVisible = splash.OKButton->isVisible();
                          ticksSeen = splash.Ticker().Count();
                          return true;
                      },
                      [&](QWidget* w) {
                          // Well past the splash's 1.6 s the box is still up.
                          static QElapsedTimer clock;
                          if (!clock.isValid())
                              clock.start();
                          if (clock.elapsed() < 1800)
                              return false;
                          EXPECT_EQ(w, &splash);
                          EXPECT_TRUE(splash.isVisible());
                          ClickLater(splash.OKButton);
                          return true;
                      }});
    form_->About1->trigger();
    EXPECT_TRUE(steps.done());
    EXPECT_FALSE(steps.timedOut());
    EXPECT_TRUE(modal);
    EXPECT_FALSE(timerActive);
    EXPECT_TRUE(okVisible);
    EXPECT_EQ(splash.Ticker().Count(), ticksSeen);   // no tick after the stop
    EXPECT_FALSE(splash.isVisible());
}

TEST_F(FlowCommands, AboutWithoutASplashUsesTheWindowsOwnBox)
{
    Start();
    TAboutBox* box = form_->AboutBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->Timer1->isActive());
    ModalSteps steps({[&](QWidget* w) {
        if (w != box)
            return false;
        ClickLater(box->OKButton);
        return true;
    }});
    form_->About1->trigger();
    EXPECT_TRUE(steps.done());
    EXPECT_FALSE(box->isVisible());
}

} // namespace
