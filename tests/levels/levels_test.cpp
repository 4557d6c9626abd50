// The level sources, their layout, the monster and start rules and the route
// search, on small levels made up for each case.
#include <gtest/gtest.h>

#include <string>

#include "layout_query.h"
#include "level_rules.h"
#include "level_source.h"
#include "route_search.h"
#include "tile_art.h"
#include "tile_catalog.h"

using namespace levels;

namespace {

// A source text from a header and map rows (every row the same length).
std::string Source(const std::vector<std::string>& rows, const std::string& extra = "") {
    std::string s = "name Test\nsize " + std::to_string(rows[0].size()) + " " + std::to_string(rows.size()) +
                    "\nformat fmp1.0\ndepth 16\norder little\n" + extra + "map\n";
    for (const auto& r : rows) s += r + "\n";
    return s;
}

std::vector<std::string> Box(int cols, int rows) {
    std::vector<std::string> m(rows, std::string(cols, '.'));
    m[rows - 1] = std::string(cols, '#');
    return m;
}

TLayout Layout(const std::vector<std::string>& rows) {
    TLevelSource src;
    std::string error;
    EXPECT_TRUE(ParseLevelSource(Source(rows), src, error)) << error;
    TLayout layout;
    std::vector<std::string> errors;
    EXPECT_TRUE(BuildLayout(src, layout, errors)) << (errors.empty() ? "" : errors[0]);
    return layout;
}

}  // namespace

// ---- Reading sources ----

TEST(LevelSource, ReadsHeaderAndRows) {
    TLevelSource src;
    std::string error;
    auto rows = Box(20, 15);
    std::string text = "# a comment\n" + Source(rows);
    text.replace(text.find("fmp1.0"), 6, "fmp0.5");
    text.replace(text.find("little"), 6, "big");
    ASSERT_TRUE(ParseLevelSource(text, src, error)) << error;
    EXPECT_EQ(src.name, "Test");
    EXPECT_EQ(src.columns, 20);
    EXPECT_EQ(src.rows, 15);
    EXPECT_EQ(src.form, TMapForm::kFmp05);
    EXPECT_FALSE(src.littleEndian);
    EXPECT_EQ(src.At(3, 14), '#');
    EXPECT_EQ(src.At(-1, 0), '.');  // outside reads as air
}

TEST(LevelSource, RefusesFaultyText) {
    TLevelSource src;
    std::string error;
    auto rows = Box(20, 15);
    auto shortRow = rows;
    shortRow[4].pop_back();
    EXPECT_FALSE(ParseLevelSource(Source(shortRow), src, error));
    EXPECT_NE(error.find("line"), std::string::npos);
    auto missing = rows;
    missing.pop_back();
    std::string text = Source(rows);
    EXPECT_FALSE(ParseLevelSource(text.substr(0, text.rfind("##")), src, error));  // last row cut short
    EXPECT_FALSE(ParseLevelSource(Source(rows, "depth 12\n"), src, error));
    EXPECT_FALSE(ParseLevelSource(Source(rows, "colour red\n"), src, error));
    EXPECT_FALSE(ParseLevelSource("name x\nsize 20 15\n", src, error));  // no map
    EXPECT_FALSE(ParseLevelSource("map\n", src, error));                 // map before size
}

// ---- Layout ----

TEST(LevelLayout, GroundGetsSnowWhereOpenAbove) {
    auto rows = Box(20, 15);
    rows[13][5] = '#';
    TLayout l = Layout(rows);
    EXPECT_EQ(l.At(0, 5, 13).kind, kSnowEarth);
    EXPECT_TRUE(l.At(0, 5, 13).variant & 1);   // capped
    EXPECT_FALSE(l.At(0, 5, 14).variant & 1);  // covered by the block above
    EXPECT_TRUE(l.At(0, 6, 14).variant & 1);
    EXPECT_TRUE(l.Solid(0, 5, 13));
}

