#include "level_frame.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/resources.h"
#include "core/globals.h"
#include "game/level_sim.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "platform/video/graphics.h"

namespace sqtest {

namespace {

std::unique_ptr<TLevelSim> sim;
std::filesystem::path oldDir;

}  // namespace

bool OpenLevelFrame(const TLevelFrameSetup& setup, std::string& why) {
    // The folder the test run names, else the one this build made.
    const char* env = std::getenv("SNOWQUILL_GAME_DIR");
    const std::filesystem::path dir = env && *env ? env : SNOWQUILL_GAME_DIR;
    const auto map = dir / "maps" / ("level_" + std::to_string(setup.level) + ".FMP");
    if (!std::filesystem::exists(map)) {
        why = "no generated map " + map.string();
        return false;
    }
    sq::SetGraphicsBackend(sq::GraphicsBackend::kOpenGL);
    sq::TDisplayOptions options;
    options.windowed = true;
    options.windowScale = setup.windowScale;
    options.hidden = true;
    sq::SetDisplayOptions(options);
    if (!sq::OpenGraphicsMode(setup.width, setup.height, 0, 0, 0)) {
        why = "no OpenGL display (run under xvfb-run)";
        return false;
    }
    if (setup.width != 320 || setup.height != 240) sq::SetVirtualResolution(320, 240);
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    ResetGlobals();
    sq::SetLoadMaskColor(255, 0, 255);
    ResetResources();
    LoadResources();
    CenterResourceHandles();
    sim = std::make_unique<TLevelSim>(3, false);
    sim->SetSnow(setup.snow);
    sim->SetMixing(false);
    sim->LoadLevel(setup.level);
    if (setup.plainBackground) {
        sq::PixmapRef grey = sq::NewPixmap(320, 240, sq::kPfRGBA);
        for (std::size_t i = 0; i < grey->pixels.size(); ++i) grey->pixels[i] = i % 4 == 3 ? 255 : 128;
        imgBackground = sq::LoadImageFrom(grey, 0);
    }
    for (int i = 0; i < setup.steps; ++i) sim->Step(i % 400 < 300 ? kSimRight : kSimLeft);
    return true;
}

void StepLevelFrame() {
    if (sim) sim->StepFrame(kSimRight, 17);
}

int StepLevelKeys(unsigned keys) { return sim ? sim->Step(keys) : 0; }

bool TouchPlayer() {
    if (!sim || !enemies || enemies->enemyList.Empty()) return false;
    enemies->SetPosition(enemies->GetEnemy(0), int(player->x) + 14, int(player->y) + 2);
    sim->Step(0);
    return gameLoop->touching != 0;
}

void DrawLevelFrame() {
    if (sim) sim->Draw();
}

void CloseLevelFrame() {
    sim.reset();
    ResetGlobals();
    sq::CloseGraphicsMode();
    sq::SetDisplayOptions(sq::TDisplayOptions{});
    if (!oldDir.empty()) std::filesystem::current_path(oldDir);
    oldDir.clear();
}

}  // namespace sqtest
