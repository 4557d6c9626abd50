#pragma once
// The gift parcel the player throws: one in the air at a time. It flies in
// the facing direction, falls, spins, and knocks a hit point off the first
// living monster it meets.
#include <memory>

#include "platform/audio/sound.h"
#include "platform/system/list.h"

class EnemyInfo;

class CShoot {
public:
    void NewGiftChannel();
    void ReleaseGiftChannel();
    // Launches a gift from the thrower's map position in the way it faces
    // (facing 0 right, 1 left); 1 when a gift was launched.
    int Throw(float fromX, float fromY, int facing);
    // The camera is the player's: the gift is drawn and leaves the view by it.
    void Draw(float scrollX, float scrollY, int throwerHalfWidth);
    void Update(sq::TList<EnemyInfo>& enemyList, float scrollX, float scrollY);

    sq::ChannelRef channel;  // hit and kill sounds
    float direction = 0;     // 1 right, -1 left
    float x = 0, y = 0;      // map position
    float speed = 0;         // horizontal, times direction
    float fallSpeed = 0;
    int inFlight = 0;
    int angle = 0;  // whole degrees
};
using ShootRef = std::shared_ptr<CShoot>;
