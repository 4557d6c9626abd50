// Entry point: the command line, the whole run, and the report of an error
// that stops the game.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/globals.h"
#include "app/replay.h"
#include "app/resources.h"
#include "app/startup.h"
#include "platform/graphics.h"
#include "platform/keyboard.h"
#include "platform/runtime_error.h"
#include "platform/stream.h"

namespace {

constexpr const char* kVersion = "1.0.0";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: snowquill [--windowed] [--help] [--version]\n"
                 "       snowquill --record FILE [--level N] [--script KEYS]\n"
                 "       snowquill --replay FILE [--headless | --timedemo]\n"
                 "Runs Snowquill from the current directory, which holds the folders gfx, sfx, musica and maps.\n"
                 "  --windowed  play in a window instead of the full screen\n"
                 "  --help      show this text and exit\n"
                 "  --version   show the version and exit\n"
                 "  --record    write everything the run takes in (keys, clock) to FILE\n"
                 "  --level     play level N alone from its start (with --record)\n"
                 "  --script    drive the recorded run from a key script, with no window\n"
                 "  --replay    play FILE back exactly and check its final state\n"
                 "  --headless  replay with no window and no sound, as fast as possible\n"
                 "  --timedemo  replay drawn without pacing and report the frame times\n");
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
    if (sq::GraphicsModeOpen()) {
        sq::ShowErrorBox(kAppTitle, text);
        sq::CloseGraphicsMode();
    }
    sq::ShowPointer();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    TStartOptions options;
    TReplayOptions replay;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--record") == 0 && hasValue) {
            replay.recordPath = argv[++i];
        } else if (std::strcmp(argv[i], "--replay") == 0 && hasValue) {
            replay.replayPath = argv[++i];
        } else if (std::strcmp(argv[i], "--script") == 0 && hasValue) {
            replay.scriptPath = argv[++i];
        } else if (std::strcmp(argv[i], "--level") == 0 && hasValue) {
            options.startLevel = std::atoi(argv[++i]);
            if (options.startLevel < 1 || options.startLevel > 6) {
                std::fprintf(stderr, "snowquill: --level takes 1 to 6\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--headless") == 0) {
            replay.headless = true;
        } else if (std::strcmp(argv[i], "--timedemo") == 0) {
            replay.timedemo = true;
        } else if (std::strcmp(argv[i], "--windowed") == 0) {
            options.windowed = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Snowquill %s\n", kVersion);
            return 0;
        } else {
            std::fprintf(stderr, "snowquill: unknown option '%s'\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
    }
    if ((replay.headless || replay.timedemo) && replay.replayPath.empty()) {
        std::fprintf(stderr, "snowquill: --headless and --timedemo go with --replay FILE\n");
        return 2;
    }
    if (options.startLevel > 0 && replay.recordPath.empty()) {
        std::fprintf(stderr, "snowquill: --level goes with --record FILE\n");
        return 2;
    }
    try {
        if (replay.Any()) return RunJournaledGame(options, replay);
        return RunGame(options);
    } catch (const sq::TRuntimeError& e) {
        return ReportFatal(e.what(), e.Subject());
    } catch (const std::exception& e) {
        return ReportFatal(e.what(), {});
    }
}
