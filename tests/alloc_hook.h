// Allocation failure on demand for host tests: the global operator new of the
// test program counts allocations and can fail the n-th one from now.
#pragma once

#include <cstddef>

namespace alloc {

// The allocation `n` allocations from now (0: the next) throws std::bad_alloc;
// later ones succeed again.
void FailAt(long n);
void Disarm();
// Allocations made since the program started, and blocks not yet freed.
long Made();
long Outstanding();

}  // namespace alloc
