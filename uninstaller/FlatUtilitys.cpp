#include "uninstaller/FlatUtilitys.h"

#include "uninstaller/HSLUtils.h"

#include <algorithm>

namespace uninst {

plat::TColor ShadeColor(plat::TColor base, plat::TColor fallback, std::uint8_t amount, bool darker)
{
    if (amount == 0)
        return fallback;
    HslRange hsl = ColorToHslRange(plat::ColorToRGB(base));
    hsl.L += 10;
    hsl.L = darker ? std::max(hsl.L - amount, 0) : std::min(hsl.L + amount, 100);
    return HslRangeToColor(hsl.H, hsl.S, hsl.L);
}

} // namespace uninst
