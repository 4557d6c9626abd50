#include "app/attract.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>

#include "app/game_identity.h"
#include "app/level_alone.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/loaded_files.h"
#include "core/trace.h"
#include "game/main_game_loop.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"
#include "platform/system/clock.h"
#include "platform/system/quit_signals.h"
#include "platform/video/graphics.h"
#include "screens/title.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

uint32_t idleMillis = kAttractIdleMillis;
bool pacedDemos = true;

// Made once: a frame allocates nothing for its caption.
const std::string& Caption() {
    static const std::string caption = "DEMO";
    return caption;
}
const std::string& WayBack() {
    static const std::string wayBack = "ANY KEY: MENU";
    return wayBack;
}

// A live key, button or click during a demo.
struct TDemoInterrupted {};

void DrawDemoCaption() { DrawCaptions(Caption(), WayBack()); }

// Everything a demo borrows is given back however it ends (to the end, by
// a key, out of step, or by a close request on its way out of the run).
class TDemoRun {
public:
    TDemoRun() : clock_(InstalledClock()) {}
    ~TDemoRun() {
        StopJournal();
        SetJournalPumpObserver(nullptr);
        SetClock(clock_);
        SetFrameOverlay(nullptr);
        // The key that ended the demo is no menu choice, however long it is
        // held. Clearing the keys looks at the window too, and a close
        // request or a signal that came meanwhile must not leave a destructor:
        // it is still pending, and ends the run at the menu's next look.
        try {
            ClearKeys();
        } catch (const TQuitGame&) {
        }
        IgnoreHeldKeys();
    }
    TDemoRun(const TDemoRun&) = delete;
    TDemoRun& operator=(const TDemoRun&) = delete;

private:
    std::shared_ptr<IClock> clock_;
};

int DemoLevel(const TReplayContents& demo) {
    std::string start = demo.Value("start");
    if (start.rfind("demo ", 0) != 0) return 0;
    int level = std::atoi(start.c_str() + 5);
    return start == "demo " + std::to_string(level) && level >= 1 && level <= 6 ? level : 0;
}

// Reads a demo and checks it may be played here; an empty reason when it may.
std::string ReadDemo(const std::string& path, TReplayContents& demo) {
    try {
        demo = ReadReplayFile(path);
    } catch (const TReplayError& e) {
        return e.what();
    }
    std::string why = CompareWithThisGame(demo);
    if (!why.empty()) return path + ": " + why;
    if (DemoLevel(demo) == 0) return path + ": it is not a recording of one level from its start";
    return {};
}

void Skip(const std::string& why) { std::fprintf(stderr, "snowquill: skipping the demo %s\n", why.c_str()); }

TDemoEnd PlayDemo(const std::string& path, TReplayContents demo) {
    const int level = DemoLevel(demo);
    TDemoRun run;
    const uint64_t presses = JournalLiveInput().presses;
    SetJournalPumpObserver([presses] {
        if (JournalLiveInput().presses != presses) throw TDemoInterrupted{};
    });
    InstallGameCheckpoints();
    StartJournalReplay(std::move(demo.stream), pacedDemos, CheckpointMillisOf(demo));
    SetClock(MakeJournalClock());
    SetFrameOverlay(DrawDemoCaption);
    TraceState("demo", level);
    gameSpeed = RecordedGameSpeed(demo);
    try {
        ResetForRecordedGame(0);  // the seed comes from the recording
        PlayLevelAlone(level);
    } catch (const TDemoInterrupted&) {
        return TDemoEnd::kInterrupted;
    } catch (const TJournalEnded&) {
        // The recording stops before the level does: the demo is over.
    } catch (const TJournalOutOfStep& e) {
        Skip(path + ": " + e.what());
        return TDemoEnd::kSkipped;
    }
    return TDemoEnd::kPlayed;
}

}  // namespace

void SetAttractIdleMillis(uint32_t ms) { idleMillis = ms; }
uint32_t AttractIdleMillis() { return idleMillis; }
void SetAttractPaced(bool paced) { pacedDemos = paced; }

TDemoEnd PlayAttractDemo(const std::string& path) {
    TReplayContents demo;
    std::string why = ReadDemo(path, demo);
    if (!why.empty()) {
        Skip(why);
        return TDemoEnd::kSkipped;
    }
    return PlayDemo(path, std::move(demo));
}

std::vector<std::string> ShippedDemos() {
    std::vector<std::string> demos;
    std::error_code ec;
    for (fs::directory_iterator it("demos", ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".sqr") demos.push_back("demos/" + it->path().filename().string());
    std::sort(demos.begin(), demos.end());
    return demos;
}

void TAttract::Restart() { started_ = false; }

bool TAttract::Due() {
    if (idleMillis == 0 || CurrentJournalMode() != JournalMode::kOff) return false;
    const uint64_t events = JournalLiveInput().events;
    if (!started_ || events != events_) {
        started_ = true;
        events_ = events;
        since_ = CurrentMillis();
        return false;
    }
    return uint32_t(CurrentMillis() - since_) >= idleMillis;
}

bool TAttract::PlayNext(const std::function<void()>& beforeDemo) {
    Restart();
    const std::vector<std::string> demos = ShippedDemos();
    if (demos.empty()) return false;
    const std::string& path = demos[next_++ % demos.size()];
    TReplayContents demo;
    std::string why = ReadDemo(path, demo);
    if (!why.empty()) {
        Skip(why);
        return false;
    }
    if (beforeDemo) beforeDemo();
    PlayDemo(path, std::move(demo));
    TearDownLevel();
    playState = kPlayStateMenu;
    // The level's background took the menu's place.
    imgBackground = LoadImageFrom("gfx/MenuBack.png", -1);
    NoteLoadedFile(imgBackground, "gfx/MenuBack.png");
    title->lastTime = CurrentMillis();
    return true;
}
