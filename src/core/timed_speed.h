#pragma once
// The base of every screen: turns the time since the last frame into fixed
// 5 ms logic steps, the last one scaled by `tickDelta`.

#include "core/globals.h"  // tickDelta

class CTimedSpeed {
public:
    virtual ~CTimedSpeed() = default;
    virtual void Init();
    virtual void ComputeTicks();
    virtual void SetTween(float value);
    virtual int Update() = 0;
    virtual int Run();
    // Steps come that much slower (per cent of stepsPerSecond; 100 as set).
    void SetSpeedPercent(int percent);

    float stepsPerSecond = 200.0f;
    double lastTime = 0;
    double pendingSteps = 0;
    double lastSteps = 0;
    float msPerStep = 0;
};
