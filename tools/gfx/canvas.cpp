#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {
uint8_t Clamp8(float v) { return uint8_t(std::clamp(int(std::lround(v)), 0, 255)); }
}  // namespace

Rgba Mix(Rgba a, Rgba b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return Rgba(Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t),
                Clamp8(a.a + (b.a - a.a) * t));
}

Rgba Shade(Rgba c, float k) { return Rgba(Clamp8(c.r * k), Clamp8(c.g * k), Clamp8(c.b * k), c.a); }

Rgba WithAlpha(Rgba c, int a) { return Rgba(c.r, c.g, c.b, std::clamp(a, 0, 255)); }

uint64_t Rng::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Rng::Uniform() { return float(Next() >> 40) / float(1ull << 24); }

float Rng::Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

int Rng::Int(int lo, int hi) { return lo + int(Next() % uint64_t(hi - lo + 1)); }

uint64_t HashName(const std::string& name) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

namespace {
float Lattice(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}
float Smooth(float t) { return t * t * (3 - 2 * t); }
int Wrap(int v, int period) { return period > 0 ? ((v % period) + period) % period : v; }
}  // namespace

float ValueNoise(float x, float y, uint32_t seed, int period) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = Smooth(x - float(x0)), fy = Smooth(y - float(y0));
    int xa = Wrap(x0, period), xb = Wrap(x0 + 1, period), ya = Wrap(y0, period), yb = Wrap(y0 + 1, period);
    float a = Lattice(xa, ya, seed), b = Lattice(xb, ya, seed);
    float c = Lattice(xa, yb, seed), d = Lattice(xb, yb, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float Fbm(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x, y, seed + uint32_t(i) * 101u, period);
        norm += amp;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

float Bayer4(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (float(m[y & 3][x & 3]) + 0.5f) / 16.0f;
}

Canvas::Canvas(int width, int height, Rgba fill) : w(width), h(height), px(std::size_t(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgba c, float coverage) {
    if (!In(x, y)) return;
    float sa = c.a / 255.0f * std::clamp(coverage, 0.0f, 1.0f);
    if (sa <= 0) return;
    Rgba& d = At(x, y);
    float da = d.a / 255.0f;
    float oa = sa + da * (1 - sa);
    if (oa <= 0) return;
    auto ch = [&](uint8_t s, uint8_t dd) { return Clamp8((s * sa + dd * da * (1 - sa)) / oa); };
    d = Rgba(ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), Clamp8(oa * 255));
}

void Canvas::Fill(Rgba c) { std::fill(px.begin(), px.end(), c); }

void Canvas::FillRect(int x, int y, int rw, int rh, Rgba c) {
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i) Set(i, j, c);
}

void Canvas::BlendRect(int x, int y, int rw, int rh, Rgba c, float coverage) {
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i) Blend(i, j, c, coverage);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, Rgba c) {
    if (rx <= 0 || ry <= 0) return;
    int x0 = int(std::floor(cx - rx)) - 1, x1 = int(std::ceil(cx + rx)) + 1;
    int y0 = int(std::floor(cy - ry)) - 1, y1 = int(std::ceil(cy + ry)) + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) Blend(x, y, c);
        }
}

void Canvas::SoftEllipse(float cx, float cy, float rx, float ry, Rgba c, float coverage) {
    if (rx <= 0 || ry <= 0) return;
    int x0 = int(std::floor(cx - rx)) - 1, x1 = int(std::ceil(cx + rx)) + 1;
    int y0 = int(std::floor(cy - ry)) - 1, y1 = int(std::ceil(cy + ry)) + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float dx = (x + (sx + 0.5f) / 4 - cx) / rx, dy = (y + (sy + 0.5f) / 4 - cy) / ry;
                    if (dx * dx + dy * dy <= 1.0f) ++hits;
                }
            if (hits) Blend(x, y, c, coverage * hits / 16.0f);
        }
}

void Canvas::FillPolygon(const std::vector<float>& xy, Rgba c, bool soft, float coverage) {
    std::size_t n = xy.size() / 2;
    if (n < 3) return;
    float minX = xy[0], maxX = xy[0], minY = xy[1], maxY = xy[1];
    for (std::size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](float px0, float py0) {
        bool in = false;
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py0) != (yj > py0) && px0 < (xj - xi) * (py0 - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    };
    int sub = soft ? 4 : 1;
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y)
        for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
            int hits = 0;
            for (int sy = 0; sy < sub; ++sy)
                for (int sx = 0; sx < sub; ++sx)
                    if (inside(x + (sx + 0.5f) / sub, y + (sy + 0.5f) / sub)) ++hits;
            if (hits) Blend(x, y, c, coverage * float(hits) / float(sub * sub));
        }
}

