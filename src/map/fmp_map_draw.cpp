// FmpMap: drawing the layers, grid and staggered, and single graphics.
//
// Every drawing operation saves the drawing state once per call (not per
// cell), works in a known state and puts the caller's state back at the end.
// Cells outside the cell array, and cells naming a block or animation that
// does not exist, draw nothing.
#include <cmath>
#include <cstdint>

#include "core/frame_helpers.h"
#include "map/fmp_map.h"

namespace {

// The graphic of `which` (0 background, 1..3 the foreground graphics).
int GraphicOf(const BLKSTR& b, int which) {
    switch (which) {
        case 0:
            return b.bgGraphic;
        case 1:
            return b.fgGraphic;
        case 2:
            return b.fgGraphic2;
        case 3:
            return b.fgGraphic3;
        default:
            return -1;
    }
}

}  // namespace

void DrawImageSolid(const sq::ImageRef& image, float x, float y, int frame) {
    if (!image) return;
    int mode = sq::GetBlendMode();
    sq::SetBlendMode(sq::kBlendSolid);
    sq::DrawImageAt(image, x, y, frame);
    sq::SetBlendMode(mode);
}

void FmpMap::ResetDrawState() {
    sq::SetDrawAlpha(1.0f);
    sq::SetDrawColor(255, 255, 255);
    sq::SetBlendMode(sq::kBlendAlpha);
}

void FmpMap::DrawGraphic(int index, float x, float y, int /*spare*/, int solid) {
    if (index < 0 || static_cast<std::size_t>(index) >= images.size()) return;
    const sq::ImageRef& image = images[static_cast<std::size_t>(index)];
    if (!image) return;
    // Blocks land on whole pixels, drawn from the sheet where it holds them.
    x = std::floor(x + 0.5f);
    y = std::floor(y + 0.5f);
    const int frame = SheetFrame(index);
    const sq::ImageRef& source = frame >= 0 ? sheet_ : image;
    if (solid == 1) {
        DrawImageSolid(source, x, y, frame >= 0 ? frame : 0);
    } else {
        sq::DrawImageAt(source, x, y, frame >= 0 ? frame : 0);
    }
}

void FmpMap::DrawGraphicIsolated(int index, float x, float y, int spare, int solid) {
    DRAW2DENV saved;
    ResetDrawState();
    DrawGraphic(index, x, y, spare, solid);
    saved.Restore();
}

void FmpMap::DrawGraphicClipped(int index, float x, float y, float srcX, float srcY, float w, float h, int frame) {
    if (index < 0 || static_cast<std::size_t>(index) >= images.size()) return;
    const sq::ImageRef& image = images[static_cast<std::size_t>(index)];
    if (!image || frame < 0 || frame >= image->FrameCount()) return;
    DRAW2DENV saved;
    ResetDrawState();
    sq::SetClipRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h));
    const int sheetFrame = frame == 0 ? SheetFrame(index) : -1;
    if (sheetFrame >= 0)
        sq::DrawImageAt(sheet_, std::floor(x - srcX + 0.5f), std::floor(y - srcY + 0.5f), sheetFrame);
    else
        sq::DrawImageAt(image, x - srcX, y - srcY, frame);
    saved.Restore();
}

void FmpMap::DrawLayerBg(int mapX, int mapY, int x, int y, int w, int h) {
    if (blockStaggerX != 0 || blockStaggerY != 0) {
        DrawLayerStaggered(mapX, mapY, x, y, w, h, 0);
        return;
    }
    DrawGridLayer(mapX, mapY, x, y, w, h, 0, true, false);
}

void FmpMap::DrawLayerFg(int mapX, int mapY, int x, int y, int w, int h, int kind) {
    if (blockStaggerX != 0 || blockStaggerY != 0) {
        DrawLayerStaggered(mapX, mapY, x, y, w, h, kind + 1);
        return;
    }
    DrawGridLayer(mapX, mapY, x, y, w, h, kind + 1, true, false);
}

