#pragma once
// Out of memory on demand: while a limit is set, every single allocation
// through operator new larger than it throws std::bad_alloc. The test
// program's global operators new and delete (AllocationLimit.cpp) honour it.
#include <cstddef>

namespace pdftest {

class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(std::size_t largestAllowed);
    ~ScopedAllocationLimit();
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

private:
    std::size_t previous_;
};

} // namespace pdftest
