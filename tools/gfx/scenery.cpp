#include "scenery.h"

#include <algorithm>
#include <cmath>

namespace gfx {

Ramp MakeRamp(const Context& ctx, std::initializer_list<const char*> names) {
    Ramp r;
    for (const char* n : names) r.push_back(ctx.C(n));
    return r;
}

Rgba DitherRamp(const Ramp& ramp, float t, int x, int y) {
    if (ramp.size() == 1) return ramp[0];
    float f = std::clamp(t, 0.0f, 1.0f) * float(ramp.size() - 1);
    int i = std::min(int(f), int(ramp.size()) - 2);
    float frac = f - float(i);
    // Only the middle of each step is dithered, so bands stay visible.
    float d = std::clamp((frac - 0.3f) / 0.4f, 0.0f, 1.0f);
    return d > Bayer4(x, y) ? ramp[i + 1] : ramp[i];
}

void VerticalGradient(Canvas& c, int y0, int y1, const Ramp& ramp) {
    for (int y = std::max(0, y0); y < std::min(c.h, y1); ++y)
        for (int x = 0; x < c.w; ++x) c.At(x, y) = DitherRamp(ramp, float(y - y0) / float(y1 - y0 - 1), x, y);
}

void Tint(Canvas& c, Rgba towards, float amount) {
    for (Rgba& p : c.px) {
        int a = p.a;
        p = Mix(p, towards, amount);
        p.a = uint8_t(a);
    }
}

std::vector<int> RidgeProfile(int width, uint32_t seed, float baseY, float amplitude, float period, int octaves) {
    std::vector<int> top(width);
    for (int x = 0; x < width; ++x) {
        float n = Fbm(float(x) / period, 0.5f, seed, octaves);
        top[x] = int(std::lround(baseY - (n - 0.5f) * 2.0f * amplitude));
    }
    return top;
}

void FillRidge(Canvas& c, const std::vector<int>& top, const Ramp& ramp, int depth) {
    for (int x = 0; x < c.w && x < int(top.size()); ++x)
        for (int y = std::max(0, top[x]); y < c.h; ++y)
            c.At(x, y) = DitherRamp(ramp, float(y - top[x]) / float(std::max(1, depth)), x, y);
}

void SnowCap(Canvas& c, const std::vector<int>& top, Rgba snow, Rgba snowShade, int minDepth, int maxDepth,
             uint32_t seed) {
    for (int x = 0; x < c.w && x < int(top.size()); ++x) {
        int depth = minDepth + int(ValueNoise(float(x) * 0.3f, 1.0f, seed) * float(maxDepth - minDepth + 1));
        // Slopes facing left (rising to the right) are in shade.
        bool shaded = x + 1 < int(top.size()) && top[x + 1] < top[x];
        for (int i = 0; i < depth; ++i) c.Set(x, top[x] + i, shaded ? snowShade : snow);
    }
}

void PineTree(Canvas& c, float x, int baseY, int height, const PineColours& col, float snow, uint32_t seed) {
    Rng rng(seed);
    int trunkH = std::max(1, height / 8);
    int trunkW = std::max(1, height / 14);
    c.FillRect(int(x) - trunkW / 2, baseY - trunkH, std::max(1, trunkW), trunkH, col.trunk);
    int crownTop = baseY - height, crownBottom = baseY - trunkH;
    int tiers = std::max(2, height / 9);
    float maxHalf = float(height) * 0.30f;
    for (int t = 0; t < tiers; ++t) {
        // Each tier is a jagged triangle; lower tiers are wider.
        float f0 = float(t) / float(tiers), f1 = float(t + 1) / float(tiers);
        int ty0 = crownTop + int(float(crownBottom - crownTop) * f0 * 0.85f);
        int ty1 = crownTop + int(float(crownBottom - crownTop) * f1);
        float half1 = maxHalf * (0.35f + 0.65f * f1);
        for (int y = ty0; y <= ty1; ++y) {
            float k = float(y - ty0) / float(std::max(1, ty1 - ty0));
            float half = half1 * k + (t == 0 ? 0.0f : 0.4f);
            for (int xx = int(std::floor(x - half)); xx <= int(std::ceil(x + half)); ++xx) {
                float dx = (float(xx) + 0.5f - x) / std::max(0.5f, half);
                if (std::fabs(dx) > 1.0f) continue;
                // Right side lit, left side dark, a lighter lower rim.
                Rgba p = dx > 0.25f ? col.mid : col.dark;
                if (k > 0.8f && dx > -0.2f) p = col.light;
                c.Set(xx, y, p);
            }
        }
        // Snow lying along the upper edge of the tier.
        if (snow > 0) {
            for (int y = ty0; y <= ty1; ++y) {
                float k = float(y - ty0) / float(std::max(1, ty1 - ty0));
                float half = half1 * k;
                if (rng.Uniform() < snow) c.Set(int(std::lround(x + half)) - 1, y, col.snow);
                if (rng.Uniform() < snow * 0.7f) c.Set(int(std::lround(x - half)) + 1, y, col.snow);
            }
            int wy = ty1;
            float half = half1;
            for (int xx = int(x - half * 0.7f); xx <= int(x + half * 0.9f); ++xx)
                if (rng.Uniform() < snow) c.Set(xx, wy - 1, col.snow);
        }
    }
    if (snow > 0) c.Set(int(x), crownTop, col.snow);
}

void Moon(Canvas& c, const Context& ctx, float x, float y, float r, float glow) {
    if (glow > 0) c.Glow(x, y, r * 4.0f, ctx.C("snow2"), glow, 2.0f);
    for (int yy = int(y - r) - 1; yy <= int(y + r) + 1; ++yy)
        for (int xx = int(x - r) - 1; xx <= int(x + r) + 1; ++xx) {
            float dx = xx + 0.5f - x, dy = yy + 0.5f - y;
            if (dx * dx + dy * dy > r * r) continue;
            Rgba col = ctx.C("lamp2");
            // Soft craters.
            float n = Fbm(float(xx) * 0.25f, float(yy) * 0.25f, 4242u, 3);
            if (n > 0.58f) col = ctx.C("paper2");
            if (dx * 0.7f + dy * 0.7f > r * 0.55f) col = Mix(col, ctx.C("paper1"), 0.5f);
            c.Set(xx, yy, col);
        }
}

void SnowGround(Canvas& c, const std::vector<int>& top, const Ramp& ramp, int depth, uint32_t seed) {
    FillRidge(c, top, ramp, depth);
    // Sparse glints on the snow surface.
    Rng rng(seed);
    for (int i = 0; i < c.w / 6; ++i) {
        int x = rng.Int(0, c.w - 1);
        int y = top[x] + rng.Int(1, std::max(2, depth / 2));
        if (y < c.h) c.Set(x, y, ramp.back());
    }
}

void Snowfall(Canvas& c, uint32_t seed, int count, Rgba colour, float alphaMax) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        int x = rng.Int(0, c.w - 1), y = rng.Int(0, c.h - 1);
        float a = rng.Range(0.3f, 1.0f) * alphaMax;
        c.Blend(x, y, colour, a);
        if (rng.Uniform() < 0.3f) {
            c.Blend(x + 1, y, colour, a * 0.6f);
            c.Blend(x, y + 1, colour, a * 0.6f);
        }
    }
}

