// Builds one level map: make_level SOURCE.txt OUTPUT.FMP
#include <cstdio>
#include <exception>

#include "level_compiler.h"

using namespace levels;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_level SOURCE.txt OUTPUT.FMP\n");
        return 2;
    }
    TLevelSource src;
    std::string error;
    if (!LoadLevelSource(argv[1], src, error)) {
        std::fprintf(stderr, "make_level: %s\n", error.c_str());
        return 1;
    }
    TLayout layout;
    std::vector<std::string> errors;
    if (!BuildLayout(src, layout, errors)) {
        for (const auto& e : errors) std::fprintf(stderr, "make_level: %s: %s\n", argv[1], e.c_str());
        return 1;
    }
    try {
        TCompileStats stats;
        FmpDocument doc = CompileLevel(src, layout, &stats);
        SaveFmp(doc, argv[2]);
        std::printf("%s: %dx%d blocks, %s, %d bits, %s-endian, %d graphics, %d blocks, %d animations\n", argv[2],
                    src.columns, src.rows, FormName(src.form), src.depth, src.littleEndian ? "little" : "big",
                    stats.graphics, stats.blocks, stats.anims);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_level: %s: %s\n", argv[2], e.what());
        return 1;
    }
    return 0;
}
