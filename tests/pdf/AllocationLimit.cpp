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

// Every plain and array form of the global operators is replaced as one set,
// on malloc and free: a sanitizer's own operator delete must never see a
// block our operator new took from malloc (nor the other way round).
namespace {

void* LimitedAllocation(std::size_t size) noexcept
{
    if (size > pdftest::Limit().load(std::memory_order_relaxed))
        return nullptr;
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* p = LimitedAllocation(size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return LimitedAllocation(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return LimitedAllocation(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
