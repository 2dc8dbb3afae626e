#pragma once
// Colour shading for the flat controls' derived frame colours.
#include "platform/Colour.h"

#include <cstdint>

namespace uninst {

// The base colour (system colours resolved) made `amount` steps of
// lightness (on the 0..240 scale) darker or lighter, after adding 10; amount
// 0 returns the fallback unchanged. Lighter stops at 100, darker at 0.
plat::TColor ShadeColor(plat::TColor base, plat::TColor fallback, std::uint8_t amount, bool darker);

} // namespace uninst
