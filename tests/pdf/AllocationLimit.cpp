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

namespace {

bool OverLimit(std::size_t size) noexcept
{
    return size > pdftest::Limit().load(std::memory_order_relaxed);
}

} // namespace

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOLV_TSAN_OPERATORS 1
#endif
#endif

#ifdef TOLV_TSAN_OPERATORS
// ThreadSanitizer's static runtime defines the global operators strongly, so
// they cannot be replaced: the linker sends the program's own calls of the
// four forms of new here instead (tests/pdf/CMakeLists.txt), and the limit is
// checked before the runtime's operator takes the block. Calls from the
// shared libraries (Qt, the C++ runtime) reach the runtime unlimited.
extern "C" {
void* __real__Znwm(std::size_t size);
void* __real__Znam(std::size_t size);
void* __real__ZnwmRKSt9nothrow_t(std::size_t size, const std::nothrow_t&) noexcept;
void* __real__ZnamRKSt9nothrow_t(std::size_t size, const std::nothrow_t&) noexcept;

void* __wrap__Znwm(std::size_t size)
{
    if (OverLimit(size))
        throw std::bad_alloc();
    return __real__Znwm(size);
}

void* __wrap__Znam(std::size_t size)
{
    if (OverLimit(size))
        throw std::bad_alloc();
    return __real__Znam(size);
}

void* __wrap__ZnwmRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag) noexcept
{
    return OverLimit(size) ? nullptr : __real__ZnwmRKSt9nothrow_t(size, tag);
}

void* __wrap__ZnamRKSt9nothrow_t(std::size_t size, const std::nothrow_t& tag) noexcept
{
    return OverLimit(size) ? nullptr : __real__ZnamRKSt9nothrow_t(size, tag);
}
} // extern "C"
#else
// Every plain and array form of the global operators is replaced as one set,
// on malloc and free: a sanitizer's own operator delete must never see a
// block our operator new took from malloc (nor the other way round).
namespace {

void* LimitedAllocation(std::size_t size) noexcept
{
    if (OverLimit(size))
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
#endif
