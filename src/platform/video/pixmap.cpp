#include "platform/video/pixmap.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files/safe_file.h"

namespace sq {

namespace {

// Pictures larger than this on a side are refused before anything is
// allocated: no picture of the game comes near it, and a damaged header
// must not make us reserve gigabytes.
constexpr int kMaxPictureSide = 16384;
// No chunk of ours but the picture data comes near this size.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(4) << 20;
// Chunks the game has no use for: text, colour profiles, times, suggested
// palettes and the like. libpng passes them over unread; read, a damaged
// length field had it reserve gigabytes for one before it found the file
// short (its size check there is only a warning).
// libpng wants each name followed by a zero byte.
constexpr png_byte kSkippedChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0"
    "pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
// Deflate cannot expand data more than about 1032 times, so a picture whose
// pixels need far more than that of its file is damaged: refuse it before
// its pixels are allocated.
constexpr std::size_t kMaxInflation = 1100;
constexpr uint64_t kMaxPixmapBytes = uint64_t(1) << 30;
constexpr long kMaxPngFileBytes = 256L << 20;

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

}  // namespace

int BytesPerPixel(int format) {
    switch (format) {
        case kPfGrey:
        case kPfAlpha:
            return 1;
        case kPfBGR:
        case kPfRGB:
            return 3;
        case kPfBGRA:
        case kPfRGBA:
            return 4;
        default:
            return 0;
    }
}

bool FormatHasAlpha(int format) { return format == kPfAlpha || format == kPfBGRA || format == kPfRGBA; }

PixmapRef NewPixmap(int width, int height, int format, int alignment) {
    int bpp = BytesPerPixel(format);
    if (bpp == 0 || width < 0 || height < 0 || alignment < 0) return nullptr;
    uint64_t align = alignment <= 1 ? 1 : uint64_t(alignment);
    uint64_t pitch = (uint64_t(width) * uint64_t(bpp) + align - 1) / align * align;
    uint64_t bytes = pitch * uint64_t(height);
    if (pitch > uint64_t(INT32_MAX) || bytes > kMaxPixmapBytes) return nullptr;
    auto pixmap = std::make_shared<TPixmap>();
    pixmap->width = width;
    pixmap->height = height;
    pixmap->pitch = int(pitch);
    pixmap->format = format;
    pixmap->pixels.assign(std::size_t(bytes), 0);
    return pixmap;
}

uint32_t PixmapGetPixel(const PixmapRef& pixmap, int x, int y) {
    if (!pixmap || x < 0 || y < 0 || x >= pixmap->width || y >= pixmap->height) return 0;
    const uint8_t* p = pixmap->Row(y) + std::size_t(x) * BytesPerPixel(pixmap->format);
    switch (pixmap->format) {
        case kPfGrey:
            return Pack(255, p[0], p[0], p[0]);
        case kPfAlpha:
            return Pack(p[0], 255, 255, 255);
        case kPfBGR:
            return Pack(255, p[2], p[1], p[0]);
        case kPfRGB:
            return Pack(255, p[0], p[1], p[2]);
        case kPfBGRA:
            return Pack(p[3], p[2], p[1], p[0]);
        case kPfRGBA:
            return Pack(p[3], p[0], p[1], p[2]);
        default:
            return 0;
    }
}

void PixmapSetPixel(const PixmapRef& pixmap, int x, int y, uint32_t argb) {
    if (!pixmap || x < 0 || y < 0 || x >= pixmap->width || y >= pixmap->height) return;
    uint8_t a = uint8_t(argb >> 24), r = uint8_t(argb >> 16), g = uint8_t(argb >> 8), b = uint8_t(argb);
    uint8_t* p = pixmap->Row(y) + std::size_t(x) * BytesPerPixel(pixmap->format);
    switch (pixmap->format) {
        case kPfGrey:
            p[0] = uint8_t((r + g + b) / 3);
            break;
        case kPfAlpha:
            p[0] = a;
            break;
        case kPfBGR:
            p[0] = b, p[1] = g, p[2] = r;
            break;
        case kPfRGB:
            p[0] = r, p[1] = g, p[2] = b;
            break;
        case kPfBGRA:
            p[0] = b, p[1] = g, p[2] = r, p[3] = a;
            break;
        case kPfRGBA:
            p[0] = r, p[1] = g, p[2] = b, p[3] = a;
            break;
        default:
            break;
    }
}

PixmapRef ResamplePixmap(const PixmapRef& pixmap, int width, int height) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    PixmapRef out = NewPixmap(width, height, kPfRGBA);
    if (!out) return nullptr;
    const double sx = double(pixmap->width) / width, sy = double(pixmap->height) / height;
    for (int y = 0; y < height; ++y) {
        const int from = std::min(int((y + 0.5) * sy), pixmap->height - 1);
        uint8_t* to = out->Row(y);
        for (int x = 0; x < width; ++x) {
            const int fx = std::min(int((x + 0.5) * sx), pixmap->width - 1);
            if (pixmap->format == kPfRGBA) {
                std::memcpy(to + std::size_t(x) * 4, pixmap->Row(from) + std::size_t(fx) * 4, 4);
            } else {
                PixmapSetPixel(out, x, y, PixmapGetPixel(pixmap, fx, from));
            }
        }
    }
    return out;
}

