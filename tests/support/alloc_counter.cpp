#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> total{0};
std::atomic<long> windowStart{0};
}  // namespace

namespace sqtest {
long AllocationsSoFar() { return total.load(); }
void StartCountingAllocations() { windowStart = total.load(); }
long StopCountingAllocations() { return total.load() - windowStart.load(); }
}  // namespace sqtest

void* operator new(std::size_t n) {
    total.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
