#pragma once
// THexMapA: the hexagon map widget. It lays the field out through its
// HexMapGeometry, paints into an off-screen bitmap a little larger than the
// view and copies that bitmap to the window. The owner draws each cell's
// content through OnDrawHex and OnDrawExtra; the widget draws the
// background, the outlines and the selection outline. No scroll bars and
// no wheel: the view moves by the arrow keys, Home, a double click, a right
// press or a right-button drag, or by the owner's calls.
//
// Painting: Paint() is the drawing logic (before-paint event, a full
// redraw when one is pending) and only schedules the window update; the
// window's paint event copies the bitmap. A paint the window system asks
// for runs that same logic first, so a pending full redraw happens then.
#include "editor/HexMapA/HexMapAInput.h"
#include "editor/HexMapA/HexMapGeometry.h"
#include "platform/Canvas.h"
#include "platform/Colour.h"
#include "platform/Offscreen.h"

#include <QCursor>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace tolv {

enum THexMapADrawStateItem : std::uint8_t { hdsSelected };

// A set held in one byte; bit 0 is hdsSelected.
struct THexMapADrawState {
    std::uint8_t Byte = 0;
    bool Contains(THexMapADrawStateItem i) const { return (Byte >> i) & 1u; }
    friend bool operator==(THexMapADrawState, THexMapADrawState) = default;
};

class THexMapA : public QWidget {
    Q_OBJECT

public:
    using TBeforePaintEvent = std::function<void(THexMapA* Sender, plat::Canvas& ACanvas)>;
    using TDrawHexEvent = std::function<void(THexMapA* Sender, int HX, int HY, plat::Canvas& ACanvas,
                                             int CX, int CY, THexMapADrawState AState)>;
    using TDrawExtraEvent = TDrawHexEvent;
    using TSelectHexEvent = std::function<void(THexMapA* Sender, int HX, int HY)>;
    using TMoveMapEvent = std::function<void(THexMapA* Sender, int X, int Y)>;
    using TNotifyEvent = std::function<void(THexMapA* Sender)>;
    using TMouseEvent = std::function<void(THexMapA* Sender, TMouseButton Button, TShiftState Shift,
                                           int X, int Y)>;
    using TMouseMoveEvent = std::function<void(THexMapA* Sender, TShiftState Shift, int X, int Y)>;
    using TKeyEvent = std::function<void(THexMapA* Sender, int& Key, TShiftState Shift)>;
    using TKeyPressEvent = std::function<void(THexMapA* Sender, char32_t& Key)>;

    explicit THexMapA(QWidget* parent = nullptr);
    ~THexMapA() override;

