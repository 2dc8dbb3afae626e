#pragma once
// The nearest-pixel stretch of a DIB rectangle onto pixels, on the plain
// buffers, row by row: the one rule behind the canvas's StretchDIBits on
// memory images and the board output's picture tiles. Deterministic (no
// device, no smoothing) and fast enough for thousands of hexagons per tile.
#include "platform/Bitmap.h"
#include "platform/Geometry.h"

#include <cstddef>
#include <cstdint>

namespace plat {

enum class BlitOp {
    Copy,   // the source replaces the destination
    And,    // destination AND source: white source pixels leave what lies below
};

// Pixel rows to draw on, top-down: 3 bytes a pixel (B, G, R), or 4 (B, G,
// R and an unused byte that a copy sets to 0xFF).
struct PixelRows {
    std::uint8_t* Bits = nullptr;
    int Width = 0, Height = 0;
    std::ptrdiff_t Stride = 0;   // bytes from one row to the next
    int BytesPerPixel = 3;
};

// The rows of a DIB that can be drawn: those of an uncompressed 24-bit DIB
// whose pixels are all there, whichever way its rows run; 0 for any other.
int DibRowCount(const Dib& source);

// Stretches the source rectangle of the DIB (coordinates of the DIB, whose
// origin is its lower-left corner) into the destination rectangle. Pixels
// outside the target or the clip are cut off; where the source rectangle
// reaches beyond the DIB, the destination is left alone. Destination pixel
// (x, y) takes source column XSrc + ((2 dx + 1) SrcWidth) div (2 DestWidth)
// with dx = x - dest.Left, rows alike counted from the rectangle's top, so
// each takes the source pixel under its centre. Only an uncompressed 24-bit
// DIB is drawn; any other, or an empty rectangle, draws nothing.
void StretchBlit(const PixelRows& target, const TRect& dest, const Dib& source, const TRect& sourceRect,
                 BlitOp op, const TRect& clip);

// The same on a bitmap, which must be 24-bit (any other is left alone); it
// gets a new identity only when a pixel is drawn.
void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, const TRect& sourceRect, BlitOp op);
void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, const TRect& sourceRect, BlitOp op,
                 const TRect& clip);

// All of a DIB as a source rectangle, whichever way its rows run.
TRect WholeDib(const Dib& source);

// The whole DIB into the destination rectangle (inside clip).
void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, BlitOp op);
void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, BlitOp op, const TRect& clip);

// Pixel rows from..to - 1 of a 24-bit bitmap made white (cut to the bitmap).
void ClearRows(Bitmap& target, int from, int to);
// A rectangle of a 24-bit bitmap made white (cut to the bitmap).
void ClearRect(Bitmap& target, const TRect& rect);

// The DIB stretched once to width x height (bottom-up, 24 bits), so that
// many copies of that size need no stretching: copying the result 1:1 gives
// the same pixels as stretching the source each time. Empty for an empty size.
Dib ScaledDib(const Dib& source, int width, int height);

} // namespace plat