void Canvas::Line(int x0, int y0, int x1, int y1, Rgba c) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Blend(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::ThickLine(float x0, float y0, float x1, float y1, float width, Rgba c) {
    // Collect covered pixels first so overlapping stamps do not double-blend.
    float r = width / 2;
    int bx0 = int(std::floor(std::min(x0, x1) - r)) - 1, bx1 = int(std::ceil(std::max(x0, x1) + r)) + 1;
    int by0 = int(std::floor(std::min(y0, y1) - r)) - 1, by1 = int(std::ceil(std::max(y0, y1) + r)) + 1;
    float vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            float px0 = x + 0.5f, py0 = y + 0.5f;
            float t = len2 > 0 ? std::clamp(((px0 - x0) * vx + (py0 - y0) * vy) / len2, 0.0f, 1.0f) : 0.0f;
            float ex = x0 + vx * t - px0, ey = y0 + vy * t - py0;
            if (ex * ex + ey * ey <= r * r) Blend(x, y, c);
        }
}

void Canvas::Glow(float cx, float cy, float r, Rgba c, float a, float power) {
    int x0 = int(cx - r) - 1, x1 = int(cx + r) + 1, y0 = int(cy - r) - 1, y1 = int(cy + r) + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
            if (d < 1) Blend(x, y, c, a * std::pow(1 - d, power));
        }
}

void Canvas::Draw(const Canvas& src, int dx, int dy, float coverage) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            Rgba c = src.Get(x, y);
            if (c.a) Blend(x + dx, y + dy, c, coverage);
        }
}

void Canvas::Put(const Canvas& src, int dx, int dy, bool skipClear) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            Rgba c = src.Get(x, y);
            if (!skipClear || c.a) Set(x + dx, y + dy, c);
        }
}

Canvas Canvas::Crop(int x, int y, int cw, int ch) const {
    Canvas out(cw, ch);
    for (int j = 0; j < ch; ++j)
        for (int i = 0; i < cw; ++i) out.At(i, j) = Get(x + i, y + j);
    return out;
}

Canvas Canvas::FlipX() const {
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.At(w - 1 - x, y) = Get(x, y);
    return out;
}

Canvas Canvas::ScaleNearest(int factor) const {
    Canvas out(w * factor, h * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) out.At(x, y) = Get(x / factor, y / factor);
    return out;
}

Canvas Canvas::Resample(int nw, int nh) const {
    Canvas out(nw, nh);
    for (int y = 0; y < nh; ++y)
        for (int x = 0; x < nw; ++x) {
            float sx = (x + 0.5f) * w / nw - 0.5f, sy = (y + 0.5f) * h / nh - 0.5f;
            int x0 = std::clamp(int(std::floor(sx)), 0, w - 1), y0 = std::clamp(int(std::floor(sy)), 0, h - 1);
            int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
            float fx = std::clamp(sx - x0, 0.0f, 1.0f), fy = std::clamp(sy - y0, 0.0f, 1.0f);
            // Premultiplied so clear pixels do not bleed their colour.
            float acc[4] = {0, 0, 0, 0};
            auto add = [&](int xx, int yy, float wgt) {
                Rgba c = Get(xx, yy);
                float a = c.a / 255.0f * wgt;
                acc[0] += c.r * a;
                acc[1] += c.g * a;
                acc[2] += c.b * a;
                acc[3] += a;
            };
            add(x0, y0, (1 - fx) * (1 - fy));
            add(x1, y0, fx * (1 - fy));
            add(x0, y1, (1 - fx) * fy);
            add(x1, y1, fx * fy);
            if (acc[3] > 0)
                out.At(x, y) = Rgba(Clamp8(acc[0] / acc[3]), Clamp8(acc[1] / acc[3]), Clamp8(acc[2] / acc[3]),
                                    Clamp8(acc[3] * 255));
        }
    return out;
}

void Canvas::Outline(Rgba c, bool diagonal) {
    Canvas src = *this;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (src.Get(x, y).a >= 128) continue;
            bool touch = src.Get(x - 1, y).a >= 128 || src.Get(x + 1, y).a >= 128 || src.Get(x, y - 1).a >= 128 ||
                         src.Get(x, y + 1).a >= 128;
            if (!touch && diagonal)
                touch = src.Get(x - 1, y - 1).a >= 128 || src.Get(x + 1, y - 1).a >= 128 ||
                        src.Get(x - 1, y + 1).a >= 128 || src.Get(x + 1, y + 1).a >= 128;
            if (touch) At(x, y) = c;
        }
}

void Canvas::Harden() {
    for (Rgba& c : px) c = c.a >= 128 ? WithAlpha(c, 255) : kClear;
}

void DrawWithOutline(Canvas& dst, const Canvas& layer, int dx, int dy, Rgba outline) {
    Canvas ring(layer.w + 2, layer.h + 2);
    ring.Put(layer, 1, 1);
    ring.Outline(outline);
    dst.Put(ring, dx - 1, dy - 1);
}

}  // namespace gfx
