#pragma once
// The one Ogg Vorbis decoder, for effects and tunes alike: opened on bytes
// held in memory (an effect, decoded whole when it is loaded) or on a file
// (a tune, streamed while it plays), it gives block after block of 16-bit
// stereo frames at the file's own rate (a mono file on both sides). Changing
// the rate to the mixer's is the caller's: whole for an effect, block by
// block for a tune.
#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace sq {

class TVorbisDecoder {
public:
    // Read's answers besides a number of frames.
    static constexpr long kEnd = 0;
    static constexpr long kDamaged = -1;      // damaged data in the middle of the file
    static constexpr long kRateChanged = -2;  // a chained file changes its rate or channels

    TVorbisDecoder() = default;
    ~TVorbisDecoder() { Close(); }
    TVorbisDecoder(const TVorbisDecoder&) = delete;
    TVorbisDecoder& operator=(const TVorbisDecoder&) = delete;

    // Opens Ogg Vorbis data in memory (not copied: it must outlive the
    // decoder) or the file at `path`, at its first frame. Null when open,
    // else why not, in words.
    const char* Open(const uint8_t* data, std::size_t size);
    const char* Open(const std::string& path);
    void Close();

    long Rate() const { return rate_; }
    // Frames of the first link (for a chained file) or of the whole file, at
    // the file's rate; -1 when that cannot be known.
    int64_t TotalFrames(bool wholeFile);
    // Back to the first frame; false when the file cannot go there.
    bool Rewind();
    // Decodes at most maxFrames frames into `out` (room for 2 * maxFrames
    // samples): the number of frames, kEnd, kDamaged or kRateChanged. A gap
    // in the data is passed over.
    long Read(int16_t* out, int maxFrames);

private:
    const char* Start();

    OggVorbis_File vf_{};
    bool open_ = false;
    std::FILE* file_ = nullptr;
    const uint8_t* data_ = nullptr;
    std::size_t size_ = 0, pos_ = 0;
    long rate_ = 0;

    friend struct TVorbisMemoryCalls;
};

// A float sample of the decoder as a 16-bit one (NaN counts as silence).
int16_t ToSample(float x);

}  // namespace sq
