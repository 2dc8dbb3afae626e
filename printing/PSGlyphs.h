#pragma once
// The toolbar's thirteen glyphs, drawn here in code: a 208 x 16 strip of
// 16 x 16 cells in button order from Print to Close, in a sixteen-colour
// palette on a transparent ground.
#include <QImage>

namespace printing {

inline constexpr int GlyphSize = 16;
inline constexpr int GlyphCount = 13;

// The strip (made once).
const QImage& GlyphStrip();
// Cell k of the strip, 0..12.
QImage Glyph(int k);

} // namespace printing
