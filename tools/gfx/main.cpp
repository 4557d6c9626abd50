// Generates every picture the game loads into the game's gfx folder, plus a
// contact sheet and screen mock-ups for review. Same input, same bytes.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "generator.h"
#include "icons.h"

int main(int argc, char** argv) {
    using namespace gfx;
    Context ctx;
    std::string fontDir = "/usr/share/fonts/truetype/dejavu";
    std::string iconDir, iconName = "snowquill";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i], value = argv[i + 1];
        if (key == "--assets")
            ctx.assetDir = value;
        else if (key == "--out")
            ctx.outDir = value;
        else if (key == "--review")
            ctx.reviewDir = value;
        else if (key == "--fonts")
            fontDir = value;
        else if (key == "--icons")
            iconDir = value;
        else if (key == "--icon-name")
            iconName = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }
    if (ctx.assetDir.empty() || (ctx.outDir.empty() && iconDir.empty())) {
        std::fprintf(stderr,
                     "usage: %s --assets DIR --out DIR [--review DIR] [--fonts DIR]\n"
                     "       %s --assets DIR --icons DIR [--icon-name NAME]\n",
                     argv[0], argv[0]);
        return 2;
    }
    if (!iconDir.empty()) {
        // The application icons alone: no fonts needed.
        try {
            ctx.pal.Load(ctx.assetDir + "/palette.txt");
            ctx.art.Load(ctx.assetDir + "/santa.art", ctx.pal);
            WriteIcons(ctx, iconDir, iconName);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "snowquill_gfx: %s\n", e.what());
            return 1;
        }
        if (ctx.outDir.empty()) return 0;
    }
    try {
        ctx.pal.Load(ctx.assetDir + "/palette.txt");
        for (const char* art : {"santa.art", "monsters.art", "icons.art", "decor.art"})
            ctx.art.Load(ctx.assetDir + "/" + art, ctx.pal);
        ctx.bold = std::make_unique<Font>(fontDir + "/DejaVuSans-Bold.ttf");
        ctx.regular = std::make_unique<Font>(fontDir + "/DejaVuSans.ttf");
        ctx.serif = std::make_unique<Font>(fontDir + "/DejaVuSerif-Bold.ttf");
        ctx.mono = std::make_unique<Font>(fontDir + "/DejaVuSansMono.ttf");

        MakeSprites(ctx);
        MakeLettering(ctx);
        MakeScenes(ctx);

        std::filesystem::create_directories(ctx.outDir);
        std::size_t total = 0;
        for (const auto& p : ctx.pictures) {
            std::string path = ctx.outDir + "/" + p.file;
            WritePng(p.image, path, p.kind);
            total += std::filesystem::file_size(path);
        }
        if (!ctx.reviewDir.empty()) {
            std::filesystem::create_directories(ctx.reviewDir);
            WriteReview(ctx);
        }
        std::printf("snowquill_gfx: %zu pictures, %zu bytes\n", ctx.pictures.size(), total);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "snowquill_gfx: %s\n", e.what());
        return 1;
    }
    return 0;
}
