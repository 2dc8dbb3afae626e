#include "platform/PictureBlit.h"

#include "TestDibs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace plat {
namespace {

using test::DibOf;

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
    // A header claiming INT_MIN rows (top-down) has no pixels for them.
    plat::Dib tall = dib;
    tall.info.biHeight = INT_MIN;
    EXPECT_EQ(plat::WholeDib(tall), (plat::TRect{0, 0, 2, INT_MAX}));
    StretchBlit(bmp, plat::TRect{0, 0, 4, 4}, tall, BlitOp::Copy);
    EXPECT_EQ(bmp.pixel(0, 0), plat::clWhite);
}

// The canvas stretches into 32-bit memory images through the same rule: the
// pixels are those of a 24-bit bitmap, and a copy sets the unused fourth
// byte while AND leaves it.
TEST(PictureBlit, FourBytePixelRowsGetTheSamePixels)
{
    const plat::Dib dib = DibOf(5, 3, [](int x, int y) { return plat::RGB(40 * x + 1, 70 * y + 2, 13 * x * y + 3); });
    const plat::TRect dest{-1, 1, 9, 7}, source{1, 0, 5, 3}, clip{0, 0, 7, 6};
    for (BlitOp op : {BlitOp::Copy, BlitOp::And}) {
        SCOPED_TRACE(op == BlitOp::Copy ? "copy" : "and");
        plat::Bitmap bmp(8, 8);
        bmp.fill(plat::RGB(0xF0, 0x3C, 0xAA));
        StretchBlit(bmp, dest, dib, source, op, clip);
        constexpr int W = 8, H = 8, Stride = 4 * W + 8;   // rows padded beyond the pixels
        std::vector<std::uint8_t> rows(std::size_t(Stride) * H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                std::uint8_t* p = rows.data() + y * Stride + 4 * x;
                p[0] = 0xAA, p[1] = 0x3C, p[2] = 0xF0, p[3] = 0x5A;
            }
        StretchBlit(PixelRows{rows.data(), W, H, Stride, 4}, dest, dib, source, op, clip);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                SCOPED_TRACE(testing::Message() << x << "," << y);
                const std::uint8_t* p = rows.data() + y * Stride + 4 * x;
                EXPECT_EQ(plat::RGB(p[2], p[1], p[0]), bmp.pixel(x, y));
                const bool drawn = bmp.pixel(x, y) != plat::RGB(0xF0, 0x3C, 0xAA);
                EXPECT_EQ(p[3], drawn && op == BlitOp::Copy ? 0xFF : 0x5A);
            }
    }
}

} // namespace
} // namespace plat
