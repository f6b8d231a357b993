// music-preview: renders the soundtrack alone, writes the Ogg (and optionally the decoded WAV), and reports
// its length, peak and loudness per section so it can be checked without the rest of the generator.
#include "content.h"
#include "encoder.h"
#include "song.h"
#include "soundtrack.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Decoded {
    int rate = 0, channels = 0;
    std::vector<float> samples; // interleaved
};

// Decodes the track as a player would (the encoder's own decoder), at the track's rate and channels.
bool decode(const std::vector<uint8_t>& ogg, Decoded& out) {
    out.rate = music::kTrackSampleRate;
    out.channels = music::kTrackChannels;
    out.samples = music::decodeOggVorbis(ogg);
    return !out.samples.empty();
}

void put32(std::FILE* f, uint32_t v) {
    std::fwrite(&v, 4, 1, f);
}
void put16(std::FILE* f, uint16_t v) {
    std::fwrite(&v, 2, 1, f);
}

bool writeWav(const char* path, const Decoded& d) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    uint32_t dataBytes = static_cast<uint32_t>(d.samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, static_cast<uint16_t>(d.channels));
    put32(f, static_cast<uint32_t>(d.rate));
    put32(f, static_cast<uint32_t>(d.rate * d.channels * 2));
    put16(f, static_cast<uint16_t>(d.channels * 2));
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (float s : d.samples) {
        auto v = static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
        std::fwrite(&v, 2, 1, f);
    }
    return std::fclose(f) == 0;
}

double dbfs(double linear) {
    return 20.0 * std::log10(std::max(linear, 1e-9));
}

void report(const Decoded& d) {
    size_t frames = d.samples.size() / 2;
    std::printf("decoded: %d Hz, %d channels, %.4f s\n", d.rate, d.channels,
                static_cast<double>(frames) / d.rate);
    for (const music::Section& s : music::songSections()) {
        size_t a = static_cast<size_t>(s.start * d.rate),
               b = std::min(frames, static_cast<size_t>(s.end * d.rate));
        double sum = 0.0, peak = 0.0;
        for (size_t i = 2 * a; i < 2 * b; ++i) {
            sum += d.samples[i] * d.samples[i];
            peak = std::max(peak, static_cast<double>(std::fabs(d.samples[i])));
        }
        std::printf("  %-12s %6.1f-%6.1f s  rms %6.1f dBFS  peak %6.2f dBFS\n", s.name, s.start, s.end,
                    dbfs(std::sqrt(sum / (2.0 * (b - a)))), dbfs(peak));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: music-preview OUT.ogg [--wav OUT.wav]\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    auto begin = Clock::now();
    std::vector<float> pcm = music::renderSoundtrack();
    auto rendered = Clock::now();
    ContentFile track{"soundtrack.ogg", music::encodeSoundtrack(pcm), false};
    auto encoded = Clock::now();
    std::printf("%s: %zu bytes, synthesis %.2f s, encoding %.2f s\n", track.name.c_str(), track.data.size(),
                std::chrono::duration<double>(rendered - begin).count(),
                std::chrono::duration<double>(encoded - rendered).count());

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(track.data.data(), 1, track.data.size(), f) != track.data.size() ||
        std::fclose(f) != 0) {
        std::fprintf(stderr, "music-preview: cannot write %s\n", argv[1]);
        return 1;
    }
    Decoded decoded;
    if (!decode(track.data, decoded)) {
        std::fprintf(stderr, "music-preview: the Ogg does not decode\n");
        return 1;
    }
    report(decoded);
    if (argc >= 4 && std::string(argv[2]) == "--wav" && !writeWav(argv[3], decoded)) {
        std::fprintf(stderr, "music-preview: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
