#include "png_io.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace gfx {

namespace {
// An opaque pixel may never be read back as the mask colour.
Rgba AvoidMask(Rgba c) {
    if (c.r == 255 && c.g == 0 && c.b == 255) c.g = 1;
    return c;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Kept free of C++ objects with destructors: libpng reports errors by longjmp.
bool WriteRows(std::FILE* file, int w, int h, int channels, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

void WritePng(const Canvas& canvas, const std::string& path, PngKind kind) {
    const int channels = kind == PngKind::kAlpha ? 4 : 3;
    std::vector<png_byte> data(std::size_t(canvas.w) * canvas.h * channels);
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x) {
            Rgba c = canvas.Get(x, y);
            png_byte* p = &data[(std::size_t(y) * canvas.w + x) * channels];
            if (kind == PngKind::kAlpha) {
                if (c.a == 0) c = kClear;  // keep fully clear pixels uniform: smaller files
                p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
                continue;
            }
            if (kind == PngKind::kMasked) {
                c = c.a >= 128 ? AvoidMask(c) : Rgba(255, 0, 255);
            } else {
                float a = c.a / 255.0f;
                c = AvoidMask(Rgba(int(c.r * a + 0.5f), int(c.g * a + 0.5f), int(c.b * a + 0.5f)));
            }
            p[0] = c.r, p[1] = c.g, p[2] = c.b;
        }

    std::vector<png_bytep> rows(canvas.h);
    for (int y = 0; y < canvas.h; ++y) rows[y] = &data[std::size_t(y) * canvas.w * channels];
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path);
    if (!WriteRows(file.get(), canvas.w, canvas.h, channels, rows.data()) || std::fflush(file.get()) != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace gfx
