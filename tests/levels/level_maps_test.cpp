// Level maps as the game reads them: every file form the levels use comes
// back through the game's loader cell for cell, the stand-alone player model
// moves exactly like the game's player, and the shipped sources keep the
// rules and the game's level table.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/main_game_loop.h"
#include "layout_query.h"
#include "level_compiler.h"
#include "level_rules.h"
#include "level_table.h"
#include "map/fmp_map.h"
#include "platform/video/graphics.h"
#include "sim_mover.h"

using namespace levels;

namespace {

// A small level with every kind of piece: ground, gifts, the door, decoration.
TLevelSource SmallLevel(TMapForm form, int depth, bool little) {
    std::vector<std::string> rows(15, std::string(24, '.'));
    rows[14] = std::string(24, '#');
    rows[13] = std::string(24, '#');
    rows[12] = "..g.G.....L..S.T.f..EE..";
    rows[10] = "IIII..====..............";
    rows[9] = "......~^~^..............";
    rows[8] = "........BBB.RRR.||......";
    rows[2] = "...*.....*..............";
    TLevelSource src;
    src.name = "small";
    src.columns = 24;
    src.rows = 15;
    src.form = form;
    src.depth = depth;
    src.littleEndian = little;
    src.cells = rows;
    return src;
}

std::shared_ptr<FmpMap> LoadCompiled(const TLevelSource& src, TLayout& layout) {
    std::vector<std::string> errors;
    EXPECT_TRUE(BuildLayout(src, layout, errors));
    FmpDocument doc = CompileLevel(src, layout);
    std::vector<uint8_t> bytes = WriteFmp(doc);
    auto map = std::make_shared<FmpMap>();
    map->LoadMapFromMemory(bytes.data(), bytes.size(), 2, "small");
    map->InitAnims();
    return map;
}

struct TForm {
    TMapForm form;
    int depth;
    bool little;
    int mapType;
};

class CompiledMapTest : public ::testing::TestWithParam<TForm> {
protected:
    static void SetUpTestSuite() {
        sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
        if (!sq::GraphicsModeOpen()) sq::OpenGraphicsMode(320, 240, 32, 60, 0);
    }
};

}  // namespace

TEST_P(CompiledMapTest, LoaderSeesTheLayout) {
    const TForm f = GetParam();
    TLayout layout;
    auto map = LoadCompiled(SmallLevel(f.form, f.depth, f.little), layout);
    ASSERT_EQ(map->errorCode, kFmpOk) << map->LastError();
    EXPECT_EQ(map->mapType, f.mapType);
    EXPECT_EQ(map->blockDepth, f.depth);
    EXPECT_EQ(map->littleEndian, f.little ? 1 : 0);
    ASSERT_EQ(map->mapWidth, 24);
    ASSERT_EQ(map->mapHeight, 15);
    TFmpQuery query(*map);
    for (int l = 0; l < 3; ++l)
        for (int r = 0; r < 15; ++r)
            for (int c = 0; c < 24; ++c)
                ASSERT_EQ(query.Solid(l, c * 16 + 3, r * 16 + 9), layout.Solid(l, c, r))
                    << "layer " << l << " cell " << c << "," << r;
    // the gifts keep their picture on the foreground graphic, the door its glow on the background
    map->currentLayer = 1;
    EXPECT_GT(map->BlockAt(2, 12).fgGraphic, 0);
    EXPECT_EQ(map->BlockAt(2, 12).bgGraphic, 0);
    map->currentLayer = 2;
    const BLKSTR& door = map->BlockAt(20, 12);
    EXPECT_GT(door.bgGraphic, 0);
    ASSERT_NE(map->images[door.bgGraphic], nullptr);
    // the sparkling gift and the lit door animate, and every frame stays solid
    map->currentLayer = 1;
    int before = map->BlockAt(4, 12).fgGraphic;
    bool changed = false;
    for (int i = 0; i < 8; ++i) {
        map->UpdateAnims();
        EXPECT_TRUE(map->IsSolidAt(4 * 16, 12 * 16));
        changed |= map->BlockAt(4, 12).fgGraphic != before;
    }
    EXPECT_TRUE(changed);
    // see-through pixels of a gift stay see-through in every depth
    sq::PixmapRef px = map->images[map->BlockAt(2, 12).fgGraphic]->frames[0].pixmap;
    EXPECT_EQ(sq::PixmapGetPixel(px, 0, 0) >> 24, 0u);
    EXPECT_EQ(sq::PixmapGetPixel(px, 7, 10) >> 24, 255u);
}

