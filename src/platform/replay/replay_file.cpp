#include "platform/replay/replay_file.h"

#include <zlib.h>

#include <cstring>
#include <limits>

#include "platform/files/safe_file.h"

namespace sq {

namespace {

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxLine = 8 * 1024;
constexpr uint32_t kMaxChunk = 4u << 20;                    // unpacked bytes per chunk
constexpr std::size_t kMaxStream = std::size_t(256) << 20;  // unpacked bytes in all
constexpr std::size_t kMaxFile = std::size_t(256) << 20;
constexpr std::size_t kChunkHead = 1 + 12;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

bool PrintableLine(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string HeaderText(const std::vector<std::pair<std::string, std::string>>& header) {
    std::string text = std::string(kReplayMagic) + "\nformat " + std::to_string(kReplayFormat) + "\n";
    for (const auto& [k, v] : header) text.append(k).append(" ").append(v).append("\n");
    text += "stream\n";
    return text;
}

// Appends the stream to `out` as packed chunks; false when zlib fails.
bool PackChunks(const uint8_t* data, std::size_t size, std::string& out) {
    while (size > 0) {
        uint32_t n = uint32_t(size < kMaxChunk ? size : kMaxChunk);
        uLongf packed = compressBound(n);
        std::size_t at = out.size();
        out.resize(at + kChunkHead + packed);
        auto* head = reinterpret_cast<uint8_t*>(out.data() + at);
        if (compress2(head + kChunkHead, &packed, data, n, 6) != Z_OK) return false;
        head[0] = 'C';
        PutU32(head + 1, n);
        PutU32(head + 5, uint32_t(packed));
        PutU32(head + 9, uint32_t(crc32(0L, data, n)));
        out.resize(at + kChunkHead + packed);
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

std::string PackReplay(const std::vector<std::pair<std::string, std::string>>& header,
                       const std::vector<uint8_t>& stream, const std::string& digest) {
    std::string out = HeaderText(header);
    if (!PackChunks(stream.data(), stream.size(), out)) throw TReplayError("could not pack the replay");
    if (!digest.empty()) out += "D" + digest + "\n";
    return out;
}

std::string TReplayContents::Value(const std::string& key) const {
    for (const auto& [k, v] : header)
        if (k == key) return v;
    return {};
}

TReplayContents ParseReplay(const uint8_t* data, std::size_t size, const std::string& name) {
    auto fail = [&](const std::string& why) -> TReplayError { return TReplayError(name + ": " + why); };
    TReplayContents out;
    std::size_t pos = 0;
    // Header lines up to "stream".
    auto nextLine = [&](std::string& line) {
        std::size_t end = pos;
        while (end < size && data[end] != '\n') {
            if (end - pos > kMaxLine) throw fail("a header line is too long: not a replay file");
            ++end;
        }
        if (end >= size) return false;
        line.assign(reinterpret_cast<const char*>(data + pos), end - pos);
        pos = end + 1;
        return true;
    };
    std::string line;
    if (!nextLine(line) || line != kReplayMagic)
        throw fail("not a replay file (no \"" + std::string(kReplayMagic) + "\" line)");
    if (!nextLine(line) || line.rfind("format ", 0) != 0) throw fail("the replay has no format line");
    out.format = 0;
    for (int f = kOldestReplayFormat; f <= kReplayFormat; ++f)
        if (line == "format " + std::to_string(f)) out.format = f;
    if (out.format == 0)
        throw fail("replay " + line + " cannot be read by this game (it reads formats " +
                   std::to_string(kOldestReplayFormat) + " to " + std::to_string(kReplayFormat) + ")");
    bool sawStream = false;
    while (nextLine(line)) {
        if (pos > kMaxHeaderBytes) throw fail("the header is too long");
        if (line == "stream") {
            sawStream = true;
            break;
        }
        if (!PrintableLine(line)) throw fail("the header holds unreadable characters");
        std::size_t space = line.find(' ');
        if (space == 0 || space == std::string::npos) throw fail("a header line has no value: \"" + line + "\"");
        out.header.emplace_back(line.substr(0, space), line.substr(space + 1));
    }
    if (!sawStream) {
        // A recording that stopped while its header was written has nothing to replay.
        throw fail("the file ends inside its header");
    }

    uint64_t chunks = 0;
    while (pos < size) {
        uint8_t kind = data[pos];
        if (kind == 'D') {
            std::size_t end = pos + 1;
            while (end < size && data[end] != '\n') ++end;
            if (end >= size) {
                out.note = "the file ends inside its digest line";
                return out;
            }
            out.digest.assign(reinterpret_cast<const char*>(data + pos + 1), end - pos - 1);
            if (out.digest.size() > kMaxLine || !PrintableLine(out.digest)) throw fail("the digest line is malformed");
            if (end + 1 != size) throw fail("bytes follow the digest line");
            out.complete = true;
            return out;
        }
        if (kind != 'C')
            throw fail("chunk " + std::to_string(chunks + 1) + " does not start where it should (byte " +
                       std::to_string(pos) + ")");
        if (size - pos < kChunkHead) {
            out.note = "the file ends inside the head of chunk " + std::to_string(chunks + 1);
            return out;
        }
        uint32_t rawSize = ReadU32(data + pos + 1), packed = ReadU32(data + pos + 5), crc = ReadU32(data + pos + 9);
        if (rawSize == 0 || rawSize > kMaxChunk || packed == 0 || packed > compressBound(rawSize))
            throw fail("chunk " + std::to_string(chunks + 1) + " has impossible sizes");
        if (size - pos - kChunkHead < packed) {
            out.note = "the file ends inside chunk " + std::to_string(chunks + 1);
            return out;
        }
        if (out.stream.size() + rawSize > kMaxStream) throw fail("the recorded stream is too long");
        std::size_t at = out.stream.size();
        out.stream.resize(at + rawSize);
        uLongf got = rawSize;
        int rc = uncompress(out.stream.data() + at, &got, data + pos + kChunkHead, packed);
        if (rc != Z_OK || got != rawSize)
            throw fail("chunk " + std::to_string(chunks + 1) + " is damaged (it does not unpack)");
        if (crc32(0L, out.stream.data() + at, rawSize) != crc)
            throw fail("chunk " + std::to_string(chunks + 1) + " is damaged (checksum)");
        pos += kChunkHead + packed;
        ++chunks;
    }
    out.note = "the recording stopped before its end (no digest)";
    return out;
}

TReplayContents ReadReplayFile(const std::string& path) {
    TPlainRead file = ReadPlainFile(path, kMaxFile + 1, /*followLinks=*/true);
    if (!file.ok) {
        if (file.kind == FileKind::kNone) throw TReplayError(path + ": cannot open the replay file");
        throw TReplayError(path + ": cannot read the replay file (" + file.error + ")");
    }
    if (file.bytes.size() > kMaxFile) throw TReplayError(path + ": the replay file is too large");
    return ParseReplay(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size(), path);
}

TReplayWriter::~TReplayWriter() { Abandon(); }

void TReplayWriter::Write(const void* data, std::size_t size) {
    if (!file_) throw TReplayError(path_ + ": the replay file is not open");
    if (std::fwrite(data, 1, size, file_) != size || std::fflush(file_) != 0)
        throw TReplayError(path_ + ": error writing the replay file");
    written_ += size;
}

void TReplayWriter::Open(const std::string& path, const std::vector<std::pair<std::string, std::string>>& header) {
    Abandon();
    path_ = path;
    written_ = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw TReplayError(path + ": cannot create the replay file");
    std::string text = HeaderText(header);
    Write(text.data(), text.size());
}

void TReplayWriter::AppendChunk(const uint8_t* data, std::size_t size) {
    std::string packed;
    if (!PackChunks(data, size, packed)) throw TReplayError(path_ + ": could not pack the replay");
    Write(packed.data(), packed.size());
}

void TReplayWriter::Finish(const std::string& digest) {
    std::string line = "D" + digest + "\n";
    Write(line.data(), line.size());
    Abandon();
}

void TReplayWriter::Abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace sq
