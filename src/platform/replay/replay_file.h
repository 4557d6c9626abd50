#pragma once
// The replay file: a few text lines that say what was recorded (readable
// with `head`, diffable in review), then the input journal in compressed
// chunks, each flushed to disk as it is written so a crash loses at most the
// last one, then one text line with the digest of the final state.
//
//   SNOWQUILL REPLAY
//   format 2               (1: the same, written before the stream had checkpoints)
//   <key> <value>          any number of header lines
//   stream
//   C <u32 raw size> <u32 packed size> <u32 crc32 of the raw bytes> <packed bytes>   (repeated)
//   D digest ...\n         only when the recording finished
//
// Numbers in chunk heads are little-endian. A file that stops inside a chunk
// or before the digest is truncated: it still replays up to its end. A chunk
// whose checksum or packing is wrong, or any malformed header, is refused.
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace sq {

inline constexpr int kReplayFormat = 2;
inline constexpr int kOldestReplayFormat = 1;
inline constexpr const char* kReplayMagic = "SNOWQUILL REPLAY";

// A replay file that cannot be used; the message names the file and the fault.
class TReplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TReplayContents {
    int format = kReplayFormat;
    std::vector<std::pair<std::string, std::string>> header;  // key, value; in file order
    std::vector<uint8_t> stream;                              // the journal, unpacked
    bool complete = false;                                    // the digest line was reached
    std::string digest;
    std::string note;  // what stopped a truncated file

    // The first value of `key`, or empty.
    std::string Value(const std::string& key) const;
};

// Reads a replay from memory; `name` is used in messages. Throws TReplayError.
TReplayContents ParseReplay(const uint8_t* data, std::size_t size, const std::string& name);
// Reads a replay file whole (at most 256 MiB). Throws TReplayError.
TReplayContents ReadReplayFile(const std::string& path);

// The whole file for a recording held in memory; an empty digest leaves the
// file without one (a run that was abandoned: it reads as truncated).
std::string PackReplay(const std::vector<std::pair<std::string, std::string>>& header,
                       const std::vector<uint8_t>& stream, const std::string& digest);

// Writes a replay as it is recorded. Every write reaches the file before it
// returns (flushed); a failure throws TReplayError naming the file.
class TReplayWriter {
public:
    TReplayWriter() = default;
    ~TReplayWriter();
    TReplayWriter(const TReplayWriter&) = delete;
    TReplayWriter& operator=(const TReplayWriter&) = delete;

    void Open(const std::string& path, const std::vector<std::pair<std::string, std::string>>& header);
    void AppendChunk(const uint8_t* data, std::size_t size);
    // Writes the digest line and closes the file.
    void Finish(const std::string& digest);
    // Closes without a digest: the file reads as truncated.
    void Abandon();
    std::size_t BytesWritten() const { return written_; }

private:
    void Write(const void* data, std::size_t size);
    std::FILE* file_ = nullptr;
    std::string path_;
    std::size_t written_ = 0;
};

}  // namespace sq
