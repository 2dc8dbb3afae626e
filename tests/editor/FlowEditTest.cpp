// Terrain editing in the shown main window: palette, mouse painting, clear,
// standard size, the size edits, colours and the hidden animation.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1Shape.h"
#include "platform/IniFile.h"
#include "platform/ScriptedDialogs.h"

#include "FlowSupport.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tolv;

namespace {

class FlowEdit : public flow::FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        form_ = std::make_unique<TForm1>(Options(dirs_->WorkDir()));
        form_->show();
        QCoreApplication::processEvents();
        map_ = form_->HexMapA1;
    }
    void TearDown() override
    {
        form_->close();
        form_.reset();
    }

    // The control pixel at a cell's centre.
    QPoint At(int col, int row) const
    {
        const plat::TPoint b = map_->CellCenterOnBitmap(col, row);
        const QPoint p(b.X - map_->HexSize(), b.Y - 2 * map_->HalfHeight());
        const plat::TPoint back = map_->HexAtPoint(p.x(), p.y());
        EXPECT_EQ(back, (plat::TPoint{col, row})) << "centre of " << col << "," << row;
        return p;
    }
    std::string Counter(TerrainCode code) const { return flow::Counter(*form_, code); }
    TShape* ShapeOf(TerrainCode code) const
    {
        for (int i = 1; i <= 10; ++i)
            if (form_->Shape[i]->Tag == code)
                return form_->Shape[i];
        return nullptr;
    }
    void Select(TerrainCode code, Qt::MouseButton button = Qt::LeftButton)
    {
        test::Click(ShapeOf(code), QPoint(5, 5), button);
    }
    TerrainCode Cell(int c, int r) const { return form_->State().Board[c][r].Terrain; }

    std::unique_ptr<TForm1> form_;
    THexMapA* map_ = nullptr;
};

TEST_F(FlowEdit, ClickPaintsTheCellAndTheCountersFollow)
{
    ASSERT_EQ(Counter(tcPampa), "240");
    Select(tcWald);
    EXPECT_EQ(form_->State().SelectedTerrain, tcWald);
    EXPECT_EQ(ShapeOf(tcWald)->PenWidth(), 4);
    EXPECT_EQ(ShapeOf(tcBeliebig)->PenWidth(), 1);

    test::Click(map_, At(6, 17));
    EXPECT_EQ(Cell(6, 17), tcWald);
    EXPECT_EQ(Counter(tcWald), "1");
    EXPECT_EQ(Counter(tcPampa), "239");

    // The hexagon shows the terrain's colour on the map's picture.
    const plat::TPoint b = map_->CellCenterOnBitmap(6, 17);
    EXPECT_EQ(map_->OffscreenImage().pixelColor(b.X, b.Y), QColor(0, 128, 0));

    // A right-button click selects on the palette as well, and paints nothing on the map.
    Select(tcMarkt, Qt::RightButton);
    EXPECT_EQ(form_->State().SelectedTerrain, tcMarkt);
    test::Click(map_, At(6, 17), Qt::RightButton);
    EXPECT_EQ(Cell(6, 17), tcWald);
}

