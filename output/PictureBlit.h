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
void StretchBlit(plat::Bitmap& target, const TileRect& dest, const plat::Dib& source,
                 const TileRect& sourceRect, BlitOp op);

// The whole DIB into the destination rectangle.
void StretchBlit(plat::Bitmap& target, const TileRect& dest, const plat::Dib& source, BlitOp op);

} // namespace tolv
