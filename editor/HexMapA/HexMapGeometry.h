#pragma once
// Layout of the hexagon map, free of any toolkit: flat-topped hexagons
// addressed by column and doubled row, the metrics derived from the hexagon
// size, the visible and draw ranges of a scrolled view, the centring
// offsets, the off-screen bitmap's size and the hit test. The map widget
// owns one instance, reacts to its two notifications and does the drawing.
//
// Cells: (column, row) is a cell when ((column xor row) and 1) equals
// FirstOdd; neighbouring columns are shifted by half a hexagon's height.
#include "platform/Colour.h"
#include "platform/EnumSet.h"
#include "platform/Geometry.h"

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <utility>

namespace tolv {

// Fractional column and row: where a map pixel lies between cell centres.
struct HexPointF {
    double X = 0;
    double Y = 0;
};

// Columns FirstCol..LastCol by rows FirstRow..LastRow, both bounds
// included. Pixels are plat::TRect, whose Right and Bottom lie one past
// the last pixel: the two cannot be passed for one another.
struct CellRange {
    int FirstCol = 0;
    int FirstRow = 0;
    int LastCol = 0;
    int LastRow = 0;
    constexpr bool Contains(long long col, long long row) const
    {
        return col >= FirstCol && col <= LastCol && row >= FirstRow && row <= LastRow;
    }
    friend bool operator==(const CellRange&, const CellRange&) = default;
};

// Positions come from the widget, the profile and map scripts; a huge count,
// margin or scroll position must clamp to the int range, not wrap around.
constexpr int SaturateInt(long long v)
{
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : int(v);
}

// What the board model and the outputs need to know of the map.
struct MapShape {
    int ColCount = 0;
    int RowCount = 0;
    bool FirstOdd = false;
};

// Parity from the lowest bit of the two's-complement value, so negative
// positions follow the same rule.
constexpr bool IsCellParity(long long col, long long row, bool firstOdd)
{
    return ((col ^ row) & 1) == (firstOdd ? 1 : 0);
}

// The cell walk: row by row from Top to Bottom, in each row every cell
// from Left (or Left + 1) to Right, left to right. Nothing is clamped.
template <class Method>
void ForEachCell(int Left, int Top, int Right, int Bottom, bool FirstOdd, Method&& method)
{
    // 64-bit counters: a bound of INT_MAX must not overflow the step.
    for (long long row = Top; row <= Bottom; ++row) {
        long long col = IsCellParity(Left, row, FirstOdd) ? Left : (long long)Left + 1;
        for (; col <= Right; col += 2)
            method(int(col), int(row));
    }
}

// The hexagon metrics of one size; the same rule gives the hexagons of
// the screen and of every output.
struct HexMetrics {
    int QuarterWidth = 0;   // size div 4
    int HalfWidth = 0;      // size div 2
    int ColPitch = 0;       // HalfWidth + QuarterWidth
    int HalfHeight = 0;     // Round(size * 0.433), half to even
};
// Round(size * 0.433) with the factor taken exactly (not sqrt(3)/4); an
// exact half goes to the even neighbour, so 500 gives 216.
int HexHalfHeight(int size);
HexMetrics HexMetricsFor(int size);

// The outline of a flat-topped hexagon around (cx, cy) as one closed
// polyline, y downwards: left corner, lower left, lower right, right corner,
// upper right, upper left, left corner again. Every hexagon the program
// draws (map, pictures, tiles) takes its corners from here; P is any point
// type built from {x, y}.
template <typename P, typename T>
constexpr std::array<P, 7> HexOutlineAround(T cx, T cy, T quarter, T half, T halfHeight)
{
    const P left{cx - half, cy};
    return {left,
            P{cx - quarter, cy + halfHeight},
            P{cx + quarter, cy + halfHeight},
            P{cx + half, cy},
            P{cx + quarter, cy - halfHeight},
            P{cx - quarter, cy - halfHeight},
            left};
}

enum THexMapAOption : std::uint8_t {
    hmGrid,            // outline every cell in GridColor
    hmShowSelection,   // outline the selected cell in SelectColor
    hmDblClickCenter,  // a double click centres on the selection
    hmRightBtnCenter,  // a right press centres on the cell under the mouse
    hmRightBtnDrag,    // dragging with the right button scrolls
};

// Held in one byte, bit i for option i.
using THexMapAOptions = plat::EnumSet<THexMapAOption, 5>;

// [hmGrid, hmShowSelection, hmDblClickCenter, hmRightBtnDrag]
constexpr THexMapAOptions DefaultHexMapOptions = THexMapAOptions::FromBits(23);

class HexMapGeometry {
public:
    // Below 2 the column pitch and the half height become 0 and every
    // division of the layout fails; far above any screen size the view
    // bitmap and the map extent grow past what can be allocated.
    static constexpr int MinHexSize = 2;
    static constexpr int MaxHexSize = 1000;

    HexMapGeometry();

    // Notifications, fired only when assigned.
    // After every range computation: ranges, offsets and bitmap size are new.
    std::function<void()> OnRangesChanged;
    // A property that changes the picture was set: repaint the window.
    std::function<void()> OnInvalidate;

