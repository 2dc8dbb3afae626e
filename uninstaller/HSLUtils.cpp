#include "uninstaller/HSLUtils.h"

#include <algorithm>
#include <cmath>

namespace uninst {

namespace {

// Lightness beyond the scale (a colour shaded by less than the 10 steps
// ShadeColor adds) gives channels above 255: they are held at 255 instead
// of losing their high bits, which would turn near-white into near-black.
int ToChannel(double v)
{
    return std::clamp(int(std::nearbyint(v * 255)), 0, 255);
}

} // namespace

int HueToChannel(double h, double m1, double m2)
{
    if (h < 0)
        h += 1;
    else if (h > 1)
        h -= 1;
    double v;
    if (6 * h < 1)
        v = m1 + (m2 - m1) * h * 6;
    else if (2 * h < 1)
        v = m2;
    else if (3 * h < 2)
        v = m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
    else
        v = m1;
    return ToChannel(v);
}

plat::TColor HslToColor(double H, double S, double L)
{
    if (S == 0) {
        const int v = ToChannel(L);
        return plat::RGB(v, v, v);
    }
    const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    const double m1 = 2 * L - m2;
    return plat::RGB(HueToChannel(H + 1.0 / 3.0, m1, m2), HueToChannel(H, m1, m2),
                     HueToChannel(H - 1.0 / 3.0, m1, m2));
}

plat::TColor HslRangeToColor(int H, int S, int L)
{
    return HslToColor(double(H) / (HslScale - 1), double(S) / HslScale, double(L) / HslScale);
}

Hsl ColorToHsl(plat::TColor rgb)
{
    const double r = plat::GetRValue(rgb) / 255.0;
    const double g = plat::GetGValue(rgb) / 255.0;
    const double b = plat::GetBValue(rgb) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    Hsl out;
    out.L = (max + min) / 2;
    if (max == min)
        return out;
    const double d = max - min;
    out.S = out.L < 0.5 ? d / (max + min) : d / (2 - max - min);
    if (r == max)
        out.H = (g - b) / d;
    else if (g == max)
        out.H = 2 + (b - r) / d;
    else
        out.H = 4 + (r - g) / d;
    out.H /= 6;
    if (out.H < 0)
        out.H += 1;
    return out;
}

HslRange ColorToHslRange(plat::TColor rgb)
{
    const Hsl hsl = ColorToHsl(rgb);
    return {int(std::nearbyint((HslScale - 1) * hsl.H)), int(std::nearbyint(HslScale * hsl.S)),
            int(std::nearbyint(HslScale * hsl.L))};
}

} // namespace uninst
