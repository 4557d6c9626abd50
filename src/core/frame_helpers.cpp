#include "core/frame_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/system/clock.h"
#include "platform/system/quit_signals.h"
#include "platform/video/graphics.h"

namespace {
int sharedCalls = 0;
int sharedDeadline = 0;
float sinTable[360];
float cosTable[360];
bool tablesReady = false;
}  // namespace

std::shared_ptr<CDeltaTime> CDeltaTime::Create() {
    auto d = std::make_shared<CDeltaTime>();
    d->lastTime = sq::CurrentMillis();
    return d;
}

std::shared_ptr<CDeltaTime> CDeltaTime::Destroy(std::shared_ptr<CDeltaTime>& d) {
    d.reset();
    return nullptr;
}

void CDeltaTime::Update() {
    deltaSeconds = float((sq::CurrentMillis() - lastTime) * 0.001);
    lastTime = sq::CurrentMillis();
}

int CDeltaTime::CountFps() {
    ++sharedCalls;
    if (sq::CurrentMillis() > sharedDeadline) {
        fps = sharedCalls;
        sharedDeadline = sq::CurrentMillis() + 1000;
        sharedCalls = 0;
    }
    return fps;
}

void CDeltaTime::StartTimer(int ms) {
    if (timerStart != 0 || timerLength != 0) return;
    timerStart = sq::CurrentMillis();
    timerLength = ms;
}

int CDeltaTime::TimerDone() {
    if (timerStart == 0 && timerLength == 0) return 1;
    if (sq::CurrentMillis() - timerStart > timerLength) {
        timerStart = 0;
        timerLength = 0;
        return 1;
    }
    return 0;
}

void CFPS::Reset() {
    count = 0;
    windowStart = sq::CurrentMillis();
    lastCount = 0;
    minFps = 999;
}

void CFPS::Tick() {
    ++count;
    if (sq::CurrentMillis() > windowStart + 1001) {
        lastCount = count;
        count = 0;
        windowStart = sq::CurrentMillis();
        if (lastCount > maxFps) maxFps = lastCount;
        if (lastCount < minFps) minFps = lastCount;
        fps = lastCount;
    }
}

void DRAW2DENV::Save() {
    sq::GetDrawColor(red, green, blue);
    blendMode = sq::GetBlendMode();
    alpha = sq::GetDrawAlpha();
    sq::GetClipRect(clipX, clipY, clipWidth, clipHeight);
}

void DRAW2DENV::Restore() {
    sq::SetDrawColor(red, green, blue);
    sq::SetBlendMode(blendMode);
    sq::SetDrawAlpha(alpha);
    sq::SetClipRect(clipX, clipY, clipWidth, clipHeight);
}

void InitDegreeTables() {
    for (int i = 0; i < 360; ++i) {
        double rad = i * 3.14159265358979323846 / 180.0;
        sinTable[i] = float(std::sin(rad));
        cosTable[i] = float(std::cos(rad));
    }
    tablesReady = true;
}

static int DegreeIndex(int degrees) {
    if (!tablesReady) InitDegreeTables();
    int d = degrees % 360;  // the sign follows the dividend
    if (d < 0) d += 360;
    return d;
}

float SinDeg(int degrees) { return sinTable[DegreeIndex(degrees)]; }
float CosDeg(int degrees) { return cosTable[DegreeIndex(degrees)]; }

namespace {

void DrawShadowed(const std::string& text, float y) {
    // Centred on whole pixels: half an odd width is dropped.
    const float x = float(160 - sq::TextWidth(text) / 2);  // NOLINT(bugprone-integer-division)
    sq::SetDrawColor(0, 0, 0);
    sq::DrawTextAt(text, x + 1, y + 1);
    sq::SetDrawColor(255, 255, 255);
    sq::DrawTextAt(text, x, y);
}

}  // namespace

void DrawCaptions(const std::string& top, const std::string& bottom) {
    int r = 0, g = 0, b = 0;
    sq::GetDrawColor(r, g, b);
    const float alpha = sq::GetDrawAlpha();
    const int blend = sq::GetBlendMode();
    sq::SetBlendMode(sq::kBlendAlpha);
    sq::SetDrawAlpha(1);
    DrawShadowed(top, 24);
    DrawShadowed(bottom, 226);
    sq::SetDrawColor(r, g, b);
    sq::SetDrawAlpha(alpha);
    sq::SetBlendMode(blend);
}

void IdlePoll() {
    // Waits poll no keys, but a close request or a signal still ends the game.
    sq::CheckQuit();
    sq::Clock().Rest(1);
}

void WaitMillis(float ms, const std::function<void()>& meanwhile) {
    // Long sleeps, not a millisecond at a time; but a close request or a
    // signal (the splash is held for seconds) still ends the game within
    // a twentieth of a second.
    constexpr uint32_t kQuitLook = 50;
    const uint32_t start = uint32_t(sq::CurrentMillis());
    if (meanwhile) meanwhile();
    const uint32_t end = start + (ms > 0 ? uint32_t(std::min(ms, 4.0e9f)) : 0u) + 1u;
    while (double(uint32_t(sq::CurrentMillis()) - start) <= ms) {
        sq::CheckQuit();
        const uint32_t now = uint32_t(sq::CurrentMillis());
        sq::Clock().SleepUntil(int32_t(end - now) > int32_t(kQuitLook) ? now + kQuitLook : end);
    }
}
