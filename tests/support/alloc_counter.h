#pragma once
// Counts heap allocations: the test and benchmark binaries that link this
// replace the global operator new, so a hot path can be shown to allocate
// nothing.

namespace sqtest {
// Every allocation since the program started.
long AllocationsSoFar();
// Allocations between a start and a stop.
void StartCountingAllocations();
long StopCountingAllocations();
}  // namespace sqtest
