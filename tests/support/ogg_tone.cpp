#include "ogg_tone.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>

namespace sqtest {

// Encodes `frames` frames of a sine (left) and its negation (right, when
// stereo) as Ogg Vorbis in memory.
std::vector<uint8_t> EncodeSine(int channels, long rate, long frames, double hz, double amp, int serial) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) return {};
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

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

}  // namespace sqtest
