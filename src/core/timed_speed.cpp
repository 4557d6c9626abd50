#include "core/timed_speed.h"

#include <cmath>

#include "platform/system/clock.h"

void CTimedSpeed::Init() {
    msPerStep = 1000.0f / stepsPerSecond;
    lastTime = sq::CurrentMillis();
    pendingSteps = 0;
    lastSteps = 1.0;
    SetTween(1.0f);
}

void CTimedSpeed::ComputeTicks() {
    // The clock is read as the platform's signed int; a reading below the
    // last one means the millisecond counter wrapped.
    double now = sq::CurrentMillis();
    if (now >= lastTime)
        pendingSteps = (now - lastTime) / msPerStep;
    else
        pendingSteps = lastSteps;
    lastTime = now;
    // A long stall (menu, tally, loading) repeats the last frame's count
    // rather than jumping the game forward.
    if (pendingSteps > 100) pendingSteps = lastSteps;
    if (pendingSteps > 50) pendingSteps = 50;
    lastSteps = pendingSteps;
}

void CTimedSpeed::SetSpeedPercent(int percent) {
    msPerStep = 1000.0f / stepsPerSecond;
    if (percent > 0 && percent < 100) msPerStep = msPerStep * 100.0f / float(percent);
}

void CTimedSpeed::SetTween(float value) { tickDelta = value; }

int CTimedSpeed::Run() {
    int result = 0;
    ComputeTicks();
    int n = int(std::floor(pendingSteps));
    for (int i = 1; i <= n; ++i) {
        SetTween(1.0f);
        result = Update();
    }
    double f = std::fmod(pendingSteps, 1.0);
    if (f > 0) {
        SetTween(float(f));
        result = Update();
    }
    return result;
}
