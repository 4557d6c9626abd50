// Counts calls of the global operator new, so the benchmark can tell whether
// drawing a layer or stepping the map allocated.
#include <atomic>
#include <cstdlib>
#include <new>

std::atomic<long> mapAllocations{0};

void* operator new(std::size_t n) {
    mapAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