    // Properties. The setters validate, then recompute and notify.
    int ColCount() const { return colCount_; }
    void SetColCount(int value);      // > 0 only; 1 also asks for FirstOdd false
    int RowCount() const { return rowCount_; }
    void SetRowCount(int value);      // > 0 only
    int HexSize() const { return hexSize_; }
    void SetHexSize(int value);       // MinHexSize..MaxHexSize only
    int CellWidth() const { return cellWidth_; }
    void SetCellWidth(int value);     // >= HexSize only; reach only
    int CellHeight() const { return cellHeight_; }
    void SetCellHeight(int value);    // >= 2 * HalfHeight only; reach only
    int Margin() const { return margin_; }
    void SetMargin(int value);        // > 0 only
    bool FirstOdd() const { return firstOdd_; }
    void SetFirstOdd(bool value);     // moves the selection onto the new parity, or refuses
    plat::TColor GridColor() const { return gridColor_; }
    void SetGridColor(plat::TColor value);
    plat::TColor SelectColor() const { return selectColor_; }
    void SetSelectColor(plat::TColor value);
    THexMapAOptions Options() const { return options_; }
    void SetOptions(THexMapAOptions value);   // hmRightBtnCenter drops the other two mouse options

    // Metrics of HexSize.
    int QuarterWidth() const { return metrics_.QuarterWidth; }
    int HalfWidth() const { return metrics_.HalfWidth; }
    int ColPitch() const { return metrics_.ColPitch; }
    int HalfHeight() const { return metrics_.HalfHeight; }
    // Reach of a cell picture beyond its hexagon, in columns and rows.
    int ExtraCols() const { return extraCols_; }
    int ExtraRows() const { return extraRows_; }

    // The part of the map shown, in map pixels.
    const plat::TRect& ViewRect() const { return viewRect_; }
    int ScrollX() const { return viewRect_.Left; }
    int ScrollY() const { return viewRect_.Top; }
    int ViewWidth() const { return viewRect_.Right - viewRect_.Left; }
    int ViewHeight() const { return viewRect_.Bottom - viewRect_.Top; }
    // Stores the view and recomputes ranges, offsets and bitmap size.
    void SetViewRect(const plat::TRect& rect);
    // Only moves Right and Bottom to ScrollX + Width, ScrollY + Height, as
    // a size change does before it scrolls again; nothing is recomputed.
    void SetViewSize(int Width, int Height);
    // A scroll position kept inside the map; a map smaller than the view
    // always scrolls to 0 in that direction.
    plat::TPoint ClampScroll(int X, int Y) const;

    const CellRange& VisibleRange() const { return visibleRange_; }
    const CellRange& DrawRange() const { return drawRange_; }
    int OffsetX() const { return offsetX_; }
    int OffsetY() const { return offsetY_; }
    // Size the off-screen bitmap must have: the view plus HexSize on the
    // left and right and 2 * HalfHeight above and below, plus one pixel.
    int BitmapWidth() const { return bitmapWidth_; }
    int BitmapHeight() const { return bitmapHeight_; }

    // The selected cell; stored as given, without range or parity test.
    int SelCol() const { return selCol_; }
    int SelRow() const { return selRow_; }
    void SetSelection(int Col, int Row) { selCol_ = Col; selRow_ = Row; }

    // Set by every setter that changes the picture; the next paint redraws
    // every cell and clears it.
    bool RedrawPending() const { return redrawPending_; }
    void SetRedrawPending(bool value) { redrawPending_ = value; }

    // Centre of a cell in map pixels; no range or parity test.
    plat::TPoint CellCenter(int Col, int Row) const;
    // Centre of a cell on the off-screen bitmap: what the drawing events get.
    plat::TPoint CellCenterOnBitmap(int Col, int Row) const;
    // Map pixels to fractional column and row.
    HexPointF PixelToCellF(double X, double Y) const;
    // Size of the whole field with its margins, in pixels.
    int MapWidth() const;
    int MapHeight() const;

    bool IsCell(int Col, int Row) const { return IsCellParity(Col, Row, firstOdd_); }
    bool InGrid(int Col, int Row) const
    {
        return Col >= 0 && Col < colCount_ && Row >= 0 && Row < rowCount_;
    }
    MapShape Shape() const { return {colCount_, rowCount_, firstOdd_}; }

    // The cell walk over a range of columns and rows, not clamped.
    template <class Method>
    void ForEachHex(const CellRange& r, Method&& method) const
    {
        ForEachCell(r.FirstCol, r.FirstRow, r.LastCol, r.LastRow, firstOdd_, std::forward<Method>(method));
    }

    // Cell under a control pixel, its column in X and its row in Y; not
    // range-tested (callers accept it only inside 0..ColCount-1 x
    // 0..RowCount-1).
    plat::TPoint HexAtPoint(int X, int Y) const;

    // The outline around a bitmap centre as one closed polyline: left
    // corner, lower left, lower right, right corner, upper right, upper
    // left, left corner again (y grows downwards).
    std::array<plat::TPoint, 7> HexOutline(int X, int Y) const;

private:
    void ComputeExtras();
    void ComputeRanges();
    void Changed();   // RedrawPending and invalidate

    int colCount_ = 12;
    int rowCount_ = 12;
    int hexSize_ = 0;
    HexMetrics metrics_{};
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    int extraCols_ = 0;
    int extraRows_ = 0;
    int margin_ = 15;
    bool firstOdd_ = false;
    plat::TColor gridColor_ = plat::clBtnShadow;
    plat::TColor selectColor_ = plat::clRed;
    THexMapAOptions options_ = DefaultHexMapOptions;
    plat::TRect viewRect_{};
    int selCol_ = 0;
    int selRow_ = 0;
    CellRange drawRange_{};
    CellRange visibleRange_{};
    int offsetX_ = 0;
    int offsetY_ = 0;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
    bool redrawPending_ = true;
};

} // namespace tolv