TEST(LevelLayout, GiftsExitAndDecorationGoToTheirLayers) {
    auto rows = Box(20, 15);
    rows[13].replace(2, 4, "gG.E");
    rows[13][7] = 'E';
    rows[13].replace(4, 4, ".EE.");
    rows[13][12] = 'T';
    rows[13][16] = 'L';
    rows[5][2] = '*';
    TLayout l = Layout(rows);
    EXPECT_TRUE(l.Solid(1, 2, 13));
    EXPECT_TRUE(l.Solid(1, 3, 13));
    EXPECT_EQ(l.At(1, 3, 13).kind, kSparkleGift);
    // the door: its bottom blocks are the exit, its top blocks only a picture
    EXPECT_TRUE(l.Solid(2, 5, 13));
    EXPECT_TRUE(l.Solid(2, 6, 13));
    EXPECT_EQ(l.At(2, 5, 12).kind, kDoor);
    EXPECT_FALSE(l.Solid(2, 5, 12));
    // a tree covers 3 x 4 blocks (no corners at the top), a lamp 1 x 3; neither is solid
    EXPECT_EQ(l.At(2, 11, 12).kind, kTree);
    EXPECT_EQ(l.At(2, 12, 10).kind, kTree);
    EXPECT_TRUE(l.At(2, 11, 10).Empty());
    EXPECT_FALSE(l.Solid(2, 12, 13));
    EXPECT_EQ(l.At(2, 16, 11).kind, kLamp);
    EXPECT_FALSE(l.Solid(2, 2, 5));
}

TEST(LevelLayout, PlacePiecesKnowTheirOpenSides) {
    auto rows = Box(20, 15);
    rows[5].replace(2, 3, "KKK");  // a rock shelf hanging in the air
    rows[6].replace(3, 1, "K");
    rows[13].replace(6, 5, ">><<C");
    rows[12].replace(6, 2, "FW");
    rows[11].replace(12, 4, "hwba");
    TLayout l = Layout(rows);
    const TPiece shelfEnd = l.At(0, 2, 5), shelfMiddle = l.At(0, 3, 5), hanging = l.At(0, 3, 6);
    EXPECT_EQ(shelfEnd.kind, kCaveRock);
    EXPECT_EQ(shelfEnd.variant & 15, 1 | 2 | 8);  // open above, left and below
    EXPECT_EQ(shelfMiddle.variant & 15, 1);       // rock below it and on both sides
    EXPECT_EQ(hanging.variant & 15, 2 | 4 | 8);   // covered only above
    // belts run one way per run of characters and round off their ends
    EXPECT_EQ(l.At(0, 6, 13), (TPiece{kBelt, 0 | 2}));
    EXPECT_EQ(l.At(0, 7, 13), (TPiece{kBelt, 0 | 4}));
    EXPECT_EQ(l.At(0, 8, 13), (TPiece{kBelt, 1 | 2}));
    EXPECT_EQ(l.At(0, 10, 13).kind, kCrate);
    EXPECT_EQ(l.At(0, 6, 12).kind, kFactoryFloor);
    EXPECT_EQ(l.At(0, 7, 12).kind, kFactoryWall);
    for (int c : {2, 6, 7, 10}) EXPECT_TRUE(l.Solid(0, c, c == 2 ? 5 : 13));
    // house fronts stand behind the player: decoration, never solid
    EXPECT_EQ(l.At(2, 12, 11), (TPiece{kHouseWall, 0}));
    EXPECT_EQ(l.At(2, 13, 11), (TPiece{kHouseWall, 1}));
    EXPECT_EQ(l.At(2, 14, 11), (TPiece{kHouseWall, 2}));
    EXPECT_EQ(l.At(2, 15, 11), (TPiece{kHouseWall, 3}));
    EXPECT_FALSE(l.Solid(2, 13, 11));
    EXPECT_FALSE(l.Solid(2, 15, 11));
    EXPECT_FALSE(l.Solid(0, 13, 11));
    EXPECT_GT(PieceInfo({kBelt, 0}).frames, 1);
}

