#pragma once
// Windows-1252 and UTF-16 <-> UTF-8. Strings are UTF-8 inside the program; files that
// Windows programs wrote (profiles, language files, map scripts) and the PDF
// writer's WinAnsi text use Windows-1252.
//
// The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same number and back, so every byte
// string survives a round trip unchanged.
#include <array>
#include <string>
#include <string_view>

namespace plat {

std::string Cp1252ToUtf8(std::string_view s);
// Characters without a Windows-1252 byte, and bytes that are not valid UTF-8,
// become the replacement byte (one per character or per bad byte).
std::string Utf8ToCp1252(std::string_view s, char replacement = '?');
// UTF-16 bytes (no BOM) <-> UTF-8. Unpaired surrogates and a lone last
// byte read as U+FFFD; bytes that are not valid UTF-8 are written as U+FFFD.
std::string Utf16ToUtf8(std::string_view s, bool bigEndian);
std::string Utf8ToUtf16(std::string_view s, bool bigEndian);
// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s);
// True when s is valid UTF-8 and every character has a Windows-1252 byte.
bool FitsCp1252(std::string_view s);

// The code points of a UTF-8 text; each bad byte becomes the replacement.
std::u32string Utf8ToUtf32(std::string_view s, char32_t replacement = U'\uFFFD');

// The character of every byte of a Windows code page: 1252 as above, and
// 1250, 1251, 1253 to 1257 (Central European, Cyrillic, Greek, Turkish,
// Hebrew, Arabic, Baltic), where a byte the page leaves undefined is 0.
using CodePageTable = std::array<char32_t, 256>;
// nullptr for a page not in that list.
const CodePageTable* WindowsCodePage(int codePage);
// A UTF-8 text as bytes of one of those pages; characters the page lacks
// and bad bytes become the replacement. An unknown page is taken as 1252.
std::string Utf8ToCodePage(std::string_view s, int codePage, char replacement = '?');

} // namespace plat
