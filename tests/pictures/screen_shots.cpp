// Screenshots for reviewing how the game looks: the HUD over every level at
// evenly spaced moments of its recorded demo, a monster touching Santa, the
// level-complete and end tallies, and the credits. Every picture is drawn by
// the game's own code through the OpenGL display, three times enlarged.
//
//   xvfb-run -a screen_shots OUTDIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/key_script.h"
#include "core/globals.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "level_frame.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"
#include "screens/credits.h"
#include "screens/end_screens.h"

namespace {

namespace fs = std::filesystem;

std::string outDir;

bool Save(const std::string& name) {
    const std::string path = outDir + "/" + name;
    if (!sq::SavePixmapPNG(sq::ReadScreenPixels(), path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// The keys held in each frame of a level's demo script (one logic step each).
std::vector<unsigned> DemoKeys(int level) {
    std::ifstream in(std::string(SQ_SOURCE_DIR) + "/tests/demos/level_" + std::to_string(level) + ".keys");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<unsigned> keys;
    unsigned held = 0;
    for (const TKeyScriptLine& line : ParseKeyScript(text.str(), "demo")) {
        if (line.command == "steps") {
            for (char c : line.argument) {
                held = unsigned(std::stoi(std::string(1, c), nullptr, 16));
                keys.push_back(held);
            }
        } else if (line.command == "wait") {
            keys.insert(keys.end(), std::size_t(line.number), held);
        }
    }
    return keys;
}

sqtest::TLevelFrameSetup Setup(int level) {
    sqtest::TLevelFrameSetup setup;
    setup.level = level;
    setup.width = 960;
    setup.height = 720;
    setup.steps = 0;
    return setup;
}

bool HudShots(int level, int count) {
    std::string why;
    if (!sqtest::OpenLevelFrame(Setup(level), why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return false;
    }
    const std::vector<unsigned> keys = DemoKeys(level);
    const std::size_t every = keys.size() / std::size_t(count) + 1;
    int shot = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (sqtest::StepLevelKeys(keys[i]) != kPlayStatePlaying) break;
        if (i % every == every / 2) {
            sqtest::DrawLevelFrame();
            Save("hud_level" + std::to_string(level) + "_" + std::to_string(shot++) + ".png");
        }
    }
    sqtest::CloseLevelFrame();
    return true;
}

bool FlashAndTallyShots() {
    std::string why;
    if (!sqtest::OpenLevelFrame(Setup(1), why)) return false;
    for (int i = 0; i < 300; ++i) sqtest::StepLevelKeys(i < 250 ? 2u : 0u);
    if (!sqtest::TouchPlayer()) std::fprintf(stderr, "no touch in level 1\n");
    sqtest::DrawLevelFrame();
    Save("flash.png");

    sq::ImageRef shot = sq::GrabScreenImage();
    gameScore->levelGifts = 7;
    gameScore->killsType2 = 2;
    gameScore->killsType1 = 1;
    gameScore->timeLeft = 95;
    gameScore->total = 1325;
    gameScore->totalTime = 3725;
    gameScore->totalGifts = 87;
    tGoNextLevel tally;
    tally.screenShot = shot;
    tally.Draw();
    Save("tally_level_complete.png");
    sq::ImageRef end = sq::LoadImageFrom(kEndScreenPictureFile, -1);
    // As from the end screen's second frame on: its first one still has
    // the colour the level left set.
    DrawEndScreen(end);
    DrawEndScreen(end);
    Save("tally_end_screen.png");

    sq::ImageRef credits = sq::LoadImageFrom("gfx/creditsBack.png", -1);
    imgCreditsBack = credits;
    CCredits screen;
    screen.Init();
    sq::SetBlendMode(sq::kBlendMask);
    sq::SetDrawAlpha(1);
    screen.Draw();
    Save("credits_first_frame.png");
    // 60 frames a second, 3 steps of 5 ms each. The clouds turn slowly: a
    // few moments show them thick and thin over the lines.
    int shown = 0;
    for (int seconds : {2, 6, 12, 20}) {
        for (; shown < 60 * seconds; ++shown) {
            for (int step = 0; step < 3; ++step) screen.Update();
            screen.Draw();
        }
        Save("credits_" + std::to_string(seconds) + "_seconds.png");
    }
    screen.Release();
    sqtest::CloseLevelFrame();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    outDir = fs::absolute(argv[1]).string();
    fs::create_directories(outDir);
    for (int level = 1; level <= 6; ++level)
        if (!HudShots(level, 8)) return 1;
    return FlashAndTallyShots() ? 0 : 1;
}
