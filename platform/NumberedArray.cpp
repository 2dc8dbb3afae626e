#include "platform/NumberedArray.h"

#include <stdexcept>
#include <string>

namespace plat {

void NumberedIndexFault(long long index, int first, int last)
{
    throw std::out_of_range("index " + std::to_string(index) + " outside " + std::to_string(first) +
                            ".." + std::to_string(last));
}

} // namespace plat
