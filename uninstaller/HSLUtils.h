#pragma once
// Conversions between 0x00BBGGRR colours and hue, saturation, lightness:
// as doubles in 0..1, or as integers on the scale 0..HslScale - 1 (hue) and
// 0..HslScale (saturation, lightness).
#include "platform/Colour.h"

namespace uninst {

constexpr int HslScale = 240;

// One channel 0..255 of the hue h between m1 and m2.
int HueToChannel(double h, double m1, double m2);
plat::TColor HslToColor(double H, double S, double L);
plat::TColor HslRangeToColor(int H, int S, int L);

struct Hsl {
    double H = 0, S = 0, L = 0;
};
struct HslRange {
    int H = 0, S = 0, L = 0;
    friend bool operator==(const HslRange&, const HslRange&) = default;
};
// Only the low byte of each channel counts.
Hsl ColorToHsl(plat::TColor rgb);
HslRange ColorToHslRange(plat::TColor rgb);

} // namespace uninst
