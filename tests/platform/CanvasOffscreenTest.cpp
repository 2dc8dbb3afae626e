// The off-screen bitmap: resizing keeps its top-left picture and the
// canvas's tools, shifting scrolls the picture.
#include "platform/Offscreen.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace plat;

namespace {

class OffscreenTest : public ::testing::Test {
protected:
    void SetUp() override { tolv::test::EnsureApplication(); }
};

} // namespace

TEST_F(OffscreenTest, ResizeKeepsTopLeftContentAndTheCanvasTools)
{
    Offscreen off(4, 3);
    EXPECT_EQ(off.Pixel(0, 0), clWhite);
    off.Fill(clRed);
    Canvas& c = off.canvas();
    c.Pen.Color = clBlue;
    c.Brush.Color = clLime;
    c.SetBkMode(TRANSPARENT);

    off.SetSize(6, 2);
    EXPECT_EQ(off.Width(), 6);
    EXPECT_EQ(off.Height(), 2);
    EXPECT_EQ(off.Pixel(3, 1), clRed);
    EXPECT_EQ(off.Pixel(4, 0), clWhite);   // new pixels are white

    // The same canvas draws on the new picture with the tools set before.
    EXPECT_TRUE(c.Active());
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    c.MoveTo(0, 1);
    c.LineTo(6, 1);
    EXPECT_EQ(off.Pixel(5, 1), clBlue);

    off.SetSize(-5, 0);
    EXPECT_EQ(off.Width(), 0);
    c.FillRect({0, 0, 2, 2});   // nothing to draw on, and no crash
    off.SetSize(2, 2);
    EXPECT_EQ(off.Pixel(1, 1), clWhite);
}

TEST_F(OffscreenTest, ShiftMovesThePictureAndFillsTheRest)
{
    struct Case {
        const char* name;
        int dx, dy;
    };
    const Case cases[] = {{"right and down", 2, 1}, {"left and up", -3, -2}, {"still", 0, 0},
                          {"far away", 50, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Offscreen off(8, 6);
        // Every pixel carries its own position as its colour.
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                off.canvas().Brush.Color = RGB(x, y, 1);
                off.canvas().FillRect({x, y, x + 1, y + 1});
            }
        off.Shift(k.dx, k.dy, clYellow);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                const int sx = x - k.dx, sy = y - k.dy;
                const TColor want = sx >= 0 && sx < 8 && sy >= 0 && sy < 6 ? RGB(sx, sy, 1) : clYellow;
                ASSERT_EQ(off.Pixel(x, y), want) << x << "," << y;
            }
    }
}

TEST_F(OffscreenTest, ShiftTakesOnlyTheOldPictureAfterGrowing)
{
    // The view grew: the bitmap's new right and bottom parts held no
    // picture and become the fill colour, not white.
    Offscreen off(4, 4);
    off.Fill(clRed);
    off.SetSize(6, 6);
    off.Shift(1, 0, clBlue, {0, 0, 4, 4});
    EXPECT_EQ(off.Pixel(0, 0), clBlue);
    EXPECT_EQ(off.Pixel(1, 0), clRed);
    EXPECT_EQ(off.Pixel(4, 3), clRed);
    EXPECT_EQ(off.Pixel(5, 3), clBlue);
    EXPECT_EQ(off.Pixel(2, 4), clBlue);
}
