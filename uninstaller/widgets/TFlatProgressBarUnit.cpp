#include "uninstaller/widgets/TFlatProgressBarUnit.h"

#include "platform/QtColour.h"
#include "uninstaller/FlatUtilitys.h"

#include <QEvent>
#include <QPaintEvent>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace uninst {

namespace {

constexpr int kMinBlockLength = 12;

bool IsVertical(TProgressBarOrientation o)
{
    return o == TProgressBarOrientation::pbVertical;
}

} // namespace

int SnappedLength(int length, int blockWidth)
{
    if (length < kMinBlockLength)
        return kMinBlockLength;
    return (blockWidth + 1) * ((length - 3) / (blockWidth + 1)) + 3;
}

std::vector<plat::TRect> ElementRects(const BarLayout& b)
{
    std::vector<plat::TRect> out;
    const int W = b.Width, H = b.Height;
    const bool vertical = IsVertical(b.Orientation);
    // An empty range has nothing to show; the division below would be by zero.
    if (b.Max <= b.Min)
        return out;
    if (b.Smooth) {
        const std::int64_t inner = std::max((vertical ? H : W) - 4, 0);
        const int length = int(inner * (std::int64_t(b.Position) - b.Min) / (std::int64_t(b.Max) - b.Min));
        if (length <= 0)
            return out;
        if (vertical)
            out.push_back({2, H - 2 - length, W - 2, H - 2});
        else
            out.push_back({2, 2, 2 + length, H - 2});
        return out;
    }
    const int pitch = b.BlockWidth + 1;
    const int total = ((vertical ? H : W) - 3) / pitch;
    // A bar too short for one block fills nothing (it is snapped to 12 on paint).
    if (total <= 0)
        return out;
    // The small epsilon fills a block whose boundary the position meets
    // exactly despite rounding in the division. A wide counter: long bars
    // hold more than 255 blocks.
    const long double perBlock = (static_cast<long double>(b.Max) - b.Min) / total;
    long long filled = static_cast<long long>((static_cast<long double>(b.Position) - b.Min) / perBlock + 1e-8L);
    filled = std::min<long long>(filled, total);
    plat::TRect r;
    int dx = 0, dy = 0;
    if (vertical) {
        r = {2, H - 2 - b.BlockWidth, W - 2, H - 2};
        dy = -pitch;
    } else if (b.BiDiMode == TBiDiMode::bdRightToLeft) {
        r = {W - 2 - b.BlockWidth, 2, W - 2, H - 2};
        dx = -pitch;
    } else {
        r = {2, 2, 2 + b.BlockWidth, H - 2};
        dx = pitch;
    }
    for (long long i = 0; i < filled; ++i) {
        out.push_back(r);
        r.Left += dx;
        r.Right += dx;
        r.Top += dy;
        r.Bottom += dy;
    }
    return out;
}

TFlatProgressBar::TFlatProgressBar(QWidget* parent) : QWidget(parent)
{
    resize(147, 16);
}

BarLayout TFlatProgressBar::Layout() const
{
    return BarLayout{width(), height(), smooth_, orientation_, biDiMode_, blockWidth_, position_, min_, max_};
}

void TFlatProgressBar::SetTransparent(bool v)
{
    if (v != transparent_) {
        transparent_ = v;
        update();
    }
}

void TFlatProgressBar::SetSmooth(bool v)
{
    if (v != smooth_) {
        smooth_ = v;
        update();
    }
}

void TFlatProgressBar::SetUseAdvColors(bool v)
{
    if (v == useAdvColors_)
        return;
    useAdvColors_ = v;
    parentColor_ = v;
    RefreshAdvColors();
    update();
}

void TFlatProgressBar::SetAdvColorBorder(int v)
{
    v = std::clamp(v, 0, 100);
    if (v == advColorBorder_)
        return;
    advColorBorder_ = v;
    RefreshAdvColors();
    update();
}

void TFlatProgressBar::SetOrientation(TProgressBarOrientation v)
{
    if (v == orientation_)
        return;
    orientation_ = v;
    setGeometry(x(), y(), height(), width());
    update();
}

void TFlatProgressBar::SetBiDiMode(TBiDiMode v)
{
    if (v != biDiMode_) {
        biDiMode_ = v;
        update();
    }
}

void TFlatProgressBar::SetColors(int index, plat::TColor value)
{
    if (index < 0 || index > 1 || colors_[index] == value)
        return;
    colors_[index] = value;
    update();
}

plat::TColor TFlatProgressBar::Color() const
{
    return parentColor_ ? plat::FromQColor(palette().color(QPalette::Window)) : color_;
}

void TFlatProgressBar::SetColor(plat::TColor v)
{
    color_ = v;
    parentColor_ = false;
    RefreshAdvColors();
    update();
}

void TFlatProgressBar::SetParentColor(bool v)
{
    if (v != parentColor_) {
        parentColor_ = v;
        RefreshAdvColors();
        update();
    }
}

void TFlatProgressBar::SetPosition(int v)
{
    v = std::max(std::min(v, max_), min_);
    if (v == position_)
        return;
    const bool grows = v > position_;
    position_ = v;
    if (!grows || !isVisible()) {
        update();
        return;
    }
    // Only the filled part is painted, and at once: the run that moves the
    // bar processes no window messages meanwhile.
    QRegion filled;
    for (const auto& r : ElementRects(Layout()))
        filled += QRect(r.Left, r.Top, r.Width(), r.Height());
    if (!filled.isEmpty())
        repaint(filled);
}

void TFlatProgressBar::SetMin(int v)
{
    if (v != min_) {
        min_ = v;
        update();
    }
}

void TFlatProgressBar::SetMax(int v)
{
    if (v == max_)
        return;
    if (v < position_)
        position_ = v;
    max_ = v;
    update();
}

void TFlatProgressBar::SetStep(int v)
{
    if (v != step_) {
        step_ = v;
        update();
    }
}

void TFlatProgressBar::RefreshAdvColors()
{
    if (useAdvColors_)
        colors_[1] = ShadeColor(Color(), colors_[1], std::uint8_t(advColorBorder_), true);
}

void TFlatProgressBar::SnapToBlocks()
{
    if (IsVertical(orientation_)) {
        const int h = SnappedLength(height(), blockWidth_);
        if (h != height())
            resize(width(), h);
    } else {
        const int w = SnappedLength(width(), blockWidth_);
        if (w != width())
            resize(w, height());
    }
}

void TFlatProgressBar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The parent's or the system's colours changed: the derived frame follows.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
        if (useAdvColors_) {
            parentColor_ = true;
            RefreshAdvColors();
        }
        update();
    }
}

void TFlatProgressBar::paintEvent(QPaintEvent*)
{
    if (!smooth_)
        SnapToBlocks();
    plat::Canvas canvas(this);
    const plat::TRect r{0, 0, width(), height()};
    canvas.Brush = plat::TBrush{Color(), plat::bsSolid};
    if (!transparent_)
        canvas.FillRect(r);
    // A one-pixel brush frame.
    canvas.Brush = plat::TBrush{ColorBorder(), plat::bsSolid};
    canvas.FillRect({r.Left, r.Top, r.Right, r.Top + 1});
    canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
    canvas.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom});
    canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
    PaintElements(canvas);
}

void TFlatProgressBar::PaintElements(plat::Canvas& canvas)
{
    canvas.Brush = plat::TBrush{ColorElement(), plat::bsSolid};
    for (const auto& r : ElementRects(Layout()))
        canvas.FillRect(r);
}

} // namespace uninst
