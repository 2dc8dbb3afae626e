// Notations of the PDF file: numbers, colours, strings, dates, identifier.
#include "pdf/PdfCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <locale>

using namespace pdf;

TEST(PdfFormatNumber, WritesAtMostThreeDecimalsWithoutTrailingZeros)
{
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {0.28346L, "0.283"},
        {2.0L, "2"},
        {0.0L, "0"},
        {-0.0L, "0"},
        {-0.0001L, "0"},
        {12.5L, "12.5"},
        {100.0L, "100"},
        {2100.0L * 72 / 254, "595.276"},
        {2970.0L * 72 / 254, "841.89"},
        {-100.0L * 72 / 254, "-28.346"},
        {1e12L, "1000000000000"},
        {0.1L + 0.2L, "0.3"},
        {1.0L / 255, "0.004"},
        {128.0L / 255, "0.502"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.value), c.text) << static_cast<double>(c.value);
}

TEST(PdfRoundToInt, HalvesToEvenAndLimitsInsteadOfOverflowing)
{
    const long double big = 1e30L;
    const struct {
        long double value;
        int expected;
    } cases[] = {
        {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-0.4L, 0},
        {2147483647.4L, 2147483647}, {2147483648.0L, 2147483647}, {big, 2147483647},
        {-2147483648.4L, -2147483647 - 1}, {-big, -2147483647 - 1},
        {std::numeric_limits<long double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoundToInt(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(PdfFormatNumber, IntegersHaveNoGrouping)
{
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(-60), "-60");
    EXPECT_EQ(FormatInteger(1234567), "1234567");
}

TEST(PdfColour, ComponentsOverTwoFiftyFiveEachWithItsBlank)
{
    EXPECT_EQ(ColorToPdf(plat::clRed), "1 0 0 ");
    EXPECT_EQ(ColorToPdf(plat::clWhite), "1 1 1 ");
    EXPECT_EQ(ColorToPdf(plat::RGB(0, 128, 255)), "0 0.502 1 ");
    // System colours are resolved first: button face is 0xC0C0C0.
    EXPECT_EQ(ColorToPdf(plat::clBtnFace), "0.753 0.753 0.753 ");
}

TEST(PdfLiteral, EscapesControlsParenthesesAndBackslash)
{
    EXPECT_EQ(EscapeLiteral("A(b)\\"), "(A\\(b\\)\\\\)");
    EXPECT_EQ(EscapeLiteral("a\rb\nc\td\be\ff"), "(a\\rb\\nc\\td\\be\\ff)");
    // Byte 11 and bytes above 127 stay raw.
    EXPECT_EQ(EscapeLiteral("\x0b\xe4\xff"), "(\x0b\xe4\xff)");
    EXPECT_EQ(EscapeLiteral(""), "()");
    EXPECT_EQ(HexString(std::string("\x00\x1f\xab", 3)), "<001FAB>");
}

TEST(PdfTextString, PdfDocEncodingWhereItHoldsTheTextElseUtf16)
{
    const struct {
        const char* utf8;
        std::string bytes;
    } cases[] = {
        {"Tolvaria Spielplan", "Tolvaria Spielplan"},
        {"", ""},
        {"Gr\xc3\xb6\xc3\x9f" "e", "Gr\xf6\xdf" "e"},
        // The euro sign, dashes and quotes sit elsewhere than in Windows-1252.
        {"\xe2\x82\xac 5 \xe2\x80\x93 \xe2\x80\x9e" "A\xe2\x80\x9c", "\xa0 5 \x85 \x8c" "A\x8d"},
        {"\xc5\x81\xc3\xb3" "d\xc5\xba", std::string("\xfe\xff\x01\x41\x00\xf3\x00\x64\x01\x7a", 10)},
        {"\xd0\x96", std::string("\xfe\xff\x04\x16", 4)},
        {"\xf0\x9f\x98\x80", std::string("\xfe\xff\xd8\x3d\xde\x00", 6)},
        {"a\rb", "a\rb"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(PdfTextStringBytes(k.utf8), k.bytes) << k.utf8;

    TPdfVell pdf;
    TPdfCanvas& c = pdf.Canvas();
    EXPECT_EQ(c.TextString("A(b)\\", 0), "(A\\(b\\)\\\\)");
    // Content strings arrive as code-page bytes and stay as they are.
    EXPECT_EQ(c.EncodeText("Gr\xf6\xdf" "e \x80", 0, 0), "(Gr\xf6\xdf" "e \x80)");
}

TEST(PdfDateAndIdentifier, FollowTheClockAndTheFileName)
{
    const PdfDateTime t{2006, 1, 2, 15, 30, 0, 0};
    EXPECT_EQ(PdfDate(t), "D:20060102153000");
    EXPECT_EQ(PdfDate({987, 11, 9, 7, 5, 3, 0}), "D:09871109070503");
    EXPECT_EQ(FileIdentifier(t, "C:/PDF/plan.pdf"), "387196458Flf");
    // Letters at positions 3, 6, 9, 12, 15: "\", t, P, n, d.
    EXPECT_EQ(FileIdentifier({2006, 1, 2, 12, 0, 0, 0}, "C:\\Data\\Plan.pdf"), "387195000tPnd");
    EXPECT_EQ(FileIdentifier({2006, 1, 2, 12, 0, 0, 0}, "/1/2/3.4"), "387195000");
    const std::string longName(1000, 'x');
    EXPECT_EQ(FileIdentifier(t, longName).size(), 255u);
}

TEST(PdfReorderRtl, RightToLeftRunsReverseAndLeftToRightRunsKeepOrder)
{
    RtlFlags rtl{};
    rtl['A'] = rtl['B'] = true;
    EXPECT_EQ(ReorderRTL("xAByz", rtl), "yzBAx");
    EXPECT_EQ(ReorderRTL("plain", rtl), "plain");
}

namespace {

// A German locale, however this system spells it.
const char* GermanLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE@euro", "de_AT.UTF-8", "de_CH.UTF-8"}) {
        if (locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr))) {
            freelocale(l);
            return name;
        }
    }
    return nullptr;
}

struct GlobalLocale {
    explicit GlobalLocale(const char* name)
    {
        std::setlocale(LC_ALL, name);
        std::locale::global(std::locale(name));
    }
    ~GlobalLocale()
    {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
};

} // namespace

TEST(PdfFormatNumber, GermanLocaleStillWritesPoints)
{
    const char* de = GermanLocale();
    if (!de)
        GTEST_SKIP() << "no German locale installed (generate de_DE.UTF-8 with locale-gen)";
    GlobalLocale guard(de);
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.3f", 0.283);
    ASSERT_STREQ(probe, "0,283") << "the locale is not in force";

    EXPECT_EQ(FormatNumber(0.28346L), "0.283");
    EXPECT_EQ(FormatNumber(1234567.5L), "1234567.5");
    EXPECT_EQ(FormatInteger(1234567), "1234567");

    pdftest::MemoryFileSystem fs;
    TPdfVell pdf;
    pdf.FileSystem = &fs;
    pdf.SetFileName("/de/plan.pdf");
    pdf.BeginDoc();
    pdf.Canvas().Polygon({{100, 100}, {500, 100}, {100, 500}});
    pdf.EndDoc();
    const std::string& bytes = fs.files["/de/plan.pdf"];
    EXPECT_NE(bytes.find("0.283 w\n28.346 813.543 m\n"), std::string::npos);
    EXPECT_NE(bytes.find("/MediaBox[ 0 0 595.276 841.89 ]"), std::string::npos);
    EXPECT_EQ(bytes.find(','), std::string::npos);
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(bytes));
}
