// The main window's placement fitted onto the screens there are.
#include "editor/board/WindowPlacement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace tolv;

namespace tolv {
void PrintTo(const WinRect& r, std::ostream* os)
{
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Width << ", " << r.Height << "}";
}
} // namespace tolv

namespace {

struct PlacementCase {
    const char* what;
    WinRect in, out;
};

TEST(Unit1Logic, PlacementMovedOntoScreen)
{
    const std::vector<WinRect> screens = {{0, 0, 1280, 1000}, {1280, 0, 1024, 768}};
    const WinRect def{393, 120, 726, 546};
    const PlacementCase cases[] = {
        {"usable", {393, 120, 726, 546}, {393, 120, 726, 546}},
        {"on the second screen", {1400, 100, 700, 500}, {1400, 100, 700, 500}},
        {"partly off to the right, still grabbable", {1180, 100, 726, 546}, {1180, 100, 726, 546}},
        {"far off to the left", {-5000, 100, 726, 546}, {0, 100, 726, 546}},
        {"far below", {100, 9000, 726, 546}, {100, 454, 726, 546}},
        {"title above the screen", {100, -40, 726, 546}, {100, 0, 726, 546}},
        {"tiny", {100, 100, 12, 8}, {100, 100, 726, 546}},
        {"tiny and off", {-900, -900, 0, 0}, {0, 0, 726, 546}},
        {"bigger than the screen", {50000, 50, 4000, 3000}, {0, 0, 1280, 1000}},
        {"mostly off the second screen", {2250, 700, 400, 300}, {1904, 468, 400, 300}},
        {"larger than both screens together", {393, 120, 100000, 100000}, {0, 0, 1280, 1000}},
        {"spanning both screens", {0, 0, 2304, 700}, {0, 0, 2304, 700}},
        {"at the integer limits", {2147483000, 2147483000, 2000000000, 2000000000},
         {0, 0, 1280, 1000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOnScreens(c.in, screens, def), c.out) << c.what;
}

} // namespace
