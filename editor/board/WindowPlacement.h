#pragma once
// The main window's placement from the profile, fitted onto the screens
// there are now: a profile written on another desk must not leave the
// window out of reach.
#include <vector>

namespace tolv {

// Window placement: left, top, width, height in screen pixels.
struct WinRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    // 64 bits: profile values near the integer limits must not wrap.
    long long Right() const { return (long long)Left + Width; }
    long long Bottom() const { return (long long)Top + Height; }
    bool operator==(const WinRect&) const = default;
};
constexpr int MinUsableWidth = 320;
constexpr int MinUsableHeight = 240;

// A placement that is tiny gets defaultSize's width and height; one that lies
// off every screen (too little of it visible, or its title above the screen)
// is moved onto the screen it overlaps most (else the first), shrunk to fit;
// so is one larger than all screens together.
// screens are the available work areas, the primary first. A usable placement
// comes back unchanged.
WinRect FitOnScreens(WinRect r, const std::vector<WinRect>& screens, WinRect defaultSize);

} // namespace tolv
