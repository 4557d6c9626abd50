// Feeds arbitrary bytes to the PNG decoder, then treats the picture as the
// game does: masked with magenta, as a plain image and cut into a strip.
#include <cstddef>
#include <cstdint>

#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    sq::OpenGraphicsMode(320, 240, 32, 60, 0);
    sq::SetLoadMaskColor(255, 0, 255);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    sq::PixmapRef pixmap = sq::DecodePixmapPNG(data, size);
    if (!pixmap) return 0;
    // The decoder promises one of two formats and a buffer that holds them.
    if (pixmap->format != sq::kPfRGBA && pixmap->format != sq::kPfRGB) __builtin_trap();
    if (pixmap->pixels.size() < std::size_t(pixmap->pitch) * std::size_t(pixmap->height)) __builtin_trap();
    sq::PixmapRef masked = sq::ApplyMask(pixmap, 255, 0, 255);
    sq::PixmapRef converted = sq::ConvertPixmap(pixmap, sq::kPfBGRA);
    if (masked && (masked->width != pixmap->width || masked->height != pixmap->height)) __builtin_trap();
    // Large pictures are only decoded: the game's own are at most 640 x 480.
    if (std::size_t(pixmap->width) * std::size_t(pixmap->height) > 1024 * 1024) return 0;
    sq::ImageRef image = sq::LoadImageFrom(pixmap, sq::kImgMasked);
    sq::ImageRef filtered = sq::LoadImageFrom(pixmap, sq::kDefaultImageFlags);
    sq::ImageRef strip = sq::LoadImageStrip(pixmap, 7, 5, 1, 3, sq::kImgMasked);
    if (image) sq::DrawImageAt(image, 3, 4, 0);
    if (strip) sq::DrawImageAt(strip, -2, 9, 2);
    return 0;
}
