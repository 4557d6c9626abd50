#include "alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> count{0};
}  // namespace

namespace sqtest {
void StartCountingAllocations() {
    count = 0;
    counting = true;
}
long StopCountingAllocations() {
    counting = false;
    return count.load();
}
}  // namespace sqtest

void* operator new(std::size_t n) {
    if (counting.load(std::memory_order_relaxed)) count.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