void FmpMap::DrawLayerBgSolid(int mapX, int mapY, int x, int y, int w, int h) {
    if (blockStaggerX != 0 || blockStaggerY != 0) {
        DrawLayerStaggered(mapX, mapY, x, y, w, h, 0);
        return;
    }
    DrawGridLayer(mapX, mapY, x, y, w, h, 0, false, true);
}

void FmpMap::DrawGridLayer(int mapX, int mapY, int x, int y, int w, int h, int which, bool skipZero, bool solid) {
    DRAW2DENV saved;
    ResetDrawState();
    sq::SetClipRect(x, y, w, h);
    if (blockWidth > 0 && blockHeight > 0 && currentLayer >= 0 && currentLayer < cellLayers_) {
        const int64_t right = int64_t(x) + w;
        const int64_t bottom = int64_t(y) + h;
        int64_t column0 = mapX / blockWidth;
        int64_t row = mapY / blockHeight;
        int64_t px0 = int64_t(x) - mapX % blockWidth;
        int64_t py = int64_t(y) - mapY % blockHeight;
        // Cells left of or above the array draw nothing: step over them at once.
        if (column0 < 0) {
            px0 -= column0 * blockWidth;
            column0 = 0;
        }
        if (row < 0) {
            py -= row * blockHeight;
            row = 0;
        }
        const std::vector<int>& layer = cells[static_cast<std::size_t>(currentLayer)];
        for (; py < bottom && row < cellRows_; ++row, py += blockHeight) {
            int64_t px = px0;
            for (int64_t column = column0; px < right && column < cellColumns_; ++column, px += blockWidth) {
                int v = layer.empty() ? 0 : layer[static_cast<std::size_t>(row * cellColumns_ + column)];
                const BLKSTR* b = ResolveBlock(v);
                if (!b) continue;
                int g = GraphicOf(*b, which);
                if (skipZero && g <= 0) continue;
                DrawGraphic(g, static_cast<float>(px), static_cast<float>(py), 0, solid ? 1 : 0);
            }
        }
    }
    saved.Restore();
}

void FmpMap::DrawLayerStaggered(int mapX, int mapY, int x, int y, int w, int h, int kind) {
    DRAW2DENV saved;
    ResetDrawState();
    sq::SetClipRect(x, y, w, h);
    if (blockGapX > 0 && blockGapY > 0 && currentLayer >= 0 && currentLayer < cellLayers_) {
        const int64_t right = int64_t(x) + w;
        const int64_t bottom = int64_t(y) + h;
        const int64_t column0 = mapX / blockGapX;
        int64_t row = 2 * int64_t(mapY / blockGapY);
        const int64_t px0 = int64_t(x) - mapX % blockGapX - blockStaggerX;
        int64_t py = int64_t(y) - mapY % blockGapY - blockStaggerY;
        // A line of cells wholly above or below the clip rectangle shows
        // nothing, nor does a cell wholly left of it: such cells are stepped
        // over, so that a large stagger cannot turn into millions of draws.
        auto drawLine = [&](int64_t rowOfLine, int64_t lineX, int64_t lineY) {
            if (rowOfLine < 0 || rowOfLine >= cellRows_) return;
            if (lineY + blockHeight <= y || lineY >= bottom) return;
            int64_t column = column0;
            int64_t px = lineX;
            if (px + blockWidth <= x) {
                int64_t skip = (x - (px + blockWidth)) / blockGapX + 1;
                column += skip;
                px += skip * blockGapX;
            }
            if (column < 0) {  // columns left of the array draw nothing
                px -= column * blockGapX;
                column = 0;
            }
            for (; px < right && column < cellColumns_; ++column, px += blockGapX) {
                const BLKSTR* b =
                    ResolveBlock(CellValue(static_cast<int>(column), static_cast<int>(rowOfLine), currentLayer));
                if (b) DrawGraphic(GraphicOf(*b, kind), static_cast<float>(px), static_cast<float>(lineY), 0, 0);
            }
        };
        // Each pass draws an even row and the odd row set off by the stagger;
        // the pass moves down by one gap, so the loop always ends.
        while (py < bottom && row < cellRows_) {
            drawLine(row, px0, py);
            ++row;
            py += blockStaggerY;
            drawLine(row, px0 + blockStaggerX, py);
            ++row;
            py += blockGapY - blockStaggerY;
        }
    }
    saved.Restore();
}

