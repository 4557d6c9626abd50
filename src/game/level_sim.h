#pragma once
// Plays a level with no window and no sound device, one 5 ms logic step at a
// time, faster than real time: for tests, benchmarks and the level checker.
//
// A TLevelSim takes over the game's globals (there is one game), puts the
// drawing layer on its headless back end, the mixer on manual audio and the
// millisecond clock on a TManualClock that each Step advances by 5 ms. The
// level clock ticks as it does in play: one second off whenever more than
// 1001 ms have passed since the last tick and the player is not dying.
// Drawing is a separate pass (Draw) over the same state.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "game/enemy.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "platform/system/clock.h"

class FmpMap;

// Keys held during a step (bits).
enum TSimKey : unsigned { kSimLeft = 1, kSimRight = 2, kSimUp = 4, kSimFire = 8 };

// The state of one monster, as a search needs it.
struct TEnemyState {
    float x = 0, y = 0, vx = 0, alpha = 1.0f;
    int hitPoints = 0, gone = 0, currentAnimId = -1;
};

// A changed cell of the gift layer (a picked-up gift).
struct TCellEdit {
    int column, row, before;
};

// Everything that decides how the level plays on: player, resources, gift in
// flight, monsters, picked-up gifts, the map's block animations and the
// clocks. Sounds, sprite frames and snow do not change where anything goes
// and are not kept.
struct TSimSnapshot {
    TPlayerState player;
    int giftCount = 0, lives = 0, timeLeft = 0;
    float energy = 0;
    float shotX = 0, shotY = 0, shotSpeed = 0, shotFall = 0, shotDirection = 0;
    int shotInFlight = 0, shotAngle = 0;
    std::vector<TEnemyState> enemies;
    std::size_t cellEdits = 0;  // how many of the sim's recorded gift pick-ups had happened
    std::vector<int> animCurrent, animDelay, animType;
    float mapAnimTimer = 0, haloAlpha = 1.0f;
    int touching = 0;
    int playState = kPlayStatePlaying, playerDying = 0, deathStart = 0;
    uint32_t now = 0, lastTick = 0;  // Restore shifts these to the present
};

class TLevelSim {
public:
    // seed: the random generator's seed (the kind-2 monsters' paces and the snow).
    // headless false keeps the display the caller opened (review pictures of
    // a level drawn for real); the clock and the audio are still the sim's.
    explicit TLevelSim(int seed = 1, bool headless = true);
    ~TLevelSim();
    TLevelSim(const TLevelSim&) = delete;
    TLevelSim& operator=(const TLevelSim&) = delete;

    // Level 1..6 from the game's files in the current directory (SetUpLevel).
    void LoadLevel(int level);
    // A level from a loaded map, a start point, a clock and spawn lists;
    // set up in the order SetUpLevel uses.
    void LoadCustom(std::shared_ptr<FmpMap> map, int startX, int startY, int timeLimit,
                    std::span<const TSpawnPoint> kind2 = {}, std::span<const TSpawnPoint> kind1 = {});

    // One whole logic step with these keys held; returns playState.
    int Step(unsigned keys);
    // One display frame of `ms` as the game runs it: gameLoop.Run() (whole
    // steps and the partial one), with the level clock checked once.
    int StepFrame(unsigned keys, int ms);
    // Composes the frame with the headless back end (counts draws).
    void Draw();

    TPlayerState SavePlayer() const;
    void RestorePlayer(const TPlayerState& s);
    TSimSnapshot Save() const;
    void SaveInto(TSimSnapshot& s) const;  // reuses the snapshot's storage
    void Restore(const TSimSnapshot& s);

    // The snow costs time and changes nothing else; the level checker may
    // switch it off (the random numbers it draws then go unused).
    bool Snow() const { return snowOn_; }
    void SetSnow(bool on);
    // Mixing 5 ms of sound per step lets channels finish their sounds as they
    // would in play (on by default; off saves a little time).
    void SetMixing(bool on) { mixing_ = on; }
    int Steps() const { return steps_; }
    uint32_t Now() const { return clock_->Peek(); }
    sq::TManualClock& Clock() { return *clock_; }
    // Gift pick-ups so far (layer 1 cells cleared), in order.
    const std::vector<TCellEdit>& CellEdits() const { return edits_; }

private:
    void SetKeys(unsigned keys);
    void TickLevelClock();
    void RecordEdits();
    void MixStep();
    void Finish();

    std::shared_ptr<sq::TManualClock> clock_;
    std::shared_ptr<class CSnow> snowAside_;
    unsigned keys_ = 0;
    uint32_t lastTick_ = 0;
    int steps_ = 0;
    bool snowOn_ = true;
    bool mixing_ = true;
    double mixCarry_ = 0;
    TLevelInfo customInfo_{};
    std::vector<TSpawnPoint> customKind2_, customKind1_;
    bool customActive_ = false;
    int pickupsSeen_ = 0;
    std::vector<TCellEdit> edits_;
};
