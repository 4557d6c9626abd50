#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/sound.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

// Encodes `frames` frames of a sine (left) and its negation (right, when
// stereo) as Ogg Vorbis in memory.
std::vector<uint8_t> EncodeSine(int channels, long rate, long frames, double hz, double amp = 0.5) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    EXPECT_EQ(vorbis_encode_init_vbr(&vi, channels, rate, 0.4f), 0);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);

    std::vector<uint8_t> out;
    auto append = [&](const ogg_page& og) {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    ogg_packet h, hc, hcode;
    vorbis_analysis_headerout(&vd, &vc, &h, &hc, &hcode);
    ogg_stream_packetin(&os, &h);
    ogg_stream_packetin(&os, &hc);
    ogg_stream_packetin(&os, &hcode);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) append(og);

    long done = 0;
    bool eos = false;
    while (!eos) {
        long n = std::min(1024L, frames - done);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, int(n));
            for (long i = 0; i < n; ++i) {
                double v = amp * std::sin(2 * M_PI * hz * double(done + i) / double(rate));
                buf[0][i] = float(v);
                if (channels > 1) buf[1][i] = float(-v);
            }
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    append(og);
                    if (ogg_page_eos(&og)) eos = true;
                }
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

double Rms(const TSound& s, int channel, int from, int to) {
    double sum = 0;
    for (int i = from; i < to; ++i) {
        double v = s.samples[std::size_t(i) * 2 + std::size_t(channel)];
        sum += v * v;
    }
    return std::sqrt(sum / (to - from));
}

TEST(SoundDecode, StereoAtTheMixingRate) {
    auto bytes = EncodeSine(2, 44100, 22050, 440.0);
    auto s = DecodeSound(bytes, 0, "tone");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frames, 22050);
    EXPECT_EQ(s->samples.size(), 44100u);
    EXPECT_FALSE(s->loop);
    EXPECT_EQ(s->path, "tone");
    // A sine of amplitude 0.5 has an RMS of 0.5 / sqrt 2 of full scale.
    EXPECT_NEAR(Rms(*s, 0, 1000, 21000), 0.5 / std::sqrt(2.0) * 32768, 800);
    // The right side is the negated left.
    EXPECT_NEAR(double(s->samples[20000]) + s->samples[20001], 0.0, 400.0);
}

TEST(SoundDecode, MonoSpreadsAndOtherRatesResample) {
    auto bytes = EncodeSine(1, 22050, 11025, 220.0);
    auto s = DecodeSound(bytes, 1);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->loop);
    EXPECT_NEAR(s->frames, 22050, 2);  // half a second at 44100
    for (int i = 0; i < s->frames; i += 97)
        ASSERT_EQ(s->samples[std::size_t(i) * 2], s->samples[std::size_t(i) * 2 + 1]);
    EXPECT_NEAR(Rms(*s, 0, 1000, 21000), 0.5 / std::sqrt(2.0) * 32768, 800);
    // Still 220 Hz after resampling: count rising zero crossings over 0.4 s.
    int crossings = 0;
    for (int i = 2000; i < 2000 + 17640; ++i)
        if (s->samples[std::size_t(i) * 2] < 0 && s->samples[std::size_t(i + 1) * 2] >= 0) ++crossings;
    EXPECT_NEAR(crossings, 88, 1);
}

TEST(SoundDecode, BadDataGivesTheNullObject) {
    EXPECT_EQ(DecodeSound({}, 0), nullptr);
    std::vector<uint8_t> junk(5000);
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t(i * 37 + 11);
    EXPECT_EQ(DecodeSound(junk, 0), nullptr);
    auto good = EncodeSine(1, 44100, 4410, 440.0);
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 3));
    auto s = DecodeSound(cut, 0);  // a cut file: whatever decodes, never a crash
    if (s) {
        EXPECT_LE(s->frames, 4410);
    }
    std::vector<uint8_t> header(good.begin(), good.begin() + 60);
    EXPECT_EQ(DecodeSound(header, 0), nullptr);
}

TEST(SoundDecode, LoadsFilesWithBackslashPaths) {
    fs::path dir = fs::temp_directory_path() / "sq_sound_test";
    fs::create_directories(dir / "sfx");
    auto bytes = EncodeSine(1, 44100, 4410, 440.0);
    {
        std::FILE* f = std::fopen((dir / "sfx" / "pop.ogg").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    fs::path old = fs::current_path();
    fs::current_path(dir);
    auto s = LoadSoundFile("sfx\\pop.ogg", 0);
    auto missing = LoadSoundFile("sfx\\none.ogg", 0);
    auto folder = LoadSoundFile("sfx", 0);
    fs::current_path(old);
    fs::remove_all(dir);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frames, 4410);
    EXPECT_EQ(s->path, "sfx\\pop.ogg");
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(folder, nullptr);
}

}  // namespace
