// FMP loading: the tile graphics chunk, turned into one image of every
// block's picture with the colour key made transparent.
#include <algorithm>
#include <cstring>
#include <vector>

#include "map/fmp_cursor.h"
#include "map/fmp_map.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"

namespace {

// Bytes per pixel of the tile graphics; 0 for a depth the loader does not read.
int BytesPerTilePixel(int depth) {
    switch (depth) {
        case 8:
            return 1;
        case 15:
        case 16:
            return 2;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

int Expand5(int c) { return (c << 3) | (c >> 2); }
int Expand6(int c) { return (c << 2) | (c >> 4); }

}  // namespace

void FmpMap::BuildBlockSheet() {
    sheet_.reset();
    sheetOf_.assign(images.size(), nullptr);
    if (blockWidth <= 0 || blockHeight <= 0 || images.empty()) return;
    // Blocks are drawn pixel for pixel, never smoothed, and the colour under
    // a clear pixel is that of its neighbours: scaled up, a block stays sharp
    // and its edges show no trace of the key colour.
    sq::PixmapRef empty = sq::NewPixmap(blockWidth, blockHeight, sq::kPfRGBA);
    std::vector<sq::PixmapRef> frames(images.size(), empty);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const sq::ImageRef& image = images[i];
        if (!image || image->FrameCount() < 1) continue;
        const sq::PixmapRef& source = image->frames[0].pixmap;
        if (!source || source->width != blockWidth || source->height != blockHeight) continue;
        frames[i] = sq::BleedClearPixels(source);
        if (!frames[i]) return;
        sheetOf_[i] = source.get();
    }
    if (frames.size() == 1) frames.push_back(empty);  // a sheet has two frames at least
    sheet_ = sq::LoadImageFrames(frames, sq::kImgMasked);
    if (!sheet_) sheetOf_.assign(images.size(), nullptr);
}

int FmpMap::SheetFrame(int index) const {
    const std::size_t i = static_cast<std::size_t>(index);
    if (!sheet_ || i >= sheetOf_.size() || !sheetOf_[i]) return -1;
    const sq::ImageRef& image = images[i];
    if (!image || image->FrameCount() < 1 || image->frames[0].pixmap.get() != sheetOf_[i]) return -1;
    if (image->handleX != 0 || image->handleY != 0) return -1;
    return index;
}

void FmpMap::ReadGraphicsChunk(FmpCursor& c, int length) {
    const int64_t start = c.pos;
    const int bpp = BytesPerTilePixel(blockDepth);
    const int count = static_cast<int>(std::min<int64_t>(numBlockGfx, static_cast<int64_t>(images.size()) - 1));
    if (bpp > 0 && blockWidth > 0 && blockHeight > 0) {
        for (int i = 0; i < count; ++i) {
            // A graphic whose bytes all lie past the end of the file would be
            // blank: make none, so a lying count cannot make memory grow.
            if (c.AtEnd()) break;
            sq::PixmapRef pix = sq::NewPixmap(blockWidth, blockHeight, sq::kPfRGBA, 4);
            if (!pix) break;
            if (i == 0) {
                int r = keyRed, g = keyGreen, b = keyBlue;
                if (blockDepth == 8) {
                    r = PaletteByte(3 * keyIndex8);
                    g = PaletteByte(3 * keyIndex8 + 1);
                    b = PaletteByte(3 * keyIndex8 + 2);
                }
                sq::PixmapSetPixel(pix, 0, 0, static_cast<uint32_t>(PackArgb(0, r, g, b)));
                keyPixel = static_cast<int>(sq::PixmapGetPixel(pix, 0, 0));
            }
            const uint32_t key = static_cast<uint32_t>(keyPixel) & 0xFFFFFFu;
            for (int y = 0; y < blockHeight; ++y) {
                uint8_t* out = pix->Row(y);
                for (int x = 0; x < blockWidth; ++x, out += 4) {
                    int r = 0, g = 0, b = 0;
                    bool clear = false;
                    if (bpp == 1) {
                        int index = ReadByte(c);
                        r = PaletteByte(3 * index);
                        g = PaletteByte(3 * index + 1);
                        b = PaletteByte(3 * index + 2);
                        clear = (r == keyRed && g == keyGreen && b == keyBlue) || index == keyIndex8;
                    } else if (bpp == 2) {
                        int v = ReadByte(c) << 8;  // high byte first, whatever the map's byte order
                        v |= ReadByte(c);
                        if (blockDepth == 15) {
                            r = Expand5((v >> 10) & 31);
                            g = Expand5((v >> 5) & 31);
                        } else {
                            r = Expand5((v >> 11) & 31);
                            g = Expand6((v >> 5) & 63);
                        }
                        b = Expand5(v & 31);
                    } else {
                        if (bpp == 4) ReadByte(c);
                        r = ReadByte(c);
                        g = ReadByte(c);
                        b = ReadByte(c);
                    }
                    uint32_t rgb = static_cast<uint32_t>(r << 16 | g << 8 | b);
                    clear = clear || rgb == key;
                    out[0] = static_cast<uint8_t>(r);
                    out[1] = static_cast<uint8_t>(g);
                    out[2] = static_cast<uint8_t>(b);
                    out[3] = clear ? 0 : 255;
                }
            }
            images[static_cast<std::size_t>(i)] = sq::LoadImageFrom(pix, sq::kDefaultImageFlags);
        }
    }
    BuildBlockSheet();
    if (c.pos < start + length) c.Seek(start + length);
    chunkConsumed = 1;
}
