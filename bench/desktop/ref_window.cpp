// The reference every desktop figure is compared with: an SDL2 program that
// opens an OpenGL window of the game's first size (640 x 480), clears it and
// shows it, sixty times a second, until it is closed or sent SIGTERM.
//   bench_ref_window [--fullscreen] [--frames N]
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    bool fullscreen = false;
    long frames = -1;  // for ever
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fullscreen") == 0) {
            fullscreen = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atol(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_ref_window [--fullscreen] [--frames N]\n");
            return 2;
        }
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench_ref_window: %s\n", SDL_GetError());
        return 1;
    }
    Uint32 flags = SDL_WINDOW_OPENGL | (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Window* window = SDL_CreateWindow("reference", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, flags);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "bench_ref_window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    bool running = true;
    for (long n = 0; running && (frames < 0 || n < frames); ++n) {
        Uint32 start = SDL_GetTicks();
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT) running = false;
        glClearColor(0.04f, 0.04f, 0.04f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        Uint32 spent = SDL_GetTicks() - start;
        if (spent < 16) SDL_Delay(16 - spent);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
