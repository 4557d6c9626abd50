// Pictures of whole levels for review: every map drawn in full from the
// game's own loader, with the monsters where they appear and the stretch each
// one patrols, the player at the start, the exit outlined and, when the
// checker left one, the route it found as a dotted line.
//
//   level_overview [--game DIR] [--out DIR] [--level N]...
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fmp_query.h"
#include "game/main_game_loop.h"
#include "level_rules.h"
#include "map/fmp_map.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"

using namespace levels;

namespace {

struct TPicture {
    int w, h;
    sq::PixmapRef px;
    void Put(int x, int y, uint32_t argb) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint32_t a = argb >> 24;
        if (a == 0) return;
        if (a < 255) {
            uint32_t old = sq::PixmapGetPixel(px, x, y);
            auto mix = [&](int shift) {
                uint32_t o = (old >> shift) & 255, n = (argb >> shift) & 255;
                return ((n * a + o * (255 - a)) / 255) << shift;
            };
            argb = 0xFF000000u | mix(16) | mix(8) | mix(0);
        }
        sq::PixmapSetPixel(px, x, y, argb | 0xFF000000u);
    }
    void Blit(const sq::PixmapRef& src, int sx, int sy, int sw, int sh, int dx, int dy) {
        if (!src) return;
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) Put(dx + x, dy + y, sq::PixmapGetPixel(src, sx + x, sy + y));
    }
    void Box(int x, int y, int bw, int bh, uint32_t argb) {
        for (int i = 0; i < bw; ++i) {
            Put(x + i, y, argb);
            Put(x + i, y + bh - 1, argb);
        }
        for (int j = 0; j < bh; ++j) {
            Put(x, y + j, argb);
            Put(x + bw - 1, y + j, argb);
        }
    }
};

sq::PixmapRef ImagePixels(const sq::ImageRef& image) {
    if (!image || image->frames.empty()) return nullptr;
    return image->frames[0].pixmap;
}

sq::PixmapRef LoadKeyed(const std::string& path) {
    sq::PixmapRef raw = sq::LoadPixmapPNG(path);
    return raw ? sq::ApplyMask(raw, 255, 0, 255) : nullptr;
}

void DrawLayer(TPicture& pic, FmpMap& map, int layer, bool foreground) {
    map.currentLayer = layer;
    for (int r = 0; r < map.mapHeight; ++r)
        for (int c = 0; c < map.mapWidth; ++c) {
            const BLKSTR& b = map.BlockAt(c, r);
            int g = foreground ? b.fgGraphic : b.bgGraphic;
            if (g <= 0 || g >= int(map.images.size())) continue;
            pic.Blit(ImagePixels(map.images[g]), 0, 0, map.blockWidth, map.blockHeight, c * map.blockWidth,
                     r * map.blockHeight);
        }
}

