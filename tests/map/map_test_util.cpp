#include "map_test_util.h"

FmpDocument SimpleDoc(int w, int h, int graphics, int depth) {
    FmpDocument doc;
    doc.mapWidth = w;
    doc.mapHeight = h;
    doc.depth = depth;
    for (int i = 0; i < graphics; ++i) {
        doc.tileGraphicsRGBA.push_back(i == 0 ? MakeSolidTile(16, 16, 0, 0, 0, 0)
                                              : MakeSolidTile(16, 16, 40 * i, 40 * i, 40 * i));
        FmpBlockDef b;
        b.bgGraphic = b.fgGraphic = i;
        b.flags = (i % 2) ? kFmpSolidTopLeft : 0;
        doc.blocks.push_back(b);
    }
    doc.layers.assign(3, std::vector<int16_t>(std::size_t(w) * std::size_t(h), 0));
    return doc;
}

std::unique_ptr<FmpMap> LoadBytes(const std::vector<uint8_t>& bytes, int layerLimit) {
    auto map = std::make_unique<FmpMap>();
    map->LoadMapFromMemory(bytes.data(), bytes.size(), layerLimit, "test.FMP");
    return map;
}

std::vector<uint8_t> Int16Bytes(const std::vector<int>& values, bool bigEndian) {
    std::vector<uint8_t> out;
    for (int v : values) {
        uint16_t u = static_cast<uint16_t>(v);
        if (bigEndian) {
            out.push_back(uint8_t(u >> 8));
            out.push_back(uint8_t(u & 255));
        } else {
            out.push_back(uint8_t(u & 255));
            out.push_back(uint8_t(u >> 8));
        }
    }
    return out;
}

void HeadlessTest::SetUp() {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    if (!sq::GraphicsModeOpen()) {
        ASSERT_TRUE(sq::OpenGraphicsMode(320, 240, 32, 60, 0));
    }
    sq::DrawStats() = sq::TDrawStats{};
}
