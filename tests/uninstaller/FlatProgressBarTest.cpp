// The flat progress bar's elements and painting, and the colour helpers.
#include "uninstaller/FlatUtilitys.h"
#include "uninstaller/HSLUtils.h"
#include "uninstaller/widgets/TFlatProgressBarUnit.h"

#include "platform/QtColour.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace uninst;
using plat::TRect;

namespace {

BarLayout Smooth(int position)
{
    BarLayout b;
    b.Smooth = true;
    b.Position = position;
    return b;
}

BarLayout Blocks(int position, int width = 147)
{
    BarLayout b;
    b.Width = width;
    b.Position = position;
    return b;
}

QImage Render(TFlatProgressBar& bar)
{
    QImage img(bar.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    // Without the window background: a transparent bar shows what lies below.
    bar.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

plat::TColor Pixel(const QImage& img, int x, int y)
{
    return plat::FromQColor(img.pixelColor(x, y));
}

} // namespace

TEST(FlatProgressBar, SmoothBarFillsItsShareOfTheInnerLength)
{
    EXPECT_EQ(ElementRects(Smooth(50)), (std::vector<TRect>{{2, 2, 73, 14}}));
    EXPECT_EQ(ElementRects(Smooth(100)), (std::vector<TRect>{{2, 2, 145, 14}}));
    EXPECT_TRUE(ElementRects(Smooth(0)).empty());
    BarLayout v = Smooth(50);
    v.Width = 16;
    v.Height = 147;
    v.Orientation = TProgressBarOrientation::pbVertical;
    EXPECT_EQ(ElementRects(v), (std::vector<TRect>{{2, 74, 14, 145}}));   // grows upward
    // The product is taken in 64 bits: a wide range does not overflow.
    BarLayout wide = Smooth(1'500'000'000);
    wide.Max = 2'000'000'000;
    EXPECT_EQ(ElementRects(wide), (std::vector<TRect>{{2, 2, 2 + 107, 14}}));
}

TEST(FlatProgressBar, BlocksFillWholeBlocksInTheirDirection)
{
    auto rects = ElementRects(Blocks(50));
    ASSERT_EQ(rects.size(), 8u);
    EXPECT_EQ(rects[0], (TRect{2, 2, 10, 14}));
    EXPECT_EQ(rects[1].Left, 11);
    EXPECT_EQ(rects[2].Left, 20);
    EXPECT_EQ(ElementRects(Blocks(100)).size(), 16u);
    EXPECT_EQ(ElementRects(Blocks(25)).size(), 4u);   // exactly on a boundary: the block counts
    BarLayout rtl = Blocks(100);
    rtl.BiDiMode = TBiDiMode::bdRightToLeft;
    EXPECT_EQ(ElementRects(rtl).front(), (TRect{137, 2, 145, 14}));
    EXPECT_EQ(ElementRects(rtl)[1].Left, 128);
    rtl.BiDiMode = TBiDiMode::bdRightToLeftNoAlign;
    EXPECT_EQ(ElementRects(rtl).front().Left, 2);
    BarLayout up = Blocks(100);
    up.Orientation = TProgressBarOrientation::pbVertical;
    up.Width = 16;
    up.Height = 30;
    EXPECT_EQ(ElementRects(up), (std::vector<TRect>{{2, 20, 14, 28}, {2, 11, 14, 19}, {2, 2, 14, 10}}));
}

TEST(FlatProgressBar, EmptyRangesShortBarsAndLongBarsDrawSensibly)
{
    BarLayout same = Smooth(5);
    same.Min = same.Max = 5;
    EXPECT_TRUE(ElementRects(same).empty());
    same.Smooth = false;
    EXPECT_TRUE(ElementRects(same).empty());
    EXPECT_TRUE(ElementRects(Blocks(100, 5)).empty());    // no block fits before the snap
    // More than 255 blocks are all filled.
    EXPECT_EQ(ElementRects(Blocks(100, 9 * 400 + 3)).size(), 400u);
    BarLayout narrow = Smooth(100);
    narrow.Width = 3;
    EXPECT_TRUE(ElementRects(narrow).empty());
}

TEST(FlatProgressBar, SnapsBlockBarsToWholeBlocks)
{
    EXPECT_EQ(SnappedLength(150, 8), 147);
    EXPECT_EQ(SnappedLength(147, 8), 147);
    EXPECT_EQ(SnappedLength(5, 8), 12);
    EXPECT_EQ(SnappedLength(12, 8), 12);
    EXPECT_EQ(SnappedLength(20, 8), 12);
    EXPECT_EQ(SnappedLength(21, 8), 21);

    tolv::test::EnsureApplication();
    TFlatProgressBar bar;
    bar.resize(150, 16);
    Render(bar);
    EXPECT_EQ(bar.width(), 147);
    bar.resize(5, 16);
    Render(bar);
    EXPECT_EQ(bar.width(), 12);
    bar.SetSmooth(true);
    bar.resize(150, 16);
    Render(bar);
    EXPECT_EQ(bar.width(), 150);   // a smooth bar keeps its size
}

TEST(FlatProgressBar, PropertiesClampAndSwap)
{
    tolv::test::EnsureApplication();
    TFlatProgressBar bar;
    EXPECT_EQ(bar.size(), QSize(147, 16));
    EXPECT_EQ(bar.ColorElement(), 0x996633);
    EXPECT_EQ(bar.ColorBorder(), 0x8396A0);
    EXPECT_TRUE(bar.ParentColor());
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(60);
    bar.SetMax(40);
    EXPECT_EQ(bar.Position(), 40);
    bar.SetMin(50);   // Position is left where it is
    EXPECT_EQ(bar.Position(), 40);
    bar.SetPosition(45);   // Min wins over Max
    EXPECT_EQ(bar.Position(), 50);
    bar.SetOrientation(TProgressBarOrientation::pbVertical);
    EXPECT_EQ(bar.size(), QSize(16, 147));
    bar.SetColors(2, 0x123456);
    EXPECT_EQ(bar.ColorElement(), 0x996633);
    EXPECT_EQ(bar.ColorBorder(), 0x8396A0);
}

TEST(FlatProgressBar, PaintsFrameBackgroundAndBar)
{
    tolv::test::EnsureApplication();
    TFlatProgressBar bar;
    bar.SetSmooth(true);
    bar.SetColor(plat::clWhite);
    bar.SetPosition(50);
    const QImage img = Render(bar);
    EXPECT_EQ(Pixel(img, 0, 0), 0x8396A0);
    EXPECT_EQ(Pixel(img, 146, 15), 0x8396A0);
    EXPECT_EQ(Pixel(img, 1, 1), plat::clWhite);
    EXPECT_EQ(Pixel(img, 2, 2), 0x996633);
    EXPECT_EQ(Pixel(img, 72, 13), 0x996633);
    EXPECT_EQ(Pixel(img, 73, 13), plat::clWhite);
    EXPECT_EQ(Pixel(img, 72, 14), plat::clWhite);

    bar.SetPosition(0);
    const QImage empty = Render(bar);
    EXPECT_EQ(Pixel(empty, 2, 2), plat::clWhite);
    EXPECT_EQ(Pixel(empty, 73, 8), plat::clWhite);

    bar.SetTransparent(true);
    const QImage clear = Render(bar);
    EXPECT_EQ(Pixel(clear, 5, 5), plat::clFuchsia);   // what lay below shows through
    EXPECT_EQ(Pixel(clear, 0, 5), 0x8396A0);
}

TEST(FlatProgressBar, DerivedFrameFollowsTheColour)
{
    tolv::test::EnsureApplication();
    TFlatProgressBar bar;
    bar.SetColor(0xE1EAEB);
    bar.SetUseAdvColors(true);   // takes the parent's colour again
    EXPECT_TRUE(bar.ParentColor());
    EXPECT_EQ(bar.ColorBorder(), ShadeColor(bar.Color(), 0x8396A0, 50, true));
    const auto shaded = ColorToHslRange(bar.ColorBorder());
    const auto base = ColorToHslRange(bar.Color());
    EXPECT_NEAR(shaded.L, base.L - 40, 1);
}

TEST(ColourHelpers, HslConversions)
{
    EXPECT_EQ(ColorToHslRange(plat::clRed), (HslRange{0, 240, 120}));
    EXPECT_EQ(HslRangeToColor(0, 240, 120), plat::clRed);
    EXPECT_EQ(ColorToHslRange(plat::clLime), (HslRange{80, 240, 120}));
    EXPECT_EQ(ColorToHslRange(plat::clBlue), (HslRange{159, 240, 120}));
    EXPECT_EQ(ColorToHslRange(plat::clGray), (HslRange{0, 0, 120}));
    EXPECT_EQ(HslRangeToColor(0, 0, 120), plat::RGB(128, 128, 128));
    for (plat::TColor c : {plat::clRed, plat::clLime, plat::clBlue, plat::clWhite, plat::clBlack, plat::clYellow}) {
        SCOPED_TRACE(c);
        const Hsl hsl = ColorToHsl(c);
        EXPECT_EQ(HslToColor(hsl.H, hsl.S, hsl.L), c);
    }
    EXPECT_EQ(HueToChannel(0.7, 0.0, 1.0), 0);
    EXPECT_EQ(HueToChannel(-0.3, 0.0, 1.0), 0);   // one correction brings it back
    EXPECT_EQ(HueToChannel(1.1, 0.0, 1.0), 153);
}

TEST(ColourHelpers, ShadeColor)
{
    EXPECT_EQ(ShadeColor(plat::clRed, 0x123456, 0, true), 0x123456);
    EXPECT_EQ(ShadeColor(plat::clBlack, 0, 50, true), plat::clBlack);
    EXPECT_EQ(ShadeColor(plat::clBlack, 0, 5, true), HslRangeToColor(0, 0, 5));
    // Lightness beyond the scale is held at white, not wrapped to near-black.
    EXPECT_EQ(ShadeColor(plat::clWhite, 0, 5, true), plat::clWhite);
    EXPECT_EQ(HslRangeToColor(0, 0, 250), plat::clWhite);
    EXPECT_EQ(ShadeColor(plat::clGray, 0, 50, true), HslRangeToColor(0, 0, 80));
    EXPECT_EQ(ShadeColor(plat::clBlack, 0, 200, false), HslRangeToColor(0, 0, 100));   // lighter stops at 100
    // System colours are resolved first.
    EXPECT_EQ(ShadeColor(plat::clBtnFace, 0, 30, true),
              ShadeColor(plat::ColorToRGB(plat::clBtnFace), 0, 30, true));
}
