// A contact sheet of the levels as a player sees them: each level played
// along its stored proven route by the game's own level simulation (seed 1,
// as the route was proven) up to the route's halfway step, and that screen
// drawn by the game through the OpenGL display, with the snow and the HUD.
// The screens go side by side into one picture, three to a row, and each is
// also kept on its own. Needs a display (run under xvfb-run on a server).
//
//   level_contact [--game DIR] [--routes DIR] --out SHEET.png [--level N]...
//
// Exits 77 when there is no display, 1 when a level has no route or no screen.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/resources.h"
#include "core/globals.h"
#include "game/level_sim.h"
#include "key_script.h"
#include "level_table.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"

using namespace levels;

namespace {

constexpr int kScreenW = 320, kScreenH = 240, kGap = 4, kPerRow = 3;

// The screen at the halfway step of the level's route, or null.
sq::PixmapRef HalfwayScreen(int level, const std::string& routes) {
    TKeyScript script;
    std::string error;
    const std::string path = routes + "/level_" + std::to_string(level) + ".keys";
    if (!LoadKeyScript(path, script, error) || script.keys.empty()) {
        std::fprintf(stderr, "level %d: no route (%s)\n", level, error.c_str());
        return nullptr;
    }
    TLevelSim sim(1, false);
    sim.SetMixing(false);
    sim.LoadLevel(level);
    const std::size_t half = script.keys.size() / 2;
    for (std::size_t i = 0; i < half; ++i) sim.Step(script.keys[i]);
    sim.Draw();
    return sq::ReadScreenPixels();
}

}  // namespace

int main(int argc, char** argv) {
    std::string game = ".", routes = "tests/levels/routes", out;
    std::vector<int> chosen;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            game = argv[++i];
        else if (a == "--routes" && i + 1 < argc)
            routes = argv[++i];
        else if (a == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (a == "--level" && i + 1 < argc)
            chosen.push_back(std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: level_contact [--game DIR] [--routes DIR] --out SHEET.png [--level N]...\n");
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "level_contact: --out is needed\n");
        return 2;
    }
    if (chosen.empty())
        for (int n = 1; n <= levels::kLevelCount; ++n) chosen.push_back(n);
    for (int n : chosen)
        if (n < 1 || n > levels::kLevelCount) {
            std::fprintf(stderr, "level_contact: level must be 1..%d\n", levels::kLevelCount);
            return 2;
        }
    routes = std::filesystem::absolute(routes).string();
    out = std::filesystem::absolute(out).string();

    sq::SetGraphicsBackend(sq::GraphicsBackend::kOpenGL);
    sq::TDisplayOptions options;
    options.windowed = true;
    options.hidden = true;
    sq::SetDisplayOptions(options);
    if (!sq::OpenGraphicsMode(kScreenW, kScreenH, 0, 0, 0)) {
        std::fprintf(stderr, "level_contact: no OpenGL display (run under xvfb-run)\n");
        return 77;  // the tests' code for a skip
    }
    std::filesystem::current_path(game);
    ResetGlobals();
    sq::SetLoadMaskColor(255, 0, 255);
    ResetResources();
    LoadResources();
    CenterResourceHandles();

    const int count = int(chosen.size());
    const int cols = count < kPerRow ? count : kPerRow, rows = (count + kPerRow - 1) / kPerRow;
    sq::PixmapRef sheet =
        sq::NewPixmap(cols * kScreenW + (cols + 1) * kGap, rows * kScreenH + (rows + 1) * kGap, sq::kPfRGBA);
    for (int y = 0; y < sheet->height; ++y)
        for (int x = 0; x < sheet->width; ++x) sq::PixmapSetPixel(sheet, x, y, 0xFF202028u);
    const std::string stem = out.substr(0, out.rfind('.'));
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        sq::PixmapRef shot = HalfwayScreen(chosen[i], routes);
        if (!shot || shot->width < kScreenW || shot->height < kScreenH) {
            ++failed;
            continue;
        }
        const int x0 = kGap + (i % kPerRow) * (kScreenW + kGap), y0 = kGap + (i / kPerRow) * (kScreenH + kGap);
        for (int y = 0; y < kScreenH; ++y)
            for (int x = 0; x < kScreenW; ++x)
                sq::PixmapSetPixel(sheet, x0 + x, y0 + y, sq::PixmapGetPixel(shot, x, y));
        const std::string one = stem + "_level_" + std::to_string(chosen[i]) + ".png";
        if (sq::SavePixmapPNG(shot, one))
            std::printf("%s: level %d at its route's halfway step\n", one.c_str(), chosen[i]);
    }
    ResetGlobals();
    sq::CloseGraphicsMode();
    if (!sq::SavePixmapPNG(sheet, out)) {
        std::fprintf(stderr, "level_contact: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %d of %d levels\n", out.c_str(), count - failed, count);
    return failed ? 1 : 0;
}
