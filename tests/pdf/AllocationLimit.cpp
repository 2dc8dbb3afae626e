#include "AllocationLimit.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace pdftest {

namespace {

std::atomic<std::size_t>& Limit()
{
    static std::atomic<std::size_t> limit{SIZE_MAX};
    return limit;
}

} // namespace

ScopedAllocationLimit::ScopedAllocationLimit(std::size_t largestAllowed)
    : previous_(Limit().exchange(largestAllowed))
{
}

ScopedAllocationLimit::~ScopedAllocationLimit()
{
    Limit().store(previous_);
}

} // namespace pdftest

// The library's other forms (arrays, nothrow) come through this one, and
// its operator delete releases with free().
void* operator new(std::size_t size)
{
    if (size > pdftest::Limit().load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
