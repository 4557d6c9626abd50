#pragma once
// Helpers shared by the picture checks: loading from the game folder and
// reading pixels as the game's loaders present them.
#include <cstdint>
#include <string>

#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"

namespace gfxtest {

inline std::string GamePath(const std::string& file) { return std::string(GFX_GAME_DIR) + "/gfx/" + file; }

inline sq::PixmapRef Load(const std::string& file) { return sq::LoadPixmapPNG(GamePath(file)); }

inline uint32_t Alpha(uint32_t argb) { return argb >> 24; }
inline uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFFu; }
inline constexpr uint32_t kMagenta = 0xFF00FFu;

// Whether the pixel is drawn once the game's mask treatment has run: masked
// pictures come without alpha and use magenta for the clear background.
inline bool Solid(const sq::PixmapRef& p, int x, int y) {
    uint32_t c = sq::PixmapGetPixel(p, x, y);
    if (sq::FormatHasAlpha(p->format)) return Alpha(c) > 127;
    return Rgb(c) != kMagenta;
}

// Bounding box of the drawn pixels inside a rectangle; false when empty.
inline bool InkBox(const sq::PixmapRef& p, int x0, int y0, int w, int h, int& left, int& top, int& right, int& bottom) {
    left = x0 + w, top = y0 + h, right = -1, bottom = -1;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (Solid(p, x, y)) {
                if (x < left) left = x;
                if (x > right) right = x;
                if (y < top) top = y;
                if (y > bottom) bottom = y;
            }
    return right >= 0;
}

}  // namespace gfxtest
