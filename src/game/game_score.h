#pragma once
// Turns a finished level into points: carried gifts and seconds left score,
// killed monsters cost.
#include <memory>

class CGameScore {
public:
    void Reset();
    int Tally();  // adds the level just finished, returns total

    int total = 0;
    int levelGifts = 0;
    int killsType2 = 0;
    int killsType1 = 0;
    int timeLeft = 0;
    int totalTime = 0;
    int totalGifts = 0;
};
using GameScoreRef = std::shared_ptr<CGameScore>;

inline constexpr int kPointsPerGift = 250;
inline constexpr int kPointsPerSecond = 10;
inline constexpr int kCostPerKind2 = 150;
inline constexpr int kCostPerKind1 = 75;
