// Audio cost: the soundtrack decoded and handed out in device-sized buffers exactly as the audio callback
// does it, as a share of one core over the music's playing time.
#include "production_bench.h"

#include "archive/archive.h"
#include "platform/sound_decoder.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One callback's buffer: 1024 stereo 16-bit sample frames.
constexpr int kCallbackBytes = 1024 * kSoundOutputChannels * 2;
constexpr int kRuns = 3;

} // namespace

int main() {
    chooseArchive();
    ResourceEntry* soundtrack = ResourceArchive::instance()->find("soundtrack.ogg");
    std::vector<uint8_t> buffer(kCallbackBytes);
    std::vector<double> shares;
    double musicSeconds = 0;
    for (int run = 0; run < kRuns; ++run) {
        SoundDecoder decoder;
        const double start = nowSeconds();
        if (!decoder.open(soundtrack->data, size_t(soundtrack->size))) {
            std::fprintf(stderr, "bench_audio: the soundtrack does not open\n");
            return 1;
        }
        int64_t bytes = 0;
        for (;;) {
            const int produced = decoder.produce(buffer.data(), kCallbackBytes);
            std::memset(buffer.data() + produced, 0, size_t(kCallbackBytes - produced));
            bytes += produced;
            if (produced < kCallbackBytes) {
                break;
            }
        }
        decoder.close();
        const double seconds = nowSeconds() - start;
        musicSeconds = double(bytes) / double(kSoundOutputRate * kSoundOutputChannels * 2);
        shares.push_back(seconds / musicSeconds);
    }
    result("music_seconds", musicSeconds);
    result("audio_core_share", median(shares));
    return 0;
}
