// Entry point: the command line, the whole run, and the report of an error
// that stops the game.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/attract.h"
#include "app/data_location.h"
#include "app/recent_games.h"
#include "app/replay.h"
#include "app/resources.h"
#include "app/startup.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "platform/files/paths.h"
#include "platform/files/stream.h"
#include "platform/input/keyboard.h"
#include "platform/system/error_box.h"
#include "platform/system/quit_signals.h"
#include "platform/system/runtime_error.h"
#include "platform/system/web.h"
#include "platform/video/frame_stats.h"
#include "platform/video/graphics.h"
#include "scores/hi_score_file.h"

namespace {

constexpr const char* kVersion = "1.0.0";

void PrintUsage(std::FILE* out, const std::string& scoresFile, const std::string& settingsFile) {
    TDataLocation where = LocateRunFiles(scoresFile, settingsFile);
    std::string lastGame = where.scoresFile.substr(0, where.scoresFile.find_last_of('/') + 1) + kLastGameFile;
    std::fprintf(
        out,
        "Usage: snowquill [--fullscreen | --windowed] [--nosound] [--scores-file PATH] [--settings-file PATH]\n"
        "                 [--frame-stats FILE] [--demo-idle SECONDS]\n"
        "                 [--help] [--version]\n"
        "       snowquill --record FILE [--level N [--demo]] [--script KEYS]\n"
        "       snowquill --replay FILE [--headless | --timedemo]\n"
        "Runs Snowquill with the data beside the executable or in its installed place (share/snowquill),\n"
        "else from the current directory, which then holds the folders gfx, sfx, musica and maps.\n"
        "  --fullscreen        play on the full screen this time (the default; see Options)\n"
        "  --windowed          play in a window this time\n"
        "  --nosound           play without sound this time\n"
        "  --scores-file PATH  keep the high-score table in PATH\n"
        "  --settings-file PATH  keep the Options' settings in PATH\n"
        "  --demo-idle SECONDS how long the title waits before it plays a demo (30; 0: never)\n"
        "  --frame-stats FILE  at exit, write every frame's time and a summary to FILE\n"
        "  --record FILE       write everything the run takes in (keys, clock) to FILE\n"
        "  --level N           play level N alone from its start (with --record)\n"
        "  --demo              record only the level, from its start, as the title's demos are\n"
        "  --script KEYS       drive the recorded run from a key script, with no window\n"
        "  --replay FILE       play FILE back exactly and check its final state\n"
        "  --headless          replay with no window and no sound, as fast as possible\n"
        "  --timedemo          replay drawn without pacing and report the frame times\n"
        "  --help              show this text and exit\n"
        "  --version           show the version and exit\n"
        "The high-score table is kept in %s.\n"
        "The settings chosen in Options are kept in %s.\n"
        "Your last game and your best are kept beside it as last.sqr and best.sqr;\n"
        "watch one with: snowquill --replay %s\n",
        DescribeScoresFile(where).c_str(), DescribeSettingsFile(where).c_str(), lastGame.c_str());
}

// Reports an error that stops the game on standard error and, while a
// display is open, in a message box; then gives the screen and pointer back.
int ReportFatal(const std::string& message, const std::string& subject) {
    std::string text = message;
    if (!subject.empty()) text += " (" + subject + ")";
    const std::vector<std::string>& missing = MissingFiles();
    constexpr std::size_t kListed = 8;
    for (std::size_t i = 0; i < missing.size() && i < kListed; ++i)
        text += "\nMissing or unreadable file: " + sq::NativePath(missing[i]);
    if (missing.size() > kListed) text += "\n... and " + std::to_string(missing.size() - kListed) + " more";
    if (!missing.empty() && sq::PathKind("gfx") != 2)
        text += "\nThere is no folder gfx here: start the game from its own folder.";
    std::fprintf(stderr, "Snowquill: %s\n", text.c_str());
    // The game's full-screen window goes first, so the box is not hidden
    // behind it; the box also shows when the error came before any display.
    if (sq::GraphicsModeOpen()) sq::CloseGraphicsMode();
    sq::ShowPointer();
    sq::ShowFatalErrorBox(kAppTitle, text);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    TStartOptions options;
    std::string scoresFile, settingsFile;
    bool help = false;
    TReplayOptions replay;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--record") == 0 && hasValue) {
            replay.recordPath = sq::AbsolutePath(argv[++i]);
        } else if (std::strcmp(argv[i], "--replay") == 0 && hasValue) {
            replay.replayPath = sq::AbsolutePath(argv[++i]);
        } else if (std::strcmp(argv[i], "--script") == 0 && hasValue) {
            replay.scriptPath = sq::AbsolutePath(argv[++i]);
        } else if (std::strcmp(argv[i], "--level") == 0 && hasValue) {
            options.startLevel = std::atoi(argv[++i]);
            if (options.startLevel < 1 || options.startLevel > 6) {
                std::fprintf(stderr, "snowquill: --level takes 1 to 6\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--demo-idle") == 0 && hasValue) {
            char* end = nullptr;
            double seconds = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(seconds >= 0) || seconds > 86400) {
                std::fprintf(stderr, "snowquill: --demo-idle takes a number of seconds (0: never)\n");
                return 2;
            }
            SetAttractIdleMillis(uint32_t(seconds * 1000));
        } else if (std::strcmp(argv[i], "--demo") == 0) {
            replay.demo = true;
        } else if (std::strcmp(argv[i], "--headless") == 0) {
            replay.headless = true;
        } else if (std::strcmp(argv[i], "--timedemo") == 0) {
            replay.timedemo = true;
        } else if (std::strcmp(argv[i], "--windowed") == 0) {
            options.windowed = true;
            options.displayGiven = true;
        } else if (std::strcmp(argv[i], "--frame-stats") == 0 && i + 1 < argc) {
            sq::EnableFrameStats(sq::AbsolutePath(argv[++i]));
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            options.windowed = false;
            options.displayGiven = true;
        } else if (std::strcmp(argv[i], "--nosound") == 0) {
            options.sound = false;
        } else if (std::strcmp(argv[i], "--scores-file") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "snowquill: --scores-file needs the path of the table\n");
                return 2;
            }
            scoresFile = argv[++i];
        } else if (std::strcmp(argv[i], "--settings-file") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "snowquill: --settings-file needs the path of the settings\n");
                return 2;
            }
            settingsFile = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            help = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Snowquill %s\n", kVersion);
            return 0;
        } else {
            std::fprintf(stderr, "snowquill: unknown option '%s'\n", argv[i]);
            PrintUsage(stderr, scoresFile, settingsFile);
            return 2;
        }
    }
    if (help) {
        PrintUsage(stdout, scoresFile, settingsFile);
        return 0;
    }
    if ((replay.headless || replay.timedemo) && replay.replayPath.empty()) {
        std::fprintf(stderr, "snowquill: --headless and --timedemo go with --replay FILE\n");
        return 2;
    }
    if (replay.demo && options.startLevel == 0) {
        std::fprintf(stderr, "snowquill: --demo goes with --record FILE --level N\n");
        return 2;
    }
    if (options.startLevel > 0 && replay.recordPath.empty()) {
        std::fprintf(stderr, "snowquill: --level goes with --record FILE\n");
        return 2;
    }
    if constexpr (sq::web::kBrowser) {
        // The page sizes the game's canvas and asks for the full screen on
        // F11; the table lives in the browser's storage, mounted by the page.
        options.windowed = true;
        options.displayGiven = true;
        if (scoresFile.empty()) scoresFile = std::string(sq::web::kSaveDir) + kHiScoreFile;
        if (settingsFile.empty()) settingsFile = std::string(sq::web::kSaveDir) + kSettingsFileName;
    }
    // Before any SDL subsystem starts, so SDL leaves the signals to the game.
    sq::InstallQuitSignals();
    SettleDataLocation(scoresFile, settingsFile);
    // A replay is played as it was recorded, and a scripted recording is made
    // from the defaults (or the settings --settings-file names), whatever this
    // computer's settings.
    const bool ownSettings = replay.replayPath.empty() && (replay.scriptPath.empty() || !settingsFile.empty());
    if (ownSettings) LoadSettings();
    SetSettingsReadOnly(!ownSettings);
    ApplySettings();
    if (!options.displayGiven) options.windowed = !Settings().fullScreen;
    int status = 0;
    try {
        status = replay.Any() ? RunJournaledGame(options, replay) : RunGame(options);
    } catch (const sq::TRuntimeError& e) {
        status = ReportFatal(e.what(), e.Subject());
    } catch (const std::exception& e) {
        status = ReportFatal(e.what(), {});
    }
    sq::WriteFrameStats();
    if (int signo = sq::QuitSignal()) {
        // Shut down cleanly, then end the way a signal ends a program.
        std::signal(signo, SIG_DFL);
        std::raise(signo);
    }
    sq::web::EndRun(status);
    return status;
}
