// The mixing desk: a stereo dry bus, delay and reverb sends, and the master stage.
#include "mixer.h"

#include "effects.h"
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace music {

ChannelGains gainsOf(const Channel& c) {
    // Equal-power pan: the centre sits 3 dB down on each side so a pan sweep keeps its loudness.
    float angle = (std::clamp(c.pan, -1.0f, 1.0f) + 1.0f) * 0.25f * kPi;
    return {c.gain * std::cos(angle), c.gain * std::sin(angle), c.gain * c.delaySend, c.gain * c.reverbSend};
}

Mix::Mix(size_t frames)
    : left(frames, 0.0f), right(frames, 0.0f), delaySend(frames, 0.0f), reverbSend(frames, 0.0f) {}

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
        float scale = s.peakTarget / peak;
        for (float& v : out)
            v *= scale;
    }
    return out;
}

} // namespace music
