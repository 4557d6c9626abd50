#include "platform/audio/vorbis_decoder.h"

#include <cmath>
#include <cstring>

#include "platform/files/stream.h"

namespace sq {

namespace {

// Rates outside these are not sounds of ours (and would make resampling
// meaningless or huge).
constexpr long kMinRate = 1000;
constexpr long kMaxRate = 384000;

}  // namespace

// Reading Ogg data held in memory.
struct TVorbisMemoryCalls {
    static size_t Read(void* ptr, size_t size, size_t count, void* source) {
        auto* d = static_cast<TVorbisDecoder*>(source);
        if (size == 0) return 0;
        std::size_t want = size * count;
        std::size_t left = d->size_ - d->pos_;
        if (want > left) want = left - left % size;
        std::memcpy(ptr, d->data_ + d->pos_, want);
        d->pos_ += want;
        return want / size;
    }
    static int Seek(void* source, ogg_int64_t offset, int whence) {
        auto* d = static_cast<TVorbisDecoder*>(source);
        ogg_int64_t base = 0;
        if (whence == SEEK_CUR)
            base = ogg_int64_t(d->pos_);
        else if (whence == SEEK_END)
            base = ogg_int64_t(d->size_);
        else if (whence != SEEK_SET)
            return -1;
        ogg_int64_t p = base + offset;
        if (p < 0 || p > ogg_int64_t(d->size_)) return -1;
        d->pos_ = std::size_t(p);
        return 0;
    }
    static long Tell(void* source) { return long(static_cast<TVorbisDecoder*>(source)->pos_); }
};

int16_t ToSample(float x) {
    float v = x * 32768.0f;
    if (!(v > -32768.0f)) return v != v ? 0 : -32768;  // NaN counts as silence
    if (v > 32767.0f) return 32767;
    return int16_t(std::lrintf(v));
}

const char* TVorbisDecoder::Open(const uint8_t* data, std::size_t size) {
    Close();
    if (!data || size == 0) return "an empty file";
    data_ = data, size_ = size, pos_ = 0;
    ov_callbacks calls{TVorbisMemoryCalls::Read, TVorbisMemoryCalls::Seek, nullptr, TVorbisMemoryCalls::Tell};
    if (ov_open_callbacks(this, &vf_, nullptr, 0, calls) != 0) return "not an Ogg Vorbis file";
    open_ = true;
    return Start();
}

const char* TVorbisDecoder::Open(const std::string& path) {
    Close();
    file_ = std::fopen(NativePath(path).c_str(), "rb");
    if (!file_) return "the file cannot be opened";
    if (ov_open_callbacks(file_, &vf_, nullptr, 0, OV_CALLBACKS_NOCLOSE) != 0) return "not an Ogg Vorbis file";
    open_ = true;
    return Start();
}

const char* TVorbisDecoder::Start() {
    // Opening a chained file can leave the decoder in its last link; reading
    // starts at the first.
    if (ov_seekable(&vf_) && ov_pcm_seek(&vf_, 0) != 0) return "cannot find the beginning";
    const vorbis_info* info = ov_info(&vf_, ov_seekable(&vf_) ? 0 : -1);
    if (!info || info->rate < kMinRate || info->rate > kMaxRate || info->channels < 1)
        return "unsupported sample rate or channels";
    rate_ = info->rate;
    return nullptr;
}

void TVorbisDecoder::Close() {
    if (open_) ov_clear(&vf_);
    open_ = false;
    if (file_) std::fclose(file_);
    file_ = nullptr;
    data_ = nullptr;
    size_ = pos_ = 0;
    rate_ = 0;
}

int64_t TVorbisDecoder::TotalFrames(bool wholeFile) {
    if (!open_) return -1;
    ogg_int64_t total = ov_pcm_total(&vf_, wholeFile || !ov_seekable(&vf_) ? -1 : 0);
    return total < 0 ? -1 : int64_t(total);
}

bool TVorbisDecoder::Rewind() { return open_ && ov_pcm_seek(&vf_, 0) == 0; }

long TVorbisDecoder::Read(int16_t* out, int maxFrames) {
    if (!open_) return kEnd;
    for (;;) {
        float** channels = nullptr;
        int link = 0;
        long got = ov_read_float(&vf_, &channels, maxFrames, &link);
        if (got == OV_HOLE) continue;  // a gap in the data: carry on after it
        if (got < 0) return kDamaged;
        if (got == 0) return kEnd;
        const vorbis_info* li = ov_info(&vf_, link);
        if (!li || li->rate != rate_ || li->channels < 1) return kRateChanged;
        const float* left = channels[0];
        const float* right = li->channels > 1 ? channels[1] : channels[0];
        for (long i = 0; i < got; ++i) {
            out[i * 2] = ToSample(left[i]);
            out[i * 2 + 1] = ToSample(right[i]);
        }
        return got;
    }
}

}  // namespace sq
