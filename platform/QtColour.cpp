#include "platform/QtColour.h"

namespace plat {

QColor ToQColor(TColor c)
{
    if (c == clNone)
        return QColor(0, 0, 0, 0);
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace plat
