// sfxgen: writes the game's sound effects, tunes and narration as Ogg Vorbis.
//
//   sfxgen effect NAME OUT.ogg            one of the synthesized effects
//   sfxgen score SCORE.txt OUT.ogg        a tune or jingle from a text score
//   sfxgen narration TEXT.txt OUT.ogg [--speaker PROGRAM] [--stretch N]
//   sfxgen list                           the effect names
//   sfxgen levels SCORE.txt               how loud each voice of a score comes out
//
// Every file is encoded with a serial number taken from its name and decoded
// again to check its peak, so two builds write identical bytes.
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "effects.h"
#include "narration.h"
#include "ogg_file.h"
#include "score_render.h"

namespace {

// The loudest sample any file may reach after decoding.
constexpr double kCeilingDb = -1.1;

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Write(const sfx::TWave& wave, const std::string& out, float quality, const std::string& title) {
    sfx::TEncodeOptions options;
    options.quality = quality;
    options.serial = uint32_t(sfx::SeedFromName(BaseName(out).c_str()) & 0x7FFFFFFF);
    options.title = title;
    std::vector<uint8_t> bytes = sfx::EncodeUnderCeiling(wave, options, kCeilingDb);
    sfx::TLevels lv = sfx::Measure(sfx::DecodeOgg(bytes));
    sfx::WriteFileBytes(out, bytes);
    std::printf("%-18s %6.2f s  peak %6.2f dBFS  rms %6.2f dBFS  %7zu bytes\n", BaseName(out).c_str(), wave.Seconds(),
                lv.peakDb, lv.rmsDb, bytes.size());
}

int Usage() {
    std::fprintf(stderr,
                 "usage: sfxgen effect NAME OUT.ogg\n"
                 "       sfxgen score SCORE.txt OUT.ogg\n"
                 "       sfxgen narration TEXT.txt OUT.ogg [--speaker PROGRAM] [--stretch N]\n"
                 "       sfxgen list\n"
                 "       sfxgen levels SCORE.txt\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) return Usage();
        std::string mode = argv[1];
        if (mode == "list") {
            for (const auto& e : sfx::EffectList()) std::printf("%-14s %s\n", e.name.c_str(), e.what.c_str());
            return 0;
        }
        if (mode == "levels" && argc >= 3) {
            sfx::TScore score = sfx::LoadScore(argv[2]);
            sfx::TRenderReport report;
            sfx::TWave mix = sfx::RenderScore(score, &report);
            sfx::TLevels lv = sfx::Measure(mix);
            std::printf("%s: %.2f s, %zu notes, mix peak %.2f dBFS, rms %.2f dBFS\n", score.title.c_str(),
                        report.seconds, report.notes, lv.peakDb, lv.rmsDb);
            for (size_t i = 0; i < score.voices.size(); ++i)
                std::printf("  %-8s %7.2f dBFS\n", score.voices[i].name.c_str(), report.voiceRmsDb[i]);
            return 0;
        }
        if (argc < 4) return Usage();
        std::string in = argv[2], out = argv[3];
        if (mode == "effect") {
            Write(sfx::MakeEffect(in), out, 0.5f, in);
        } else if (mode == "score") {
            sfx::TScore score = sfx::LoadScore(in);
            // Tunes are long, so they are coded more thriftily than the jingles.
            Write(sfx::RenderScore(score), out, score.loop ? 0.3f : 0.5f, score.title);
        } else if (mode == "narration") {
            sfx::TNarrationOptions options;
            for (int i = 4; i + 1 < argc; i += 2)
                if (std::string(argv[i]) == "--speaker")
                    options.program = argv[i + 1];
                else if (std::string(argv[i]) == "--stretch")
                    options.stretch = std::stod(argv[i + 1]);
            Write(sfx::MakeNarration(ReadText(in), options), out, 0.2f, "Instructions");
        } else {
            return Usage();
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sfxgen: %s\n", e.what());
        return 1;
    }
}
