#pragma once
// The game's short sound effects, each made from scratch by a recipe here.
#include <string>
#include <vector>

#include "wave.h"

namespace sfx {

struct TEffectInfo {
    std::string name;  // file name without ".ogg", as the game writes it
    double peakDb;     // loudness of the finished effect
    std::string what;  // what it should sound like
};

const std::vector<TEffectInfo>& EffectList();
// Mono, 44.1 kHz, at its level. Throws std::invalid_argument for an unknown name.
TWave MakeEffect(const std::string& name);

}  // namespace sfx
