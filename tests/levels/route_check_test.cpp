// The level checker's monster-aware parts: the key scripts routes are stored
// as, the recorded monster tracks against the game's own contact test, and a
// search that keeps a route clear of a patrolling monster.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/live_bar.h"
#include "key_script.h"
#include "level_compiler.h"
#include "level_rules.h"
#include "map/fmp_map.h"
#include "monster_track.h"
#include "platform/video/graphics.h"
#include "route_figures.h"
#include "route_search.h"
#include "route_slack.h"
#include "sim_mover.h"

using namespace levels;

namespace {

TEST(KeyScript, RunLengthRoundTrip) {
    TKeyScript script;
    script.level = 4;
    for (int i = 0; i < 30; ++i) script.keys.push_back(kKeyRight);
    for (int i = 0; i < 16; ++i) script.keys.push_back(kKeyRight | kKeyUp);
    script.keys.push_back(0);
    script.keys.push_back(kKeyLeft | kKeyFire);
    for (int i = 0; i < 5; ++i) script.keys.push_back(0);
    const std::string text = FormatKeyScript(script, "two lines\nof comment");
    EXPECT_NE(text.find("# two lines\n# of comment\n"), std::string::npos);
    EXPECT_NE(text.find("\n30 R\n16 RU\n1 -\n1 LF\n5 -\n"), std::string::npos) << text;
    TKeyScript back;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(text, back, error)) << error;
    EXPECT_EQ(back.level, 4);
    EXPECT_EQ(back.keys, script.keys);
    // Windows line ends are read as well.
    ASSERT_TRUE(ParseKeyScript("level 2\r\n3 UL\r\n", back, error)) << error;
    EXPECT_EQ(back.keys, std::vector<unsigned>(3, kKeyUp | kKeyLeft));
}

TEST(KeyScript, MalformedScriptsAreRefusedWithTheLine) {
    struct TCase {
        const char* text;
        const char* message;
    } cases[] = {
        {"level 1\n10 R\n0 R\n", "line 3: bad step count"},
        {"level 1\n-4 R\n", "line 2: bad step count"},
        {"level 1\n12x R\n", "line 2: bad step count"},
        {"level 1\n10 RX\n", "line 2: unknown key 'X'"},
        {"level 1\n10\n", "line 2: expected two words"},
        {"level 1\n10 R U\n", "line 2: expected two words"},
        {"level one\n10 R\n", "line 1: bad number"},
        {"level 1\nsteps 11\n10 R\n", "steps says 11 but the runs add up to 10"},
        {"# nothing\nlevel 1\n", "no steps"},
        {"level 1\n99999999999999999999 R\n", "line 2: bad step count"},
        {"level 1\n900000 R\n900000 L\n", "line 3: the route is too long"},
    };
    for (const TCase& c : cases) {
        TKeyScript out;
        std::string error;
        EXPECT_FALSE(ParseKeyScript(c.text, out, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
    }
    TKeyScript out;
    std::string error;
    EXPECT_FALSE(LoadKeyScript("/nonexistent/level_9.keys", out, error));
    EXPECT_NE(error.find("/nonexistent/level_9.keys"), std::string::npos);
}

TEST(KeyScript, EveryShippedLevelHasAStoredRoute) {
    for (int n = 1; n <= ::kLevelCount; ++n) {
        const std::string path = std::string(SQ_ROUTES_DIR) + "/level_" + std::to_string(n) + ".keys";
        TKeyScript script;
        std::string error;
        ASSERT_TRUE(LoadKeyScript(path, script, error)) << error;
        EXPECT_EQ(script.level, n) << path;
    }
}

// A 28 x 15 map built from its rows as the level tools build the game's.
std::shared_ptr<FmpMap> CompiledMap(const std::vector<std::string>& rows, const std::string& name) {
    TLevelSource src;
    src.name = name;
    src.columns = 28;
    src.rows = 15;
    src.form = TMapForm::kFmp10;
    src.depth = 16;
    src.littleEndian = true;
    src.cells = rows;
    TLayout layout;
    std::vector<std::string> errors;
    EXPECT_TRUE(BuildLayout(src, layout, errors));
    std::vector<uint8_t> bytes = WriteFmp(CompileLevel(src, layout));
    auto map = std::make_shared<FmpMap>();
    map->LoadMapFromMemory(bytes.data(), bytes.size(), 2, name);
    map->InitAnims();
    return map;
}

// A field with a pit that one three-hit monster patrols, the start on the
// left, the door on the right, and a high walkway over the pit that is the
// longer way round.
constexpr TSpawnPoint kFieldMonster[] = {{200, 184}};
constexpr int kFieldStartX = 16, kFieldStartY = 148;

std::shared_ptr<FmpMap> FieldMap() {
    std::vector<std::string> rows(15, std::string(28, '.'));
    rows[14] = rows[13] = std::string(28, '#');
    rows[12] = rows[11] = "########...........#########";
    rows[10] = "....................#...EE..";
    rows[9] = "....#.......................";
    rows[7] = "......===============.......";
    return CompiledMap(rows, "field");
}

TLevelInfo FieldInfo() {
    return {"", "field", 120, kFieldStartX, kFieldStartY, {}, std::span<const TSpawnPoint>(kFieldMonster)};
}

class MonsterRouteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
        if (!sq::GraphicsModeOpen()) sq::OpenGraphicsMode(320, 240, 32, 60, 0);
    }
};

