#include "platform/Codepage.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(CodepageTest, Cp1252ToUtf8)
{
    EXPECT_EQ(Cp1252ToUtf8("Gr\xF6\xDF" "e"), "Größe");
    EXPECT_EQ(Cp1252ToUtf8("\x80 \x9F \x8A"), "€ Ÿ Š");
    EXPECT_EQ(Cp1252ToUtf8("\xC4\xE4\xDC\xFC"), "ÄäÜü");
    EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
}

TEST(CodepageTest, Utf8ToCp1252WithReplacement)
{
    EXPECT_EQ(Utf8ToCp1252("Überlappung €"), "\xDC" "berlappung \x80");
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x82x"), "a??x");      // one per bad byte
    EXPECT_EQ(Utf8ToCp1252("日本"), "??");
    EXPECT_EQ(Utf8ToCp1252("日", '_'), "_");
}

TEST(CodepageTest, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_TRUE(FitsCp1252(utf8));
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(CodepageTest, Utf8Validity)
{
    const struct { const char* s; bool valid; } cases[] = {
        {"", true}, {"abc", true}, {"ä€😀", true},
        {"\xC3", false},              // cut short
        {"\xC0\xAF", false},          // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xFC\x80\x80\x80\x80\x80", false},
        {"Gr\xF6\xDF" "e", false},    // Windows-1252 text
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.s), c.valid) << c.s;
    EXPECT_FALSE(FitsCp1252("Ω"));
    EXPECT_TRUE(FitsCp1252("Größe €"));
}

TEST(CodepageTest, OtherWindowsCodePages)
{
    const struct {
        int page;
        const char* utf8;
        const char* bytes;
    } cases[] = {
        {1251, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe2\x82\xac", "\xcf\xf0\xe8\xe2\xe5\xf2 \x88"},
        {1250, "\xc5\x81\xc3\xb3" "d\xc5\xba", "\xa3\xf3" "d\x9f"},
        {1253, "\xce\xa9\xce\xb1", "\xd9\xe1"},
        {1254, "\xc4\x9f\xc4\xb1", "\xf0\xfd"},
        {1255, "\xd7\x90\xd7\xaa", "\xe0\xfa"},
        {1256, "\xd8\xa8\xd9\x8a", "\xc8\xed"},
        {1257, "\xc4\x85\xc5\xb3", "\xe0\xf8"},
        {1251, "\xc3\xb6 x", "? x"},          // not in the page
        {9999, "\xc3\xb6", "\xf6"},           // an unknown page is Windows-1252
    };
    for (const auto& k : cases)
        EXPECT_EQ(plat::Utf8ToCodePage(k.utf8, k.page), k.bytes) << k.page << " " << k.utf8;

    ASSERT_TRUE(plat::WindowsCodePage(1253));
    EXPECT_EQ((*plat::WindowsCodePage(1253))[0xAA], 0u) << "undefined in Greek";
    EXPECT_EQ((*plat::WindowsCodePage(1252))[0x80], U'\u20AC');
    EXPECT_EQ((*plat::WindowsCodePage(1251))[0x41], U'A');
    EXPECT_EQ(plat::WindowsCodePage(437), nullptr);
    EXPECT_EQ(plat::Utf8ToUtf32("a\xe2\x82\xac\xff"), (std::u32string{U'a', U'\u20AC', U'\uFFFD'}));
}
