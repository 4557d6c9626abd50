// Preloaded into a program that shows frames with SDL_GL_SwapWindow: when
// the first frame has been handed to the display, appends the monotonic
// clock's reading in nanoseconds to the file named by SQ_FIRST_SWAP_FILE.
// Every later swap goes straight through.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    using Swap = void (*)(SDL_Window*);
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static std::atomic<bool> noted{false};
    if (real) real(window);
    if (noted.exchange(true)) return;
    const char* path = std::getenv("SQ_FIRST_SWAP_FILE");
    if (!path || !*path) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(f);
    }
}
