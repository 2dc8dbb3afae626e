#include "output/PictureBlit.h"

#include "OutputFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolv {
namespace {

using outtest::DibOf;

plat::TColor Quadrant(int x, int y)
{
    static const plat::TColor q[2][2] = {{plat::RGB(255, 0, 0), plat::RGB(0, 255, 0)},
                                         {plat::RGB(0, 0, 255), plat::RGB(255, 255, 0)}};
    return q[y][x];
}

TEST(PictureBlit, CopyStretchesNearestPixelsTheRightWayUp)
{
    const plat::Dib dib = DibOf(2, 2, Quadrant);
    plat::Bitmap bmp(6, 6);
    StretchBlit(bmp, plat::TRect{1, 1, 5, 5}, dib, BlitOp::Copy);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(bmp.pixel(x, y), inside ? Quadrant((x - 1) / 2, (y - 1) / 2) : plat::clWhite);
        }
}

TEST(PictureBlit, AndKeepsWhatLiesBelowWhitePixels)
{
    const plat::Dib white = DibOf(3, 3, [](int, int) { return plat::clWhite; });
    const plat::Dib yellow = DibOf(3, 3, [](int, int) { return plat::RGB(255, 255, 0); });
    const plat::Dib cyan = DibOf(3, 3, [](int, int) { return plat::RGB(0, 255, 255); });
    plat::Bitmap bmp(8, 4);
    StretchBlit(bmp, plat::TRect{0, 0, 5, 4}, yellow, BlitOp::And);
    StretchBlit(bmp, plat::TRect{3, 0, 8, 4}, cyan, BlitOp::And);
    StretchBlit(bmp, plat::TRect{0, 0, 8, 4}, white, BlitOp::And);
    EXPECT_EQ(bmp.pixel(1, 1), plat::RGB(255, 255, 0));
    EXPECT_EQ(bmp.pixel(3, 1), plat::RGB(0, 255, 0));   // the overlap: the darker mix
    EXPECT_EQ(bmp.pixel(4, 3), plat::RGB(0, 255, 0));
    EXPECT_EQ(bmp.pixel(6, 2), plat::RGB(0, 255, 255));
}

TEST(PictureBlit, ClippedToTheBitmapOnEverySide)
{
    const plat::Dib dib = DibOf(2, 2, Quadrant);
    plat::Bitmap bmp(4, 4);
    // A 4 x 4 stretch whose top-left quarter lies outside the bitmap.
    StretchBlit(bmp, plat::TRect{-2, -2, 2, 2}, dib, BlitOp::Copy);
    EXPECT_EQ(bmp.pixel(0, 0), Quadrant(1, 1));
    EXPECT_EQ(bmp.pixel(1, 1), Quadrant(1, 1));
    EXPECT_EQ(bmp.pixel(2, 0), plat::clWhite);
    EXPECT_EQ(bmp.pixel(0, 2), plat::clWhite);
    StretchBlit(bmp, plat::TRect{3, 3, 7, 7}, dib, BlitOp::Copy);
    EXPECT_EQ(bmp.pixel(3, 3), Quadrant(0, 0));
    // Wholly outside, or empty: nothing happens.
    plat::Bitmap clean(4, 4);
    StretchBlit(clean, plat::TRect{-9, 0, -4, 4}, dib, BlitOp::Copy);
    StretchBlit(clean, plat::TRect{0, 0, 0, 4}, dib, BlitOp::Copy);
    StretchBlit(clean, plat::TRect{4, 4, 0, 0}, dib, BlitOp::Copy);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(clean.pixel(x, y), plat::clWhite);
}

TEST(PictureBlit, SourceRectangleCountsFromTheLowerLeftCorner)
{
    // 4 x 4 picture; columns and rows numbered into the colour.
    const plat::Dib dib = DibOf(4, 4, [](int x, int y) { return plat::RGB(x * 10, y * 10, 0); });
    plat::Bitmap bmp(2, 2);
    // Source (1, 0, 3, 2): the lower two picture rows, columns 1 and 2.
    StretchBlit(bmp, plat::TRect{0, 0, 2, 2}, dib, plat::TRect{1, 0, 3, 2}, BlitOp::Copy);
    EXPECT_EQ(bmp.pixel(0, 0), plat::RGB(10, 20, 0));
    EXPECT_EQ(bmp.pixel(1, 1), plat::RGB(20, 30, 0));
    // A source reaching beyond the picture leaves those pixels alone.
    plat::Bitmap wide(4, 1);
    StretchBlit(wide, plat::TRect{0, 0, 4, 1}, dib, plat::TRect{2, 3, 6, 4}, BlitOp::Copy);
    EXPECT_EQ(wide.pixel(0, 0), plat::RGB(20, 0, 0));
    EXPECT_EQ(wide.pixel(1, 0), plat::RGB(30, 0, 0));
    EXPECT_EQ(wide.pixel(2, 0), plat::clWhite);
}

TEST(PictureBlit, ShrinksToEveryOtherPixel)
{
    const plat::Dib dib = DibOf(8, 1, [](int x, int) { return plat::RGB(x, 0, 0); });
    plat::Bitmap bmp(4, 1);
    StretchBlit(bmp, plat::TRect{0, 0, 4, 1}, dib, BlitOp::Copy);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(bmp.pixel(x, 0), plat::RGB(2 * x + 1, 0, 0));
}

TEST(PictureBlit, OtherFormatsAreLeftAlone)
{
    const plat::Dib dib = DibOf(2, 2, Quadrant);
    plat::Bitmap pal(4, 4, plat::PixelFormat::pf8bit);
    const plat::TColor before = pal.pixel(0, 0);
    StretchBlit(pal, plat::TRect{0, 0, 4, 4}, dib, BlitOp::Copy);
    EXPECT_EQ(pal.pixel(0, 0), before);
    plat::Dib broken = dib;
    broken.bits.resize(3);
    plat::Bitmap bmp(4, 4);
    StretchBlit(bmp, plat::TRect{0, 0, 4, 4}, broken, BlitOp::Copy);
    EXPECT_EQ(bmp.pixel(0, 0), plat::clWhite);
}

} // namespace
} // namespace tolv
