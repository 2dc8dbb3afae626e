#include "editor/board/WindowPlacement.h"

#include <algorithm>
#include <utility>

namespace tolv {

namespace {

// Width and height of the overlap of two rectangles (0 when apart).
std::pair<long long, long long> Overlap(const WinRect& a, const WinRect& b)
{
    const long long w = std::min(a.Right(), b.Right()) - std::max(a.Left, b.Left);
    const long long h = std::min(a.Bottom(), b.Bottom()) - std::max(a.Top, b.Top);
    return {std::max(w, 0LL), std::max(h, 0LL)};
}

bool Reachable(const WinRect& r, const WinRect& s)
{
    // Enough of the window to grab it, with its title bar not above the screen.
    const auto [w, h] = Overlap(r, s);
    return w >= std::min(100, r.Width) && h >= std::min(50, r.Height) && r.Top >= s.Top &&
           r.Top < s.Bottom();
}

// Left or top edge that keeps a length inside [lo, hi).
int ClampEdge(int edge, int length, int lo, long long hi)
{
    return int(std::max<long long>(lo, std::min<long long>(edge, hi - length)));
}

} // namespace

WinRect FitOnScreens(WinRect r, const std::vector<WinRect>& screens, WinRect defaultSize)
{
    if (r.Width < MinUsableWidth || r.Height < MinUsableHeight) {
        r.Width = defaultSize.Width;
        r.Height = defaultSize.Height;
    }
    if (screens.empty())
        return r;
    // A window larger than every screen together (a giant one cannot even be
    // drawn) is moved into them and then fitted onto one screen below.
    WinRect all = screens.front();
    long long allRight = all.Right(), allBottom = all.Bottom();
    for (const WinRect& s : screens) {
        all.Left = std::min(all.Left, s.Left);
        all.Top = std::min(all.Top, s.Top);
        allRight = std::max(allRight, s.Right());
        allBottom = std::max(allBottom, s.Bottom());
    }
    const long long allWidth = allRight - all.Left, allHeight = allBottom - all.Top;
    const bool oversized = r.Width > allWidth || r.Height > allHeight;
    if (oversized) {
        r.Width = int(std::min<long long>(r.Width, allWidth));
        r.Height = int(std::min<long long>(r.Height, allHeight));
        r.Left = ClampEdge(r.Left, r.Width, all.Left, allRight);
        r.Top = ClampEdge(r.Top, r.Height, all.Top, allBottom);
    }
    for (const WinRect& s : screens)
        if (!oversized && Reachable(r, s))
            return r;
    // Move it onto the screen it overlaps most, the primary one when none.
    const WinRect* target = &screens.front();
    long long best = 0;
    for (const WinRect& s : screens) {
        const auto [w, h] = Overlap(r, s);
        if (w * h > best) {
            best = w * h;
            target = &s;
        }
    }
    const WinRect& s = *target;
    r.Width = std::min(r.Width, s.Width);
    r.Height = std::min(r.Height, s.Height);
    r.Left = ClampEdge(r.Left, r.Width, s.Left, s.Right());
    r.Top = ClampEdge(r.Top, r.Height, s.Top, s.Bottom());
    return r;
}

} // namespace tolv
