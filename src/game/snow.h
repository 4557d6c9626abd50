#pragma once
// Falling snowflakes in screen space over whatever a screen shows. Faster
// flakes are brighter, which gives the field some depth.
#include <memory>

#include "platform/system/list.h"

class TFlake {
public:
    float x = 0, y = 0;
    int red = 0, green = 0, blue = 0;
    float fallSpeed = 0;
};

class CSnow {
public:
    static std::shared_ptr<CSnow> Create(int count);
    // Empties the flakes; returns the Null object for the caller to store.
    static std::shared_ptr<CSnow> Destroy(const std::shared_ptr<CSnow>& snow);
    void Draw();
    void Update();

    sq::TList<TFlake> flakes;
};
using SnowRef = std::shared_ptr<CSnow>;