INSTANTIATE_TEST_SUITE_P(Forms, CompiledMapTest,
                         ::testing::Values(TForm{TMapForm::kFmp05, 8, false, 0}, TForm{TMapForm::kFmp10, 24, true, 1},
                                           TForm{TMapForm::kFmp10Rle, 16, false, 2},
                                           TForm{TMapForm::kFmp10Rle, 32, true, 2},
                                           TForm{TMapForm::kFmp10, 15, false, 1}),
                         [](const ::testing::TestParamInfo<TForm>& info) {
                             const TForm& f = info.param;
                             std::string form = f.form == TMapForm::kFmp05
                                                    ? "Fmp05"
                                                    : (f.form == TMapForm::kFmp10 ? "Fmp10" : "Fmp10Rle");
                             return form + "_" + std::to_string(f.depth) + "bit_" + (f.little ? "little" : "big");
                         });

TEST(CompiledMap, SameSourceSameBytes) {
    TLevelSource src = SmallLevel(TMapForm::kFmp10Rle, 16, true);
    TLayout a, b;
    std::vector<std::string> errors;
    ASSERT_TRUE(BuildLayout(src, a, errors));
    ASSERT_TRUE(BuildLayout(src, b, errors));
    EXPECT_EQ(WriteFmp(CompileLevel(src, a)), WriteFmp(CompileLevel(src, b)));
}

// The route search usually runs the game's own player; the model is the fast
// stand-in for trying layouts. Both must move the same way step by step.
TEST(PlayerModel, MovesExactlyLikeTheGamesPlayer) {
    TLevelSource src = SmallLevel(TMapForm::kFmp10, 16, true);
    TLayout layout;
    auto map = LoadCompiled(src, layout);
    auto modelMap = LoadCompiled(src, layout);
    TLevelSim sim(3);
    sim.SetSnow(false);
    sim.LoadCustom(map, 100, 100, 100000);
    TSimMover game(sim);
    TFmpQuery modelQuery(*modelMap);
    TModelMover model(modelQuery);
    model.Restore(game.Save());
    std::mt19937 rnd(7);
    unsigned keys = 0;
    for (int step = 0; step < 6000; ++step) {
        if (step % 25 == 0) keys = rnd() % 8;
        TStepProbe g = game.Step(keys);
        TStepProbe m = model.Step(keys);
        TMoverState gs = game.Save(), ms = model.Save();
        ASSERT_EQ(gs.x, ms.x) << "step " << step;
        ASSERT_EQ(gs.y, ms.y) << "step " << step;
        ASSERT_EQ(gs.vx, ms.vx) << "step " << step;
        ASSERT_EQ(gs.vy, ms.vy) << "step " << step;
        ASSERT_EQ(gs.jumping, ms.jumping) << "step " << step;
        ASSERT_EQ(g.onExit, m.onExit) << "step " << step;
        if (g.onExit) {  // walk back into the level from the door
            game.Restore(gs);
            model.Restore(gs);
        }
    }
}

TEST(LevelTable, ToolsAgreeWithTheGame) {
    for (int n = 1; n <= levels::kLevelCount; ++n) {
        const TLevelInfo& game = LevelInfo(n);
        const TLevelFacts& ours = LevelFacts(n);
        EXPECT_EQ(game.startX, ours.startX) << n;
        EXPECT_EQ(game.startY, ours.startY) << n;
        EXPECT_EQ(game.timeLimit, ours.timeLimit) << n;
        ASSERT_EQ(game.kind2.size(), ours.kind2.size()) << n;
        ASSERT_EQ(game.kind1.size(), ours.kind1.size()) << n;
        for (size_t i = 0; i < ours.kind2.size(); ++i) {
            EXPECT_EQ(game.kind2[i].x, ours.kind2[i].x);
            EXPECT_EQ(game.kind2[i].y, ours.kind2[i].y);
        }
        for (size_t i = 0; i < ours.kind1.size(); ++i) {
            EXPECT_EQ(game.kind1[i].x, ours.kind1[i].x);
            EXPECT_EQ(game.kind1[i].y, ours.kind1[i].y);
        }
    }
}

// The shipped sources: they build, fit the game's positions, and between them
// use every file form, both byte orders and more than one depth.
TEST(ShippedLevels, SourcesKeepTheRules) {
    std::set<int> forms, depths, orders;
    for (int n = 1; n <= levels::kLevelCount; ++n) {
        TLevelSource src;
        std::string error;
        ASSERT_TRUE(
            LoadLevelSource(std::string(SQ_LEVEL_SOURCE_DIR) + "/level_" + std::to_string(n) + ".txt", src, error))
            << error;
        TLayout layout;
        std::vector<std::string> errors;
        ASSERT_TRUE(BuildLayout(src, layout, errors)) << n << ": " << errors[0];
        TRulesReport rules = CheckLevelRules(TLayoutQuery(layout), LevelFacts(n));
        EXPECT_TRUE(rules.faults.empty()) << "level " << n << ": " << rules.faults[0];
        forms.insert(int(src.form));
        depths.insert(src.depth);
        orders.insert(src.littleEndian);
    }
    EXPECT_EQ(forms.size(), 3u);
    EXPECT_GE(depths.size(), 2u);
    EXPECT_EQ(orders.size(), 2u);
}
