#pragma once
// Colours are kept as the profile stores them: 0x00BBGGRR. Values with the
// top bit set name a system colour (0x80000000 | index), resolved by ColorToRGB.
#include <cstdint>

namespace plat {

using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b)
{
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// Named colours of the class library that the program uses.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clNone = 0x1FFFFFFF;

// System colours: index of the Windows colour, with the top bit set.
constexpr TColor SystemColour(int index) { return TColor(0x80000000u | unsigned(index)); }
constexpr TColor clScrollBar = SystemColour(0);
constexpr TColor clBackground = SystemColour(1);
constexpr TColor clActiveCaption = SystemColour(2);
constexpr TColor clInactiveCaption = SystemColour(3);
constexpr TColor clMenu = SystemColour(4);
constexpr TColor clWindow = SystemColour(5);
constexpr TColor clWindowFrame = SystemColour(6);
constexpr TColor clMenuText = SystemColour(7);
constexpr TColor clWindowText = SystemColour(8);
constexpr TColor clCaptionText = SystemColour(9);
constexpr TColor clHighlight = SystemColour(13);
constexpr TColor clHighlightText = SystemColour(14);
constexpr TColor clBtnFace = SystemColour(15);
constexpr TColor clBtnShadow = SystemColour(16);
constexpr TColor clGrayText = SystemColour(17);
constexpr TColor clBtnText = SystemColour(18);
constexpr TColor clBtnHighlight = SystemColour(20);
constexpr TColor cl3DDkShadow = SystemColour(21);
constexpr TColor cl3DLight = SystemColour(22);
constexpr TColor clInfoText = SystemColour(23);
constexpr TColor clInfoBk = SystemColour(24);
constexpr TColor clActiveBorder = SystemColour(10);
constexpr TColor clInactiveBorder = SystemColour(11);
constexpr TColor clAppWorkSpace = SystemColour(12);
constexpr TColor clInactiveCaptionText = SystemColour(19);
constexpr TColor clHotLight = SystemColour(26);
constexpr TColor clGradientActiveCaption = SystemColour(27);
constexpr TColor clGradientInactiveCaption = SystemColour(28);
constexpr TColor clMenuHighlight = SystemColour(29);
constexpr TColor clMenuBar = SystemColour(30);

// A system colour becomes its fixed classic-scheme value (an unknown index
// gives black); any other value is returned with the top byte cleared.
TColor ColorToRGB(TColor c);

} // namespace plat
