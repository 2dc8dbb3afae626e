#include "platform/Codepage.h"

#include <array>
#include <cstdint>

namespace plat {

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Reads one character at s[i]; on success advances i past it. On a bad
// sequence returns false and leaves i alone.
bool NextCodePoint(std::string_view s, std::size_t& i, char32_t& cp)
{
    const auto b0 = std::uint8_t(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    }
    int len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return false;
    if (i + len > s.size())
        return false;
    for (int k = 1; k < len; ++k) {
        const auto b = std::uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += len;
    return true;
}

// The Windows-1252 byte of a code point, or -1.
int Cp1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (std::size_t k = 0; k < kHigh.size(); ++k)
        if (kHigh[k] == cp)
            return int(0x80 + k);
    return -1;
}

void AppendUnit16(std::string& out, char32_t unit, bool bigEndian)
{
    const char hi = char(unit >> 8), lo = char(unit & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (const char ch : s) {
        const auto b = std::uint8_t(ch);
        if (b < 0x80)
            out += ch;
        else if (b < 0xA0)
            AppendUtf8(out, kHigh[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view s, char replacement)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        if (!NextCodePoint(s, i, cp)) {
            out += replacement;
            ++i;
            continue;
        }
        const int b = Cp1252Byte(cp);
        out += b < 0 ? replacement : char(b);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view s, bool bigEndian)
{
    constexpr char32_t kReplacement = 0xFFFD;
    const auto unit = [&](std::size_t i) {
        const auto a = std::uint8_t(s[i]), b = std::uint8_t(s[i + 1]);
        return char32_t(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    if (i < s.size())
        AppendUtf8(out, kReplacement);   // half a unit at the end
    return out;
}

std::string Utf8ToUtf16(std::string_view s, bool bigEndian)
{
    std::string out;
    out.reserve(s.size() * 2);
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        if (!NextCodePoint(s, i, cp)) {
            cp = 0xFFFD;
            ++i;
        }
        if (cp >= 0x10000) {
            AppendUnit16(out, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
            AppendUnit16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUnit16(out, cp, bigEndian);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    char32_t cp;
    while (i < s.size())
        if (!NextCodePoint(s, i, cp))
            return false;
    return true;
}

bool FitsCp1252(std::string_view s)
{
    std::size_t i = 0;
    char32_t cp;
    while (i < s.size())
        if (!NextCodePoint(s, i, cp) || Cp1252Byte(cp) < 0)
            return false;
    return true;
}

} // namespace plat
