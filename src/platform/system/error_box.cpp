#include "platform/system/error_box.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <new>
#include <vector>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>
#define SQ_BOX_CHILD_GUARD 1
#endif

#include "platform/system/quit_signals.h"
#include "platform/video/display_device.h"
#include "platform/video/graphics.h"

namespace sq {

namespace {

constexpr int kGlyphW = 8, kGlyphH = 16, kMargin = 16;
constexpr std::size_t kColumns = 72;
constexpr const char* kHint = "Press any key or click to close.";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t nl = text.find('\n', start);
        lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) return lines;
        start = nl + 1;
    }
}

void DrawText(SDL_Renderer* r, const std::string& text, int x, int y, int scale) {
    const uint8_t* font = BuiltinFontBitmap();
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 127) c = '?';
        for (int row = 0; row < kGlyphH; ++row) {
            uint8_t bits = font[row * 96 + (c - 32)];
            for (int col = 0; col < kGlyphW; ++col) {
                if (!(bits & (1 << col))) continue;
                SDL_Rect px{x + (int(i) * kGlyphW + col) * scale, y + row * scale, scale, scale};
                SDL_RenderFillRect(r, &px);
            }
        }
    }
}

bool OwnBox(const std::string& title, const std::string& message) {
    std::vector<std::string> lines = SplitLines(WrapForBox(message, kColumns));
    lines.push_back("");
    lines.push_back(kHint);
    std::size_t longest = 0;
    for (const auto& l : lines) longest = std::max(longest, l.size());
    int scale = 1;
    SDL_Rect usable{0, 0, 800, 600};
    SDL_GetDisplayUsableBounds(0, &usable);
    const int w1 = int(longest) * kGlyphW + 2 * kMargin, h1 = int(lines.size()) * kGlyphH + 2 * kMargin;
    if (w1 * 2 <= usable.w && h1 * 2 <= usable.h && usable.w >= 1600) scale = 2;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w1 * scale,
                                          h1 * scale, SDL_WINDOW_SHOWN);
    if (!window) return false;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        SDL_DestroyWindow(window);
        return false;
    }
    SDL_RaiseWindow(window);
    auto draw = [&] {
        SDL_SetRenderDrawColor(renderer, 236, 236, 236, 255);
        SDL_RenderClear(renderer);
        SDL_SetRenderDrawColor(renderer, 150, 20, 20, 255);
        SDL_Rect band{0, 0, w1 * scale, 4 * scale};
        SDL_RenderFillRect(renderer, &band);
        SDL_SetRenderDrawColor(renderer, 16, 16, 16, 255);
        for (std::size_t i = 0; i < lines.size(); ++i)
            DrawText(renderer, lines[i], kMargin * scale, (kMargin + int(i) * kGlyphH) * scale, scale);
        SDL_RenderPresent(renderer);
    };
    draw();
    // Keys still held from the game do not close the box: only a press that
    // starts after it appeared.
    bool done = false;
    while (!done && QuitSignal() == 0) {
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        switch (e.type) {
            case SDL_KEYDOWN:
                done = e.key.repeat == 0;
                break;
            case SDL_MOUSEBUTTONUP:
            case SDL_QUIT:
                done = true;
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) done = true;
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN) draw();
                break;
            default:
                break;
        }
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    return true;
}

#ifdef SQ_BOX_CHILD_GUARD
// The desktop's box is drawn by a child process that SDL forks and then
// waits for, restarting the wait whenever a signal interrupts it: a quit
// signal alone would leave the game hanging behind its box. While a box is
// shown, a page shared with that child holds its process id and the signal,
// so whichever comes second ends the child: the signal handler kills a child
// it knows of, and a child forked after the signal ends itself at once.
// The child also dies with the game, even when the game is killed outright.
struct TBoxShare {
    std::atomic<pid_t> child;
    std::atomic<int> signo;
};
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

std::atomic<TBoxShare*> boxShare{nullptr};
pid_t gameProcess = 0;
// Set in a child that draws a box; a child of its own inherits it and is left alone.
bool inBoxChild = false;

// Runs in every child forked while a box is up, before SDL's code does; only
// calls that are safe in a child of a threaded process. SDL may fork more
// than one child for one box (it tries the desktop's ways in turn), one
// after another: each takes the page over while it lives.
extern "C" void OnBoxFork() {
    TBoxShare* share = boxShare.load();
    if (!share || inBoxChild) return;
    inBoxChild = true;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != gameProcess) _exit(1);  // the game died before the line above
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signo, &plain, nullptr);
    share->child.store(::getpid());
    if (share->signo.load() != 0) _exit(1);
}

extern "C" void OnSignalDuringBox(int signo) {
    TBoxShare* share = boxShare.load();
    if (!share) return;
    share->signo.store(signo);
    if (pid_t child = share->child.load(); child > 0) ::kill(child, SIGTERM);
}

// Sets the watch up for the time of one box.
class TBoxChildGuard {
public:
    TBoxChildGuard() {
        static const bool registered = ::pthread_atfork(nullptr, nullptr, OnBoxFork) == 0;
        if (!registered) return;
        void* page = ::mmap(nullptr, sizeof(TBoxShare), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) return;
        share_ = new (page) TBoxShare{};
        gameProcess = ::getpid();
        boxShare.store(share_);
        ForwardQuitSignals(OnSignalDuringBox);
    }
    // The children of a box that has returned have been waited for.
    void Forget() {
        if (share_) share_->child.store(0);
    }
    // The page stays mapped: a signal handler on another thread may still be
    // reading it, and the game ends after its box anyway.
    ~TBoxChildGuard() {
        if (!share_) return;
        ForwardQuitSignals(nullptr);
        boxShare.store(nullptr);
    }
    TBoxChildGuard(const TBoxChildGuard&) = delete;
    TBoxChildGuard& operator=(const TBoxChildGuard&) = delete;

private:
    TBoxShare* share_ = nullptr;
};
#else
struct TBoxChildGuard {
    void Forget() {}
};
#endif

}  // namespace

std::string WrapForBox(const std::string& message, std::size_t width) {
    if (width == 0) width = 1;
    std::string out;
    for (const std::string& line : SplitLines(message)) {
        std::string rest = line;
        while (rest.size() > width) {
            std::size_t cut = rest.rfind(' ', width);
            if (cut == std::string::npos || cut == 0) cut = width;  // one long word: cut it
            out += rest.substr(0, cut) + '\n';
            rest = rest.substr(rest[cut] == ' ' ? cut + 1 : cut);
        }
        out += rest + '\n';
    }
    if (!out.empty()) out.pop_back();
    return out;
}

bool ShowFatalErrorBox(const std::string& title, const std::string& message) {
    if (std::getenv("SNOWQUILL_NO_ERROR_BOX")) return false;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !StartVideo()) return false;
    // Nobody would see a box on the drivers that show nothing.
    if (!SDL_GetCurrentVideoDriver() || VideoShowsNothing()) return false;
    TBoxChildGuard guard;
    // A signal that came before the guard was up ends the game here: the
    // checks below come after it, so none is missed.
    if (QuitSignal() != 0) return true;
    // The desktop's box opens its own connection to the display, which a busy
    // server may refuse for a moment: it is tried a few times before the
    // game draws its own box (as it must where the server has no fonts).
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr) == 0;
        guard.Forget();
        if (shown) return true;
        // A box ended by a signal is not a box that failed to open.
        if (QuitSignal() != 0) return true;
        SDL_Delay(100);
    }
    return OwnBox(title, message);
}

}  // namespace sq
