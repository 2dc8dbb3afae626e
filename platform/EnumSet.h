#pragma once
// A set of a small enumeration, value i stored as bit i, as the profile and
// the components' published sets keep it: EnumSet<TJobOptions, 3> is the
// "set of TJobOptions". Count is the number of values; the bits are held in
// the smallest unsigned type that has room for them (a set of fourteen
// button kinds in 16 bits), and bits beyond Count are never set.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace plat {

template <class E, int Count>
class EnumSet {
    static_assert(std::is_enum_v<E>, "a set of an enumeration");
    static_assert(Count >= 1 && Count <= 32, "a set of 1 to 32 values");

public:
    using Word = std::conditional_t<Count <= 8, std::uint8_t,
                                    std::conditional_t<Count <= 16, std::uint16_t, std::uint32_t>>;
    // Every value of the enumeration.
    static constexpr Word All = Word((std::uint64_t(1) << Count) - 1);

    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ = Word(bits_ | Bit(v));
    }
    // A set as stored; bits of values that do not exist are dropped.
    static constexpr EnumSet FromBits(std::uint32_t bits)
    {
        EnumSet s;
        s.bits_ = Word(bits & All);
        return s;
    }

    constexpr Word Bits() const { return bits_; }
    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr EnumSet With(E v) const { return FromBits(bits_ | Bit(v)); }
    constexpr EnumSet Without(E v) const { return FromBits(bits_ & ~std::uint32_t(Bit(v))); }
    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    static constexpr Word Bit(E v) { return Word(std::uint32_t(1) << unsigned(v)); }
    Word bits_ = 0;
};

} // namespace plat
