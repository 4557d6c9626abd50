#include "game/enemy.h"

#include "core/globals.h"
#include "core/timed_speed.h"
#include "map/fmp_map.h"
#include "platform/system/random.h"
#include "platform/system/runtime_error.h"

using namespace sq;

std::shared_ptr<CEnemy> CEnemy::Create() { return std::make_shared<CEnemy>(); }

std::shared_ptr<CEnemy> CEnemy::Clear() {
    for (const auto& e : enemyList) {
        if (!e || !e->sprite) continue;
        e->sprite->FreeAnims();
        e->sprite.reset();
        e->kind = 0;
    }
    return nullptr;
}

EnemyRef CEnemy::AddEnemy(int kind, int width, int height, int hitPoints, const ImageRef& image) {
    auto e = std::make_shared<EnemyInfo>();
    e->kind = kind;
    e->hitPoints = hitPoints;
    e->gone = 0;
    e->alpha = 1.0f;
    e->sprite = std::make_shared<CEasySprite>();
    e->sprite->Init(image, width, height);
    enemyList.Append(e);
    return e;
}

void CEnemy::SetPosition(const EnemyRef& enemy, int x, int y) {
    RequireObject(enemy, "enemy");
    enemy->sprite->x = float(x);
    enemy->sprite->y = float(y);
}

int CEnemy::AddAnimation(const EnemyRef& enemy, int first, int count, int restOffset, int speed) {
    if (!enemy) return -1;
    return enemy->sprite->AddAnim(first, count, restOffset, speed);
}

void CEnemy::SelectAnimation(const EnemyRef& enemy, int id) {
    // Unlike the sprite's own SetAnim the frame is left where it is.
    if (!enemy) return;
    CEasySprite& s = *enemy->sprite;
    if (id == s.currentAnimId) return;
    RequireObject(s.animList, "sprite animations");
    s.currentAnim = s.animList->ValueAt(id);
    s.currentAnimId = id;
}

EnemyRef CEnemy::GetEnemy(int index) const {
    if (index < 0 || std::size_t(index) >= enemyList.Size()) return nullptr;
    return enemyList.ValueAt(index);
}

void CEnemy::Draw(float scrollX, float scrollY) {
    for (const auto& e : enemyList) {
        if (e->gone) continue;
        CEasySprite& s = *e->sprite;
        // DrawAt keeps the screen position; the map position is put back
        // exactly afterwards, so drawing never moves a monster.
        const float mapX = s.x, mapY = s.y;
        const float screenX = mapX - scrollX, screenY = mapY - scrollY;
        if (e->hitPoints > 0) {
            // Only the right and bottom edges are tested: a monster left of or
            // above the view is still sent to the drawing layer, which clips it.
            if (screenX < 320 && screenY < 240) s.DrawAt(screenX, screenY);
        } else {
            SetBlendMode(kBlendAlpha);
            SetDrawAlpha(e->alpha);
            s.DrawAt(screenX, screenY);
            DrawImageAt(imgAureola, screenX, screenY - 5, 0);
            SetDrawAlpha(1.0f);
        }
        s.x = mapX;
        s.y = mapY;
    }
}

void CEnemy::Update(float, float) {
    FmpMap& map = *levelMap;
    map.currentLayer = 0;
    auto solid = [&map](float a, float b) { return map.IsSolidAt(int(a), int(b)) != 0; };
    for (const auto& ep : enemyList) {
        EnemyInfo& e = *ep;
        CEasySprite& s = *e.sprite;
        if (e.hitPoints <= 0) {
            // Dead: rise and fade under the halo; gone once invisible.
            s.y -= 0.5f * tickDelta;
            e.alpha -= 0.01f * tickDelta;
            if (e.alpha < 0) e.gone = 1;
            continue;
        }
        const float oldX = s.x;
        s.x += s.vx * tickDelta;
        s.Update();
        const int w = s.frameWidth, h = s.frameHeight, halfH = h / 2;
        // A wall at half height or no ground two pixels below the leading
        // corner turns the monster, so it never walks into a wall or off its
        // platform. Both sides are looked at whatever the direction.
        if (solid(s.x + w, s.y + halfH) || !solid(s.x + w, s.y + h + 2)) {
            s.x = oldX;
            s.vx = -s.vx;
            s.SetAnim(e.walkLeftAnimId);
        } else if (solid(s.x, s.y + halfH) || !solid(s.x, s.y + h + 2)) {
            s.x = oldX;
            s.vx = -s.vx;
            s.SetAnim(e.walkRightAnimId);
        }
    }
}

int CEnemy::TouchesBox(float px, float py, int w, int h, int m) const {
    for (const auto& ep : enemyList) {
        const EnemyInfo& e = *ep;
        if (e.hitPoints <= 0) continue;  // the dead never hurt
        const CEasySprite& s = *e.sprite;
        const float ex = s.x, ey = s.y;
        if (px + w - m > ex && px + m < ex + s.frameWidth && py + h > ey + m && py < ey + s.frameHeight) return 1;
    }
    return 0;
}

EnemyRef SpawnKind2(CEnemy& manager, int x, int y) {
    // The pace is drawn per monster; its animation speeds up with it.
    int pace = RandomInt(8, 16);
    EnemyRef e = manager.AddEnemy(2, 24, 24, 1, imgPneve);
    e->walkRightAnimId = manager.AddAnimation(e, 0, 12, 6, pace);
    e->walkLeftAnimId = manager.AddAnimation(e, 12, 12, 6, pace);
    e->sprite->vx = float(pace) * 0.02f;
    manager.SelectAnimation(e, e->walkRightAnimId);
    manager.SetPosition(e, x, y);
    return e;
}

EnemyRef SpawnKind1(CEnemy& manager, int x, int y) {
    EnemyRef e = manager.AddEnemy(1, 24, 24, 3, imgGring2);
    e->walkRightAnimId = manager.AddAnimation(e, 0, 8, 4, 15);
    e->walkLeftAnimId = manager.AddAnimation(e, 8, 8, 4, 15);
    e->sprite->vx = 0.24f;
    manager.SelectAnimation(e, e->walkRightAnimId);
    manager.SetPosition(e, x, y);
    return e;
}

void SpawnEnemies(CEnemy& manager, std::span<const TSpawnPoint> kind2, std::span<const TSpawnPoint> kind1) {
    manager.enemyList.Reserve(kind2.size() + kind1.size());
    for (const TSpawnPoint& p : kind2) SpawnKind2(manager, p.x, p.y);
    for (const TSpawnPoint& p : kind1) SpawnKind1(manager, p.x, p.y);
}
