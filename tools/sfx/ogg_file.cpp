#include "ogg_file.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace sfx {

namespace {

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

struct TMemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
    auto* r = static_cast<TMemoryReader*>(source);
    size_t want = size * count;
    size_t left = r->bytes->size() - r->pos;
    size_t n = std::min(want, left);
    std::memcpy(ptr, r->bytes->data() + r->pos, n);
    r->pos += n;
    return size ? n / size : 0;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
    auto* r = static_cast<TMemoryReader*>(source);
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (long long)r->pos : (long long)r->bytes->size();
    long long p = base + offset;
    if (p < 0 || p > (long long)r->bytes->size()) return -1;
    r->pos = size_t(p);
    return 0;
}

long MemTell(void* source) { return long(static_cast<TMemoryReader*>(source)->pos); }

}  // namespace

std::vector<uint8_t> EncodeOgg(const TWave& wave, const TEncodeOptions& options) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, wave.channels, kRate, options.quality) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("vorbis encoder refused the settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    if (!options.title.empty()) vorbis_comment_add_tag(&vc, "TITLE", options.title.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, int(options.serial));

    std::vector<uint8_t> out;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

    const size_t frames = wave.Frames();
    const size_t chunk = 4096;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        if (done < frames) {
            size_t n = std::min(chunk, frames - done);
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < wave.channels; ++c) buffer[c][i] = wave.At(done + i, c);
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream: the last page carries the exact length
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (done >= frames && !eos) {
            // Everything written; flush whatever the stream still holds.
            while (ogg_stream_flush(&os, &page) != 0) {
                AppendPage(out, page);
                if (ogg_page_eos(&page)) eos = true;
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

TWave DecodeOgg(const std::vector<uint8_t>& bytes, int* rate) {
    TMemoryReader reader{&bytes, 0};
    ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0)
        throw std::runtime_error("not an Ogg Vorbis stream");
    vorbis_info* vi = ov_info(&vf, -1);
    TWave w;
    w.channels = vi->channels;
    if (rate) *rate = int(vi->rate);
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n == 0) break;
        if (n < 0) {
            ov_clear(&vf);
            throw std::runtime_error("corrupt Ogg Vorbis stream");
        }
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < w.channels; ++c) w.data.push_back(pcm[c][i]);
    }
    ov_clear(&vf);
    return w;
}

std::vector<uint8_t> EncodeUnderCeiling(TWave wave, const TEncodeOptions& options, double maxPeakDb) {
    for (int attempt = 0;; ++attempt) {
        std::vector<uint8_t> bytes = EncodeOgg(wave, options);
        double peak = Measure(DecodeOgg(bytes)).peakDb;
        if (peak <= maxPeakDb || attempt == 8) return bytes;
        ApplyGain(wave, DbToGain(maxPeakDb - peak - 0.2));
    }
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string tmp = path + ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("cannot write " + tmp);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + tmp);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot rename " + tmp + " to " + path);
}

}  // namespace sfx
