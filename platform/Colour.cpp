#include "platform/Colour.h"

#include <array>

namespace plat {

namespace {

// The classic ("Windows Standard") scheme, indexed by system colour number.
constexpr std::array<TColor, 31> kSystemColours = {
    RGB(192, 192, 192),   //  0 scroll bar
    RGB(0, 128, 128),     //  1 desktop
    RGB(0, 0, 128),       //  2 active caption
    RGB(128, 128, 128),   //  3 inactive caption
    RGB(192, 192, 192),   //  4 menu
    RGB(255, 255, 255),   //  5 window
    RGB(0, 0, 0),         //  6 window frame
    RGB(0, 0, 0),         //  7 menu text
    RGB(0, 0, 0),         //  8 window text
    RGB(255, 255, 255),   //  9 caption text
    RGB(192, 192, 192),   // 10 active border
    RGB(192, 192, 192),   // 11 inactive border
    RGB(128, 128, 128),   // 12 application workspace
    RGB(0, 0, 128),       // 13 highlight
    RGB(255, 255, 255),   // 14 highlight text
    RGB(192, 192, 192),   // 15 button face
    RGB(128, 128, 128),   // 16 button shadow
    RGB(128, 128, 128),   // 17 grey text
    RGB(0, 0, 0),         // 18 button text
    RGB(192, 192, 192),   // 19 inactive caption text
    RGB(255, 255, 255),   // 20 button highlight
    RGB(0, 0, 0),         // 21 3D dark shadow
    RGB(192, 192, 192),   // 22 3D light
    RGB(0, 0, 0),         // 23 tooltip text
    RGB(255, 255, 225),   // 24 tooltip background
    RGB(0, 0, 0),         // 25 (unused)
    RGB(0, 0, 128),       // 26 hot-tracked item
    RGB(16, 132, 208),    // 27 active caption gradient
    RGB(181, 181, 181),   // 28 inactive caption gradient
    RGB(0, 0, 128),       // 29 menu highlight
    RGB(192, 192, 192),   // 30 menu bar
};

} // namespace

TColor ColorToRGB(TColor c)
{
    if (c < 0) {
        const unsigned index = unsigned(c) & 0xFFu;
        return index < kSystemColours.size() ? kSystemColours[index] : clBlack;
    }
    return c & 0x00FFFFFF;
}

} // namespace plat
