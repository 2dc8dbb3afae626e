#include "pdf/PdfFormat.h"

#include "platform/Codepage.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <system_error>

namespace pdf {

std::string FormatNumber(long double value)
{
    if (!std::isfinite(value))
        return "0";
    // Fixed notation with three decimals, correctly rounded from the binary
    // value; to_chars ignores the locale, so a German user still gets ".".
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    if (res.ec != std::errc())
        return "0";
    std::string s(buf, res.ptr);
    if (auto dot = s.find('.'); dot != std::string::npos) {
        std::size_t end = s.size();
        while (end > dot + 1 && s[end - 1] == '0')
            --end;
        if (end == dot + 1)
            end = dot;
        s.resize(end);
    }
    if (s == "-0")
        s = "0";
    return s;
}

int RoundToInt(long double value)
{
    // Converting a value beyond int (or NaN) would be undefined.
    const long double r = std::nearbyint(value);
    if (std::isnan(r))
        return 0;
    if (r <= static_cast<long double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (r >= static_cast<long double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

std::string ColorToPdf(plat::TColor colour)
{
    const plat::TColor rgb = plat::ColorToRGB(colour);
    std::string s;
    for (int c : {plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb)}) {
        s += FormatNumber(static_cast<long double>(c) / 255.0L);
        s += ' ';
    }
    return s;
}

std::string EscapeLiteral(std::string_view bytes)
{
    std::string s;
    s.reserve(bytes.size() + 2);
    s += '(';
    for (char ch : bytes) {
        switch (static_cast<unsigned char>(ch)) {
        case 8: s += "\\b"; break;
        case 9: s += "\\t"; break;
        case 10: s += "\\n"; break;
        case 12: s += "\\f"; break;
        case 13: s += "\\r"; break;
        case '(': case ')': case '\\':
            s += '\\';
            s += ch;
            break;
        default: s += ch;
        }
    }
    s += ')';
    return s;
}

namespace {

// PDFDocEncoding where it leaves Latin-1: 0x18..0x1F and 0x80..0xA0.
constexpr char16_t kDocLow[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr char16_t kDocHigh[33] = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
    0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
    0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0x0000, 0x20AC,
};

// The PDFDocEncoding byte of a character, or -1.
int PdfDocByte(char32_t c)
{
    if (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xFF && c != 0xAD))
        return static_cast<int>(c);
    for (int k = 0; k < 8; ++k)
        if (kDocLow[k] == c)
            return 0x18 + k;
    for (int k = 0; k < 33; ++k)
        if (kDocHigh[k] != 0 && kDocHigh[k] == c)
            return 0x80 + k;
    return -1;
}

} // namespace

std::string PdfTextStringBytes(std::string_view utf8)
{
    const std::u32string chars = plat::Utf8ToUtf32(utf8);
    std::string doc;
    doc.reserve(chars.size());
    for (char32_t c : chars) {
        const int b = PdfDocByte(c);
        if (b < 0)
            return "\xFE\xFF" + plat::Utf8ToUtf16(utf8, true);
        doc += static_cast<char>(b);
    }
    return doc;
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

std::string HexString(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes.size() * 2 + 2);
    s += '<';
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    s += '>';
    return s;
}

PdfDateTime LocalNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    PdfDateTime t;
    t.Year = tm.tm_year + 1900;
    t.Month = tm.tm_mon + 1;
    t.Day = tm.tm_mday;
    t.Hour = tm.tm_hour;
    t.Minute = tm.tm_min;
    t.Second = tm.tm_sec > 59 ? 59 : tm.tm_sec;   // a leap second stays in its minute
    t.Millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

namespace {

void AppendPadded(std::string& s, int value, int width)
{
    std::string digits = FormatInteger(value < 0 ? -static_cast<long long>(value) : value);
    if (value < 0)
        s += '-';
    for (int i = static_cast<int>(digits.size()); i < width; ++i)
        s += '0';
    s += digits;
}

} // namespace

std::string PdfDate(const PdfDateTime& t)
{
    std::string s = "D:";
    AppendPadded(s, t.Year, 4);
    AppendPadded(s, t.Month, 2);
    AppendPadded(s, t.Day, 2);
    AppendPadded(s, t.Hour, 2);
    AppendPadded(s, t.Minute, 2);
    AppendPadded(s, t.Second, 2);
    return s;
}

long double DateTimeValue(const PdfDateTime& t)
{
    using namespace std::chrono;
    const sys_days day = year{t.Year} / month{static_cast<unsigned>(t.Month)} /
                         std::chrono::day{static_cast<unsigned>(t.Day)};
    const sys_days epoch = year{1899} / December / 30;
    const long double days = static_cast<long double>((day - epoch).count());
    const long double ms = ((t.Hour * 60.0L + t.Minute) * 60.0L + t.Second) * 1000.0L + t.Millisecond;
    return days + ms / 86400000.0L;
}

std::string FileIdentifier(const PdfDateTime& t, std::string_view fileName)
{
    std::string id = FormatInteger(static_cast<long long>(std::nearbyint(DateTimeValue(t) * 10000.0L)));
    const std::string name = plat::Utf8ToCp1252(fileName);
    for (std::size_t p = 3; p <= name.size(); p += 3) {
        const char c = name[p - 1];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            id += c;
    }
    if (id.size() > 255)
        id.resize(255);
    return id;
}

RtlTable& SharedRtlTable()
{
    static RtlTable table;
    return table;
}

std::string ReorderRTL(std::string_view bytes, const RtlFlags& rtl)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (char c : bytes) {
        if (rtl[static_cast<unsigned char>(c)]) {
            out.insert(out.begin(), c);
            i = 0;
        } else {
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(i), c);
            ++i;
        }
    }
    return out;
}

} // namespace pdf