// The recorded track must say "touched" exactly on the steps on which the
// game itself takes energy from a player wandering through the monster.
TEST_F(MonsterRouteTest, TrackAgreesWithTheGamesContact) {
    constexpr int kSteps = 3000;
    const int seeds[] = {5};
    TMonsterTrack track;
    track.Record(FieldMap(), kFieldStartX, kFieldStartY, {}, kFieldMonster, seeds, kSteps);
    TLevelSim sim(5);
    sim.SetSnow(false);
    sim.LoadCustom(FieldMap(), kFieldStartX, kFieldStartY, 100000, {}, kFieldMonster);
    std::mt19937 rnd(11);
    unsigned keys = 0;
    TSimSnapshot before, after;
    int touches = 0;
    for (int step = 1; step <= kSteps; ++step) {
        if (step % 40 == 1) keys = (rnd() % 3 == 0 ? kSimLeft : kSimRight) | (rnd() % 4 == 0 ? kSimUp : 0u);
        sim.SaveInto(before);
        sim.Step(keys);
        sim.SaveInto(after);
        if (after.playerDying) break;
        const bool hurt = after.energy < before.energy;
        const TPlayerState p = sim.SavePlayer();
        ASSERT_EQ(track.TouchesOnSeed(0, step, p.x, p.y), hurt) << "step " << step;
        touches += hurt;
    }
    EXPECT_GT(touches, 20) << "the walk never met the monster; the test proves nothing";
    // Beyond the recording nothing is known, so it counts as touched.
    EXPECT_TRUE(track.Touches(kSteps + 1, -500, -500));
}

// The quickest route ignoring the monster crosses the pit and meets it; the
// search that sees the monster finds a way within the energy budget, and its
// count of touched steps is what the game's own replay charges.
TEST_F(MonsterRouteTest, SearchKeepsClearOfThePatrol) {
    const TLevelInfo info = FieldInfo();
    const int seeds[] = {5};
    TMonsterTrack track;
    track.Record(FieldMap(), kFieldStartX, kFieldStartY, {}, kFieldMonster, seeds, 40 * 200);
    auto map = FieldMap();
    TFmpQuery query(*map);
    const TPoint monster[] = {{200, 184}};
    TLevelFacts facts{kFieldStartX, kFieldStartY, 120, {}, monster};
    TRulesReport rules = CheckLevelRules(query, facts);
    ASSERT_EQ(rules.patrols.size(), 1u);

    TSearchResult blind, aware;
    {
        TLevelSim sim(1);
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(map, kFieldStartX, kFieldStartY, 1000000);
        TSimMover mover(sim);
        TSearchOptions o;
        o.maxSteps = 40 * 200;
        o.pixelWidth = query.PixelWidth();
        o.pixelHeight = query.PixelHeight();
        o.keepSearchingForGifts = false;
        const TMoverState start = mover.Save();
        blind = SearchRoute(mover, start, o);
        o.touched = [&track](int step, const TMoverState& s) { return track.Touches(step, s.x, s.y); };
        o.hurtBudget = 60;
        aware = SearchRoute(mover, start, o);
    }
    ASSERT_TRUE(blind.found);
    ASSERT_TRUE(aware.found);
    auto load = [] { return FieldMap(); };
    const TRouteFigures b = MeasureRoute(info, load, blind.routeKeys, rules.patrols, 0, seeds);
    const TRouteFigures a = MeasureRoute(info, load, aware.routeKeys, rules.patrols, 0, seeds);
    EXPECT_GT(b.energyLost, 0.1f);
    EXPECT_TRUE(a.reachedExit);
    EXPECT_EQ(a.livesLost, 0);
    EXPECT_LE(aware.routeHurt, 60);
    // 0.1 energy units a touched step, 50 units a bar.
    EXPECT_NEAR(a.energyLost * kFullEnergy / 0.1f, float(aware.routeHurt), 0.5f);
    // The pit is the monster's: the blind route crossed it, the other went over.
    EXPECT_EQ(b.monstersCrossed, 1);
    EXPECT_GT(b.zoneSteps, 0);
    EXPECT_EQ(a.monstersCrossed, 0);
    EXPECT_EQ(a.zoneSteps, 0);
    EXPECT_GE(a.steps, blind.routeSteps);
}

