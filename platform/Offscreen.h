#pragma once
// An off-screen bitmap with a canvas that stays bound to it: the canvas's
// pen, brush, font and background mode survive resizing, as a memory
// bitmap's canvas keeps its tools when the bitmap changes size.
#include "platform/Canvas.h"
#include "platform/Colour.h"

#include <QImage>

namespace plat {

class Offscreen {
public:
    Offscreen();
    Offscreen(int width, int height);
    Offscreen(const Offscreen&) = delete;
    Offscreen& operator=(const Offscreen&) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }

    // Keeps the top-left content that still fits; new pixels are white.
    // Sizes below 0 count as 0.
    void SetSize(int width, int height);

    // The whole bitmap in one colour, whatever the canvas's clipping.
    void Fill(TColor colour);

    // Moves the pixels of `from` (clipped to the bitmap) by (dx, dy) and
    // fills everything they do not cover with `fill`: the picture of a
    // scrolled view, before the newly exposed cells are drawn.
    void Shift(int dx, int dy, TColor fill, const TRect& from);
    void Shift(int dx, int dy, TColor fill) { Shift(dx, dy, fill, {0, 0, Width(), Height()}); }

    Canvas& canvas() { return canvas_; }
    const QImage& Image() const { return image_; }
    TColor Pixel(int x, int y) const;   // 0x00BBGGRR; clBlack outside

private:
    void Rebind();

    QImage image_;
    Canvas canvas_;
};

} // namespace plat
