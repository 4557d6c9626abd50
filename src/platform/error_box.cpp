#include "platform/error_box.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/graphics.h"
#include "platform/quit_signals.h"

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
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    // Nobody would see a box on the drivers that show nothing.
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) return false;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr) == 0) return true;
    return OwnBox(title, message);
}

}  // namespace sq
