#include "app/data_check.h"

#include <cstdint>
#include <cstring>

#include "app/resources.h"
#include "audio/game_music.h"
#include "game/main_game_loop.h"
#include "platform/files/safe_file.h"
#include "platform/files/stream.h"
#include "platform/system/runtime_error.h"
#include "platform/video/pixmap.h"
#include "screens/end_screens.h"
#include "screens/instructions.h"

using namespace sq;

namespace {

constexpr int kMaxPictureSide = 16384;
constexpr std::size_t kMaxDataFileBytes = std::size_t(256) << 20;

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

std::string CheckPicture(const std::string& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < 33 || std::memcmp(p, kSignature, 8) != 0) return "not a PNG picture";
    if (BigEndian32(p + 8) != 13 || std::memcmp(p + 12, "IHDR", 4) != 0) return "PNG picture without its header";
    uint32_t width = BigEndian32(p + 16), height = BigEndian32(p + 20);
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return "PNG picture of an impossible size (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    // The picture itself must decode too: a damaged body fails here, not in the middle of a level.
    if (!DecodePixmapPNG(p, bytes.size())) return "damaged PNG picture";
    return {};
}

// The first page of an Ogg Vorbis file: "OggS", version 0, the beginning-of-
// stream flag, and a first packet that is the Vorbis identification header
// with at least one channel and a sample rate.
std::string CheckSound(const std::string& bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < 28 || std::memcmp(p, "OggS", 4) != 0) return "not an Ogg file";
    if (p[4] != 0 || (p[5] & 0x02) == 0) return "Ogg file without a stream start";
    std::size_t segments = p[26];
    std::size_t packetAt = 27 + segments;
    if (segments == 0 || bytes.size() < packetAt + 30) return "Ogg file cut short";
    if (p[packetAt] != 1 || std::memcmp(p + packetAt + 1, "vorbis", 6) != 0) return "Ogg file without Vorbis sound";
    const uint8_t* id = p + packetAt + 7;
    uint32_t version = uint32_t(id[0]) | uint32_t(id[1]) << 8 | uint32_t(id[2]) << 16 | uint32_t(id[3]) << 24;
    uint32_t rate = uint32_t(id[5]) | uint32_t(id[6]) << 8 | uint32_t(id[7]) << 16 | uint32_t(id[8]) << 24;
    if (version != 0 || id[4] == 0 || rate == 0) return "Vorbis sound with a bad header";
    return {};
}

// "FORM", the length of what follows, "FMAP", then chunks of a 4-letter name
// and a big-endian length that must all fit in the file, a header chunk
// "MPHD" and at least one layer "BODY" among them.
std::string CheckMap(const std::string& bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < 12 || std::memcmp(p, "FORM", 4) != 0 || std::memcmp(p + 8, "FMAP", 4) != 0)
        return "not an FMP map (no FORM ... FMAP header)";
    uint64_t formEnd = uint64_t(BigEndian32(p + 4)) + 8;
    if (formEnd > bytes.size()) return "FMP map cut short";
    bool header = false, layer = false;
    uint64_t at = 12;
    while (at + 8 <= formEnd) {
        uint64_t length = BigEndian32(p + at + 4);
        if (length > 0x7FFFFFFF || at + 8 + length > formEnd) return "FMP map with a chunk that runs past its end";
        header |= std::memcmp(p + at, "MPHD", 4) == 0;
        layer |= std::memcmp(p + at, "BODY", 4) == 0;
        at += 8 + length;
    }
    if (!header) return "FMP map without its header chunk";
    if (!layer) return "FMP map without a layer";
    return {};
}

}  // namespace

std::vector<TDataFile> LaterDataFiles() {
    std::vector<TDataFile> files;
    files.push_back({kSplashFile, TDataKind::kPicture});
    for (int level = 1; level <= kLevelCount; ++level) {
        files.push_back({LevelInfo(level).background, TDataKind::kPicture});
        files.push_back({LevelInfo(level).mapFile, TDataKind::kMap});
    }
    for (int n = 1; TuneInfo(n); ++n) files.push_back({TuneInfo(n)->file, TDataKind::kSound});
    files.push_back({kInstructionsPictureFile, TDataKind::kPicture});
    files.push_back({kNarrationFile, TDataKind::kStreamedSound});
    for (const TResource& r : ResourceTable())
        if (r.sound && (r.flags & kStreamedSound)) files.push_back({r.file, TDataKind::kStreamedSound});
    files.push_back({kEndScreenPictureFile, TDataKind::kPicture});
    return files;
}

std::string CheckDataFile(const TDataFile& file) {
    const std::string native = NativePath(file.path);
    int kind = PathKind(native);
    if (kind == 0) return "missing";
    if (kind != 1) return "not a file";
    std::string bytes;
    if (!ReadWholeFile(native, bytes)) return "cannot be read";
    if (bytes.size() > kMaxDataFileBytes) return "far too large";
    switch (file.kind) {
        case TDataKind::kPicture:
            return CheckPicture(bytes);
        case TDataKind::kSound:
            return CheckSound(bytes);
        case TDataKind::kStreamedSound: {
            std::string why = CheckSound(bytes);
            if (why.empty()) SoundFileDecodes(native, why);
            return why;
        }
        case TDataKind::kMap:
            return CheckMap(bytes);
    }
    return {};
}

void CheckGameData() {
    // The resource table has been loaded by now: a file that failed there
    // stops the game here, named, rather than at its first use.
    if (!MissingFiles().empty())
        throw TRuntimeError("A picture or sound of the game cannot be loaded", MissingFiles()[0]);
    for (const TDataFile& file : LaterDataFiles()) {
        std::string why = CheckDataFile(file);
        if (!why.empty())
            throw TRuntimeError("A file of the game is missing or damaged: " + why, NativePath(file.path));
    }
}
