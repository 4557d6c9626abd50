#pragma once
// The process's memory as the operating system sees it.
#include <cstddef>

namespace sq {

// Gives the heap's free pages back to the system: after a burst of
// short-lived allocations (loading and checking the data), what was freed
// would otherwise stay counted against the game for the whole run.
void ReturnFreeMemory();

// Resident memory in bytes, or 0 where it cannot be read.
std::size_t ResidentBytes();
// Bytes handed out by the heap and not yet given back, or 0 where unknown.
std::size_t HeapInUseBytes();

}  // namespace sq
