// A small level played from its start point to its exit by scripted keys:
// two gifts picked up, a monster killed with one of them, a block jumped,
// the exit reached and the level tallied.
#include "core/globals.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game_test_support.h"

namespace {

class PlayThroughTest : public LevelFixture {
protected:
    std::vector<std::string> Level() {
        auto rows = FlatRoom();
        rows[11][4] = 'g';   // x 64..79
        rows[11][6] = 'g';   // x 96..111
        rows[11][22] = '#';  // a block to jump, x 352..367
        rows[11][36] = 'E';  // the exit, x 576..591
        return rows;
    }
    // Walk right; jump the block; throw at a monster 70..90 pixels ahead.
    unsigned Keys() {
        unsigned keys = kSimRight;
        const float ahead = 352 - (P().x + 24);
        if (ahead >= 8 && ahead <= 12 && !P().jumping) keys |= kSimUp;
        for (const auto& e : enemies->enemyList) {
            const float d = e->sprite->x - P().x;
            if (e->hitPoints > 0 && d >= 70 && d <= 90 && liveBar->giftCount > 0 && !gifts->inFlight) keys |= kSimFire;
        }
        return keys;
    }
};

TEST_F(PlayThroughTest, FromTheStartToTheExitAndTheTally) {
    Load(Level(), 20, 163, {{200, 168}});
    int steps = 0, state = 6, maxGifts = 0;
    while (state == 6 && steps < 5000) {
        state = sim->Step(Keys());
        maxGifts = std::max(maxGifts, liveBar->giftCount);
        ++steps;
    }
    ASSERT_EQ(state, 4) << "the exit was not reached; player at " << P().x << ", " << P().y;
    EXPECT_EQ(maxGifts, 2);
    EXPECT_EQ(liveBar->giftCount, 1) << "one gift thrown";
    EXPECT_EQ(liveBar->lives, 2);
    EXPECT_GE(int(P().x + 14), 576);
    EXPECT_EQ(enemies->GetEnemy(0)->gone, 1);

    const int timeLeft = liveBar->timeLeft;
    EXPECT_EQ(timeLeft, 180 - steps / 201) << "one tick per 1005 ms of play";
    const int total = gameScore->Tally();
    EXPECT_EQ(gameScore->killsType2, 1);
    EXPECT_EQ(gameScore->killsType1, 0);
    EXPECT_EQ(gameScore->levelGifts, 1);
    EXPECT_EQ(total, 1 * 250 + timeLeft * 10 - 150);
    EXPECT_EQ(gameScore->totalTime, 180 - timeLeft);
}

}  // namespace