PixmapRef ConvertPixmap(const PixmapRef& pixmap, int format) {
    if (!pixmap) return nullptr;
    PixmapRef out = NewPixmap(pixmap->width, pixmap->height, format);
    if (!out) return nullptr;
    if (format == pixmap->format) {
        for (int y = 0; y < pixmap->height; ++y)
            std::memcpy(out->Row(y), pixmap->Row(y), std::size_t(pixmap->width) * BytesPerPixel(format));
        return out;
    }
    for (int y = 0; y < pixmap->height; ++y)
        for (int x = 0; x < pixmap->width; ++x) PixmapSetPixel(out, x, y, PixmapGetPixel(pixmap, x, y));
    return out;
}

PixmapRef ApplyMask(const PixmapRef& pixmap, int r, int g, int b) {
    if (!pixmap) return nullptr;
    PixmapRef out = NewPixmap(pixmap->width, pixmap->height, kPfRGBA);
    if (!out) return nullptr;
    const uint32_t mask = Pack(0, uint32_t(r & 255), uint32_t(g & 255), uint32_t(b & 255));
    auto masked = [&](int x, int y) { return (PixmapGetPixel(pixmap, x, y) & 0xFFFFFFu) == mask; };
    for (int y = 0; y < pixmap->height; ++y) {
        for (int x = 0; x < pixmap->width; ++x) {
            uint32_t c = PixmapGetPixel(pixmap, x, y);
            if ((c & 0xFFFFFFu) != mask) {
                PixmapSetPixel(out, x, y, c);
                continue;
            }
            // A transparent pixel takes the colour of its visible neighbours,
            // so filtering at the edge of a sprite blends towards the sprite's
            // own colours instead of towards the mask colour or black.
            uint32_t sr = 0, sg = 0, sb = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= pixmap->width || ny >= pixmap->height)
                        continue;
                    if (masked(nx, ny)) continue;
                    uint32_t nc = PixmapGetPixel(pixmap, nx, ny);
                    sr += (nc >> 16) & 255, sg += (nc >> 8) & 255, sb += nc & 255, ++n;
                }
            }
            PixmapSetPixel(out, x, y, n ? Pack(0, sr / n, sg / n, sb / n) : 0u);
        }
    }
    return out;
}

PixmapRef BleedClearPixels(const PixmapRef& pixmap) {
    if (!pixmap) return nullptr;
    PixmapRef out = ConvertPixmap(pixmap, kPfRGBA);
    if (!out) return nullptr;
    const int w = out->width, h = out->height;
    auto clear = [&](int x, int y) { return (PixmapGetPixel(pixmap, x, y) >> 24) == 0; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!clear(x, y)) continue;
            uint32_t sr = 0, sg = 0, sb = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h || clear(nx, ny)) continue;
                    uint32_t nc = PixmapGetPixel(pixmap, nx, ny);
                    sr += (nc >> 16) & 255, sg += (nc >> 8) & 255, sb += nc & 255, ++n;
                }
            }
            PixmapSetPixel(out, x, y, n ? Pack(0, sr / n, sg / n, sb / n) : 0u);
        }
    }
    return out;
}

// ---- PNG ----

namespace {

struct PngSource {
    const uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source{};
    png_uint_32 width = 0, height = 0;
    int channels = 0;
};

void PngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t count) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (!src || count > src->size - src->pos) png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, count);
    src->pos += count;
}

