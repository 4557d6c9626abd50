// The built-in 8 x 16 font.
#include <array>
#include <cstdint>

#include "platform/graphics.h"

namespace sq {

namespace {

constexpr std::array<uint8_t, 1536> MakeFont() {
    std::array<uint8_t, 1536> t{};
    constexpr uint8_t kA[16] = {0x00, 0x00, 0x7C, 0xC6, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0, 0, 0, 0, 0};
    for (int r = 0; r < 16; ++r) t[std::size_t(r * 96 + ('A' - 32))] = kA[r];
    return t;
}

constexpr std::array<uint8_t, 1536> kFont = MakeFont();

}  // namespace

const uint8_t* BuiltinFontBitmap() { return kFont.data(); }

}  // namespace sq
