#pragma once
// Integers as files and messages write them: plain decimal digits, never
// through the C locale (a German user gets no thousands separators).
#include <charconv>
#include <string>

namespace plat {

inline std::string Decimal(long long v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

} // namespace plat