// Reads the header and sets up the expansions. Only plain data lives in this
// frame, so the long jump out of libpng's error handler skips no destructor.
bool ReadPngHeader(PngReader& r) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_user_limits(r.png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_malloc_max(r.png, kMaxChunkBytes);
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, int(sizeof kSkippedChunks / 5));
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_read_fn(r.png, &r.source, PngRead);
    png_read_info(r.png, r.info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    if (!png_get_IHDR(r.png, r.info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr)) return false;
    bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(r.png, r.info, PNG_INFO_tRNS);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(r.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(r.png);
    if (png_get_valid(r.png, r.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(r.png);
    if (depth == 16) png_set_strip_16(r.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(r.png);
    if (interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    r.width = w;
    r.height = h;
    r.channels = png_get_channels(r.png, r.info);
    if (png_get_bit_depth(r.png, r.info) != 8) return false;
    if (r.channels != (alpha ? 4 : 3)) return false;
    if (png_get_rowbytes(r.png, r.info) != png_size_t(w) * png_size_t(r.channels)) return false;
    // What the file's compressed data must inflate to, at its own depth.
    const int samples = colorType == PNG_COLOR_TYPE_RGB          ? 3
                        : colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                        : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                 : 1;
    const std::size_t rawBytes = (std::size_t(w) * std::size_t(depth * samples) + 7) / 8 * h;
    return rawBytes / kMaxInflation <= r.source.size;
}

bool ReadPngRows(PngReader& r, png_bytepp rows) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_image(r.png, rows);
    png_read_end(r.png, nullptr);
    return true;
}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* file = nullptr;
};

bool WritePngRows(PngWriter& w, png_uint_32 width, png_uint_32 height, png_bytepp rows) {
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_init_io(w.png, w.file);
    png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w.png, w.info);
    png_write_image(w.png, rows);
    png_write_end(w.png, nullptr);
    return true;
}

std::string FilePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

}  // namespace

PixmapRef DecodePixmapPNG(const uint8_t* data, std::size_t size) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
    PngReader r;
    r.source = PngSource{data, size, 0};
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!r.png) return nullptr;
    r.info = png_create_info_struct(r.png);
    if (!r.info) {
        png_destroy_read_struct(&r.png, nullptr, nullptr);
        return nullptr;
    }
    PixmapRef pixmap;
    if (ReadPngHeader(r) && r.width > 0 && r.height > 0) {
        pixmap = NewPixmap(int(r.width), int(r.height), r.channels == 4 ? kPfRGBA : kPfRGB, 1);
        if (pixmap) {
            std::vector<png_bytep> rows(r.height);
            for (png_uint_32 y = 0; y < r.height; ++y) rows[y] = pixmap->Row(int(y));
            if (!ReadPngRows(r, rows.data())) pixmap.reset();
        }
    }
    png_destroy_read_struct(&r.png, &r.info, nullptr);
    return pixmap;
}

PixmapRef LoadPixmapPNG(const std::string_view path) {
    // Only a plain file is read, without waiting on a pipe or device put in
    // a picture's place.
    std::string bytes;
    if (!ReadWholeFile(FilePath(path), bytes, std::size_t(kMaxPngFileBytes)) || bytes.empty()) return nullptr;
    return DecodePixmapPNG(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool SavePixmapPNG(const PixmapRef& pixmap, const std::string_view path) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return false;
    PixmapRef rgba = pixmap->format == kPfRGBA ? pixmap : ConvertPixmap(pixmap, kPfRGBA);
    if (!rgba) return false;
    std::vector<png_bytep> rows(std::size_t(rgba->height));
    for (int y = 0; y < rgba->height; ++y) rows[std::size_t(y)] = rgba->Row(y);
    std::string p = FilePath(path);
    PngWriter w;
    w.file = std::fopen(p.c_str(), "wb");
    if (!w.file) return false;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    bool ok = w.png != nullptr;
    if (ok) {
        w.info = png_create_info_struct(w.png);
        ok = w.info != nullptr && WritePngRows(w, png_uint_32(rgba->width), png_uint_32(rgba->height), rows.data());
        png_destroy_write_struct(&w.png, &w.info);
    }
    ok = (std::fclose(w.file) == 0) && ok;
    if (!ok) std::remove(p.c_str());
    return ok;
}

}  // namespace sq