void House(Canvas& c, int x, int baseY, int w, int h, const HouseColours& col, uint32_t seed, bool chimney) {
    Rng rng(seed);
    int roofH = w / 2;
    int wallTop = baseY - h;
    c.FillRect(x, wallTop, w, h, col.wall);
    c.FillRect(x, wallTop, std::max(1, w / 5), h, col.wallShade);
    if (chimney) {
        int cx = x + w * 2 / 3;
        c.FillRect(cx, wallTop - roofH + 1, 3, roofH, col.wallShade);
        c.FillRect(cx - 1, wallTop - roofH, 5, 2, col.snow);
    }
    // Gable roof with overhang, snow on top.
    for (int i = 0; i <= roofH; ++i) {
        int y = wallTop - roofH + i;
        int half = i + 1;
        int cx = x + w / 2;
        for (int xx = cx - half - 1; xx <= cx + half; ++xx) {
            bool edge = xx <= cx - half || xx >= cx + half - 1;
            c.Set(xx, y, edge || i < 2 ? col.snow : (xx < cx ? col.snowShade : col.roof));
        }
    }
    for (int xx = x - 2; xx < x + w + 2; ++xx) c.Set(xx, wallTop, col.snowShade);
    // Windows with a warm glow.
    int windows = std::max(1, w / 9);
    for (int i = 0; i < windows; ++i) {
        int wx = x + (w * (2 * i + 1)) / (2 * windows) - 2;
        int wy = wallTop + std::max(2, h / 3);
        bool lit = rng.Uniform() < 0.8f;
        if (lit) c.Glow(float(wx) + 2.0f, float(wy) + 2.5f, 7.0f, col.windowGlow, 0.35f, 2.0f);
        c.FillRect(wx - 1, wy - 1, 6, 7, col.frame);
        c.FillRect(wx, wy, 4, 5, lit ? col.window : col.wallShade);
        c.Set(wx + 2, wy, col.frame);
        c.Set(wx + 2, wy + 1, col.frame);
        c.Set(wx + 2, wy + 3, col.frame);
        c.Set(wx + 2, wy + 4, col.frame);
        for (int xx = wx; xx < wx + 4; ++xx) c.Set(xx, wy + 2, col.frame);
    }
    // Door.
    if (w >= 18) {
        int dx = x + w - 8;
        c.FillRect(dx, baseY - 8, 5, 8, col.frame);
        c.FillRect(dx + 1, baseY - 7, 3, 7, col.wallShade);
    }
}

}  // namespace gfx