TEST_F(FlowEdit, PlainLeftDragPaintsCtrlDragDoesNot)
{
    Select(tcWasser);
    const QPoint a = At(2, 5), b = At(3, 6), c = At(4, 7), d = At(5, 8);
    test::SendMouse(map_, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    test::SendMouse(map_, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    test::SendMouse(map_, QEvent::MouseMove, c, Qt::NoButton, Qt::LeftButton);
    test::SendMouse(map_, QEvent::MouseButtonRelease, c, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Cell(3, 6), tcWasser);
    EXPECT_EQ(Cell(4, 7), tcWasser);
    EXPECT_EQ(Counter(tcWasser), "2");

    // With Ctrl held the moves paint nothing; the release itself still paints.
    Select(tcBerg);
    test::SendMouse(map_, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton,
                    Qt::ControlModifier);
    test::SendMouse(map_, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    test::SendMouse(map_, QEvent::MouseMove, c, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    test::SendMouse(map_, QEvent::MouseButtonRelease, d, Qt::LeftButton, Qt::NoButton,
                    Qt::ControlModifier);
    EXPECT_EQ(Cell(3, 6), tcWasser);
    EXPECT_EQ(Cell(4, 7), tcWasser);
    EXPECT_EQ(Cell(5, 8), tcBerg);
    // Moving without a button paints nothing either.
    test::SendMouse(map_, QEvent::MouseMove, a, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Cell(2, 5), tcPampa);
}

TEST_F(FlowEdit, ClickOnSameTerrainOnlyClearsTheRandomFlag)
{
    form_->State().Board[6][17] = {tcWiese, true};
    form_->SetDispAnzGel(true);
    Select(tcWiese);
    form_->StaticText[13]->setText("marker");   // would be rewritten by a recount
    test::Click(map_, At(6, 17));
    EXPECT_FALSE(form_->State().Board[6][17].RandomFill);
    EXPECT_EQ(form_->StaticText[13]->text(), QString("marker"));
}

TEST_F(FlowEdit, ClicksOutsideTheGridAreIgnored)
{
    Select(tcMoor);
    test::Click(map_, QPoint(1, 1));
    test::Click(map_, QPoint(map_->width() - 2, map_->height() - 2));
    EXPECT_EQ(Counter(tcMoor), "0");
    EXPECT_TRUE(seam_.calls().empty());
}

TEST_F(FlowEdit, ClearStandardAndTheSizeEdits)
{
    // Enlarge, paint beyond the standard size, go back to standard.
    form_->SpinEditCol->setValue(20);
    form_->SpinEdit1->setValue(50);
    EXPECT_EQ(map_->ColCount(), 20);
    EXPECT_EQ(map_->RowCount(), 50);
    form_->State().Board[15][40].Terrain = tcFels;   // column 15, row 40: a cell (odd parity)
    form_->SetDispAnzGel(true);
    EXPECT_EQ(Counter(tcFels), "1");

    form_->BitBtn5->click();
    EXPECT_EQ(map_->ColCount(), 13);
    EXPECT_EQ(map_->RowCount(), 37);
    EXPECT_EQ(map_->HexSize(), 26);
    EXPECT_EQ(form_->SpinEditCol->value(), 13);
    EXPECT_EQ(form_->SpinEdit1->value(), 37);
    EXPECT_EQ(Counter(tcFels), "0");
    EXPECT_EQ(Counter(tcPampa), "240");
    EXPECT_EQ(Cell(15, 40), tcFels);   // kept outside the map ...
    form_->SpinEditCol->setValue(20);
    form_->SpinEdit1->setValue(50);
    EXPECT_EQ(Counter(tcFels), "1");   // ... and back when it grows again

    // The hexagon size changes the map, not the counts.
    form_->SpinEdit2->setValue(40);
    EXPECT_EQ(map_->HexSize(), 40);
    form_->SpinEdit2->setValue(5);   // limited by the edit
    EXPECT_EQ(form_->SpinEdit2->value(), 10);
    EXPECT_EQ(map_->HexSize(), 10);

    // "löschen" clears the whole array, outside the map too.
    form_->State().Board[40][80] = {tcMarkt, true};
    form_->BitBtn1->click();
    EXPECT_EQ(Cell(15, 40), tcPampa);
    EXPECT_EQ(Cell(40, 80), tcPampa);
    EXPECT_FALSE(form_->State().Board[40][80].RandomFill);
    EXPECT_EQ(Counter(tcPampa), "500");   // 20 x 50 positions
}

TEST_F(FlowEdit, SizeEditsSwallowDeleteAndRefuseTyping)
{
    form_->SpinEditCol->setFocus();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(form_->SpinEditCol, &del);
    EXPECT_EQ(form_->SpinEditCol->value(), 13);
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    QCoreApplication::sendEvent(form_->SpinEditCol, &digit);
    EXPECT_EQ(form_->SpinEditCol->value(), 13);
    // Stepping still works.
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(form_->SpinEditCol, &up);
    EXPECT_EQ(form_->SpinEditCol->value(), 14);
    EXPECT_EQ(map_->ColCount(), 14);

    int key = VK_DELETE;
    EXPECT_TRUE(TForm1::SpinEditColKeyDown(key, 0));
    EXPECT_EQ(key, 0);
    key = VK_BACK;
    EXPECT_FALSE(TForm1::SpinEditColKeyDown(key, 0));
    EXPECT_EQ(key, VK_BACK);
}

TEST_F(FlowEdit, ColourCommandsGoThroughTheColourDialog)
{
    seam_.colorAnswers.push(plat::TColor(0x3366CC));
    form_->N21->trigger();   // "W&ald"
    auto calls = seam_.colorCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].initial, 32768);
    EXPECT_EQ(calls[0].customColours, (std::vector<plat::TColor>{0xFFFFFF, 0xC0DCC0}));
    EXPECT_EQ(ShapeOf(tcWald)->BrushColor(), 0x3366CC);
    EXPECT_EQ(form_->State().ColorTable[tcWald], 0x3366CC);
    EXPECT_EQ(form_->ProfileRecord().Colors[tcWald], 0x3366CC);

    // The map shows the new colour.
    Select(tcWald);
    test::Click(map_, At(6, 17));
    const plat::TPoint b = map_->CellCenterOnBitmap(6, 17);
    EXPECT_EQ(map_->OffscreenImage().pixelColor(b.X, b.Y), QColor(0xCC, 0x66, 0x33));

    // Cancel changes nothing.
    form_->N21->trigger();
    EXPECT_EQ(form_->State().ColorTable[tcWald], 0x3366CC);

    // The grid colour.
    seam_.colorAnswers.push(plat::TColor(0x0000FF));
    form_->Grid1->trigger();
    EXPECT_EQ(seam_.colorCalls().back().initial, 131586);
    EXPECT_EQ(map_->GridColor(), 0x0000FF);
    EXPECT_EQ(form_->State().ColorTable[GridColourIndex], 0x0000FF);
    EXPECT_EQ(form_->ProfileRecord().Colors[GridColourIndex], 0x0000FF);

    // "leer" keeps the background as it was at start.
    seam_.colorAnswers.push(plat::TColor(0x00FFFF));
    form_->leer1->trigger();
    EXPECT_EQ(form_->State().ColorTable[tcLeer], 0x00FFFF);
    EXPECT_EQ(map_->Color(), 0xFFFFFF);

    // The colours reach the profile at close.
    form_->close();
    plat::IniFile ini(dirs_->ProfilePath());
    EXPECT_EQ(ini.ReadInteger("Colors", "Color4", 0), 0x3366CC);
    EXPECT_EQ(ini.ReadInteger("Colors", "Color11", 0), 0x0000FF);
}

TEST_F(FlowEdit, RandomButtonsFillAndRecount)
{
    for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {2, 1}, {3, 0}, {4, 1}})
        form_->State().Board[c][r].Terrain = tcBeliebig;
    form_->SetDispAnzGel(true);
    EXPECT_EQ(Counter(tcBeliebig), "5");
    form_->BitBtn3->click();
    EXPECT_EQ(Counter(tcBeliebig), "0");
    int random = 0;
    for (TerrainCode t : {tcWiese, tcWald, tcMoor, tcFels, tcBerg})
        random += std::stoi(Counter(t));
    EXPECT_EQ(random, 5);
    EXPECT_TRUE(form_->State().Board[0][1].RandomFill);

    form_->BitBtn4->click();
    EXPECT_FALSE(form_->State().Board[0][1].RandomFill);
    EXPECT_EQ(Counter(tcPampa), "235");
}

