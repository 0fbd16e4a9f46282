#include "failing_allocator.h"

#include <cstdlib>
#include <new>

namespace {

thread_local long t_allocationsLeft = -1;
thread_local bool t_failed = false;

} // namespace

namespace qs::test {

void failAllocationAfter(long n) {
    t_allocationsLeft = n;
    t_failed = false;
}

bool allocationFailed() {
    return t_failed;
}

} // namespace qs::test

void *operator new(std::size_t n) {
    if (t_allocationsLeft >= 0 && t_allocationsLeft-- == 0) {
        t_failed = true;
        throw std::bad_alloc();
    }
    if (void *p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
