#include "game/game_score.h"

#include "core/globals.h"
#include "game/enemy.h"
#include "game/live_bar.h"
#include "platform/system/runtime_error.h"

void CGameScore::Reset() { total = levelGifts = killsType2 = killsType1 = timeLeft = totalTime = totalGifts = 0; }

int CGameScore::Tally() {
    // Only monsters whose fade has finished count; one still fading escapes.
    killsType2 = killsType1 = 0;
    if (enemies) {
        for (int i = 0;; ++i) {
            EnemyRef e = enemies->GetEnemy(i);
            if (!e) break;
            if (e->kind == 2 && e->gone) killsType2 += 1;
            if (e->kind == 1 && e->gone) killsType1 += 1;
        }
    }
    sq::RequireObject(liveBar, "liveBar");
    levelGifts = liveBar->giftCount;
    timeLeft = liveBar->timeLeft;
    totalTime += levelTimeLimit - timeLeft;
    totalGifts += levelGifts;
    total += levelGifts * kPointsPerGift - killsType2 * kCostPerKind2 - killsType1 * kCostPerKind1 +
             timeLeft * kPointsPerSecond;
    return total;
}