namespace gfx {

std::vector<int> MountainRange(Canvas& c, uint32_t seed, int baseY, int maxH, int count, const Ramp& lit,
                               const Ramp& dark, Rgba snow, Rgba snowShade, float snowFrac) {
    Rng rng(seed);
    struct Peak {
        float x, h, w;
    };
    std::vector<Peak> peaks;
    for (int i = 0; i < count; ++i) {
        float x = (float(i) + rng.Range(0.1f, 0.9f)) * float(c.w + 80) / float(count) - 40.0f;
        float h = rng.Range(0.45f, 1.0f) * float(maxH);
        peaks.push_back({x, h, h * rng.Range(1.3f, 1.9f)});
    }
    std::vector<int> top(c.w);
    std::vector<int> owner(c.w, -1);
    for (int x = 0; x < c.w; ++x) {
        float best = 0;
        for (int i = 0; i < count; ++i) {
            float v = peaks[i].h * std::max(0.0f, 1.0f - std::fabs(float(x) - peaks[i].x) / peaks[i].w);
            if (v > best) best = v, owner[x] = i;
        }
        float jitter = (ValueNoise(float(x) * 0.25f, 0.0f, seed) - 0.5f) * 3.0f;
        top[x] = int(std::lround(float(baseY) - best + jitter));
    }
    for (int x = 0; x < c.w; ++x) {
        bool litFace = owner[x] >= 0 && float(x) < peaks[owner[x]].x;
        float h = owner[x] >= 0 ? peaks[owner[x]].h : 1.0f;
        float summit = owner[x] >= 0 ? float(baseY) - h : float(baseY);
        for (int y = std::max(0, top[x]); y < baseY + 2 && y < c.h; ++y) {
            float t = float(y - top[x]) / float(std::max(1, baseY - top[x]));
            Rgba col = DitherRamp(litFace ? lit : dark, t, x, y);
            // Snow line, ragged with noise.
            float line = summit + h * snowFrac + (ValueNoise(float(x) * 0.3f, float(y) * 0.1f, seed + 1) - 0.5f) * 6.0f;
            if (float(y) < line) col = litFace ? snow : snowShade;
            c.Set(x, y, col);
        }
    }
    return top;
}

}  // namespace gfx
