// A replacement of operator new for the one program that links failing_allocator.cpp: on the
// calling thread, the allocation a test chooses throws std::bad_alloc.
#pragma once

namespace qs::test {

// The allocation after `n` more on this thread fails, once; -1: none fails.
void failAllocationAfter(long n);
// Whether the chosen allocation came (and failed) since failAllocationAfter.
bool allocationFailed();

} // namespace qs::test