// ---- Room for a human hand ----

// Flat ground with a gap a block wide; the door beyond it. With `step`, a
// step one block high instead of the gap, the door on top of it.
std::shared_ptr<FmpMap> GapMap(bool step = false, int doorColumn = 22) {
    std::vector<std::string> rows(15, std::string(28, '.'));
    rows[14] = rows[13] = "##########.#################";
    rows[12] = std::string(28, '.');
    rows[12].replace(std::size_t(doorColumn), 2, "EE");
    if (step) {
        rows[14] = rows[13] = std::string(28, '#');
        rows[12] = "..........##################";
        rows[11] = "......................EE....";
    }
    return CompiledMap(rows, "gap");
}

// A route made a step at a time on a map of its own, the keys kept.
struct TRouteMaker {
    explicit TRouteMaker(std::shared_ptr<FmpMap> map) {
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(std::move(map), 16, 150, 100000);
    }
    void Press(unsigned k, int steps = 1) {
        for (int i = 0; i < steps; ++i) {
            keys.push_back(k);
            sim.Step(k);
        }
    }
    TPlayerState Player() { return sim.SavePlayer(); }

    TLevelSim sim{1};
    std::vector<unsigned> keys;
};

// Runs right from the start and jumps once the player has passed `takeOffX`.
std::vector<unsigned> RunAndJump(float takeOffX, bool step = false) {
    TRouteMaker route(GapMap(step));
    while (route.Player().x < takeOffX && route.keys.size() < 2000) route.Press(kSimRight);
    route.Press(kSimRight | kSimUp, 16);
    route.Press(kSimRight, 300);
    return route.keys;
}

TEST_F(MonsterRouteTest, SlackIsTheRoomBeforeTheJumpFallsShort) {
    const TLevelInfo info{"", "gap", 120, 16, 150, {}, {}};
    auto load = [] { return GapMap(); };
    // Taking off 32 px before the gap: sooner, and the jump comes down in
    // it; later, up to the edge and past the whole range tried, it clears.
    const std::vector<TJumpSlack> jumps = MeasureSlack(info, load, RunAndJump(128), 1);
    ASSERT_EQ(jumps.size(), 1u);
    const TJumpSlack& j = jumps[0];
    EXPECT_EQ(j.landingRow, 13);
    EXPECT_GT(j.pxLeft, 4);
    EXPECT_LT(j.pxLeft, 32) << "a take-off 32 px sooner cannot clear the gap";
    EXPECT_EQ(j.pxRight, 32);
    EXPECT_EQ(j.msLate, 150);
    // The walk covers about 0.4 px a step: the room in time behind the
    // take-off is the room in place, walked.
    EXPECT_NEAR(float(j.msEarly) / 5.0f * 0.405f, float(j.pxLeft), 2.5f);

    // A take-off further on that comes down in the door has not missed.
    const std::vector<TJumpSlack> byTheDoor =
        MeasureSlack(info, [] { return GapMap(false, 13); }, RunAndJump(128), 1, {32, 150});
    ASSERT_EQ(byTheDoor.size(), 1u);
    EXPECT_EQ(byTheDoor[0].pxRight, 32);
    EXPECT_EQ(byTheDoor[0].pxLeft, j.pxLeft);

    // A route that takes off sooner leaves less room behind; of the two it
    // is the tightest jump.
    const std::vector<TJumpSlack> sooner = MeasureSlack(info, load, RunAndJump(float(j.x - j.pxLeft + 3)), 1);
    ASSERT_EQ(sooner.size(), 1u);
    EXPECT_LT(sooner[0].pxLeft, j.pxLeft);
    EXPECT_LT(sooner[0].msEarly, j.msEarly);
    std::vector<TJumpSlack> both = {j, sooner[0]};
    EXPECT_EQ(TightestJump(both, 12, 50), &both[1]);
}

