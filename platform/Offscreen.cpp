#include "platform/Offscreen.h"

#include "platform/QtColour.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace plat {

namespace {

QRgb Rgb(TColor c)
{
    return ToQColor(c).rgb() | 0xFF000000u;
}

void FillArea(QImage& img, const QRect& r, QRgb value)
{
    const QRect a = r.intersected(img.rect());
    if (a.isEmpty())
        return;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y)) + a.left();
        std::fill(line, line + a.width(), value);
    }
}

} // namespace

Offscreen::Offscreen() : Offscreen(0, 0) {}

Offscreen::Offscreen(int width, int height)
    : image_(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32)
{
    image_.fill(0xFFFFFFFFu);
    Rebind();
}

void Offscreen::Rebind()
{
    canvas_.End();
    if (!image_.isNull())
        canvas_.Begin(&image_);
}

void Offscreen::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == image_.width() && height == image_.height())
        return;
    canvas_.End();
    QImage next(width, height, QImage::Format_RGB32);
    if (!next.isNull()) {
        next.fill(0xFFFFFFFFu);
        const int w = std::min(width, image_.width());
        const int h = std::min(height, image_.height());
        for (int y = 0; y < h; ++y)
            std::memcpy(next.scanLine(y), image_.constScanLine(y), std::size_t(w) * 4);
    }
    image_ = std::move(next);
    Rebind();
}

void Offscreen::Fill(TColor colour)
{
    if (image_.isNull())
        return;
    const uchar* before = image_.constBits();
    image_.fill(Rgb(colour));
    if (image_.constBits() != before)
        Rebind();   // the image was shared and detached: paint the new pixels
}

void Offscreen::Shift(int dx, int dy, TColor fill, const TRect& from)
{
    if (image_.isNull())
        return;
    const uchar* before = image_.constBits();
    const QRgb value = Rgb(fill);
    const QRect bounds = image_.rect();
    QRect src = QRect(from.Left, from.Top, from.Right - from.Left, from.Bottom - from.Top)
                    .intersected(bounds);
    const QRect dst = src.translated(dx, dy).intersected(bounds);
    if (dst.isEmpty()) {
        image_.fill(value);
    } else {
        src = dst.translated(-dx, -dy);
        const std::size_t bytes = std::size_t(dst.width()) * 4;
        const int stride = int(image_.bytesPerLine());
        uchar* bits = image_.bits();
        auto row = [&](int y) {
            std::memmove(bits + std::size_t(dst.top() + y) * stride + std::size_t(dst.left()) * 4,
                         bits + std::size_t(src.top() + y) * stride + std::size_t(src.left()) * 4,
                         bytes);
        };
        // Overlapping rows: copy away from the direction of the move.
        if (dx == 0 && dy == 0) {
        } else if (dy > 0) {
            for (int y = dst.height() - 1; y >= 0; --y)
                row(y);
        } else {
            for (int y = 0; y < dst.height(); ++y)
                row(y);
        }
        FillArea(image_, QRect(0, 0, bounds.width(), dst.top()), value);
        FillArea(image_, QRect(0, dst.bottom() + 1, bounds.width(), bounds.height()), value);
        FillArea(image_, QRect(0, dst.top(), dst.left(), dst.height()), value);
        FillArea(image_, QRect(dst.right() + 1, dst.top(), bounds.width(), dst.height()), value);
    }
    if (image_.constBits() != before)
        Rebind();
}

TColor Offscreen::Pixel(int x, int y) const
{
    if (!image_.rect().contains(x, y))
        return clBlack;
    const QRgb p = image_.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

} // namespace plat
