// Writes the fuzzer's seed corpus: small maps of every stored form, with
// animations of every type, a staggered map and unknown chunks.
//   fmp_seeds OUTPUT_DIR
#include <cstdio>
#include <string>

#include "fmp_writer.h"

namespace {

FmpDocument SmallMap(int version, bool runLength, bool big, int depth) {
    FmpDocument doc;
    doc.version = version;
    doc.runLength = runLength;
    doc.bigEndian = big;
    doc.depth = depth;
    doc.mapWidth = 5;
    doc.mapHeight = 3;
    doc.blockWidth = 4;
    doc.blockHeight = 3;
    doc.tileGraphicsRGBA = {MakeSolidTile(4, 3, 0, 0, 0, 0), MakeSolidTile(4, 3, 255, 0, 0),
                            MakeSolidTile(4, 3, 0, 255, 0)};
    doc.tileGraphicsRGBA[2][3] = 0;  // one clear pixel
    FmpBlockDef empty, ground, pillar;
    ground.bgGraphic = 1;
    ground.flags = kFmpSolidTopLeft;
    pillar.fgGraphic = 2;
    pillar.fgGraphic2 = 1;
    pillar.flags = kFmpPillarNext | kFmpLeftHalfOnly;
    doc.blocks = {empty, ground, pillar, ground};
    for (int type = 1; type <= 9; ++type) {
        FmpAnimDef a;
        a.animType = type;
        a.delay = type % 3;
        a.frames = {1, 2, 3};
        doc.anims.push_back(a);
    }
    doc.layers.assign(3, std::vector<int16_t>(15, 0));
    for (int i = 0; i < 15; ++i) {
        doc.layers[0][std::size_t(i)] = int16_t(i % 4);
        doc.layers[1][std::size_t(i)] = int16_t(i < 5 ? -(i + 1) : 0);
    }
    doc.layers[2][14] = 3;
    return doc;
}

bool Save(const FmpDocument& doc, const std::string& path) {
    try {
        SaveFmp(doc, path);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fmp_seeds OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (int kind = 0; kind < 3; ++kind)
        for (bool big : {false, true})
            for (int depth : {8, 15, 16, 24, 32}) {
                FmpDocument doc = SmallMap(kind == 0 ? 0 : 1, kind == 2, big, depth);
                ok &= Save(doc,
                           dir + "/form" + std::to_string(kind) + (big ? "b" : "l") + std::to_string(depth) + ".FMP");
            }
    FmpDocument staggered = SmallMap(1, false, false, 16);
    staggered.blockStaggerX = 2;
    staggered.blockStaggerY = 1;
    staggered.blockGapX = 4;
    staggered.blockGapY = 2;
    staggered.clickMask = 2;
    ok &= Save(staggered, dir + "/staggered.FMP");
    FmpDocument odd = SmallMap(1, true, true, 24);
    odd.headerSize = 24;
    odd.leadingChunks = {{"ATHR", {'s', 'q'}}};
    odd.extraChunks = {{"LYR3", {0, 1, 0, 2}}, {"NOTE", {}}};
    odd.layers.resize(5, std::vector<int16_t>(15, 1));
    ok &= Save(odd, dir + "/oddchunks.FMP");
    return ok ? 0 : 1;
}
