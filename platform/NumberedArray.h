#pragma once
// An array numbered as what it holds is numbered: terrain codes 1..11, print
// parameters 1..10, the palette's shapes 1..10, the random terrains 3..7.
// NumberedArray<T, 1, 11> is the "array[1..11] of T" of the profile and the
// windows, without the unused slot 0 of a plain array one longer. An index
// outside First..Last is a fault: it throws std::out_of_range instead of
// reading or writing beside the array.
#include <array>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace plat {

// Throws std::out_of_range naming the index and the range. Out of line, so
// that the check costs the caller one compare and a branch never taken.
[[noreturn]] void NumberedIndexFault(long long index, int first, int last);

template <class T, int FirstIndex, int LastIndex>
class NumberedArray {
    static_assert(FirstIndex <= LastIndex, "a numbered array holds at least one entry");
    static constexpr std::size_t Count = std::size_t(LastIndex - FirstIndex + 1);
    using Items = std::array<T, Count>;

public:
    static constexpr int First = FirstIndex;
    static constexpr int Last = LastIndex;

    using value_type = T;
    using iterator = typename Items::iterator;
    using const_iterator = typename Items::const_iterator;

    // Every entry value-initialised.
    constexpr NumberedArray() = default;
    // The entries First, First + 1, ... in this order; any left over are
    // value-initialised. A single value must be spelled out as an array.
    template <class... U>
        requires(sizeof...(U) >= 1 && sizeof...(U) <= Count && (std::is_convertible_v<U, T> && ...))
    constexpr explicit(sizeof...(U) == 1) NumberedArray(U&&... entries)
        : items_{T(std::forward<U>(entries))...}
    {
    }

    // Whether i numbers an entry.
    static constexpr bool Holds(long long i) { return i >= First && i <= Last; }

    constexpr T& operator[](long long i)
    {
        Check(i);
        return items_[std::size_t(i - First)];
    }
    constexpr const T& operator[](long long i) const
    {
        Check(i);
        return items_[std::size_t(i - First)];
    }

    constexpr void fill(const T& value) { items_.fill(value); }

    // The entries from First to Last.
    constexpr iterator begin() { return items_.begin(); }
    constexpr iterator end() { return items_.end(); }
    constexpr const_iterator begin() const { return items_.begin(); }
    constexpr const_iterator end() const { return items_.end(); }

    friend constexpr bool operator==(const NumberedArray&, const NumberedArray&) = default;

private:
    static constexpr void Check(long long i)
    {
        if (!Holds(i)) [[unlikely]]
            NumberedIndexFault(i, First, Last);
    }

    Items items_{};
};

} // namespace plat
