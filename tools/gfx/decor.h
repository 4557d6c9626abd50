#pragma once
#include "generator.h"

namespace gfx {

// A holly sprig (two leaves, three berries) centred on (x, y), outlined.
void DrawHolly(Canvas& c, const Context& ctx, int x, int y, float scale, bool mirrored);
void DrawBerry(Canvas& c, const Context& ctx, int x, int y);
// A four-pointed twinkle with arms of the given length.
void DrawSparkle(Canvas& c, const Context& ctx, int x, int y, int arm);

// The logo lettering: letters in a vertical gradient with snow lying on every
// upward edge, a gold rim, a dark outline and a night-blue drop shadow.
Canvas SnowyWord(const Context& ctx, const Font& font, const std::string& word, int size, uint32_t seed, Rgba top,
                 Rgba bottom, int capDepth);
// Crops to the non-clear pixels plus a margin.
Canvas TrimClear(const Canvas& c, int margin);
// Parchment with a light grain over the rectangle.
void Parchment(Canvas& c, const Context& ctx, int x0, int y0, int w, int h, uint32_t seed);
// A wrapped parcel standing on baseY.
void GiftBox(Canvas& c, const Context& ctx, int x, int baseY, int w, int h, Rgba paper, Rgba ribbon);

}  // namespace gfx
