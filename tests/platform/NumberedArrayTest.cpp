// The arrays numbered from First to Last: where each entry sits, and that an
// index outside the numbering throws instead of reaching beside the array.
#include "platform/NumberedArray.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

using plat::NumberedArray;

namespace {

TEST(NumberedArray, EntriesSitAtTheirNumbers)
{
    NumberedArray<int, 3, 7> a{30, 40, 50};   // the rest value-initialised
    EXPECT_EQ(a[3], 30);
    EXPECT_EQ(a[5], 50);
    EXPECT_EQ(a[7], 0);
    a[7] = 70;
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{30, 40, 50, 0, 70}));

    a.fill(1);
    EXPECT_EQ(a, (NumberedArray<int, 3, 7>{1, 1, 1, 1, 1}));
    EXPECT_NE(a, (NumberedArray<int, 3, 7>{1, 1, 1, 1, 2}));

    static constexpr NumberedArray<int, 1, 2> table{10, 20};
    static_assert(table[1] == 10 && table[2] == 20);
}

TEST(NumberedArray, AnIndexOutsideTheNumberingThrows)
{
    NumberedArray<int, 1, 11> a{};
    const auto& c = a;
    for (long long i : {0LL, 12LL, -1LL, 1LL << 40, -(1LL << 40)}) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(a.Holds(i));
        EXPECT_THROW(a[i], std::out_of_range);
        EXPECT_THROW(c[i], std::out_of_range);
    }
    // An unsigned index far beyond the range does not wrap into it.
    EXPECT_THROW(a[std::size_t(-1)], std::out_of_range);
    EXPECT_TRUE(a.Holds(1));
    EXPECT_TRUE(a.Holds(11));
    try {
        a[12] = 1;
        FAIL() << "no fault";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "index 12 outside 1..11");
    }
}

} // namespace
