#pragma once
// Shared state of one run of the picture generator.
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"
#include "palette.h"
#include "png_io.h"
#include "text.h"

namespace gfx {

struct Picture {
    std::string file;  // name inside gfx/, e.g. "bnatale4.png"
    Canvas image;
    PngKind kind = PngKind::kMasked;
    int cellW = 0, cellH = 0;  // strips: cell size; 0 for single pictures
    std::string note;          // what it shows (for the contact sheet)
};

struct Context {
    std::string assetDir, outDir, reviewDir;
    Palette pal;
    ArtBook art;
    std::unique_ptr<Font> bold, regular, serif, mono;
    std::vector<Picture> pictures;

    void Add(const std::string& file, Canvas image, PngKind kind, const std::string& note, int cellW = 0,
             int cellH = 0);
    const Picture& Find(const std::string& file) const;
    Rgba C(const std::string& name) const { return pal[name]; }
};

void MakeSprites(Context& ctx);        // player, monsters, icons, halo, flash, flake, star, clouds
void MakeLettering(Context& ctx);      // title, subtitle, menu items, panels and pages
void MakeScenes(Context& ctx);         // full-screen backdrops, splash and end screen
void WriteReview(const Context& ctx);  // contact sheet and screen mock-ups

// Scene helpers shared by several backdrops (scenes.cpp).
void NightSky(Canvas& c, const Context& ctx, uint32_t seed, int horizon, bool moon);
void Stars(Canvas& c, uint32_t seed, int count, int maxY, float brightness);
void SnowHills(Canvas& c, const Context& ctx, uint32_t seed, int baseY, int amplitude, Rgba lit, Rgba shade,
               float period);

}  // namespace gfx
