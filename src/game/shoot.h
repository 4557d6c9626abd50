#pragma once
// The gift parcel the player throws: one in the air at a time. It flies in
// the facing direction, falls, spins, and knocks a hit point off the first
// living monster it meets.
#include <memory>

#include "platform/list.h"
#include "platform/sound.h"

class CPlayer;
class EnemyInfo;

class CShoot {
public:
    void NewGiftChannel();
    void ReleaseGiftChannel();
    int Throw(const CPlayer& player);  // 1 when a gift was launched
    void Draw();
    void Update(sq::TList<EnemyInfo>& enemyList);

    sq::ChannelRef channel;  // hit and kill sounds
    float direction = 0;     // 1 right, -1 left
    float x = 0, y = 0;      // map position
    float speed = 0;         // horizontal, times direction
    float fallSpeed = 0;
    int inFlight = 0;
    int angle = 0;  // whole degrees
};
using ShootRef = std::shared_ptr<CShoot>;
