#include "pdf/Ascii85.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace pdf;

namespace {

std::string Enc(const std::vector<std::uint8_t>& v)
{
    return Ascii85Encode(v.data(), v.size());
}

} // namespace

TEST(Ascii85, KnownEncodings)
{
    struct Case {
        std::vector<std::uint8_t> in;
        std::string out;
    };
    const Case cases[] = {
        {{}, "~>"},
        {{0}, "!!~>"},
        {{0, 0}, "!!!~>"},
        {{0, 0, 0}, "!!!!~>"},
        {{0, 0, 0, 0}, "z~>"},
        {{0, 0, 0, 0, 0}, "z!!~>"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "zz~>"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, "s8W-!~>"},
        {{'M', 'a', 'n', ' '}, "9jqo^~>"},
        {{'s', 'u', 'r', 'e', '.'}, "F*2M7/c~>"},
        {{'s', 'u', 'r'}, "F*2L~>"},
        {{0, 0, 0, 1}, "!!!!\"~>"},
        {{1, 0, 0, 0, 0, 0, 0, 1}, "!<<*\"!!!!\"~>"},
        {{'h', 'e', 'x', 'a', 'g', 'o', 'n', 's'}, "BOuEsB5_[/~>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Enc(c.in), c.out) << "input of " << c.in.size() << " bytes";
}

TEST(Ascii85, GroupEncoder)
{
    char out[5];
    const std::uint8_t zeros[4] = {0, 0, 0, 0};
    EXPECT_EQ(Ascii85EncodeGroup(zeros, 4, out), 1);
    EXPECT_EQ(out[0], 'z');
    // A partial group of zeros is never "z".
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(Ascii85EncodeGroup(zeros, n, out), n + 1);
        EXPECT_EQ(std::string(out, n + 1), std::string(n + 1, '!'));
    }
    const std::uint8_t man[4] = {'M', 'a', 'n', ' '};
    EXPECT_EQ(Ascii85EncodeGroup(man, 4, out), 5);
    EXPECT_EQ(std::string(out, 5), "9jqo^");
}

TEST(Ascii85, RoundTripLengthBoundAndAlphabet)
{
    std::mt19937 rng(42);
    for (std::size_t size : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 63u, 64u, 65u, 1001u, 65536u}) {
        std::vector<std::uint8_t> data(size);
        for (auto& b : data)
            b = (rng() % 4 == 0) ? 0 : std::uint8_t(rng());
        // Some whole zero groups, so "z" turns up too.
        for (std::size_t i = 0; i + 4 <= size && i < 16; ++i)
            data[i] = 0;
        const std::string s = Enc(data);
        EXPECT_LE(s.size(), Ascii85MaxLength(size));
        ASSERT_GE(s.size(), 2u);
        EXPECT_EQ(s.substr(s.size() - 2), "~>");
        for (std::size_t i = 0; i + 2 < s.size(); ++i)
            ASSERT_TRUE((s[i] >= '!' && s[i] <= 'u') || s[i] == 'z') << "char " << int(s[i]) << " at " << i;
        EXPECT_EQ(pdftest::Ascii85Decode(s), data) << size;
    }
    EXPECT_EQ(Ascii85MaxLength(0), 2u);
    EXPECT_EQ(Ascii85MaxLength(8), 12u);
    EXPECT_EQ(Ascii85MaxLength(9), 14u);
}

TEST(Ascii85, StreamEncodesWholeSourceAtDestinationPosition)
{
    TMemoryStream src;
    src.WriteBuffer("Man ", 4);   // the source position is at its end: still all of it
    TMemoryStream dst;
    dst.WriteBuffer("<", 1);
    Ascii85EncodeStream(src, dst);
    EXPECT_EQ(std::string(dst.Bytes().begin(), dst.Bytes().end()), "<9jqo^~>");

    // The vector form appends.
    std::vector<std::uint8_t> out{'x'};
    const std::uint8_t zero[4] = {};
    Ascii85Encode(zero, 4, out);
    EXPECT_EQ(std::string(out.begin(), out.end()), "xz~>");
}

TEST(Ascii85, StreamingEncoderMatchesWholeEncodingInAnyPieces)
{
    std::mt19937 rng(9);
    std::vector<std::uint8_t> data(1003);
    for (auto& b : data)
        b = (rng() % 3 == 0) ? 0 : std::uint8_t(rng());
    for (std::size_t i = 100; i < 120; ++i)
        data[i] = 0;   // whole zero groups, some split across writes
    for (std::size_t piece : {1u, 2u, 3u, 5u, 7u, 64u, 1003u}) {
        std::vector<std::uint8_t> out;
        TAscii85Stream s(out);
        for (std::size_t at = 0; at < data.size(); at += piece)
            s.WriteBuffer(data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(s.Position(), std::int64_t(data.size()));
        s.Finish();
        s.Finish();   // once only
        EXPECT_EQ(std::string(out.begin(), out.end()), Enc(data)) << "pieces of " << piece;
        EXPECT_THROW(s.Write("x", 1), EStreamError);
    }
    std::vector<std::uint8_t> out;
    TAscii85Stream empty(out);
    empty.Finish();
    EXPECT_EQ(std::string(out.begin(), out.end()), "~>");
    char c;
    EXPECT_THROW(empty.Read(&c, 1), EStreamError);
    EXPECT_THROW(empty.Seek(3, TSeekOrigin::soBeginning), EStreamError);
}