void FmpMap::DrawPiece(const BLKSTR& block, int g, int px, int t) {
    if (g <= 0) return;
    const bool left = block.leftHalfOnly != 0;
    const bool right = block.rightHalfOnly != 0;
    // Half a block, truncated to whole pixels.
    const float half = static_cast<float>(blockWidth / 2);  // NOLINT(bugprone-integer-division)
    if (!left && !right) {
        DrawGraphic(g, static_cast<float>(px), static_cast<float>(t), 0, 0);
    } else if (left && !right) {
        DrawGraphicClipped(g, static_cast<float>(px), static_cast<float>(t), 0, 0, half,
                           static_cast<float>(blockHeight), 0);
    } else if (right && !left) {
        DrawGraphicClipped(g, static_cast<float>(px) + half, static_cast<float>(t), half, 0, half,
                           static_cast<float>(blockHeight), 0);
    }
}

void FmpMap::DrawStaggeredRow(int mapX, int mapY, int x, int y, int w, int h, int rowIndex) {
    if (blockGapX <= 0 || blockGapY <= 0 || blockHeight <= 0) return;
    if (int64_t(rowIndex) + mapY / blockGapY >= mapHeight) return;
    DRAW2DENV saved;
    ResetDrawState();
    sq::SetClipRect(x, y, w, h);
    int64_t column = mapX / blockGapX;
    const int64_t mapRow = 2 * int64_t(mapY / blockGapY) + rowIndex;
    int64_t px = int64_t(x) - mapX % blockGapX;
    int64_t py = int64_t(y) + int64_t(rowIndex / 2) * blockGapY - mapY % blockGapY;
    if (rowIndex % 2 == 0) {
        px -= blockStaggerX;
        py -= blockStaggerY;
    }
    const int64_t right = int64_t(x) + w;
    const int bh = blockHeight;
    if (px + blockWidth <= x) {  // cells wholly left of the clip show nothing
        int64_t skip = (x - (px + int64_t(blockWidth))) / blockGapX + 1;
        column += skip;
        px += skip * blockGapX;
    }
    for (; px < right && column < cellColumns_; ++column, px += blockGapX) {
        const int* cell = CellPtr(static_cast<int>(column), static_cast<int>(mapRow), currentLayer);
        if (!cell) continue;
        int64_t base;  // first block of the pillar
        if (*cell < 0) {
            int64_t a = -int64_t(*cell);
            if (a > numAnims || a >= static_cast<int64_t>(anims.size())) continue;
            int frame = anims[static_cast<std::size_t>(a)].current;
            if (frame < 0 || static_cast<std::size_t>(frame) >= animSeq.size()) continue;
            base = animSeq[static_cast<std::size_t>(frame)];
        } else {
            base = *cell;
        }
        int64_t t = py;
        // Blocks u, u + 1, ... stack upwards while pillarNext is set. Once the
        // pile has left the top of the clip nothing more of it can show.
        for (int64_t j = 0;; ++j) {
            int64_t u = base + j;
            if (u < 0 || u >= static_cast<int64_t>(blocks.size())) break;
            const BLKSTR& b = blocks[static_cast<std::size_t>(u)];
            if (j > 0) {
                DrawPiece(b, b.bgGraphic, static_cast<int>(px), static_cast<int>(t));
                t -= bh;
            }
            DrawPiece(b, b.fgGraphic, static_cast<int>(px), static_cast<int>(t));
            DrawPiece(b, b.fgGraphic2, static_cast<int>(px), static_cast<int>(t - bh));
            DrawPiece(b, b.fgGraphic3, static_cast<int>(px), static_cast<int>(t - 2 * int64_t(bh)));
            t -= 3 * int64_t(bh);
            if (!b.pillarNext || t + bh <= y) break;
        }
    }
    saved.Restore();
}
