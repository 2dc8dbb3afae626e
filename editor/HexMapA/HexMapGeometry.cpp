#include "editor/HexMapA/HexMapGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tolv {

namespace {

int SatFromDouble(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(v, double(INT_MIN), double(INT_MAX)));
}

} // namespace

int HexHalfHeight(int size)
{
    // size * 0.433 == size * 433 / 1000 exactly; round that quotient half to even.
    const long long p = (long long)size * 433;
    long long q = p / 1000;
    long long rem = p % 1000;
    if (rem < 0) {   // floor division, so that rem lies in 0..999
        --q;
        rem += 1000;
    }
    if (rem > 500 || (rem == 500 && (q & 1)))
        ++q;
    return int(q);
}

HexMetrics HexMetricsFor(int size)
{
    HexMetrics m;
    m.QuarterWidth = size / 4;
    m.HalfWidth = size / 2;
    m.ColPitch = m.HalfWidth + m.QuarterWidth;
    m.HalfHeight = HexHalfHeight(size);
    return m;
}

HexMapGeometry::HexMapGeometry()
{
    // Counts, colours, options and margin are already stored by their
    // initialisers; the size goes through its setter for metrics and
    // ranges, and the cell picture size follows the metrics.
    redrawPending_ = true;
    SetHexSize(48);
    cellWidth_ = hexSize_;
    cellHeight_ = 2 * metrics_.HalfHeight;
}

void HexMapGeometry::Changed()
{
    redrawPending_ = true;
    if (OnInvalidate)
        OnInvalidate();
}

void HexMapGeometry::SetColCount(int value)
{
    if (value > 0) {
        colCount_ = value;
        // A single column has cells only in the even rows of column 0.
        if (value == 1)
            SetFirstOdd(false);
    }
    ComputeRanges();
    Changed();
}

void HexMapGeometry::SetRowCount(int value)
{
    if (value > 0)
        rowCount_ = value;
    ComputeRanges();
    Changed();
}

void HexMapGeometry::SetHexSize(int value)
{
    if (value >= MinHexSize && value <= MaxHexSize) {
        hexSize_ = value;
        metrics_ = HexMetricsFor(value);
    }
    ComputeExtras();
    ComputeRanges();
    Changed();
}

void HexMapGeometry::SetCellWidth(int value)
{
    if (value >= hexSize_)
        cellWidth_ = value;
    ComputeExtras();
}

void HexMapGeometry::SetCellHeight(int value)
{
    if ((long long)value >= 2LL * metrics_.HalfHeight)
        cellHeight_ = value;
    ComputeExtras();
}

void HexMapGeometry::SetMargin(int value)
{
    if (value > 0)
        margin_ = value;
    ComputeRanges();
    Changed();
}

void HexMapGeometry::SetFirstOdd(bool value)
{
    if (value != firstOdd_) {
        // One step in either direction puts the selection on the other parity.
        bool moved = true;
        if (selCol_ < colCount_ - 1)
            ++selCol_;
        else if (selRow_ < rowCount_ - 1)
            ++selRow_;
        else if (selCol_ > 0 && selRow_ > 0)
            --selRow_;
        else
            moved = false;   // no cell of the new parity next to it (a one-row map has no row -1)
        if (moved)
            firstOdd_ = value;
    }
    Changed();
}

void HexMapGeometry::SetGridColor(plat::TColor value)
{
    gridColor_ = value;
    Changed();
}

void HexMapGeometry::SetSelectColor(plat::TColor value)
{
    selectColor_ = value;
    Changed();
}

void HexMapGeometry::SetOptions(THexMapAOptions value)
{
    // Centring on a right press excludes the double-click centring and
    // right-button dragging.
    if (value.Contains(hmRightBtnCenter))
        value = value.Without(hmDblClickCenter).Without(hmRightBtnDrag);
    options_ = value;
    Changed();
}

void HexMapGeometry::SetViewRect(const plat::TRect& rect)
{
    viewRect_ = rect;
    ComputeRanges();
}

void HexMapGeometry::SetViewSize(int Width, int Height)
{
    viewRect_.Right = SaturateInt((long long)viewRect_.Left + Width);
    viewRect_.Bottom = SaturateInt((long long)viewRect_.Top + Height);
}

plat::TPoint HexMapGeometry::ClampScroll(int X, int Y) const
{
    const long long maxX = (long long)MapWidth() - ViewWidth();
    const long long maxY = (long long)MapHeight() - ViewHeight();
    return {SaturateInt(std::max<long long>(std::min<long long>(X, maxX), 0)),
            SaturateInt(std::max<long long>(std::min<long long>(Y, maxY), 0))};
}

void HexMapGeometry::ComputeExtras()
{
    const long long pitch = std::max(metrics_.ColPitch, 1);
    const long long half = std::max(metrics_.HalfHeight, 1);
    extraCols_ = SaturateInt((cellWidth_ / 2 + (long long)metrics_.HalfWidth) / pitch);
    extraRows_ = SaturateInt((cellHeight_ / 2) / half + 1);
}

