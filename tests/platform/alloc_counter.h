#pragma once
// Counts heap allocations made while counting is on (the test binary
// replaces the global operator new).
#include <atomic>

namespace sqtest {
void StartCountingAllocations();
long StopCountingAllocations();  // allocations since the start
}  // namespace sqtest
