// FmpMap: cells, the solidity queries, the staggered pixel queries and the
// stepping of block animations.
#include <algorithm>
#include <cstdint>

#include "map/fmp_map.h"
#include "platform/video/pixmap.h"

namespace {

const BLKSTR kEmptyBlock{};
const int kZeroCell = 0;

// 32-bit wrapping arithmetic: animation indices come straight from the file,
// and stepping one that sits at the end of the int range must not be undefined.
int Wrap(int64_t v) { return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// Alpha of pixel (x, y) of frame 0 of `image`; -1 outside the graphic or when
// there is none.
int GraphicAlphaAt(const sq::ImageRef& image, int x, int y) {
    if (!image || image->frames.empty() || x < 0 || y < 0 || x >= image->width || y >= image->height) return -1;
    sq::PixmapRef pix = sq::LockImagePixels(image, 0, 1, 0);
    int alpha = -1;
    if (pix && x < pix->width && y < pix->height) alpha = static_cast<int>(sq::PixmapGetPixel(pix, x, y) >> 24);
    sq::UnlockImagePixels(image, 0);
    return alpha;
}

}  // namespace

int PackArgb(int a, int r, int g, int b) {
    uint32_t v =
        (uint32_t(a) & 255u) << 24 | (uint32_t(r) & 255u) << 16 | (uint32_t(g) & 255u) << 8 | (uint32_t(b) & 255u);
    return static_cast<int>(v);
}

int FmpMap::PaletteByte(int index) const {
    return (index >= 0 && static_cast<std::size_t>(index) < palette.size()) ? palette[static_cast<std::size_t>(index)]
                                                                            : 0;
}

const int* FmpMap::CellPtr(int column, int row, int layer) const {
    if (column < 0 || row < 0 || layer < 0 || column >= cellColumns_ || row >= cellRows_ || layer >= cellLayers_)
        return nullptr;
    const std::vector<int>& l = cells[static_cast<std::size_t>(layer)];
    if (l.empty()) return &kZeroCell;
    return &l[static_cast<std::size_t>(row) * static_cast<std::size_t>(cellColumns_) +
              static_cast<std::size_t>(column)];
}

int* FmpMap::CellPtr(int column, int row, int layer) {
    if (column < 0 || row < 0 || layer < 0 || column >= cellColumns_ || row >= cellRows_ || layer >= cellLayers_)
        return nullptr;
    std::vector<int>& l = cells[static_cast<std::size_t>(layer)];
    if (l.empty()) l.assign(static_cast<std::size_t>(cellColumns_) * static_cast<std::size_t>(cellRows_), 0);
    return &l[static_cast<std::size_t>(row) * static_cast<std::size_t>(cellColumns_) +
              static_cast<std::size_t>(column)];
}

int FmpMap::CellValue(int column, int row, int layer) const {
    const int* p = CellPtr(column, row, layer);
    return p ? *p : 0;
}

const BLKSTR& FmpMap::BlockZero() const { return blocks.empty() ? kEmptyBlock : blocks[0]; }

const BLKSTR* FmpMap::ResolveBlock(int value) const {
    int64_t index = value;
    if (value < 0) {
        int64_t a = -int64_t(value);
        if (a > numAnims || a >= static_cast<int64_t>(anims.size())) return nullptr;
        int frame = anims[static_cast<std::size_t>(a)].current;
        if (frame < 0 || static_cast<std::size_t>(frame) >= animSeq.size()) return nullptr;
        index = animSeq[static_cast<std::size_t>(frame)];
    }
    if (index < 0 || index >= static_cast<int64_t>(blocks.size())) return nullptr;
    return &blocks[static_cast<std::size_t>(index)];
}

const BLKSTR& FmpMap::BlockAt(int column, int row) const {
    const int* p = CellPtr(column, row, currentLayer);
    if (!p) return BlockZero();
    const BLKSTR* b = ResolveBlock(*p);
    return b ? *b : BlockZero();
}

void FmpMap::SetCell(int column, int row, int value) {
    if (int* p = CellPtr(column, row, currentLayer)) *p = value;
}

void FmpMap::SetCellChecked(int column, int row, int value) {
    if (column < 0 || row < 0 || column >= mapWidth || row >= mapHeight) return;
    SetCell(column, row, value);
}

const BLKSTR& FmpMap::BlockAtPixel(int x, int y) const {
    if (x < 0 || y < 0 || int64_t(x) >= int64_t(blockWidth) * mapWidth ||
        int64_t(y) >= int64_t(blockHeight) * mapHeight)
        return BlockZero();
    return BlockAt(PixelToColumn(x, y), PixelToRow(x, y));
}

int FmpMap::PixelToColumn(int x, int y) const {
    if (blockGapX <= 0) return 0;
    int64_t column;
    if (blockStaggerX != 0 || blockStaggerY != 0) {
        int sx = Wrap(int64_t(x) + blockStaggerX);
        int sy = Wrap(int64_t(y) + blockStaggerY);
        column = sx / blockGapX;
        if (clickMask != 0) column += ClickMaskOffset(sx, sy, 0);
    } else {
        column = x / blockGapX;
    }
    return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(column, int64_t(mapWidth) - 1)));
}

