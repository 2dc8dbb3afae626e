// The PDF canvas's text: fonts found or made per face, style and charset,
// the text operators with their baseline, decoration lines, measuring, and
// the styles with the default one.
#include "pdf/PdfCanvas.h"

#include "pdf/PdfFont.h"
#include "pdf/PdfVell.h"
#include "platform/Codepage.h"
#include "platform/fonts/FontFace.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace pdf {

namespace {

bool IsRightToLeft(int charset)
{
    return charset == HEBREW_CHARSET || charset == ARABIC_CHARSET;
}

// The charset text in f is measured in: the resolved one, Windows ANSI for
// a charset the writer cannot write (drawing then fails anyway).
int MeasuringCharset(const TFont& f)
{
    const int charset = ResolveCharset(f.Charset);
    return CharsetCodePage(charset) ? charset : ANSI_CHARSET;
}

} // namespace

const plat::FontFace* TPdfCanvas::MeasuringFace(const TFont& f)
{
    const bool bold = (f.Style & fsBold) != 0;
    const bool italic = (f.Style & fsItalic) != 0;
    const std::string key = StyledFontName(f);
    auto it = faces_.find(key);
    if (it == faces_.end())
        it = faces_.emplace(key, owner_.FontMatcher ? owner_.FontMatcher(f.Name, bold, italic) : nullptr).first;
    return it->second.get();
}

TPdfFont& TPdfCanvas::FindFont(const TFont& f)
{
    const std::string key = FontKey(f);
    for (const auto& resource : fonts_)
        if (auto* font = dynamic_cast<TPdfFont*>(resource.get()); font && font->Key() == key)
            return *font;
    // The font joins the list only once it is complete: an error on the way
    // abandons the document, which empties the list.
    auto font = std::make_unique<TPdfFont>(*this, f, static_cast<int>(fonts_.size()));
    font->LoadFontMetrics();
    TPdfFont& added = *font;
    AddFont(std::move(font));
    return added;
}

int TPdfCanvas::TextWidth(const std::string& Text)
{
    if (!BeginDrawing())
        return 1;
    const int size = FontSizePoints();
    const int charset = MeasuringCharset(Font);
    const std::string bytes = plat::Utf8ToCodePage(Text, CharsetCodePage(charset));
    long long pixels = 0;
    if (const plat::FontFace* face = MeasuringFace(Font)) {
        // Measured at ten times the size, as the measuring surface rounds
        // whole pixels per character.
        const int ppem = PointsToPixels(size * 10);
        const plat::FontCodeMap codes = CharsetCodeMap(charset);
        for (char b : bytes)
            pixels += face->AdvancePixels(codes[static_cast<unsigned char>(b)], ppem);
    }
    const long double spacing = (static_cast<long double>(bytes.size()) - 1) * characterSpacing_;
    return RoundToInt(pixels * PixelToUnit() / 10.0L + spacing);
}

int TPdfCanvas::TextHeight(const std::string& Text)
{
    if (!BeginDrawing())
        return 1;
    const int size = FontSizePoints();
    long long pixels = 0;
    if (const plat::FontFace* face = MeasuringFace(Font)) {
        const int ppem = PointsToPixels(size * 100);
        const plat::FontTextMetrics tm =
            face->TextMetrics(ppem, CharsetCodeMap(MeasuringCharset(Font)), (Font.Style & fsItalic) != 0);
        pixels = static_cast<long long>(tm.Ascent) + tm.Descent;
    }
    return RoundToInt(pixels * PixelToUnit() / 100.0L);
}

void TPdfCanvas::TextOut(int X, int Y, const std::string& Text)
{
    if (!BeginDrawing())
        return;
    const int size = FontSizePoints();
    TPdfFont& font = FindFont(Font);
    const bool rightToLeft = IsRightToLeft(font.Charset());
    const bool decorated = (Font.Style & (fsUnderline | fsStrikeOut)) != 0;
    const int width = rightToLeft || decorated ? TextWidth(Text) : 0;
    // X names the right end of right-to-left text; the difference may leave int.
    const long double left = rightToLeft ? static_cast<long double>(X) - width : X;
    const long double bx = PagePointsX(left, "TextOut");
    // Y is the top of the text, by its baseline.
    const long double by = CheckedPoints(ToPageY(Y) - size * font.AscentFactor(), "TextOut");

    AddContentLine("BT");
    AddContentLine(font.ResourceName() + " " + FormatInteger(size) + " Tf");
    AddContentLine(ColorToPdf(Font.Color) + "rg");
    const long double a = textAngle_;
    if (a != 0) {
        AddContentLine(FormatNumber(std::cos(a)) + " " + FormatNumber(std::sin(a)) + " " + FormatNumber(-std::sin(a)) +
                       " " + FormatNumber(std::cos(a)) + " " + FormatNumber(bx) + " " + FormatNumber(by) + " Tm");
    } else {
        AddContentLine(FormatNumber(bx) + " " + FormatNumber(by) + " Td");
    }
    AddContentLine(EncodeText(plat::Utf8ToCodePage(Text, font.CodePage()), font.RtlSlot(), 0) + " Tj");
    AddContentLine("ET");

    if (Font.Style & fsUnderline)
        DecorationLine(font.UnderlineThickness(), font.UnderlinePosition(), size, bx, by, width);
    if (Font.Style & fsStrikeOut)
        DecorationLine(font.StrikeOutThickness(), font.StrikeOutPosition(), size, bx, by, width);
}

void TPdfCanvas::DecorationLine(long double thickness, long double position, long double size, long double bx,
                                long double by, int width)
{
    const long double a = textAngle_;
    const long double r = position * size;
    const long double x0 = CheckedPoints(bx - std::sin(a) * r, "TextOut");
    const long double y0 = CheckedPoints(by + std::cos(a) * r, "TextOut");
    const int w = RoundToInt(width * UnitToPoints());
    const long double x1 = CheckedPoints(x0 + std::cos(a) * w, "TextOut");
    const long double y1 = CheckedPoints(y0 + std::sin(a) * w, "TextOut");
    AddContentLine(ColorToPdf(Font.Color) + "RG");
    AddContentLine("[]0 d");
    AddContentLine(FormatNumber(thickness * size) + " w");
    AddContentLine(FormatNumber(x0) + " " + FormatNumber(y0) + " m " + FormatNumber(x1) + " " + FormatNumber(y1) +
                   " l S");
}

TPdfStyle* TPdfCanvas::FindStyle(const std::string& name, bool create)
{
    if (name.empty())
        return nullptr;
    for (const auto& style : styles_)
        if (SameTextNoCase(style->Name(), name))
            return style.get();
    if (!create)
        owner_.RaiseError(msg::InvalidStyleName, name);
    styles_.push_back(std::make_unique<TPdfStyle>(*this, name));
    return styles_.back().get();
}

void TPdfCanvas::SetStyle(const std::string& name)
{
    currentStyle_ = FindStyle(name, false);
    if (currentStyle_) {
        currentStyle_->ApplyStyle();
        SetCharacterSpacing(currentStyle_->IntegerParameter("CharacterSpacing", 0));
        textAngle_ = currentStyle_->IntegerParameter("FontDegreeAngle", 0) * std::numbers::pi_v<long double> / 180;
        return;
    }
    Font.Name = "Arial";
    Font.Size = 10;
    Font.Charset = DEFAULT_CHARSET;
    Font.Style = 0;
    Font.Color = plat::clBlack;
    SetCharacterSpacing(0);
    textAngle_ = 0;
}

} // namespace pdf