// Two hops along one floor, the second soon after the first comes down. A
// press moved into the first hop's flight lifts nobody off unless the game
// still takes it after the landing: the first hop's landing on the same
// floor is not the second's.
TEST_F(MonsterRouteTest, APressMovedIntoTheFlightBeforeMustStillJump) {
    std::vector<std::string> rows(15, std::string(28, '.'));
    rows[14] = rows[13] = std::string(28, '#');
    rows[12].replace(26, 2, "EE");
    auto load = [rows] { return CompiledMap(rows, "floor"); };
    const TLevelInfo info{"", "floor", 120, 16, 150, {}, {}};
    TRouteMaker route(load());
    while (route.Player().x < 40) route.Press(kSimRight);
    route.Press(kSimRight | kSimUp, 16);
    while (route.Player().jumping) route.Press(kSimRight);
    route.Press(kSimRight, 2);
    route.Press(kSimRight | kSimUp, 16);
    route.Press(kSimRight, 300);

    const std::vector<TJumpSlack> jumps = MeasureSlack(info, load, route.keys, 1);
    ASSERT_EQ(jumps.size(), 2u);
    EXPECT_EQ(jumps[1].landingRow, 13);
    // At most the press's own length, the two steps walked after the landing
    // and the few the landing takes: any sooner and the key is let go before
    // he is down (as measured before, all 150 ms tried seemed to land).
    EXPECT_LE(jumps[1].msEarly, (16 + 2 + 4) * 5);
    EXPECT_GT(jumps[1].msEarly, 2 * 5);
    EXPECT_EQ(jumps[1].msLate, 150);
}

// A stored route ends in the door, and its last jump is often the one into
// it: that jump is held to the same room, and a take-off further back, which
// reaches the door a few steps after the route's keys end, still counts.
TEST_F(MonsterRouteTest, TheJumpIntoTheDoorIsMeasuredToo) {
    const TLevelInfo info{"", "gap", 120, 16, 150, {}, {}};
    auto load = [] { return GapMap(false, 11); };
    std::vector<unsigned> keys = RunAndJump(128);
    TLevelSim sim(1);
    sim.SetSnow(false);
    sim.SetMixing(false);
    sim.LoadCustom(load(), 16, 150, 100000);
    std::size_t reached = 0;
    while (reached < keys.size() && sim.Step(keys[reached]) == kPlayStatePlaying) ++reached;
    ASSERT_LT(reached, keys.size()) << "the jump should reach the door";
    keys.resize(reached + 1);

    const std::vector<TJumpSlack> jumps = MeasureSlack(info, load, keys, 1);
    ASSERT_EQ(jumps.size(), 1u);
    EXPECT_EQ(jumps[0].landingRow, -1);
    EXPECT_GT(jumps[0].pxLeft, 4);
    EXPECT_GT(jumps[0].msEarly, 20);
}

// A route that jumps at the last moment that clears the gap is moved to the
// middle of its room; a move the rest of the route would not survive is
// not made.
TEST_F(MonsterRouteTest, CenteringMovesTheJumpToTheMiddleOfItsRoom) {
    const TLevelInfo info{"", "gap", 120, 16, 150, {}, {}};
    auto load = [] { return GapMap(); };
    const std::vector<unsigned> edge = RunAndJump(119);
    const std::vector<TJumpSlack> before = MeasureSlack(info, load, edge, 1);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_LT(before[0].msEarly, 40) << "the route should start at the soon end of its room";
    int asked = 0;
    auto acrossTheGap = [&](std::span<const unsigned> keys) {
        ++asked;
        TLevelSim sim(1);
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(GapMap(), 16, 150, 100000);
        for (unsigned k : keys) sim.Step(k);
        return sim.SavePlayer().x > 200 && sim.SavePlayer().y < 200;
    };
    const std::vector<unsigned> centred = CenterJumps(info, load, edge, 1, acrossTheGap);
    const std::vector<TJumpSlack> after = MeasureSlack(info, load, centred, 1);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_GT(asked, 0);
    EXPECT_GT(after[0].step, before[0].step);
    // Room ahead runs past the 150 ms tried: the press goes at least halfway
    // there, and on while the room behind the take-off in place grows.
    EXPECT_GE(after[0].msEarly, (before[0].msEarly + 150) / 2 - 10);
    EXPECT_GT(after[0].Ms(), before[0].Ms());
    EXPECT_GE(after[0].pxLeft, (before[0].pxLeft + 32) / 2 - 4);
    EXPECT_TRUE(acrossTheGap(centred));

    // Nothing passes: nothing moves.
    EXPECT_EQ(CenterJumps(info, load, edge, 1, [](std::span<const unsigned>) { return false; }), edge);
}

