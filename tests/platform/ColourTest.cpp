#include "platform/Colour.h"
#include "platform/QtColour.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(ColourTest, SystemColoursResolveToTheClassicScheme)
{
    const struct { TColor in, out; } cases[] = {
        {clWindow, 0xFFFFFF},      {clBtnFace, 0xC0C0C0},   {clBtnShadow, 0x808080},
        {clWindowText, 0x000000},  {clBtnText, 0x000000},   {clBtnHighlight, 0xFFFFFF},
        {clHighlight, 0x800000},   {clHighlightText, 0xFFFFFF}, {clGrayText, 0x808080},
        {clInfoBk, 0xE1FFFF},      {clMenu, 0xC0C0C0},      {clActiveCaption, 0x800000},
        {SystemColour(200), clBlack},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToRGB(c.in), c.out) << std::hex << c.in;
}

TEST(ColourTest, PlainValuesPassWithTopByteCleared)
{
    EXPECT_EQ(ColorToRGB(clCream), 0xF0FBFF);
    EXPECT_EQ(ColorToRGB(0x020202), 0x020202);
    EXPECT_EQ(ColorToRGB(0x12345678), 0x345678);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(GetRValue(clRed), 255);
    EXPECT_EQ(GetBValue(clBlue), 255);
}

TEST(ColourTest, QtConversionKeepsChannelOrder)
{
    const QColor q = ToQColor(0x006FDD);   // Fels: red DD, green 6F, blue 00
    EXPECT_EQ(q.red(), 0xDD);
    EXPECT_EQ(q.green(), 0x6F);
    EXPECT_EQ(q.blue(), 0x00);
    EXPECT_EQ(FromQColor(q), 0x006FDD);
    EXPECT_EQ(FromQColor(QColor(10, 20, 30, 40)), RGB(10, 20, 30));
    EXPECT_EQ(FromQColor(ToQColor(clBtnFace)), 0xC0C0C0);
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}
