#include "platform/EnumSet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

namespace {

enum Three : std::uint8_t { a, b, c };
enum Fourteen : std::uint8_t { k0, k1, k2, k3, k4, k5, k6, k7, k8, k9, k10, k11, k12, k13 };

using Small = plat::EnumSet<Three, 3>;
using Wide = plat::EnumSet<Fourteen, 14>;

// The stored form is the width the sets are kept in: a byte for up to
// eight values, 16 bits for the toolbar's fourteen buttons.
static_assert(std::is_same_v<Small::Word, std::uint8_t>);
static_assert(std::is_same_v<Wide::Word, std::uint16_t>);
static_assert(sizeof(Wide) == 2);

} // namespace

TEST(EnumSet, ValueIIsBitIAndBitsBeyondTheValuesAreDropped)
{
    struct Row { Small set; unsigned bits; };
    const Row rows[] = {
        {{}, 0}, {{a}, 1}, {{c}, 4}, {{a, c}, 5}, {{c, a, c}, 5}, {{a, b, c}, 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bits);
        EXPECT_EQ(r.set.Bits(), r.bits);
        EXPECT_EQ(Small::FromBits(r.bits), r.set);
        EXPECT_EQ(r.set.Contains(c), (r.bits & 4) != 0);
    }
    EXPECT_EQ(Small::FromBits(0xFF).Bits(), 7);
    EXPECT_EQ(Wide::FromBits(0xFFFFFFFF).Bits(), 0x3FFF);
    EXPECT_EQ((Wide{k0, k13}).Bits(), 0x2001);
    EXPECT_TRUE((Wide{k13}).Contains(k13));
    EXPECT_FALSE((Wide{k13}).Contains(k12));
}

TEST(EnumSet, WithAndWithoutGiveNewSetsAndLeaveTheirOwn)
{
    constexpr Small s{a};
    static_assert(s.With(c) == Small{a, c});
    static_assert(s.With(a) == s);
    static_assert(s.Without(a) == Small{});
    static_assert(s.Without(b) == s);
    EXPECT_EQ(s, Small{a});
    EXPECT_EQ((Wide{k13, k2}).Without(k13), Wide{k2});
}
