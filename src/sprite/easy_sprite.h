#pragma once
// sprite/: figures drawn from image strips. Uses core/ and the platform.
//
// A figure drawn from an image strip, with named animations that advance by
// real elapsed time, plus a handful of float registers (speeds and limits)
// that the figure's owner keeps on it.
#include <memory>

#include "core/frame_helpers.h"
#include "platform/system/list.h"
#include "platform/video/graphics.h"

// One animation: a run of consecutive strip frames with its own speed and
// its own clock, so an animation that was not shown for a while catches up
// by the whole time it missed when it is stepped again.
class TSpriteAnimationINFO {
public:
    void CreateClock();
    void SetFirstFrame(int n) { firstFrame = n; }
    void SetFrameCount(int n) { frameCount = n; }
    void SetRestOffset(int n) { restOffset = n; }
    void SetFrame(float f) { frame = f; }
    void SetSpeed(float f) { speed = int(f); }  // kept as whole frames per second
    int GetFirstFrame() const { return firstFrame; }
    int GetFrameCount() const { return frameCount; }
    int GetRestOffset() const { return restOffset; }
    float GetFrame() const { return frame; }
    float GetSpeed() const { return float(speed); }

    int firstFrame = 0;
    int frameCount = 0;
    int restOffset = 0;  // frame shown when stopped, counted from firstFrame
    float frame = 0;     // current strip frame; its integer part is drawn
    int speed = 0;       // frames per second
    std::shared_ptr<CDeltaTime> clock;
};
using AnimRef = std::shared_ptr<TSpriteAnimationINFO>;

class CEasySprite {
public:
    void Init(const sq::ImageRef& image, int frameWidth, int frameHeight);
    void FreeAnims();
    int AddAnim(int firstFrame, int frameCount, int restOffset, int speed);
    void SetAnim(int id);
    void Draw();
    void DrawAt(float x, float y);
    void Update();
    void Stop();
    void Resume();
    void SetX(float v) { x = v; }
    void SetY(float v) { y = v; }
    float GetX() const { return x; }
    float GetY() const { return y; }
    int GetFrameWidth() const { return frameWidth; }
    int GetFrameHeight() const { return frameHeight; }
    int IsOnScreen(int centred) const;

    float GetVx() const { return vx; }
    void SetVx(float v) { vx = v; }
    float GetVy() const { return vy; }
    void SetVy(float v) { vy = v; }
    float GetAuxX() const { return auxX; }
    void SetAuxX(float v) { auxX = v; }
    float GetAuxY() const { return auxY; }
    void SetAuxY(float v) { auxY = v; }
    float GetMaxVx() const { return maxVx; }
    void SetMaxVx(float v) { maxVx = v; }
    float GetMaxVy() const { return maxVy; }
    void SetMaxVy(float v) { maxVy = v; }
    float GetMinVx() const { return minVx; }
    void SetMinVx(float v) { minVx = v; }
    float GetJumpSpeed() const { return jumpSpeed; }
    void SetJumpSpeed(float v) { jumpSpeed = v; }
    void SetAuxFactor(float v) { auxFactor = v; }
    float GetAuxFactor() const { return auxFactor; }
    int GetAuxFlag() const { return auxFlag; }
    void SetAuxFlag(int v) { auxFlag = v; }

    // The strip frame that Draw shows now.
    int CurrentFrame() const;

    int lastAnimId = -1;
    std::shared_ptr<sq::TList<TSpriteAnimationINFO>> animList;
    AnimRef currentAnim;
    sq::ImageRef image;
    int frameWidth = 0;
    int frameHeight = 0;
    int stopped = 0;
    int currentAnimId = -1;
    float x = 0, y = 0;
    float vx = 0, vy = 0;
    float auxX = 0, auxY = 0;
    float maxVx = 0;
    float minVx = 0;
    float maxVy = 0;
    float jumpSpeed = 0;
    float auxFactor = 0.75f;
    int auxFlag = 0;
};
using SpriteRef = std::shared_ptr<CEasySprite>;
