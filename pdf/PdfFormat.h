#pragma once
// The notations of the PDF file: numbers, colours, strings, dates and the
// file identifier. Nothing here depends on the C or C++ locale.
#include "platform/Colour.h"
#include "platform/Decimal.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// "0.###": at most three decimals, trailing zeros and a bare point dropped,
// always "." and never an exponent (0.28346 -> "0.283", 2.0 -> "2").
std::string FormatNumber(long double value);
inline std::string FormatInteger(long long value) { return plat::Decimal(value); }
// To the nearest integer, an exact half to the even neighbour; beyond the
// range of int the nearest limit, NaN 0.
int RoundToInt(long double value);

// The largest number a PDF 1.3 reader takes for a real: a page, and
// anything placed on it, must fit within +-MaxPdfReal points.
inline constexpr long double MaxPdfReal = 32767.0L;

// The colour resolved to RGB, each component / 255 as a number followed by
// one blank; the caller appends "rg" or "RG".
std::string ColorToPdf(plat::TColor colour);

// A literal string of bytes: "(" + escaped bytes + ")". Backspace, tab, LF,
// form feed and CR become \b \t \n \f \r; "(", ")" and "\" get a backslash;
// every other byte, 128..255 included, is written as it is.
std::string EscapeLiteral(std::string_view bytes);
// The bytes of a text string (document information, outlines): the
// PDFDocEncoding bytes when that encoding holds every character (ASCII text
// stays as it is), else the byte-order mark FE FF and UTF-16BE.
std::string PdfTextStringBytes(std::string_view utf8);

// Names compared as the writer's lists compare them: ASCII letters in any case.
bool SameTextNoCase(std::string_view a, std::string_view b);

// "<" + two upper-case hex digits per byte + ">".
std::string HexString(std::string_view bytes);

// Local wall-clock time, as the creation date and the identifier use it.
struct PdfDateTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
PdfDateTime LocalNow();

// "D:" + yyyymmddhhnnss, no time zone.
std::string PdfDate(const PdfDateTime& t);
// Days since 30 December 1899 with the time of day as fraction.
long double DateTimeValue(const PdfDateTime& t);
// The time value times 10000, rounded, then every letter A-Z/a-z found at a
// position divisible by 3 (from 1) of the file name's Windows-1252 form, in
// its own case; at most 255 characters.
std::string FileIdentifier(const PdfDateTime& t, std::string_view fileName);

// Right-to-left characters of one script, by Windows code-page byte.
using RtlFlags = std::array<bool, 256>;
// The program-wide right-to-left table: slot 0 (none, stays empty),
// 1 Arabic, 2 Hebrew; filled by the fonts on first use of a slot.
struct RtlTable {
    std::array<RtlFlags, 3> Flags{};
    std::array<bool, 3> Filled{};
};
RtlTable& SharedRtlTable();
// Visual order for right-to-left text: each right-to-left byte goes in
// front of the output, every other byte after the run before it.
std::string ReorderRTL(std::string_view bytes, const RtlFlags& rtl);

} // namespace pdf
