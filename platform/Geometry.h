#pragma once
// Points, sizes and rectangles of the whole product, in whatever unit the
// caller counts (device pixels, map pixels, 1/10 mm, the PDF writer's
// length unit). A range of map cells is not a rectangle: its bounds are
// both included, and it has a type of its own beside the map geometry.
namespace plat {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and Bottom are one past the last pixel (or the far edge).
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace plat
