#pragma once
// The monsters of one level. They patrol platforms at a constant speed and
// turn at walls and at ledges, so they never fall; a monster that loses its
// last hit point floats up under a halo while it fades, then is gone.
#include <memory>
#include <span>

#include "platform/system/list.h"
#include "platform/video/graphics.h"
#include "sprite/easy_sprite.h"

class EnemyInfo {
public:
    SpriteRef sprite;  // its position is the monster's map position, its vx the walking speed
    int kind = 0;      // 1 or 2; 0 once cleared
    int hitPoints = 3;
    int gone = 0;  // the death fade has finished
    float alpha = 1.0f;
    int walkRightAnimId = 0;
    int walkLeftAnimId = 0;
};
using EnemyRef = std::shared_ptr<EnemyInfo>;

// A spawn position: map pixels of the sprite's top-left corner.
struct TSpawnPoint {
    int x, y;
};

class CEnemy {
public:
    static std::shared_ptr<CEnemy> Create();
    // Frees every monster's sprite; returns the Null object for the caller to store.
    std::shared_ptr<CEnemy> Clear();
    EnemyRef AddEnemy(int kind, int width, int height, int hitPoints, const sq::ImageRef& image);
    void SetPosition(const EnemyRef& enemy, int x, int y);
    int AddAnimation(const EnemyRef& enemy, int first, int count, int restOffset, int speed);
    void SelectAnimation(const EnemyRef& enemy, int id);
    EnemyRef GetEnemy(int index) const;
    void Draw(float scrollX, float scrollY);
    void Update(float scrollX, float scrollY);
    int TouchesBox(float x, float y, int width, int height, int margin) const;

    sq::TList<EnemyInfo> enemyList;  // creation order
};
using EnemiesRef = std::shared_ptr<CEnemy>;

// A kind-2 monster (one hit, a random pace) and a kind-1 monster (three hits).
EnemyRef SpawnKind2(CEnemy& manager, int x, int y);
EnemyRef SpawnKind1(CEnemy& manager, int x, int y);
// A level's monsters: every kind-2 position in order, then every kind-1 one.
void SpawnEnemies(CEnemy& manager, std::span<const TSpawnPoint> kind2, std::span<const TSpawnPoint> kind1);