    // The widget's own events, fired only when assigned.
    TBeforePaintEvent OnBeforePaint;   // start of every paint, with the off-screen canvas
    TDrawHexEvent OnDrawHex;           // every cell drawn; (CX, CY) its centre on the bitmap
    TDrawExtraEvent OnDrawExtra;       // the second pass over the draw range (reaches outside the grid)
    TSelectHexEvent OnSelectHex;       // after the selection moved
    TMoveMapEvent OnMoveMap;           // after every ScrollTo, with the new scroll position
    // Mouse, keyboard and focus, passed to the owner before the widget acts.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKeyDown;               // may change Key before the widget looks at it
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Properties (rules in HexMapGeometry): each change that alters the
    // picture marks a full redraw for the next paint and invalidates.
    int ColCount() const { return geom_.ColCount(); }
    void SetColCount(int value) { geom_.SetColCount(value); }
    int RowCount() const { return geom_.RowCount(); }
    void SetRowCount(int value) { geom_.SetRowCount(value); }
    int HexSize() const { return geom_.HexSize(); }
    void SetHexSize(int value) { geom_.SetHexSize(value); }
    int CellWidth() const { return geom_.CellWidth(); }
    void SetCellWidth(int value) { geom_.SetCellWidth(value); }
    int CellHeight() const { return geom_.CellHeight(); }
    void SetCellHeight(int value) { geom_.SetCellHeight(value); }
    int Margin() const { return geom_.Margin(); }
    void SetMargin(int value) { geom_.SetMargin(value); }
    bool FirstOdd() const { return geom_.FirstOdd(); }
    void SetFirstOdd(bool value) { geom_.SetFirstOdd(value); }
    plat::TColor GridColor() const { return geom_.GridColor(); }
    void SetGridColor(plat::TColor value) { geom_.SetGridColor(value); }
    plat::TColor SelectColor() const { return geom_.SelectColor(); }
    void SetSelectColor(plat::TColor value) { geom_.SetSelectColor(value); }
    THexMapAOptions Options() const { return geom_.Options(); }
    void SetOptions(THexMapAOptions value) { geom_.SetOptions(value); }
    // The background. Changing it only invalidates: call RedrawAll after.
    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor value);

    int QuarterWidth() const { return geom_.QuarterWidth(); }
    int HalfWidth() const { return geom_.HalfWidth(); }
    int ColPitch() const { return geom_.ColPitch(); }
    int HalfHeight() const { return geom_.HalfHeight(); }
    int ExtraCols() const { return geom_.ExtraCols(); }
    int ExtraRows() const { return geom_.ExtraRows(); }
    int MapWidth() const { return geom_.MapWidth(); }
    int MapHeight() const { return geom_.MapHeight(); }
    int ScrollX() const { return geom_.ScrollX(); }
    int ScrollY() const { return geom_.ScrollY(); }
    int SelCol() const { return geom_.SelCol(); }
    int SelRow() const { return geom_.SelRow(); }
    const CellRange& VisibleRange() const { return geom_.VisibleRange(); }
    const CellRange& DrawRange() const { return geom_.DrawRange(); }
    MapShape Shape() const { return geom_.Shape(); }
    const HexMapGeometry& MapGeometry() const { return geom_; }

    plat::TPoint CellCenter(int Col, int Row) const { return geom_.CellCenter(Col, Row); }
    plat::TPoint CellCenterOnBitmap(int Col, int Row) const { return geom_.CellCenterOnBitmap(Col, Row); }
    HexPointF PixelToCellF(double X, double Y) const { return geom_.PixelToCellF(X, Y); }
    // The cell under a widget pixel (column in X, row in Y); not range-tested.
    plat::TPoint HexAtPoint(int X, int Y) const { return geom_.HexAtPoint(X, Y); }
    // The outline around a bitmap centre, with the canvas's current pen.
    void DrawHexOutline(plat::Canvas& canvas, int X, int Y) const;

    // Redraw every visible cell and the extras, then paint.
    void RedrawAll();
    // Redraw one cell (only when it lies inside the grid) and the extras
    // around it, then paint.
    void RedrawHex(int Col, int Row);
    // Scroll so that the cell's centre is in the middle of the view.
    void CenterOnHex(int Col, int Row);
    void CenterOnHex(plat::TPoint cell) { CenterOnHex(cell.X, cell.Y); }
    virtual void SelectHex(int Col, int Row);
    // Scroll to a map position, kept inside the map; fires OnMoveMap.
    virtual void ScrollTo(int X, int Y);
    // Show another part of the map: the picture is shifted and only the
    // cells that became visible and the extras near the old edges are drawn.
    void SetViewport(const plat::TRect& NewRect);
    // The paint logic; the window copy follows in the paint event.
    void Paint();

    // The off-screen picture; control pixel (X, Y) shows bitmap pixel
    // (X + HexSize, Y + 2 * HalfHeight).
    const QImage& OffscreenImage() const { return offscreen_.Image(); }
    plat::Canvas& OffscreenCanvas() { return offscreen_.canvas(); }

    // The "HAND" cursor shown while dragging the map with the right button.
    static const QCursor& HandCursor();

protected:
    virtual void DoBeforePaint();
    virtual void DrawHex(int Col, int Row);
    virtual void DrawExtra(int Col, int Row);
    virtual void Click();
    virtual void DblClick();
    virtual void KeyDown(int& Key, TShiftState Shift);
    virtual void KeyUp(int& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    THexMapADrawState StateOf(int Col, int Row) const;
    void OutlineIn(plat::TColor colour, int X, int Y);
    void RestoreCursor();

    HexMapGeometry geom_;
    plat::Offscreen offscreen_;
    plat::TColor color_ = plat::clWindow;
    QCursor savedCursor_;
    bool handShown_ = false;
    int dragX_ = 0, dragY_ = 0;
    bool selectedSeen_ = false;
    // State flags.
    bool doubleClickSeen_ = false;
    bool inSizeMessage_ = false;
    // Paint bookkeeping: inside the paint event, and whether a code-called
    // Paint already ran the paint logic for the update it scheduled.
    bool inPaintEvent_ = false;
    bool copyQueued_ = false;
    bool clicked_ = false;
};

} // namespace tolv
