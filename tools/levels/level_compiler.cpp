#include "level_compiler.h"

#include <map>

#include "tile_art.h"

namespace levels {

FmpDocument CompileLevel(const TLevelSource& src, const TLayout& layout, TCompileStats* stats) {
    FmpDocument doc;
    doc.mapWidth = layout.columns;
    doc.mapHeight = layout.rows;
    doc.blockWidth = doc.blockHeight = kTileSize;
    doc.depth = src.depth;
    doc.version = src.form == TMapForm::kFmp05 ? 0 : 1;
    doc.runLength = src.form == TMapForm::kFmp10Rle;
    doc.bigEndian = !src.littleEndian;

    // Graphic 0 stays blank: the game never draws it, and a cell whose
    // picked-up gift was cleared to block 0 must show nothing.
    doc.tileGraphicsRGBA.push_back(TTilePixels(kTileSize * kTileSize * 4, 0));
    std::map<TTilePixels, int> graphicIndex{{doc.tileGraphicsRGBA[0], 0}};
    auto graphicFor = [&](const TTilePixels& px) {
        auto it = graphicIndex.find(px);
        if (it != graphicIndex.end()) return it->second;
        int index = int(doc.tileGraphicsRGBA.size());
        doc.tileGraphicsRGBA.push_back(px);
        graphicIndex.emplace(px, index);
        return index;
    };
    doc.blocks.push_back(FmpBlockDef{});  // block 0: open air

    // Every piece becomes its cell value the first time it is met, scanning
    // the layers in order, so the same source always gives the same file.
    std::map<int, int16_t> cellValue;
    auto valueFor = [&](const TPiece& piece) -> int16_t {
        auto it = cellValue.find(piece.Code());
        if (it != cellValue.end()) return it->second;
        TPieceInfo info = PieceInfo(piece);
        std::vector<int> frames;
        for (int f = 0; f < info.frames; ++f) {
            TTilePixels px = PaintPiece(piece, f);
            int g = TileIsEmpty(px) ? 0 : graphicFor(px);
            FmpBlockDef block;
            if (info.layer == 1)
                block.fgGraphic = g;  // gifts are drawn with the foreground graphic
            else
                block.bgGraphic = g;
            if (info.solid)
                block.flags = kFmpSolidTopLeft | kFmpSolidTopRight | kFmpSolidBottomLeft | kFmpSolidBottomRight;
            block.user1 = piece.Code();
            block.user5 = uint8_t(f);
            frames.push_back(int(doc.blocks.size()));
            doc.blocks.push_back(block);
        }
        int16_t value;
        if (frames.size() == 1) {
            value = int16_t(frames[0]);
        } else {
            FmpAnimDef anim;
            anim.animType = info.animType;
            anim.delay = info.delay;
            anim.delayCounter = info.delay;
            anim.frames = frames;
            doc.anims.push_back(anim);
            value = int16_t(-int(doc.anims.size()));
        }
        cellValue.emplace(piece.Code(), value);
        return value;
    };

    doc.layers.assign(3, std::vector<int16_t>(size_t(layout.columns) * layout.rows, 0));
    for (int l = 0; l < 3; ++l)
        for (int r = 0; r < layout.rows; ++r)
            for (int c = 0; c < layout.columns; ++c) {
                const TPiece& p = layout.At(l, c, r);
                if (!p.Empty()) doc.layers[l][size_t(r) * layout.columns + c] = valueFor(p);
            }
    if (stats) {
        stats->graphics = int(doc.tileGraphicsRGBA.size());
        stats->blocks = int(doc.blocks.size());
        stats->anims = int(doc.anims.size());
    }
    return doc;
}

}  // namespace levels
