#pragma once
// The credits picture under the menu's two cloud layers and falling snow.
#include <memory>

#include "core/timed_speed.h"

class CSnow;

class CCredits : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void Release();
    void Draw();

    std::shared_ptr<CSnow> snowEffect;
};

// Runs until a key is pressed (even during the fade-in), then fades out.
void ShowCredits();
