// TForm1: terrain editing — palette, painting, the map's drawing events,
// clear, standard size, the size edits, colours, random distribution and
// the hidden animation.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/board/BoardEdits.h"
#include "editor/board/CellDrawing.h"
#include "editor/Unit1Shape.h"
#include "platform/Canvas.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QSpinBox>
#include <QTimer>

namespace tolv {

void TForm1::SetDispAnzGel(bool Recount)
{
    state_.SetDispAnzGel(Recount, CurrentMapShape(), *counterView_);
}

void TForm1::BoardChanged()
{
    HexMapA1->RedrawAll();
    SetDispAnzGel(true);
}

void TForm1::BoardChanged(int Col, int Row)
{
    HexMapA1->RedrawHex(Col, Row);
    SetDispAnzGel(true);
}

void TForm1::EndAnimation()
{
    animation_.StopAndRestore();
}

void TForm1::ResetPaletteHighlight()
{
    for (int i = 1; i <= 10; ++i)
        if (Shape[i]->PenWidth() > 1)
            Shape[i]->SetPenWidth(1);
}

void TForm1::Shape1MouseUp(TShape* Sender, TMouseButton, TShiftState, int, int)
{
    ResetPaletteHighlight();
    Sender->SetPenWidth(4);
    state_.SelectedTerrain = Sender->Tag;
}

void TForm1::PaintAt(int X, int Y)
{
    const plat::TPoint p = HexMapA1->HexAtPoint(X, Y);
    const int cols = HexMapA1->ColCount(), rows = HexMapA1->RowCount();
    if (!InsideMap(p.X, p.Y, cols, rows))
        return;
    EndAnimation();
    if (PaintCell(state_, p.X, p.Y, cols, rows) == PaintResult::Painted)
        BoardChanged(p.X, p.Y);
}

void TForm1::HexMapA1MouseUp(TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button == mbLeft)
        PaintAt(X, Y);
}

void TForm1::HexMapA1MouseMove(TShiftState Shift, int X, int Y)
{
    // Only a plain left drag paints: no other button, no Shift, Ctrl or Alt.
    if (Shift == ssLeft)
        PaintAt(X, Y);
}

void TForm1::HexMapA1DrawHex(int HX, int HY, plat::Canvas& ACanvas, int CX, int CY,
                             THexMapADrawState)
{
    const plat::TColor kept = ACanvas.Brush.Color;
    ACanvas.Brush.Color = TerrainFillColour(state_, HX, HY);
    const auto poly = HexOutlineAround<plat::TPoint>(CX, CY, HexMapA1->QuarterWidth(),
                                                     HexMapA1->HalfWidth(), HexMapA1->HalfHeight());
    ACanvas.Polygon(poly);
    ACanvas.Brush.Color = kept;
}

void TForm1::HexMapA1DrawExtra(int HX, int HY, plat::Canvas& ACanvas, int CX, int CY,
                               THexMapADrawState)
{
    const auto text =
        CoordinateText(state_, HX, HY, HexMapA1->ColCount(), HexMapA1->RowCount());
    if (!text)
        return;
    const plat::TBkMode old = ACanvas.SetBkMode(plat::TRANSPARENT);
    ACanvas.TextOut(CX, CY, *text);
    ACanvas.SetBkMode(old);
}

void TForm1::BitBtn1Click()
{
    EndAnimation();
    ClearBoard(state_);
    BoardChanged();
}

void TForm1::BitBtn3Click()
{
    EndAnimation();
    if (FillBeliebig(state_.Board))
        BoardChanged();
}

void TForm1::BitBtn4Click()
{
    EndAnimation();
    if (DistributeAll(state_.Board))
        BoardChanged();
}

void TForm1::BitBtn5Click()
{
    HexMapA1->SetColCount(13);
    HexMapA1->SetRowCount(37);
    HexMapA1->SetHexSize(26);
    HexMapA1->CenterOnHex(HexMapA1->ColCount() / 2, HexMapA1->RowCount() / 2);
    SyncSizeEdits();
    // The edits recount only when their value changed; the map may have
    // changed size even when they did not (a 3-column map shows 4).
    BoardChanged();
}

void TForm1::SpinEditColChange()
{
    const int v = SpinEditCol->value();
    if (v < 2)
        return;
    HexMapA1->SetColCount(v);
    HexMapA1->CenterOnHex(HexMapA1->ColCount() / 2, HexMapA1->RowCount() / 2);
    BoardChanged();
}

void TForm1::SpinEdit1Change()
{
    const int v = SpinEdit1->value();
    if (v < 2)
        return;
    HexMapA1->SetRowCount(v);
    HexMapA1->CenterOnHex(HexMapA1->ColCount() / 2, HexMapA1->RowCount() / 2);
    BoardChanged();
}

void TForm1::SpinEdit2Change()
{
    const int v = SpinEdit2->value();
    if (v < 10)
        return;
    HexMapA1->SetHexSize(v);
    HexMapA1->CenterOnHex(HexMapA1->ColCount() / 2, HexMapA1->RowCount() / 2);
    HexMapA1->RedrawAll();
}

bool TForm1::SpinEditColKeyDown(int& Key, TShiftState)
{
    if (Key == VK_DELETE) {
        Key = 0;
        return true;
    }
    return false;
}

void TForm1::SyncSizeEdits()
{
    // Each edit limits the value to its range and runs its change handler
    // when the shown value changes.
    SpinEditCol->setValue(HexMapA1->ColCount());
    SpinEdit1->setValue(HexMapA1->RowCount());
    SpinEdit2->setValue(HexMapA1->HexSize());
}

void TForm1::ColourCommand(TerrainCode code)
{
    TShape* shape = nullptr;
    for (int i = 1; i <= 10; ++i)
        if (Shape[i]->Tag == code)
            shape = Shape[i];
    if (!shape)
        return;
    const auto colour = plat::Dialogs().chooseColor(shape->BrushColor(), ColorDialogCustomColours());
    if (!colour)
        return;
    shape->SetBrushColor(*colour);
    state_.ColorTable[shape->Tag] = *colour;
    HexMapA1->RedrawAll();
    profileData_.Colors[shape->Tag] = *colour;
}

void TForm1::Grid1Click()
{
    const auto colour =
        plat::Dialogs().chooseColor(HexMapA1->GridColor(), ColorDialogCustomColours());
    if (!colour)
        return;
    HexMapA1->SetGridColor(*colour);
    state_.ColorTable[GridColourIndex] = *colour;
    HexMapA1->RedrawAll();
    profileData_.Colors[GridColourIndex] = *colour;
}

void TForm1::Image1MouseUp(TMouseButton Button, TShiftState Shift, int, int)
{
    if (TerrainAnimation::IsStartGesture(Button == mbRight, (Shift & ssCtrl) != 0,
                                         (Shift & ssAlt) != 0))
        animation_.Start();
}

void TForm1::Timer1Timer()
{
    animation_.Tick();
}

void TForm1::AnimationRunning(bool running)
{
    Image2->setVisible(running);
    if (running)
        Timer1->start(animation_.Interval());
    else
        Timer1->stop();
}

void TForm1::BoardReplaced()
{
    BoardChanged();
}

} // namespace tolv
