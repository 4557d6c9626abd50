#include "platform/system/memory.h"

#include <cstdio>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace sq {

void ReturnFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

std::size_t HeapInUseBytes() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

std::size_t ResidentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long pages = 0, resident = 0;
    const bool ok = std::fscanf(f, "%lu %lu", &pages, &resident) == 2;
    std::fclose(f);
    return ok ? std::size_t(resident) * 4096 : 0;
}

}  // namespace sq
