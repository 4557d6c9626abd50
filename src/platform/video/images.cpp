// Images of the drawing layer: loaded from pictures and strips, made as
// buffers, and their frames' pixels opened for change. Nothing here needs the
// display; the frames become textures when they are first drawn.
#include <cstring>

#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"
#include "platform/video/image_store.h"

namespace sq {

namespace {

// The colour that masked pictures loaded from now on treat as transparent.
int maskR = 0, maskG = 0, maskB = 0;

PixmapRef StoredPixmap(const PixmapRef& p, int flags, int r, int g, int b) {
    if ((flags & kImgMasked) && !FormatHasAlpha(p->format)) return ApplyMask(p, r, g, b);
    return ConvertPixmap(p, p->format);
}

}  // namespace

ImageRef MakeImage(int width, int height, int flags) {
    auto image = std::make_shared<TImage>();
    image->width = width;
    image->height = height;
    image->flags = flags == -1 ? kDefaultImageFlags : flags;
    image->maskR = maskR, image->maskG = maskG, image->maskB = maskB;
    return image;
}

TImageFrame* FrameOf(const ImageRef& image, int frame) {
    RequireObject(image, "image");
    if (frame < 0 || frame >= image->FrameCount()) return nullptr;
    return &image->frames[std::size_t(frame)];
}

void SetLoadMaskColor(int r, int g, int b) { maskR = r, maskG = g, maskB = b; }

void LoadMaskColor(int& r, int& g, int& b) { r = maskR, g = maskG, b = maskB; }

ImageRef LoadImageFrom(const PixmapRef& pixmap, int flags) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    ImageRef image = MakeImage(pixmap->width, pixmap->height, flags);
    PixmapRef stored = StoredPixmap(pixmap, image->flags, image->maskR, image->maskG, image->maskB);
    if (!stored) return nullptr;
    image->frames.resize(1);
    image->frames[0].pixmap = stored;
    return image;
}

ImageRef LoadImageFrom(const std::string& path, int flags) {
    ImageRef image = LoadImageFrom(LoadPixmapPNG(path), flags);
    if (image) image->name = path;
    return image;
}

ImageRef LoadImageStrip(const PixmapRef& pixmap, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags) {
    if (!pixmap || cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0) return nullptr;
    int perRow = pixmap->width / cellWidth, rows = pixmap->height / cellHeight;
    if (int64_t(firstCell) + cellCount > int64_t(perRow) * rows) return nullptr;
    ImageRef image = MakeImage(cellWidth, cellHeight, flags);
    image->frames.resize(std::size_t(cellCount));
    int bpp = BytesPerPixel(pixmap->format);
    for (int i = 0; i < cellCount; ++i) {
        int cell = firstCell + i;
        int cx = (cell % perRow) * cellWidth, cy = (cell / perRow) * cellHeight;
        PixmapRef p = NewPixmap(cellWidth, cellHeight, pixmap->format);
        if (!p) return nullptr;
        for (int y = 0; y < cellHeight; ++y)
            std::memcpy(p->Row(y), pixmap->Row(cy + y) + std::size_t(cx) * bpp, std::size_t(cellWidth) * bpp);
        image->frames[std::size_t(i)].pixmap = StoredPixmap(p, image->flags, image->maskR, image->maskG, image->maskB);
    }
    return image;
}

ImageRef LoadImageStrip(const std::string& path, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags) {
    ImageRef image = LoadImageStrip(LoadPixmapPNG(path), cellWidth, cellHeight, firstCell, cellCount, flags);
    if (image) image->name = path;
    return image;
}

ImageRef LoadImageFrames(const std::vector<PixmapRef>& pixmaps, int flags) {
    if (pixmaps.empty() || !pixmaps[0] || pixmaps[0]->width <= 0 || pixmaps[0]->height <= 0) return nullptr;
    ImageRef image = MakeImage(pixmaps[0]->width, pixmaps[0]->height, flags);
    image->frames.resize(pixmaps.size());
    for (std::size_t i = 0; i < pixmaps.size(); ++i) {
        const PixmapRef& p = pixmaps[i];
        if (!p || p->width != image->width || p->height != image->height) return nullptr;
        image->frames[i].pixmap = StoredPixmap(p, image->flags, image->maskR, image->maskG, image->maskB);
        if (!image->frames[i].pixmap) return nullptr;
    }
    return image;
}

ImageRef CreateImageBuffer(int width, int height, int frames, int flags) {
    if (width <= 0 || height <= 0 || frames <= 0) return nullptr;
    ImageRef image = MakeImage(width, height, flags);
    image->flags |= kImgDynamic;
    image->frames.resize(std::size_t(frames));
    return image;
}

void CenterImageHandle(const ImageRef& image) {
    RequireObject(image, "image");
    image->handleX = float(image->width) * 0.5f;
    image->handleY = float(image->height) * 0.5f;
}

PixmapRef LockImagePixels(const ImageRef& image, int frame, int read, int write) {
    (void)read;
    TImageFrame* f = FrameOf(image, frame);
    if (!f) return nullptr;
    if (!f->pixmap) f->pixmap = NewPixmap(image->width, image->height, kPfRGBA);
    if (write) f->dirty = true;
    return f->pixmap;
}

void UnlockImagePixels(const ImageRef& image, int frame) {
    (void)image;
    (void)frame;
}

}  // namespace sq
