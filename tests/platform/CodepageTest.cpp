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