bool Render(int level, const std::string& gameDir, const std::string& outDir) {
    const TLevelInfo& info = LevelInfo(level);
    std::string mapPath = gameDir + "/" + info.mapFile;
    for (char& ch : mapPath)
        if (ch == '\\') ch = '/';
    if (FILE* f = std::fopen(mapPath.c_str(), "rb"))
        std::fclose(f);
    else {
        std::fprintf(stderr, "level_overview: no map %s\n", mapPath.c_str());
        return false;
    }
    FmpMap map;
    map.LoadMap(mapPath, 2);
    map.InitAnims();
    TPicture pic{map.mapWidth * map.blockWidth, map.mapHeight * map.blockHeight, nullptr};
    pic.px = sq::NewPixmap(pic.w, pic.h, sq::kPfRGBA);
    // a night sky, lighter towards the horizon, with a few stars
    for (int y = 0; y < pic.h; ++y) {
        float t = float(y) / float(pic.h);
        int r = int(18 + 40 * t), g = int(26 + 50 * t), b = int(70 + 70 * t);
        for (int x = 0; x < pic.w; ++x) {
            uint32_t c = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
            if (((x * 7919 + y * 104729) % 1999) == 0) c = 0xFFE8F0FFu;
            sq::PixmapSetPixel(pic.px, x, y, c);
        }
    }
    DrawLayer(pic, map, 0, false);
    DrawLayer(pic, map, 1, true);
    DrawLayer(pic, map, 2, false);
    // the exit, outlined
    map.currentLayer = 2;
    for (int r = 0; r < map.mapHeight; ++r)
        for (int c = 0; c < map.mapWidth; ++c)
            if (map.BlockAt(c, r).solidTopLeft)
                pic.Box(c * map.blockWidth - 1, r * map.blockHeight - 1, map.blockWidth + 2, map.blockHeight + 2,
                        0xFF40FF60u);
    // monsters and the ground they patrol
    std::vector<TPoint> k2, k1;
    for (const TSpawnPoint& p : info.kind2) k2.push_back({p.x, p.y});
    for (const TSpawnPoint& p : info.kind1) k1.push_back({p.x, p.y});
    TLevelFacts facts{info.startX, info.startY, info.timeLimit, k2, k1};
    TFmpQuery query(map);
    TRulesReport rules = CheckLevelRules(query, facts, map.blockWidth);
    // The sprites carry a magenta colour key, as the game loads them.
    sq::PixmapRef kind2 = LoadKeyed(gameDir + "/gfx/pneve.png");
    sq::PixmapRef kind1 = LoadKeyed(gameDir + "/gfx/Gring2.png");
    sq::PixmapRef santa = LoadKeyed(gameDir + "/gfx/bnatale4.png");
    for (const TPatrol& p : rules.patrols) {
        uint32_t colour = p.kind == 1 ? 0xC0FF5050u : 0xC0FFC040u;
        for (int x = p.left; x < p.right + kMonsterSize; ++x) pic.Put(x, p.y + kMonsterSize + 1, colour);
        sq::PixmapRef sprite = p.kind == 1 ? kind1 : kind2;
        if (sprite)
            pic.Blit(sprite, 0, 0, kMonsterSize, kMonsterSize, p.x, p.y);
        else
            pic.Box(p.x, p.y, kMonsterSize, kMonsterSize, colour | 0xFF000000u);
    }
    for (const std::string& fault : rules.faults) std::fprintf(stderr, "level %d: %s\n", level, fault.c_str());
    // the route the checker found, if it left one
    std::ifstream route(outDir + "/level_" + std::to_string(level) + "_route.txt");
    int rx, ry, n = 0;
    while (route >> rx >> ry)
        if (n++ % 2 == 0) {
            pic.Put(rx + 14, ry + 14, 0xFFFFFFFFu);
            pic.Put(rx + 15, ry + 14, 0xFF80E0FFu);
        }
    // the player at the start
    if (santa) pic.Blit(santa, 11 * kPlayerSize % santa->width, 0, kPlayerSize, kPlayerSize, info.startX, info.startY);
    pic.Box(info.startX, info.startY, kPlayerSize, kPlayerSize, 0xFFFFFFFFu);
    std::string out = outDir + "/level_" + std::to_string(level) + ".png";
    if (!sq::SavePixmapPNG(pic.px, out)) {
        std::fprintf(stderr, "level_overview: cannot write %s\n", out.c_str());
        return false;
    }
    std::printf("%s: %d x %d pixels\n", out.c_str(), pic.w, pic.h);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string gameDir = ".", outDir = ".";
    std::vector<int> list;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            gameDir = argv[++i];
        else if (a == "--out" && i + 1 < argc)
            outDir = argv[++i];
        else if (a == "--level" && i + 1 < argc)
            list.push_back(std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: level_overview [--game DIR] [--out DIR] [--level N]...\n");
            return 2;
        }
    }
    if (list.empty())
        for (int n = 1; n <= ::kLevelCount; ++n) list.push_back(n);
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    sq::OpenGraphicsMode(320, 240, 32, 60, 0);
    sq::SetLoadMaskColor(255, 0, 255);
    int failed = 0;
    for (int n : list)
        if (!Render(n, gameDir, outDir)) ++failed;
    return failed ? 1 : 0;
}
