// The mixing desk: a stereo dry bus, delay and reverb sends, and the master stage.
#include "mixer.h"

#include "effects.h"
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace music {

ChannelGains gainsOf(const Channel& c) {
    // Equal-power pan: the centre sits 3 dB down on each side so a pan sweep keeps its loudness.
    float angle = (std::clamp(c.pan, -1.0f, 1.0f) + 1.0f) * 0.25f * kPi;
    return {c.gain * std::cos(angle), c.gain * std::sin(angle), c.gain * c.delaySend, c.gain * c.reverbSend};
}

Mix::Mix(size_t frames)
    : left(frames, 0.0f), right(frames, 0.0f), delaySend(frames, 0.0f), reverbSend(frames, 0.0f) {}

void rideFaders(Mix& mix, const std::vector<RidePoint>& points) {
    if (points.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < mix.frames(); ++i) {
        double t = static_cast<double>(i) / kSampleRate;
        while (next < points.size() && points[next].time <= t)
            ++next;
        float db = next == 0 ? points.front().gainDb : points[next - 1].gainDb;
        if (next > 0 && next < points.size()) {
            const RidePoint &a = points[next - 1], &b = points[next];
            db += (b.gainDb - a.gainDb) * static_cast<float>((t - a.time) / (b.time - a.time));
        }
        if (db == 0.0f) continue;
        float g = std::pow(10.0f, db / 20.0f);
        mix.left[i] *= g;
        mix.right[i] *= g;
        mix.delaySend[i] *= g;
        mix.reverbSend[i] *= g;
    }
}

static float fadeGain(double t, const MasterSettings& s) {
    if (t <= s.fadeStart) return 1.0f;
    if (t >= s.fadeEnd) return 0.0f;
    double x = (t - s.fadeStart) / (s.fadeEnd - s.fadeStart);
    // Raised cosine: no corner where the fade begins, and it lands on zero gently.
    return static_cast<float>(0.5 + 0.5 * std::cos(x * 3.14159265358979323846));
}

std::vector<float> masterMix(Mix& mix, const MasterSettings& s) {
    PingPongDelay delay(s.delaySeconds, s.delayFeedback);
    Reverb reverb(s.reverbRoom, s.reverbDamping);
    std::vector<float> out(mix.frames() * 2);
    OnePole dcL, dcR;
    float peak = 0.0f;
    for (size_t i = 0; i < mix.frames(); ++i) {
        StereoSample echo = delay.process(mix.delaySend[i]);
        // The echoes go through the reverb too, so they sit in the same room as the dry voices.
        StereoSample tail = reverb.process(mix.reverbSend[i] + 0.25f * (echo.left + echo.right));
        float l = mix.left[i] + echo.left + tail.left;
        float r = mix.right[i] + echo.right + tail.right;
        // DC blocker, then the fade; the peak is taken after both so the scale fits what is heard.
        float g = fadeGain(static_cast<double>(i) / kSampleRate, s);
        l = dcL.highpass(l, 12.0f) * g;
        r = dcR.highpass(r, 12.0f) * g;
        out[2 * i] = l;
        out[2 * i + 1] = r;
        peak = std::max({peak, std::fabs(l), std::fabs(r)});
    }
    if (peak > 0.0f) {
        float scale = s.drive * s.peakTarget / peak;
        for (float& v : out)
            v *= scale;
    }
    if (s.drive > 1.0f) limitPeaks(out, s.peakTarget, 0.08);
    return out;
}

namespace {

// The highest magnitude of one channel of interleaved stereo between frame `i` and the next, as a player's
// reconstruction filter draws it: the samples upsampled four times by a windowed sinc. Bright, dense mixes
// peak between their samples, well above the samples themselves.
class InterSamplePeaks {
  public:
    InterSamplePeaks() {
        for (int phase = 1; phase < kPhases; ++phase) {
            for (int k = 0; k < 2 * kTaps; ++k) {
                double x = double(phase) / kPhases - (k + 1 - kTaps);
                double window = 0.5 + 0.5 * std::cos(3.14159265358979 * x / kTaps);
                double sinc = std::sin(3.14159265358979 * x) / (3.14159265358979 * x);
                coefficient_[phase - 1][k] = static_cast<float>(sinc * window);
            }
        }
    }
    float between(const std::vector<float>& interleaved, size_t frames, size_t i, size_t channel) const {
        if (i + 1 < static_cast<size_t>(kTaps) || i + kTaps >= frames) return 0.0f;
        const float* x = interleaved.data() + 2 * (i + 1 - kTaps) + channel;
        float peak = 0.0f;
        for (const auto& c : coefficient_) {
            float sum = 0.0f;
            for (int k = 0; k < 2 * kTaps; ++k)
                sum += x[2 * k] * c[k];
            peak = std::max(peak, std::fabs(sum));
        }
        return peak;
    }

  private:
    static constexpr int kTaps = 12, kPhases = 4;
    float coefficient_[kPhases - 1][2 * kTaps];
};

// The gain each frame of `heard` needs to stay under `ceiling`, for its samples and for the peaks between it
// and the next frame. Only loud frames can overshoot between samples, so the others skip the upsampling.
std::vector<float> gainsNeeded(const std::vector<float>& heard, float ceiling) {
    const size_t frames = heard.size() / 2;
    const InterSamplePeaks upsampled;
    std::vector<float> need(frames);
    for (size_t i = 0; i < frames; ++i) {
        float p = 0.0f;
        for (size_t c = 0; c < 2; ++c) {
            float here = std::fabs(heard[2 * i + c]);
            float next = i + 1 < frames ? std::fabs(heard[2 * i + 2 + c]) : 0.0f;
            p = std::max(p, here);
            if (std::max(here, next) > 0.4f * ceiling)
                p = std::max(p, upsampled.between(heard, frames, i, c));
        }
        need[i] = p > ceiling ? ceiling / p : 1.0f;
    }
    return need;
}

// Applies `need` (one gain a frame) to interleaved stereo as a smooth gain that is never above it.
void applyGains(std::vector<float>& interleaved, const std::vector<float>& need, double releaseSeconds) {
    const size_t frames = std::min(interleaved.size() / 2, need.size());
    const size_t ahead = static_cast<size_t>(0.002 * kSampleRate); // 2 ms
    // The least of it within `ahead` either side (a sliding minimum) ...
    std::vector<float> low(frames);
    std::deque<size_t> window;
    for (size_t i = 0, next = 0; i < frames; ++i) {
        for (; next < frames && next <= i + ahead; ++next) {
            while (!window.empty() && need[window.back()] >= need[next]) window.pop_back();
            window.push_back(next);
        }
        while (window.front() + ahead < i) window.pop_front();
        low[i] = need[window.front()];
    }
    // ... recovering slowly after a dip ...
    const float recover = static_cast<float>(1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate)));
    for (size_t i = 1; i < frames; ++i) low[i] = std::min(low[i], low[i - 1] + (1.0f - low[i - 1]) * recover);
    // ... and averaged over the same span, which keeps it at or below what every frame within it needs.
    double sum = 0;
    const size_t span = 2 * ahead + 1;
    std::vector<float> gain(frames);
    for (size_t i = 0; i < frames + ahead; ++i) {
        if (i < frames) sum += low[i];
        if (i >= span) sum -= low[i - span];
        if (i >= ahead) {
            size_t centre = i - ahead;
            size_t first = i + 1 >= span ? i + 1 - span : 0, last = std::min(i, frames - 1);
            size_t count = last - first + 1;
            gain[centre] = static_cast<float>(sum / double(count));
        }
    }
    for (size_t i = 0; i < frames; ++i) {
        interleaved[2 * i] *= gain[i];
        interleaved[2 * i + 1] *= gain[i];
    }
}

} // namespace

void limitPeaks(std::vector<float>& interleaved, float ceiling, double releaseSeconds) {
    applyGains(interleaved, gainsNeeded(interleaved, ceiling), releaseSeconds);
}

bool trimOvershoots(std::vector<float>& interleaved, const std::vector<float>& heard, float ceiling,
                    double releaseSeconds) {
    std::vector<float> need = gainsNeeded(heard, ceiling);
    if (std::all_of(need.begin(), need.end(), [](float g) { return g == 1.0f; })) return false;
    applyGains(interleaved, need, releaseSeconds);
    return true;
}

} // namespace music
