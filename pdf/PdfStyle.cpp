#include "pdf/PdfStyle.h"

#include "pdf/PdfCanvas.h"
#include "pdf/PdfFont.h"
#include "pdf/PdfVell.h"

#include <charconv>
#include <cmath>

namespace pdf {

namespace {

// Colour names a style may use, without their "cl".
constexpr struct {
    const char* Name;
    plat::TColor Colour;
} kColourNames[] = {
    {"Black", plat::clBlack}, {"Maroon", plat::clMaroon}, {"Green", plat::clGreen}, {"Olive", plat::clOlive},
    {"Navy", plat::clNavy}, {"Purple", plat::clPurple}, {"Teal", plat::clTeal}, {"Gray", plat::clGray},
    {"Silver", plat::clSilver}, {"Red", plat::clRed}, {"Lime", plat::clLime}, {"Yellow", plat::clYellow},
    {"Blue", plat::clBlue}, {"Fuchsia", plat::clFuchsia}, {"Aqua", plat::clAqua}, {"White", plat::clWhite},
    {"MoneyGreen", plat::clMoneyGreen}, {"SkyBlue", plat::clSkyBlue}, {"Cream", plat::clCream},
    {"MedGray", 0xA4A0A0},
    {"ScrollBar", plat::clScrollBar}, {"Background", plat::clBackground},
    {"ActiveCaption", plat::clActiveCaption}, {"InactiveCaption", plat::clInactiveCaption},
    {"Menu", plat::clMenu}, {"Window", plat::clWindow}, {"WindowFrame", plat::clWindowFrame},
    {"MenuText", plat::clMenuText}, {"WindowText", plat::clWindowText}, {"CaptionText", plat::clCaptionText},
    {"ActiveBorder", plat::clActiveBorder}, {"InactiveBorder", plat::clInactiveBorder},
    {"AppWorkSpace", plat::clAppWorkSpace}, {"Highlight", plat::clHighlight},
    {"HighlightText", plat::clHighlightText}, {"BtnFace", plat::clBtnFace}, {"BtnShadow", plat::clBtnShadow},
    {"GrayText", plat::clGrayText}, {"BtnText", plat::clBtnText},
    {"InactiveCaptionText", plat::clInactiveCaptionText}, {"BtnHighlight", plat::clBtnHighlight},
    {"3DDkShadow", plat::cl3DDkShadow}, {"3DLight", plat::cl3DLight}, {"InfoText", plat::clInfoText},
    {"InfoBk", plat::clInfoBk}, {"HotLight", plat::clHotLight},
    {"GradientActiveCaption", plat::clGradientActiveCaption},
    {"GradientInactiveCaption", plat::clGradientInactiveCaption}, {"MenuHighlight", plat::clMenuHighlight},
    {"MenuBar", plat::clMenuBar}, {"None", plat::clNone}, {"Default", 0x20000000},
};

// The charsets a style names, compared after upper-casing.
constexpr struct {
    const char* Name;
    int Charset;
} kCharsetNames[] = {
    {"ANSI", ANSI_CHARSET}, {"ARABIC", ARABIC_CHARSET}, {"BALTIC", BALTIC_CHARSET},
    {"EASTEUROPE", EASTEUROPE_CHARSET}, {"GREEK", GREEK_CHARSET}, {"HEBREW", HEBREW_CHARSET},
    {"RUSSIAN", RUSSIAN_CHARSET}, {"TURKISH", TURKISH_CHARSET},
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool ParseDecimal(std::string_view s, int& value)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && res.ec == std::errc() && res.ptr == s.data() + s.size();
}

} // namespace

bool ColorOfText(const std::string& text, plat::TColor& colour, std::string& bad)
{
    if (text.empty()) {
        colour = plat::clBlack;
        return true;
    }
    char first = text[0];
    if (first >= 'a' && first <= 'z')
        first = char(first - 'a' + 'A');
    if (static_cast<unsigned char>(first) < 'A') {
        std::string rest = text + ",";
        int rgb[3] = {};
        for (int& component : rgb) {
            const std::size_t comma = rest.find(',');
            if (comma == std::string::npos || !ParseDecimal(Trim(std::string_view(rest).substr(0, comma)), component) ||
                component < 0 || component > 255) {
                bad = rest.empty() ? rest : rest.substr(0, rest.size() - 1);
                return false;
            }
            rest.erase(0, comma + 1);
        }
        colour = plat::TColor(rgb[0] + 256 * rgb[1] + 65536 * rgb[2]);
        return true;
    }
    for (const auto& c : kColourNames)
        if (SameTextNoCase(text, c.Name)) {
            colour = c.Colour;
            return true;
        }
    bad = text;
    return false;
}

// ---- TPdfStyle ------------------------------------------------------------------

TPdfStyle::TPdfStyle(TPdfCanvas& canvas, std::string name) : canvas_(canvas), name_(std::move(name)) {}

void TPdfStyle::SetParent(TPdfStyle* parent)
{
    // The parent chain is followed for every lookup: it must end.
    for (const TPdfStyle* p = parent; p; p = p->parent_)
        if (p == this)
            canvas_.Owner().RaiseError(msg::BadParameters, "Parent");
    parent_ = parent;
}

void TPdfStyle::SetParameter(const std::string& name, const std::string& value)
{
    for (auto& [n, v] : params_)
        if (SameTextNoCase(n, name)) {
            v = value;
            return;
        }
    params_.emplace_back(name, value);
}

std::string TPdfStyle::Parameter(const std::string& name, const std::string& def) const
{
    for (const auto& [n, v] : params_)
        if (SameTextNoCase(n, name) && !v.empty())
            return v;
    return parent_ ? parent_->Parameter(name, def) : def;
}

int TPdfStyle::IntegerParameter(const std::string& name, int def) const
{
    const std::string v = Parameter(name, {});
    if (v.empty())
        return def;
    int value = 0;
    if (!ParseDecimal(Trim(v), value))
        canvas_.Owner().RaiseError(msg::NumericExpected, name + " = " + v);
    return value;
}

int TPdfStyle::LeftMargin() const
{
    return IntegerParameter("LeftMargin", 0) + IntegerParameter("Indent", 0);
}

int TPdfStyle::TopMargin() const
{
    return IntegerParameter("TopMargin", 0);
}

void TPdfStyle::ApplyStyle() const
{
    TFont& f = canvas_.Font;
    f.Name = Parameter("FontName", "Arial");
    f.Size = IntegerParameter("FontSize", 10);
    plat::TColor colour = plat::clBlack;
    std::string bad;
    if (!ColorOfText(Parameter("FontColor", "Black"), colour, bad))
        canvas_.Owner().RaiseError(msg::InvalidColor, bad);
    f.Color = colour;
    auto bit = [&](const char* name, TFontStyle s) {
        if (IntegerParameter(name, 0) == 1)
            f.Style |= s;
        else
            f.Style &= ~static_cast<TFontStyles>(s);
    };
    bit("FontBold", fsBold);
    bit("FontItalic", fsItalic);
    bit("FontUnderline", fsUnderline);
    bit("FontStrikeOut", fsStrikeOut);
    const std::string charset = Parameter("FontCharset", {});
    if (charset.empty()) {
        f.Charset = DEFAULT_CHARSET;
    } else {
        for (const auto& c : kCharsetNames)
            if (SameTextNoCase(charset, c.Name))
                f.Charset = c.Charset;
    }
}

// ---- TBookmark -------------------------------------------------------------------

TBookmark::TBookmark(TPdfCanvas& canvas, TBookmark* parent) : canvas_(canvas), parent_(parent) {}

TBookmark& TBookmark::Add(std::string title, int page, std::string destination, bool open)
{
    auto child = std::make_unique<TBookmark>(canvas_, this);
    child->title_ = std::move(title);
    child->page_ = page;
    child->destination_ = std::move(destination);
    child->open_ = open;
    children_.push_back(std::move(child));
    return *children_.back();
}

void TBookmark::Number(int& counter)
{
    objectNumber_ = ++counter;
    for (const auto& child : children_)
        child->Number(counter);
}

int TBookmark::OpenCount() const
{
    int n = 0;
    for (const auto& child : children_)
        n += 1 + (child->open_ ? child->OpenCount() : 0);
    return n;
}

void TBookmark::WriteOutlineItem(PdfObjectWriter& w)
{
    const int n = w.BeginObject("<<");
    if (n != objectNumber_)
        canvas_.Owner().RaiseError(msg::InternalError, "TBookmark.WriteOutlineItem");
    const int count = OpenCount();
    if (parent_) {
        const std::vector<int>& pages = canvas_.PageObjects();
        // A page the document does not have cannot be referred to.
        if (page_ < 1 || page_ > static_cast<int>(pages.size()))
            canvas_.Owner().RaiseError(msg::BadParameters, "Outline page " + FormatInteger(page_));
        w.WriteLine("/Title " + canvas_.TextString(title_, n));
        w.WriteLine("/Dest[" + PdfObjectWriter::ObjectRef(pages[std::size_t(page_ - 1)]) + " " + destination_ + "]");
        w.WriteLine("/Parent " + PdfObjectWriter::ObjectRef(parent_->objectNumber_));
        const auto& siblings = parent_->children_;
        std::size_t at = 0;
        while (siblings[at].get() != this)
            ++at;
        if (at > 0)
            w.WriteLine("/Prev " + PdfObjectWriter::ObjectRef(siblings[at - 1]->objectNumber_));
        if (at + 1 < siblings.size())
            w.WriteLine("/Next " + PdfObjectWriter::ObjectRef(siblings[at + 1]->objectNumber_));
        w.WriteLine("/Count " + FormatInteger(open_ ? count : -count));
    } else if (count > 0) {
        w.WriteLine("/Count " + FormatInteger(count));
    }
    if (!children_.empty()) {
        w.WriteLine("/First " + PdfObjectWriter::ObjectRef(children_.front()->objectNumber_));
        w.WriteLine("/Last " + PdfObjectWriter::ObjectRef(children_.back()->objectNumber_));
    }
    w.EndObject(">>");
    for (const auto& child : children_)
        child->WriteOutlineItem(w);
}

} // namespace pdf
