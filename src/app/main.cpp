// Entry point: the command line, the whole run, and the report of an error
// that stops the game.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/globals.h"
#include "app/resources.h"
#include "app/startup.h"
#include "platform/frame_stats.h"
#include "platform/graphics.h"
#include "platform/keyboard.h"
#include "platform/runtime_error.h"
#include "platform/stream.h"

namespace {

constexpr const char* kVersion = "1.0.0";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: snowquill [--windowed] [--frame-stats FILE] [--help] [--version]\n"
                 "Runs Snowquill from the current directory, which holds the folders gfx, sfx, musica and maps.\n"
                 "  --windowed  play in a window instead of the full screen\n"
                 "  --frame-stats FILE  at exit, write every frame's time and a summary to FILE\n"
                 "  --help      show this text and exit\n"
                 "  --version   show the version and exit\n");
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--windowed") == 0) {
            options.windowed = true;
        } else if (std::strcmp(argv[i], "--frame-stats") == 0 && i + 1 < argc) {
            sq::EnableFrameStats(argv[++i]);
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
    int status = 0;
    try {
        status = RunGame(options);
    } catch (const sq::TRuntimeError& e) {
        status = ReportFatal(e.what(), e.Subject());
    } catch (const std::exception& e) {
        status = ReportFatal(e.what(), {});
    }
    sq::WriteFrameStats();
    return status;
}
