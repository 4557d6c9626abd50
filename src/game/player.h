#pragma once
// The player's figure: keyboard, gravity and map probes, gift pick-up, the
// throw, the level exit, and the camera every other actor draws through.
#include <memory>

#include "platform/audio/sound.h"
#include "sprite/easy_sprite.h"

// Everything that decides where the player goes next: a plain value that a
// search can copy and put back (the level checker tries key choices from it).
struct TPlayerState {
    float x = 0, y = 0;
    float prevX = 0, prevY = 0;
    float vx = 0, vy = 0;
    float scrollX = 0, scrollY = 0;
    int facing = 0;
    int jumping = 0;
    int walking = 0;
};

class CPlayer {
public:
    void SetupForMap();
    void Create();
    int Update();
    void Draw();
    void Release();

    TPlayerState SaveState() const;
    void RestoreState(const TPlayerState& s);

    float footstepPan = -0.2f;  // flips before every footstep
    sq::ChannelRef bumpChannel;
    sq::ChannelRef footstepChannel;
    sq::ChannelRef jumpChannel;  // also carries the hurt cry
    sq::ChannelRef throwChannel;
    int facing = 0;  // 0 right, 1 left
    int jumping = 0;
    int walking = 0;
    float prevY = 0;
    float prevX = 0;
    float x = 0;  // left edge of the frame, map pixels
    float y = 0;  // top edge of the frame, map pixels
    SpriteRef sprite;
    int walkRightAnim = -1;
    int walkLeftAnim = -1;
    int mapPixelHeight = 0;
    int mapPixelWidth = 0;
    float scrollX = 0;  // camera: map x at the screen's left edge
    float scrollY = 0;  // camera: map y at the screen's top edge

    // The gift cells picked up so far (for replays and the level checker,
    // which put picked-up gifts back when they rewind).
    int pickupCount = 0;
    int lastPickColumn = -1, lastPickRow = -1, lastPickBlock = 0;
};
using PlayerRef = std::shared_ptr<CPlayer>;

// Tuning of the player's movement; every speed is per 5 ms step.
namespace player_tuning {
inline constexpr int kFrameSize = 28;
inline constexpr float kCameraOffsetX = 160, kCameraOffsetY = 120;
inline constexpr float kViewWidth = 320, kViewHeight = 240;
inline constexpr float kWalkAccel = 0.005f;  // also the friction
inline constexpr float kWalkLimit = 0.4f;
inline constexpr float kGravity = 0.03f;
inline constexpr float kJumpSpeed = -1.65f;
inline constexpr int kWallInset = 4;
inline constexpr int kHeadDepth = 6;
inline constexpr int kRightEdgeAllowance = 6;
inline constexpr float kFootstepGain = 0.9f;
inline constexpr float kJumpGain = 0.7f;
inline constexpr float kBumpGain = 0.8f;
}  // namespace player_tuning