void HexMapGeometry::ComputeRanges()
{
    const HexPointF f = PixelToCellF(double(ScrollX()) - metrics_.HalfWidth,
                                     double(ScrollY()) - metrics_.HalfHeight);
    visibleRange_.FirstCol = SatFromDouble(std::ceil(std::max(f.X, 0.0)));
    visibleRange_.FirstRow = SatFromDouble(std::ceil(std::max(f.Y, 0.0)));
    const HexPointF g = PixelToCellF(double(viewRect_.Right) + metrics_.HalfWidth,
                                     double(viewRect_.Bottom) + metrics_.HalfHeight);
    visibleRange_.LastCol = SatFromDouble(std::floor(std::min(g.X, double(colCount_) - 1)));
    visibleRange_.LastRow = SatFromDouble(std::floor(std::min(g.Y, double(rowCount_) - 1)));

    drawRange_.FirstCol = SaturateInt((long long)visibleRange_.FirstCol - extraCols_);
    drawRange_.FirstRow = SaturateInt((long long)visibleRange_.FirstRow - extraRows_);
    drawRange_.LastCol = SaturateInt((long long)visibleRange_.LastCol + extraCols_);
    drawRange_.LastRow = SaturateInt((long long)visibleRange_.LastRow + extraRows_);

    // A map smaller than the view is centred in it; the odd pixel goes right.
    const long long viewW = (long long)viewRect_.Right - viewRect_.Left;
    const long long viewH = (long long)viewRect_.Bottom - viewRect_.Top;
    const long long mapW = MapWidth();
    const long long mapH = MapHeight();
    offsetX_ = mapW >= viewW ? 0 : SaturateInt((viewW - mapW) / 2);
    offsetY_ = mapH >= viewH ? 0 : SaturateInt((viewH - mapH) / 2);

    bitmapWidth_ = SaturateInt(std::max<long long>(viewW + 2LL * hexSize_ + 1, 0));
    bitmapHeight_ = SaturateInt(std::max<long long>(viewH + 4LL * metrics_.HalfHeight + 1, 0));

    if (OnRangesChanged)
        OnRangesChanged();
}

plat::TPoint HexMapGeometry::CellCenter(int Col, int Row) const
{
    return {SaturateInt((long long)Col * metrics_.ColPitch + metrics_.HalfWidth + margin_),
            SaturateInt((long long)Row * metrics_.HalfHeight + metrics_.HalfHeight + margin_)};
}

plat::TPoint HexMapGeometry::CellCenterOnBitmap(int Col, int Row) const
{
    return {SaturateInt((long long)Col * metrics_.ColPitch + metrics_.HalfWidth + margin_
                + offsetX_ + hexSize_ - ScrollX()),
            SaturateInt((long long)Row * metrics_.HalfHeight + metrics_.HalfHeight + margin_
                + offsetY_ + 2LL * metrics_.HalfHeight - ScrollY())};
}

HexPointF HexMapGeometry::PixelToCellF(double X, double Y) const
{
    return {(X - metrics_.HalfWidth - margin_) / metrics_.ColPitch,
            (Y - metrics_.HalfHeight - margin_) / metrics_.HalfHeight};
}

int HexMapGeometry::MapWidth() const
{
    return SaturateInt((long long)colCount_ * metrics_.ColPitch + metrics_.QuarterWidth + 2LL * margin_);
}

int HexMapGeometry::MapHeight() const
{
    return SaturateInt(((long long)rowCount_ + 1) * metrics_.HalfHeight + 2LL * margin_);
}

plat::TPoint HexMapGeometry::HexAtPoint(int X, int Y) const
{
    const long long x = (long long)X + ScrollX() - margin_ - offsetX_;
    const long long y = (long long)Y + ScrollY() - margin_ - offsetY_;
    const long long q = metrics_.QuarterWidth;
    const long long c = x / metrics_.ColPitch;
    const long long cr = x % metrics_.ColPitch;
    const long long r = y / metrics_.HalfHeight;
    const long long rr = y % metrics_.HalfHeight;
    const long long odd = firstOdd_ ? 1 : 0;

    // Within the first QuarterWidth pixels of a column band the slanted
    // edge decides between this column and the previous one. When (c, r)
    // is no cell, (c, r - 1) is, and the edge runs down and to the right.
    const double slope = double(q) / double(metrics_.HalfHeight);
    const double boundary = (((c + r) & 1) ^ odd) != 0 ? double(rr) * slope
                                                        : double(q) - double(rr) * slope;
    const long long col = double(cr) >= boundary ? c : c - 1;
    long long row;
    if (((col & 1) ^ odd) == 1)
        row = (r & 1) ? r : r - 1;   // this column's cells are on odd rows
    else
        row = (r & 1) ? r - 1 : r;
    return {SaturateInt(col), SaturateInt(row)};
}

std::array<plat::TPoint, 7> HexMapGeometry::HexOutline(int X, int Y) const
{
    // In 64 bits, then saturated: a centre near the int range must not wrap.
    struct Wide {
        long long X, Y;
    };
    const auto wide = HexOutlineAround<Wide, long long>(X, Y, metrics_.QuarterWidth,
                                                        metrics_.HalfWidth, metrics_.HalfHeight);
    std::array<plat::TPoint, 7> out;
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = {SaturateInt(wide[i].X), SaturateInt(wide[i].Y)};
    return out;
}

} // namespace tolv