TEST(LevelLayout, ReportsOverlapsHalfDoorsAndUnknownCharacters) {
    TLevelSource src;
    std::string error;
    TLayout l;
    std::vector<std::string> errors;
    auto rows = Box(20, 15);
    rows[13][4] = 'E';  // a door needs two E
    rows[13][10] = 'T';
    rows[12][10] = 'g';  // in the tree's way
    rows[5][3] = 'x';
    ASSERT_TRUE(ParseLevelSource(Source(rows), src, error));
    EXPECT_FALSE(BuildLayout(src, l, errors));
    ASSERT_EQ(errors.size(), 3u);
    auto reported = [&](const char* text) {
        for (const auto& e : errors)
            if (e.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(reported("needs open air"));
    EXPECT_TRUE(reported("two E"));
    EXPECT_TRUE(reported("unknown"));
}

TEST(TileArt, EveryPieceIsPaintedAndAnimationsChange) {
    for (int kind = kSnowEarth; kind < kPieceKindCount; ++kind) {
        TPiece p{kind, kind == kDoor ? 0 : (kind == kTree ? 4 : 1)};
        TTilePixels first = PaintPiece(p, 0);
        ASSERT_EQ(first.size(), size_t(kTileSize * kTileSize * 4));
        EXPECT_FALSE(TileIsEmpty(first)) << PieceName(p);
        TPieceInfo info = PieceInfo(p);
        if (info.frames > 1) {
            EXPECT_NE(PaintPiece(p, 1), first) << PieceName(p) << " does not animate";
        }
    }
    // see-through pixels are the only ones with alpha 0, so the colour key never shows
    TTilePixels gift = PaintPiece({kGift, 0}, 0);
    EXPECT_EQ(gift[3], 0);
}

TEST(TileArt, PlacePiecesShowWhatIsOpenAroundThem) {
    auto opaque = [](const TTilePixels& t) {
        for (size_t i = 3; i < t.size(); i += 4)
            if (t[i] == 0) return false;
        return true;
    };
    // rock shows its open faces: frost on top, icicles under it
    const TTilePixels inner = PaintPiece({kCaveRock, 0}, 0);
    EXPECT_NE(PaintPiece({kCaveRock, 1}, 0), inner);
    EXPECT_NE(PaintPiece({kCaveRock, 8}, 0), inner);
    EXPECT_TRUE(opaque(inner));
    // the lake's open surface shines, the ice under it does not
    EXPECT_NE(PaintPiece({kLakeIce, 1}, 0), PaintPiece({kLakeIce, 0}, 0));
    EXPECT_TRUE(opaque(PaintPiece({kLakeIce, 17}, 0)));
    // the hazard stripe is drawn only where the floor is walked on
    EXPECT_NE(PaintPiece({kFactoryFloor, 1}, 0), PaintPiece({kFactoryFloor, 0}, 0));
    // a belt running left plays the right-running frames backwards
    EXPECT_EQ(PaintPiece({kBelt, 1}, 1), PaintPiece({kBelt, 0}, 3));
    EXPECT_NE(PaintPiece({kBelt, 0}, 0), PaintPiece({kBelt, 0}, 2));
    // house fronts hide the backdrop completely, with or without a window
    EXPECT_TRUE(opaque(PaintPiece({kHouseWall, 0}, 0)));
    EXPECT_TRUE(opaque(PaintPiece({kHouseWall, 1}, 1)));
    EXPECT_TRUE(opaque(PaintPiece({kCrate, 3}, 0)));
    // the tower's stone hides the outside, its windows let it show
    EXPECT_TRUE(opaque(PaintPiece({kHouseWall, 2}, 0)));
    EXPECT_FALSE(opaque(PaintPiece({kHouseWall, 3}, 0)));
    EXPECT_EQ(PieceInfo({kHouseWall, 3}).frames, 1);
}

// ---- Rules ----

class LevelRulesTest : public ::testing::Test {
protected:
    // 20 x 15 blocks, ground on row 14, the player starting at the left.
    void SetUp() override { rows = Box(20, 15); }
    TRulesReport Check(std::vector<TPoint> kind2, int startX = 5, int startY = 190) {
        // 20 gifts and one exit, so that only what a test changes can fail
        for (int c = 0; c < 20 && gifts; ++c) {
            if (rows[3][c] == '.') rows[3][c] = 'g', --gifts;
        }
        rows[13][18] = rows[13][19] = 'E';
        layout = Layout(rows);
        points = kind2;
        TLevelFacts facts{startX, startY, 100, points, {}};
        return CheckLevelRules(TLayoutQuery(layout), facts);
    }
    std::vector<std::string> rows;
    int gifts = 20;
    TLayout layout;
    std::vector<TPoint> points;
};

TEST_F(LevelRulesTest, MonsterOnGroundWithRoomPasses) {
    TRulesReport r = Check({{100, 198}});  // feet 2 pixels above row 14 (y 224)
    EXPECT_TRUE(r.faults.empty()) << r.faults[0];
    ASSERT_EQ(r.patrols.size(), 1u);
    EXPECT_EQ(r.patrols[0].left, 0);
    EXPECT_EQ(r.patrols[0].right, 320 - 24 - 1);
    EXPECT_EQ(r.gifts, 20);
    EXPECT_EQ(r.exits, 1);
}

TEST_F(LevelRulesTest, MonsterInTheAirFails) {
    TRulesReport r = Check({{100, 150}});
    ASSERT_FALSE(r.faults.empty());
    EXPECT_NE(r.faults[0].find("no ground"), std::string::npos);
}

TEST_F(LevelRulesTest, MonsterBuriedInRockFails) {
    // new rock laid over a spawn point: the monster is inside it, and a
    // shelf built through its middle leaves it standing on nothing it can walk
    rows[12].replace(5, 4, "KKKK");
    rows[13].replace(5, 4, "KKKK");
    TRulesReport r = Check({{100, 198}});
    bool inside = false;
    for (auto& f : r.faults) inside |= f.find("inside solid ground") != std::string::npos;
    EXPECT_TRUE(inside);

    rows = Box(20, 15);
    gifts = 20;
    rows[14].replace(0, 17, std::string(17, '.'));
    rows[13].replace(6, 3, "KKK");  // a shelf at the monster's waist, no floor under its feet
    TRulesReport r2 = Check({{100, 198}});
    bool noGround = false, wall = false;
    for (auto& f : r2.faults) {
        noGround |= f.find("no ground") != std::string::npos;
        wall |= f.find("inside solid ground") != std::string::npos || f.find("half height") != std::string::npos;
    }
    EXPECT_TRUE(noGround);
    EXPECT_TRUE(wall);
}

TEST_F(LevelRulesTest, WallBesideMonsterAndShortLedgeFail) {
    rows[13][8] = '#';  // right of a monster at x 100 (its right side probes x 124, column 7)
    rows[13][7] = '#';
    TRulesReport r = Check({{100, 198}});
    bool wall = false;
    for (auto& f : r.faults) wall |= f.find("half height") != std::string::npos;
    EXPECT_TRUE(wall);

    rows = Box(20, 15);
    gifts = 20;
    rows[8].replace(5, 2, "==");  // a ledge two blocks wide
    TRulesReport shortLedge = Check({{80, 102}});
    bool tooShort = false;
    for (auto& f : shortLedge.faults) tooShort |= f.find("to patrol") != std::string::npos;
    EXPECT_TRUE(tooShort);
}

TEST_F(LevelRulesTest, StartInsideGroundAndMissingGiftsOrExitFail) {
    gifts = 5;
    TRulesReport r = Check({}, 5, 200);  // feet inside row 14
    bool start = false, fewGifts = false;
    for (auto& f : r.faults) {
        start |= f.find("starts inside") != std::string::npos;
        fewGifts |= f.find("gifts") != std::string::npos;
    }
    EXPECT_TRUE(start);
    EXPECT_TRUE(fewGifts);
}

// ---- Route search (stand-alone model) ----

class RouteSearchTest : public ::testing::Test {
protected:
    TSearchResult Search(const std::vector<std::string>& rows, int startX, int startY,
                         TMoverState* startOut = nullptr) {
        layout = Layout(rows);
        query = std::make_unique<TLayoutQuery>(layout);
        mover = std::make_unique<TModelMover>(*query);
        TMoverState s;
        s.x = s.prevX = float(startX);
        s.y = s.prevY = float(startY);
        if (startOut) *startOut = s;
        TSearchOptions o;
        o.maxSteps = 200 * 60;
        o.pixelWidth = query->PixelWidth();
        o.pixelHeight = query->PixelHeight();
        return SearchRoute(*mover, s, o);
    }
    TLayout layout;
    std::unique_ptr<TLayoutQuery> query;
    std::unique_ptr<TModelMover> mover;
};

TEST_F(RouteSearchTest, FindsAJumpOfTwoBlocksAndReplaysIt) {
    auto rows = Box(20, 15);
    for (int c = 10; c < 20; ++c) rows[12][c] = rows[13][c] = '#';  // a step two blocks high
    rows[11][17] = rows[11][18] = 'E';
    rows[11][12] = 'g';
    TMoverState start;
    TSearchResult r = Search(rows, 5, 195, &start);
    ASSERT_TRUE(r.found);
    EXPECT_GT(r.routeSteps, 200);  // at least a second of walking
    EXPECT_EQ(ReplayRoute(*mover, start, r.routeKeys), r.routeSteps);
    EXPECT_EQ(r.giftsReached.size(), 1u);
}

TEST_F(RouteSearchTest, ThreeBlocksAreTooHigh) {
    auto rows = Box(20, 15);
    for (int c = 10; c < 20; ++c) rows[11][c] = rows[12][c] = rows[13][c] = '#';
    rows[10][17] = rows[10][18] = 'E';
    EXPECT_FALSE(Search(rows, 5, 195).found);
}

TEST_F(RouteSearchTest, ALowCeilingStopsTheJump) {
    auto rows = Box(20, 15);
    for (int c = 10; c < 20; ++c) rows[12][c] = rows[13][c] = '#';
    for (int c = 0; c < 10; ++c) rows[10][c] = 'B';  // 4 rows above the floor: the head meets it too soon
    rows[11][17] = rows[11][18] = 'E';
    EXPECT_FALSE(Search(rows, 5, 195).found);
}
