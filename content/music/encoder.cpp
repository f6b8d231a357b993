// Ogg Vorbis encoding into memory, and decoding back to check what a listener gets.
#include "encoder.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace music {

namespace {

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// Owns the libvorbis/libogg state so every exit path releases it.
struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysisReady = false;

    explicit Encoder(const VorbisSettings& s) {
        vorbis_info_init(&info);
        double lowpass = s.lowpassKhz;
        if (vorbis_encode_setup_vbr(&info, s.channels, s.sampleRate, s.quality) != 0 ||
            (lowpass > 0.0 && vorbis_encode_ctl(&info, OV_ECTL_LOWPASS_SET, &lowpass) != 0) ||
            vorbis_encode_setup_init(&info) != 0) {
            vorbis_info_clear(&info);
            throw std::runtime_error("music: vorbis encoder rejected the settings");
        }
        vorbis_comment_init(&comment);
        vorbis_comment_add_tag(&comment, "TITLE", "Tomblora soundtrack");
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&stream, s.streamSerial);
        analysisReady = true;
    }
    ~Encoder() {
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void writeHeaders(std::vector<uint8_t>& out) {
        ogg_packet id, comments, codebooks;
        vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
        ogg_stream_packetin(&stream, &id);
        ogg_stream_packetin(&stream, &comments);
        ogg_stream_packetin(&stream, &codebooks);
        // The audio must start on a fresh page, as the format requires.
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0)
            appendPage(out, page);
    }

    void drain(std::vector<uint8_t>& out) {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    appendPage(out, page);
            }
        }
    }
};

struct Reader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

size_t readBytes(void* dst, size_t size, size_t count, void* source) {
    auto* r = static_cast<Reader*>(source);
    size_t n = std::min(size * count, r->bytes->size() - r->pos);
    std::memcpy(dst, r->bytes->data() + r->pos, n);
    r->pos += n;
    return size ? n / size : 0;
}

} // namespace

std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& interleaved, const VorbisSettings& settings) {
    Encoder encoder(settings);
    std::vector<uint8_t> out;
    encoder.writeHeaders(out);
    const size_t channels = static_cast<size_t>(settings.channels);
    const size_t frames = interleaved.size() / channels;
    constexpr size_t kChunk = 4096;
    for (size_t first = 0; first < frames; first += kChunk) {
        size_t count = std::min(kChunk, frames - first);
        float** buffer = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(count));
        for (size_t i = 0; i < count; ++i)
            for (size_t c = 0; c < channels; ++c)
                buffer[c][i] = interleaved[(first + i) * channels + c];
        vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(count));
        encoder.drain(out);
    }
    vorbis_analysis_wrote(&encoder.dsp,
                          0); // end of stream: flushes the last packets and marks the final page
    encoder.drain(out);
    return out;
}

std::vector<float> decodeOggVorbis(const std::vector<uint8_t>& bytes) {
    Reader reader{&bytes};
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, {readBytes, nullptr, nullptr, nullptr}) != 0) return {};
    const int channels = ov_info(&file, -1)->channels;
    std::vector<float> out;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames <= 0) break;
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                out.push_back(pcm[c][i]);
    }
    ov_clear(&file);
    return out;
}

} // namespace music