int FmpMap::PixelToRow(int x, int y) const {
    if (blockGapY <= 0) return 0;
    int64_t row;
    if (blockStaggerX != 0 || blockStaggerY != 0) {
        int sx = Wrap(int64_t(x) + blockStaggerX);
        int sy = Wrap(int64_t(y) + blockStaggerY);
        row = sy / blockGapY;
        if (clickMask != 0) row = row * 2 + ClickMaskOffset(sx, sy, 1);
    } else {
        row = y / blockGapY;
    }
    return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(row, int64_t(mapHeight) - 1)));
}

int FmpMap::ClickMaskOffset(int x, int y, int axis) const {
    if (blockGapX <= 0 || blockGapY <= 0) return 0;
    int mx = x % blockGapX;
    int my = y % blockGapY;
    if (mx >= blockWidth) {
        if (axis == 0) return 0;
        return my < blockStaggerY ? -1 : 1;
    }
    if (my >= blockHeight) {
        if (axis == 1) return 1;
        return mx < blockStaggerX ? -1 : 0;
    }
    sq::ImageRef mask;
    if (clickMask >= 0 && static_cast<std::size_t>(clickMask) < images.size())
        mask = images[static_cast<std::size_t>(clickMask)];
    // The mask's clear (colour-key) pixels mark the corners that belong to
    // the neighbouring staggered cells.
    if (GraphicAlphaAt(mask, mx, my) == 0) {
        if (axis == 0) return mx < blockWidth / 2 ? -1 : 0;
        return my < blockHeight / 2 ? -1 : 1;
    }
    return 0;
}

int FmpMap::IsSolidAt(int x, int y) const {
    if (blockWidth <= 0 || blockHeight <= 0) return BlockZero().solidTopLeft ? 1 : 0;
    return BlockAt(x / blockWidth, y / blockHeight).solidTopLeft ? 1 : 0;
}

int FmpMap::IsSolidPixelAt(int x, int y) const {
    if (blockWidth <= 0 || blockHeight <= 0) return 0;
    const BLKSTR& b = BlockAt(x / blockWidth, y / blockHeight);
    if (!b.solidTopLeft) return 0;
    if (b.fgGraphic < 0 || static_cast<std::size_t>(b.fgGraphic) >= images.size()) return 0;
    return GraphicAlphaAt(images[static_cast<std::size_t>(b.fgGraphic)], x % blockWidth, y % blockHeight) > 0 ? 1 : 0;
}

void FmpMap::InitAnims() {
    if (numAnims < 1) return;
    const int last = static_cast<int>(std::min<int64_t>(numAnims, static_cast<int64_t>(anims.size()) - 1));
    for (int i = 1; i <= last && anims[static_cast<std::size_t>(i)].animType != kAnimEndMarker; ++i) {
        ANISTR& a = anims[static_cast<std::size_t>(i)];
        if (a.animType == kAnimStoredPingFwd) a.animType = kAnimPingPongFwd;
        if (a.animType == kAnimStoredPingBack) a.animType = kAnimPingPongBack;
        if (a.animType == kAnimOnceDone) a.animType = kAnimOnce;
        a.current = a.start;
        if ((a.animType == kAnimLoopBackward || a.animType == kAnimPingPongBack) && a.end != a.start)
            a.current = Wrap(int64_t(a.end) - 1);
        a.delayCounter = a.delay;
    }
}

void FmpMap::UpdateAnims() {
    if (numAnims < 1) return;
    const int last = static_cast<int>(std::min<int64_t>(numAnims, static_cast<int64_t>(anims.size()) - 1));
    for (int i = 1; i <= last && anims[static_cast<std::size_t>(i)].animType != kAnimEndMarker; ++i) {
        ANISTR& a = anims[static_cast<std::size_t>(i)];
        if (a.animType == kAnimNone) continue;
        a.delayCounter = Wrap(int64_t(a.delayCounter) - 1);
        if (a.delayCounter >= 0) continue;
        a.delayCounter = a.delay;
        if (a.start == a.end) continue;
        const int lastFrame = Wrap(int64_t(a.end) - 1);
        const int beforeStart = Wrap(int64_t(a.start) - 1);
        switch (a.animType) {
            case kAnimLoopForward:
                a.current = Wrap(int64_t(a.current) + 1);
                if (a.current == a.end) a.current = a.start;
                break;
            case kAnimLoopBackward:
                a.current = Wrap(int64_t(a.current) - 1);
                if (a.current == beforeStart) a.current = lastFrame;
                break;
            case kAnimOnce:
                a.current = Wrap(int64_t(a.current) + 1);
                if (a.current == a.end) {
                    a.current = a.start;
                    a.animType = kAnimOnceDone;
                }
                break;
            case kAnimOnceHold:
                if (a.current != lastFrame) a.current = Wrap(int64_t(a.current) + 1);
                break;
            case kAnimPingPongFwd:
                a.current = Wrap(int64_t(a.current) + 1);
                if (a.current == a.end) {
                    a.current = Wrap(int64_t(a.current) - 2);
                    a.animType = kAnimPingPongBack;
                    if (a.current < a.start) a.current = Wrap(int64_t(a.current) + 1);
                }
                break;
            case kAnimPingPongBack:
                a.current = Wrap(int64_t(a.current) - 1);
                if (a.current == beforeStart) {
                    a.current = Wrap(int64_t(a.current) + 2);
                    a.animType = kAnimPingPongFwd;
                    if (a.current >= a.end) a.current = Wrap(int64_t(a.current) - 1);
                }
                break;
            default:
                break;  // a finished play-once (9) and unknown types stand still
        }
    }
}
