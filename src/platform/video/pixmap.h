#pragma once
// Pixel buffers in the six formats the drawing layer knows. Pixel values
// crossing this interface are 0xAARRGGBB.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace sq {

enum PixmapFormat : int {
    kPfGrey = 1,   // 1 byte
    kPfAlpha = 2,  // 1 byte, alpha only
    kPfBGR = 3,    // 3 bytes: blue, green, red
    kPfRGB = 4,    // 3 bytes: red, green, blue
    kPfBGRA = 5,   // 4 bytes: blue, green, red, alpha
    kPfRGBA = 6,   // 4 bytes: red, green, blue, alpha
};

int BytesPerPixel(int format);
bool FormatHasAlpha(int format);

class TPixmap {
public:
    int width = 0, height = 0, pitch = 0, format = kPfRGBA;
    std::vector<uint8_t> pixels;
    uint8_t* Row(int y) { return pixels.data() + std::size_t(y) * pitch; }
    const uint8_t* Row(int y) const { return pixels.data() + std::size_t(y) * pitch; }
};
using PixmapRef = std::shared_ptr<TPixmap>;

// Contents start zeroed. alignment: row alignment in bytes (0 or 1: none).
// Returns nullptr for a bad format or a size that does not fit in memory.
PixmapRef NewPixmap(int width, int height, int format, int alignment = 4);
uint32_t PixmapGetPixel(const PixmapRef& pixmap, int x, int y);
void PixmapSetPixel(const PixmapRef& pixmap, int x, int y, uint32_t argb);
// A copy converted to another format.
PixmapRef ConvertPixmap(const PixmapRef& pixmap, int format);
// An RGBA copy of width x height whose every pixel is the one of `pixmap`
// under its middle: a whole-number enlargement repeats each pixel, a
// reduction takes one sample from each block.
PixmapRef ResamplePixmap(const PixmapRef& pixmap, int width, int height);
// Decodes a PNG file (backslashes are separators); nullptr when unreadable.
// Pictures with an alpha channel come back as format 6, others as format 4.
PixmapRef LoadPixmapPNG(const std::string_view path);
PixmapRef DecodePixmapPNG(const uint8_t* data, std::size_t size);
// Writes a format-6 (or any) pixmap as an RGBA PNG; false on failure.
bool SavePixmapPNG(const PixmapRef& pixmap, const std::string_view path);

// The mask treatment of a masked image: pixels of colour (r, g, b) become
// transparent and take the average colour of their unmasked neighbours.
PixmapRef ApplyMask(const PixmapRef& pixmap, int r, int g, int b);
// The same treatment for a picture whose clear pixels are already marked by
// alpha 0: a format-6 copy in which every clear pixel takes the average
// colour of its visible neighbours (black where it has none), so that no
// colour hidden under a clear pixel can show at an edge.
PixmapRef BleedClearPixels(const PixmapRef& pixmap);

}  // namespace sq
