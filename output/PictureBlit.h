#pragma once
// The picture copy of the tile outputs: a nearest-neighbour stretch of a
// rectangle of a bottom-up 24-bit DIB into a 24-bit bitmap, on the plain
// buffers, row by row. Deterministic (no device, no smoothing) and fast
// enough for thousands of hexagons per tile.
#include "output/TileGeometry.h"
#include "platform/Bitmap.h"

namespace tolv {

enum class BlitOp {
    Copy,   // the source replaces the destination
    And,    // destination AND source: white source pixels leave what lies below
};

// Stretches the source rectangle of the DIB (coordinates of the DIB, whose
// origin is its lower-left corner) into the destination rectangle of the
// bitmap. Pixels outside the bitmap are cut off; where the source rectangle
// reaches beyond the DIB, the destination is left alone. Destination pixel
// (x, y) takes source column XSrc + ((2 dx + 1) SrcWidth) div (2 DestWidth)
// with dx = x - dest.Left, rows alike counted from the rectangle's top.
// Only a 24-bit bitmap and an uncompressed 24-bit DIB are drawn; any other
// call, or an empty rectangle, does nothing.
void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source,
                 const plat::TRect& sourceRect, BlitOp op);
// The same, drawing only inside clip.
void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source,
                 const plat::TRect& sourceRect, BlitOp op, const plat::TRect& clip);

// All of a DIB as a source rectangle, whichever way its rows run.
plat::TRect WholeDib(const plat::Dib& source);

// The whole DIB into the destination rectangle (inside clip).
void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source, BlitOp op);
void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source, BlitOp op,
                 const plat::TRect& clip);

// Pixel rows from..to - 1 of a 24-bit bitmap made white (cut to the bitmap).
void ClearRows(plat::Bitmap& target, int from, int to);
// A rectangle of a 24-bit bitmap made white (cut to the bitmap).
void ClearRect(plat::Bitmap& target, const plat::TRect& rect);

// The DIB stretched once to width x height (bottom-up, 24 bits), so that
// many copies of that size need no stretching: copying the result 1:1 gives
// the same pixels as stretching the source each time. Empty for an empty size.
plat::Dib ScaledDib(const plat::Dib& source, int width, int height);

} // namespace tolv
