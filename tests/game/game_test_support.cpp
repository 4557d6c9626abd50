#include "game_test_support.h"

#include "fmp_writer.h"
#include "game/live_bar.h"
#include "game/player.h"

std::shared_ptr<FmpMap> MakeTextMap(const std::vector<std::string>& rows) {
    FmpDocument doc;
    doc.mapHeight = int(rows.size());
    doc.mapWidth = doc.mapHeight ? int(rows[0].size()) : 0;
    doc.blockWidth = doc.blockHeight = kCell;
    doc.depth = 32;
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(kCell, kCell, 0, 0, 0, 0));
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(kCell, kCell, 200, 200, 220));
    FmpBlockDef empty;
    FmpBlockDef solid;
    solid.bgGraphic = 1;
    solid.fgGraphic = 1;
    solid.flags = kFmpSolidTopLeft;
    doc.blocks = {empty, solid};
    // One block animation (not placed): a frame per animation step.
    FmpAnimDef blink;
    blink.animType = 1;
    blink.frames = {1, 0};
    doc.anims = {blink};
    doc.layers.assign(3, std::vector<int16_t>(std::size_t(doc.mapWidth * doc.mapHeight), 0));
    for (int r = 0; r < doc.mapHeight; ++r) {
        for (int c = 0; c < doc.mapWidth; ++c) {
            const char ch = rows[r][c];
            const int layer = ch == '#' ? 0 : ch == 'g' ? 1 : ch == 'E' ? 2 : -1;
            if (layer >= 0) doc.layers[layer][std::size_t(r * doc.mapWidth + c)] = 1;
        }
    }
    const std::vector<uint8_t> bytes = WriteFmp(doc);
    auto m = std::make_shared<FmpMap>();
    m->LoadMapFromMemory(bytes.data(), bytes.size(), 2, "text map");
    return m;
}

std::vector<std::string> FlatRoom() {
    std::vector<std::string> rows(15, "#......................................#");
    rows[12] = rows[13] = rows[14] = std::string(40, '#');
    return rows;
}

void LevelFixture::SetUp() {
    ResetGlobals();
    sim = std::make_unique<TLevelSim>(7);
}

void LevelFixture::TearDown() {
    sim.reset();
    ResetGlobals();
}

void LevelFixture::Load(const std::vector<std::string>& rows, int startX, int startY, std::vector<TSpawnPoint> kind2,
                        std::vector<TSpawnPoint> kind1, int timeLimit) {
    map = MakeTextMap(rows);
    sim->LoadCustom(map, startX, startY, timeLimit, kind2, kind1);
}

void LevelFixture::Settle(int steps) { Steps(0, steps); }

int LevelFixture::Steps(unsigned keys, int n) {
    int state = playState;
    for (int i = 0; i < n; ++i) state = sim->Step(keys);
    return state;
}
