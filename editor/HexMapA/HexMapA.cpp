#include "editor/HexMapA/HexMapA.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <climits>

namespace tolv {

namespace {

// Sets a flag for the lifetime of a scope, also when an owner's handler throws.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

THexMapA::THexMapA(QWidget* parent) : QWidget(parent)
{
    // Every range computation resizes the bitmap, keeping its top-left picture.
    geom_.OnRangesChanged = [this] { offscreen_.SetSize(geom_.BitmapWidth(), geom_.BitmapHeight()); };
    geom_.OnInvalidate = [this] { update(); };
    geom_.SetRedrawPending(true);

    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    HandCursor();
    savedCursor_ = cursor();

    resize(300, 150);
    geom_.SetViewRect({0, 0, 300, 150});
}

THexMapA::~THexMapA() = default;

void THexMapA::SetColor(plat::TColor value)
{
    color_ = value;
    update();
}

THexMapADrawState THexMapA::StateOf(int Col, int Row) const
{
    THexMapADrawState s;
    if (Col == SelCol() && Row == SelRow())
        s.Byte = std::uint8_t(1u << hdsSelected);
    return s;
}

void THexMapA::DrawHexOutline(plat::Canvas& canvas, int X, int Y) const
{
    canvas.Polyline(geom_.HexOutline(X, Y));
}

void THexMapA::OutlineIn(plat::TColor colour, int X, int Y)
{
    plat::Canvas& c = offscreen_.canvas();
    c.Pen.Color = colour;
    DrawHexOutline(c, X, Y);
}

// --- painting --------------------------------------------------------------

void THexMapA::Paint()
{
    if (inSizeMessage_)
        return;
    DoBeforePaint();
    if (geom_.RedrawPending()) {
        RedrawAll();
        return;
    }
    // The copy to the window happens in the paint event.
    if (!inPaintEvent_) {
        copyQueued_ = true;
        update();
    }
}

void THexMapA::paintEvent(QPaintEvent* event)
{
    {
        FlagScope scope(inPaintEvent_);
        // A paint the window system asked for runs the paint logic; one
        // that a code-called Paint scheduled has already run it.
        if (!copyQueued_ || geom_.RedrawPending())
            Paint();
        copyQueued_ = false;
    }
    const QRect r = event->rect();
    QPainter p(this);
    p.drawImage(r.topLeft(), offscreen_.Image(), r.translated(HexSize(), 2 * HalfHeight()));
}

void THexMapA::DoBeforePaint()
{
    if (OnBeforePaint)
        OnBeforePaint(this, offscreen_.canvas());
}

void THexMapA::RedrawAll()
{
    geom_.SetRedrawPending(false);
    offscreen_.Fill(color_);
    selectedSeen_ = false;
    const int sc = SelCol(), sr = SelRow();
    const CellRange visible = VisibleRange();
    geom_.ForEachHex(visible, [&](int c, int r) {
        if (c == sc && r == sr)
            selectedSeen_ = true;
        else
            DrawHex(c, r);
    });
    // The selected cell and its outline come last.
    if (selectedSeen_)
        DrawHex(sc, sr);
    const CellRange draw = DrawRange();
    geom_.ForEachHex(draw, [&](int c, int r) { DrawExtra(c, r); });
    Paint();
}

void THexMapA::DrawHex(int Col, int Row)
{
    const plat::TPoint ctr = CellCenterOnBitmap(Col, Row);
    const THexMapADrawState state = StateOf(Col, Row);
    const THexMapAOptions opts = Options();
    // Without a grid, an outline left from an earlier picture is erased.
    if (!opts.Contains(hmGrid))
        OutlineIn(color_, ctr.X, ctr.Y);
    if (OnDrawHex)
        OnDrawHex(this, Col, Row, offscreen_.canvas(), ctr.X, ctr.Y, state);
    // Only the pen colour is set, and it stays for the owner's next cell.
    if (opts.Contains(hmShowSelection) && state.Contains(hdsSelected))
        OutlineIn(SelectColor(), ctr.X, ctr.Y);
    else if (opts.Contains(hmGrid))
        OutlineIn(GridColor(), ctr.X, ctr.Y);
}

void THexMapA::DrawExtra(int Col, int Row)
{
    if (!OnDrawExtra)
        return;
    const plat::TPoint ctr = CellCenterOnBitmap(Col, Row);
    OnDrawExtra(this, Col, Row, offscreen_.canvas(), ctr.X, ctr.Y, StateOf(Col, Row));
}

void THexMapA::RedrawHex(int Col, int Row)
{
    if (DrawRange().Contains(Col, Row)) {
        // A selection left outside a shrunk grid has no hexagon to draw.
        if (geom_.InGrid(Col, Row) && geom_.IsCell(Col, Row))
            DrawHex(Col, Row);
        const long long ec = ExtraCols(), er = ExtraRows();
        ForEachCell(SaturateInt(std::max<long long>(Col - ec, 0)), SaturateInt(std::max<long long>(Row - er, 0)),
                    SaturateInt(std::min<long long>(Col + ec, ColCount() - 1LL)),
                    SaturateInt(std::min<long long>(Row + er, RowCount() - 1LL)), FirstOdd(),
                    [this](int c, int r) { DrawExtra(c, r); });
    }
    Paint();
}

// --- selection and scrolling ---------------------------------------------------

void THexMapA::SelectHex(int Col, int Row)
{
    const int oldCol = SelCol(), oldRow = SelRow();
    geom_.SetSelection(Col, Row);
    RedrawHex(oldCol, oldRow);
    RedrawHex(Col, Row);
    if (OnSelectHex)
        OnSelectHex(this, Col, Row);
}

void THexMapA::ScrollTo(int X, int Y)
{
    const int w = geom_.ViewWidth(), h = geom_.ViewHeight();
    const plat::TPoint p = geom_.ClampScroll(X, Y);
    SetViewport({p.X, p.Y, SaturateInt((long long)p.X + w), SaturateInt((long long)p.Y + h)});
    if (OnMoveMap)
        OnMoveMap(this, p.X, p.Y);
}

void THexMapA::SetViewport(const plat::TRect& NewRect)
{
    const CellRange oldVisible = VisibleRange();
    const int oldScrollX = ScrollX(), oldScrollY = ScrollY();
    const int oldWidth = offscreen_.Width(), oldHeight = offscreen_.Height();
    geom_.SetViewRect(NewRect);

    // The old picture moves with the view; the rest is background.
    offscreen_.Shift(SaturateInt((long long)oldScrollX - NewRect.Left),
                     SaturateInt((long long)oldScrollY - NewRect.Top), color_, {0, 0, oldWidth, oldHeight});

    const int sc = SelCol(), sr = SelRow();
    const CellRange visible = VisibleRange();
    geom_.ForEachHex(visible, [&](int c, int r) {
        if (oldVisible.Contains(c, r))
            return;
        if (c == sc && r == sr)
            selectedSeen_ = true;
        else
            DrawHex(c, r);
    });
    RedrawHex(sc, sr);

    // Extras that lay wholly inside the old picture are still there.
    const long long ec = ExtraCols(), er = ExtraRows();
    const CellRange inner{SaturateInt(oldVisible.FirstCol + ec), SaturateInt(oldVisible.FirstRow + er),
                          SaturateInt(oldVisible.LastCol - ec), SaturateInt(oldVisible.LastRow - er)};
    const CellRange draw = DrawRange();
    geom_.ForEachHex(draw, [&](int c, int r) {
        if (!inner.Contains(c, r))
            DrawExtra(c, r);
    });
    Paint();
}

void THexMapA::CenterOnHex(int Col, int Row)
{
    const plat::TPoint c = CellCenter(Col, Row);
    ScrollTo(SaturateInt((long long)c.X - geom_.ViewWidth() / 2),
             SaturateInt((long long)c.Y - geom_.ViewHeight() / 2));
}

void THexMapA::resizeEvent(QResizeEvent* event)
{
    {
        FlagScope scope(inSizeMessage_);
        geom_.SetViewSize(width(), height());
        // Re-clamps, recomputes ranges and bitmap and draws; its paints return at once.
        ScrollTo(ScrollX(), ScrollY());
        geom_.SetRedrawPending(true);
    }
    update();
    QWidget::resizeEvent(event);
}

// --- keyboard ------------------------------------------------------------------

void THexMapA::KeyDown(int& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
    switch (Key) {
    case VK_HOME: CenterOnHex(SelCol(), SelRow()); break;
    case VK_LEFT: ScrollTo(ScrollX() - 10, ScrollY()); break;
    case VK_UP: ScrollTo(ScrollX(), ScrollY() - 10); break;
    case VK_RIGHT: ScrollTo(ScrollX() + 10, ScrollY()); break;
    case VK_DOWN: ScrollTo(ScrollX(), ScrollY() + 10); break;
    default: break;
    }
}

void THexMapA::KeyUp(int& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void THexMapA::KeyPress(char32_t& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void THexMapA::keyPressEvent(QKeyEvent* event)
{
    // Arrow keys and characters are the widget's own; nothing moves the focus.
    event->accept();
    const TShiftState shift = ShiftStateOf(QGuiApplication::mouseButtons(), event->modifiers());
    int key = VirtualKeyOf(event->key());
    if (key != 0)
        KeyDown(key, shift);
    const QList<uint> text = event->text().toUcs4();
    if (!text.isEmpty()) {
        char32_t ch = char32_t(text.front());
        KeyPress(ch);
    }
}

void THexMapA::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    int key = VirtualKeyOf(event->key());
    if (key != 0)
        KeyUp(key, ShiftStateOf(QGuiApplication::mouseButtons(), event->modifiers()));
}

// --- mouse ---------------------------------------------------------------------

void THexMapA::Click()
{
    if (OnClick)
        OnClick(this);
}

void THexMapA::DblClick()
{
    doubleClickSeen_ = true;
    if (OnDblClick)
        OnDblClick(this);
    if (Options().Contains(hmDblClickCenter))
        CenterOnHex(SelCol(), SelRow());
}

void THexMapA::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
    setFocus(Qt::MouseFocusReason);
    if (Button == mbLeft)
        clicked_ = !(Shift & ssDouble);
    if (Shift & ssLeft) {
        // The second press of a double click selects nothing.
        if (doubleClickSeen_) {
            doubleClickSeen_ = false;
        } else {
            const plat::TPoint h = HexAtPoint(X, Y);
            if (geom_.InGrid(h.X, h.Y))
                SelectHex(h.X, h.Y);
        }
    }
    if (Shift & ssRight) {
        if (Options().Contains(hmRightBtnDrag)) {
            dragX_ = X;
            dragY_ = Y;
            setCursor(HandCursor());
            handShown_ = true;
        }
        if (Options().Contains(hmRightBtnCenter))
            CenterOnHex(HexAtPoint(X, Y));
    }
}

void THexMapA::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
    if ((Shift & ssRight) && Options().Contains(hmRightBtnDrag)) {
        // The map follows the mouse.
        ScrollTo(SaturateInt((long long)ScrollX() + dragX_ - X), SaturateInt((long long)ScrollY() + dragY_ - Y));
        dragX_ = X;
        dragY_ = Y;
    } else {
        RestoreCursor();
    }
}

void THexMapA::RestoreCursor()
{
    // Mouse tracking sends every move: only an actual change goes to the window system.
    if (!handShown_)
        return;
    setCursor(savedCursor_);
    handShown_ = false;
}

void THexMapA::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && clicked_) {
        clicked_ = false;
        if (rect().contains(X, Y))
            Click();
    }
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
    RestoreCursor();
}

void THexMapA::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    MouseDown(MouseButtonOf(event->button()), ShiftStateOf(event->buttons(), event->modifiers()),
              p.x(), p.y());
}

// Qt reports a double click in place of the second press; the double-click
// handling runs first and the press after it, so that press selects nothing.
void THexMapA::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        DblClick();
    const QPoint p = event->position().toPoint();
    MouseDown(MouseButtonOf(event->button()),
              ShiftStateOf(event->buttons(), event->modifiers()) | ssDouble, p.x(), p.y());
}

void THexMapA::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    MouseMove(ShiftStateOf(event->buttons(), event->modifiers()), p.x(), p.y());
}

void THexMapA::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    MouseUp(MouseButtonOf(event->button()), ShiftStateOf(event->buttons(), event->modifiers()),
            p.x(), p.y());
}

void THexMapA::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (OnEnter)
        OnEnter(this);
}

void THexMapA::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (OnExit)
        OnExit(this);
}

} // namespace tolv
