#pragma once
// Building blocks of the backdrops: dithered gradients, skies, ridges, pines,
// houses and glows, in the shared palette's pixel-art style.
#include <functional>
#include <vector>

#include "generator.h"

namespace gfx {

using Ramp = std::vector<Rgba>;
Ramp MakeRamp(const Context& ctx, std::initializer_list<const char*> names);

// Colour of the ramp at t (0..1) with 4x4 ordered dithering between steps.
Rgba DitherRamp(const Ramp& ramp, float t, int x, int y);
void VerticalGradient(Canvas& c, int y0, int y1, const Ramp& ramp);
// Multiplies the picture towards a colour (for calming a backdrop).
void Tint(Canvas& c, Rgba towards, float amount);

// A noisy skyline: returns the top y of the ridge for every column.
std::vector<int> RidgeProfile(int width, uint32_t seed, float baseY, float amplitude, float period, int octaves = 4);
// Fills below a profile with a vertical ramp that starts at the ridge line.
void FillRidge(Canvas& c, const std::vector<int>& top, const Ramp& ramp, int depth);
// Snow caps: lighter pixels on the upper rows of a ridge.
void SnowCap(Canvas& c, const std::vector<int>& top, Rgba snow, Rgba snowShade, int minDepth, int maxDepth,
             uint32_t seed);

struct PineColours {
    Rgba dark, mid, light, snow, trunk;
};
void PineTree(Canvas& c, float x, int baseY, int height, const PineColours& col, float snow, uint32_t seed);

void Moon(Canvas& c, const Context& ctx, float x, float y, float r, float glow);
void SnowGround(Canvas& c, const std::vector<int>& top, const Ramp& ramp, int depth, uint32_t seed);
void Snowfall(Canvas& c, uint32_t seed, int count, Rgba colour, float alphaMax);

// Silhouette of a cottage with a snowy roof and warm windows.
struct HouseColours {
    Rgba wall, wallShade, roof, snow, snowShade, window, windowGlow, frame;
};
void House(Canvas& c, int x, int baseY, int w, int h, const HouseColours& col, uint32_t seed, bool chimney);

}  // namespace gfx

namespace gfx {
// A range of peaks: faces left of each summit lit, right faces in shade, snow
// down to snowFrac of each peak's height. Returns the skyline.
std::vector<int> MountainRange(Canvas& c, uint32_t seed, int baseY, int maxH, int count, const Ramp& lit,
                               const Ramp& dark, Rgba snow, Rgba snowShade, float snowFrac);
}  // namespace gfx
