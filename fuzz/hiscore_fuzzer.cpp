// Feeds arbitrary bytes to the high-score table as a file on disk: read as a
// plain file, parsed into 20 rows, written back byte for byte, and ranked.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/files/safe_file.h"
#include "scores/hi_score_file.h"

namespace {
std::string path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    path = "/tmp/sq_hiscore_fuzz_" + std::to_string(::getpid()) + ".DAT";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::size_t kFileSize = std::size_t(kHiScoreEntries) * kHiScoreRecordSize;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    sq::TPlainRead read = sq::ReadPlainFile(path, kFileSize);
    std::remove(path.c_str());
    if (!read.ok) __builtin_trap();
    const std::string expected(reinterpret_cast<const char*>(data), size < kFileSize ? size : kFileSize);
    if (read.bytes != expected) __builtin_trap();

    auto table = ParseHiScoreFile(read.bytes);
    if (table->Size() != std::size_t(kHiScoreEntries)) __builtin_trap();
    // Whatever the file held, writing the table gives the same 640 bytes
    // (missing ones as zeros), so a load and a save never shift a record.
    std::string padded = expected;
    padded.resize(kFileSize, '\0');
    if (HiScoreFileBytes(*table) != padded) __builtin_trap();
    table->Sort(true, HighScoreOrder);
    int previous = 0;
    bool first = true;
    for (const auto& item : *table) {
        if (!first && item->score > previous) __builtin_trap();
        previous = item->score;
        first = false;
    }
    return 0;
}