TEST_F(FlowEdit, AnimationStartsHiddenAndAnyBoardCommandEndsItFirst)
{
    Select(tcWald);
    test::Click(map_, At(6, 17));

    // Only Ctrl+Alt with the right button starts it.
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton, Qt::ControlModifier);
    test::Click(form_->Image1, QPoint(3, 3), Qt::LeftButton,
                Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form_->Animation().Running());
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton,
                Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(form_->Animation().Running());
    EXPECT_TRUE(form_->Image2->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive());
    EXPECT_EQ(form_->Timer1->interval(), 500);
    form_->Timer1Timer();
    EXPECT_NE(Counter(tcWald), "1");   // the board is being redistributed

    // Painting ends the animation: the user's board is back, then painted.
    Select(tcMarkt);
    test::Click(map_, At(2, 5));
    EXPECT_FALSE(form_->Animation().Running());
    EXPECT_FALSE(form_->Image2->isVisible());
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_EQ(Cell(6, 17), tcWald);
    EXPECT_EQ(Cell(2, 5), tcMarkt);
    EXPECT_EQ(Counter(tcWald), "1");
    EXPECT_EQ(Counter(tcMarkt), "1");
    EXPECT_EQ(Counter(tcPampa), "238");

    // The same for "löschen".
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton,
                Qt::ControlModifier | Qt::AltModifier);
    form_->Timer1Timer();
    form_->BitBtn1->click();
    EXPECT_FALSE(form_->Animation().Running());
    EXPECT_EQ(Counter(tcPampa), "240");

    // Left alone it ends after its 31st tick with the board restored.
    test::Click(map_, At(2, 5));
    test::Click(form_->Image1, QPoint(3, 3), Qt::RightButton,
                Qt::ControlModifier | Qt::AltModifier);
    for (int i = 0; i < 31; ++i)
        form_->Timer1Timer();
    EXPECT_FALSE(form_->Animation().Running());
    EXPECT_EQ(Cell(2, 5), tcMarkt);
    EXPECT_EQ(Counter(tcMarkt), "1");
}

TEST_F(FlowEdit, CoordinatesAppearWhenSwitchedOn)
{
    // A large hexagon size makes the text readable on the map's picture.
    form_->SpinEdit2->setValue(60);
    const QImage before = map_->OffscreenImage().copy();
    form_->State().PrintParams[ppShowCoords] = 1;
    map_->RedrawAll();
    const QImage after = map_->OffscreenImage();
    ASSERT_EQ(before.size(), after.size());
    // Text pixels differ right of and below the centre of a visible cell.
    const int col = map_->VisibleRange().FirstCol + 1;
    int row = map_->VisibleRange().FirstRow + 1;
    if (!IsCellParity(col, row, map_->FirstOdd()))
        ++row;
    const plat::TPoint c = map_->CellCenterOnBitmap(col, row);
    int changed = 0;
    for (int y = c.Y; y < c.Y + 12; ++y)
        for (int x = c.X; x < c.X + 20; ++x)
            if (x >= 0 && y >= 0 && x < after.width() && y < after.height() &&
                before.pixel(x, y) != after.pixel(x, y))
                ++changed;
    EXPECT_GT(changed, 0);
}

} // namespace
