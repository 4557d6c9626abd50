#include "game/snow.h"

#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/timed_speed.h"
#include "platform/system/random.h"
#include "platform/video/graphics.h"

using namespace sq;

std::shared_ptr<CSnow> CSnow::Create(int count) {
    auto snow = std::make_shared<CSnow>();
    snow->flakes.Reserve(count > 0 ? std::size_t(count) : 0);
    for (int i = 0; i < count; ++i) {
        auto flake = std::make_shared<TFlake>();
        flake->x = float(RandomInt(0, 320));
        flake->y = float(RandomInt(0, 240));
        flake->fallSpeed = float(RandomFloat(0.02, 0.2));
        // Faster flakes are nearer and brighter; the colour setter clamps the
        // fastest ones to white.
        int grey = int(110 + flake->fallSpeed * 1000);
        flake->red = flake->green = flake->blue = grey;
        snow->flakes.Append(std::move(flake));
    }
    return snow;
}

std::shared_ptr<CSnow> CSnow::Destroy(const std::shared_ptr<CSnow>& snow) {
    if (snow) snow->flakes.Clear();
    return nullptr;
}

void CSnow::Draw() {
    for (const auto& f : flakes) {
        SetDrawColor(f->red, f->green, f->blue);
        DrawImageAt(imgFiocco, f->x, f->y, 0);
        SetDrawColor(255, 255, 255);
    }
}

void CSnow::Update() {
    for (const auto& fp : flakes) {
        TFlake& f = *fp;
        f.fallSpeed += float(RandomFloat(-0.004, 0.004));
        if (f.fallSpeed < 0)
            f.fallSpeed = float(RandomFloat(0.001, 0.02));
        else if (f.fallSpeed > 0.3f)
            f.fallSpeed = float(RandomFloat(0.002, 0.02));
        // Wrap before the move: a flake may show once just past the edge.
        if (f.y > 240) f.y = 0;
        if (f.x > 320) f.x = 0;
        f.y += f.fallSpeed * tickDelta;
        // A fresh angle from -6 to 15 degrees each step: the snow drifts right on average.
        f.x += SinDeg(RandomInt(-6, 15)) * tickDelta;
    }
}
