#pragma once
// The game's one shared random generator: the minimal-standard generator
// (multiplier 48271, modulus 2^31 - 1), two draws per value.
#include <cstdint>

namespace sq {

void SeedRandom(int seed);
double RandomUnit();                     // in [0, 1)
double RandomFloat(double a, double b);  // from the lower bound up to (not including) the upper
int RandomInt(int a, int b);             // from the lower to the upper bound, both included
int32_t RandomState();                   // for tests and replays

}  // namespace sq
