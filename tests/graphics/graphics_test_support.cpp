#include "graphics_test_support.h"

#include <cstdlib>

namespace sqtest {

sq::PixmapRef SolidPixmap(int w, int h, int format, uint32_t argb) {
    sq::PixmapRef p = sq::NewPixmap(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) sq::PixmapSetPixel(p, x, y, argb);
    return p;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        int ca = int((a >> shift) & 255), cb = int((b >> shift) & 255);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

sq::PixmapRef QuadrantPixmap() {
    sq::PixmapRef p = sq::NewPixmap(32, 32, sq::kPfRGBA);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t c = x < 16 ? (y < 16 ? 0xFFFF0000u : 0xFF0000FFu) : (y < 16 ? 0xFF00FF00u : 0xFFFFFF00u);
            if (x == 0 || y == 0 || x == 31 || y == 31) c = 0xFFFFFFFFu;
            sq::PixmapSetPixel(p, x, y, c);
        }
    return p;
}

}  // namespace sqtest
