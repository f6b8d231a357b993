// Encodes the test tone with libvorbisenc, page by page into memory.
#include "ogg_tone.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

void appendPages(ogg_stream_state& stream, std::vector<uint8_t>& out, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) != 0 : ogg_stream_pageout(&stream, &page) != 0) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
}

void drainPackets(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream, std::vector<uint8_t>& out) {
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
            ogg_stream_packetin(&stream, &packet);
            appendPages(stream, out, false);
        }
    }
}

} // namespace

std::vector<uint8_t> encodeRisingTone(double seconds, double frequency, double startLevel, double endLevel) {
    constexpr int kRate = 44100;
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kRate, 0.6f) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    appendPages(stream, out, true);

    const long frames = static_cast<long>(seconds * kRate);
    constexpr long kChunk = 1024;
    for (long start = 0; start < frames; start += kChunk) {
        const long count = std::min(kChunk, frames - start);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
        for (long i = 0; i < count; ++i) {
            const double time = static_cast<double>(start + i) / kRate;
            const double level = startLevel + (endLevel - startLevel) * time / seconds;
            const float sample = static_cast<float>(level * std::sin(2.0 * M_PI * frequency * time));
            buffer[0][i] = sample;
            buffer[1][i] = sample;
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        drainPackets(dsp, block, stream, out);
    }
    vorbis_analysis_wrote(&dsp, 0);
    drainPackets(dsp, block, stream, out);
    appendPages(stream, out, true);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