// A step up one block high: whenever the key goes down within 150 ms either
// way the jump still lands on top, so the room in time says nothing; the
// take-off is moved to the middle of its room in place instead. The game's
// jump leaves such a step about 25 px in all, 12 either way when centred.
TEST_F(MonsterRouteTest, AStepUpIsCentredInPlace) {
    const TLevelInfo info{"", "step", 120, 16, 150, {}, {}};
    auto load = [] { return GapMap(true); };
    const std::vector<unsigned> early = RunAndJump(108, true);
    const std::vector<TJumpSlack> before = MeasureSlack(info, load, early, 1);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(before[0].landingRow, 12);
    ASSERT_GE(std::abs(before[0].pxLeft - before[0].pxRight), 6) << "the route should take off near an end of its room";
    auto onTop = [](std::span<const unsigned> keys) {
        TLevelSim sim(1);
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(GapMap(true), 16, 150, 100000);
        for (unsigned k : keys) sim.Step(k);
        return sim.SavePlayer().y < 170;
    };
    ASSERT_TRUE(onTop(early));
    const std::vector<TJumpSlack> after = MeasureSlack(info, load, CenterJumps(info, load, early, 1, onTop), 1);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_LE(std::abs(after[0].pxLeft - after[0].pxRight), 2);
    EXPECT_GE(after[0].Px(), 12);
    EXPECT_LE(after[0].pxLeft + after[0].pxRight, 27);
    EXPECT_GE(after[0].Ms(), 50);
}

// A jump taken in the air, after walking off the edge of the gap: further
// back the player was still on the floor, at another height. Its room in
// place is its room in time, walked, however far a place at its own height
// would have reached.
TEST_F(MonsterRouteTest, AJumpTakenInTheAirHasTheRoomItsTimingGives) {
    const TLevelInfo info{"", "gap", 120, 16, 150, {}, {}};
    auto load = [] { return GapMap(); };
    TRouteMaker route(load());
    route.Press(0, 80);
    // Off the gap's edge (column 10) and a few pixels down.
    const float floorY = route.Player().y;
    while (route.Player().y < floorY + 3 && route.keys.size() < 2000) route.Press(kSimRight);
    route.Press(kSimRight | kSimUp, 16);
    route.Press(kSimRight, 300);
    const std::vector<TJumpSlack> jumps = MeasureSlack(info, load, route.keys, 1);
    ASSERT_EQ(jumps.size(), 1u);
    const TJumpSlack& j = jumps[0];
    EXPECT_EQ(j.landingRow, 13);
    // Here a press even a step sooner comes down in the gap: a place at the
    // take-off's height further back would have seemed to have all the room
    // tried, as a foot in the floor's edge was taken for a wall behind.
    EXPECT_EQ(j.pxLeft, std::min(32, int(float(j.msEarly / 5) * 0.4f)));
    EXPECT_EQ(j.pxRight, std::min(32, int(float(j.msLate / 5) * 0.4f)));
}

TEST_F(MonsterRouteTest, AWallBehindTheTakeOffLeavesTheRoomOpen) {
    // Jumping straight up with the back to the map's side: nobody can take
    // off further back, so the room that way is the whole range tried.
    const TLevelInfo info{"", "gap", 120, 0, 150, {}, {}};
    std::vector<unsigned> keys(80, 0u);  // down on the floor first
    for (int i = 0; i < 16; ++i) keys.push_back(kSimUp);
    keys.insert(keys.end(), 200, 0u);
    const std::vector<TJumpSlack> jumps = MeasureSlack(info, [] { return GapMap(); }, keys, 1, {20, 100});
    ASSERT_EQ(jumps.size(), 1u);
    EXPECT_EQ(jumps[0].pxLeft, 20);
    EXPECT_EQ(jumps[0].pxRight, 20);
    EXPECT_EQ(jumps[0].msEarly, 100);
    EXPECT_EQ(jumps[0].msLate, 100);
}

}  // namespace
