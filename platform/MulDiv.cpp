#include "platform/MulDiv.h"

#include <cstdlib>

namespace plat {

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long p = (long long)number * numerator;
    long long q = (std::llabs(p) + std::llabs((long long)denominator) / 2) / std::llabs((long long)denominator);
    if ((p < 0) != (denominator < 0))
        q = -q;
    return int(q);
}

} // namespace plat
