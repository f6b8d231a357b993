// The mixing desk: a stereo dry bus, delay and reverb sends, and the master stage.
#pragma once

#include <cstddef>
#include <vector>

namespace music {

// Where a voice goes: pan -1 (left) .. 1 (right), send levels as linear gains.
struct Channel {
    float gain = 1.0f;
    float pan = 0.0f;
    float delaySend = 0.0f;
    float reverbSend = 0.0f;
};

// Per-sample gains of a Channel, worked out once per note.
struct ChannelGains {
    float left, right, delay, reverb;
};
ChannelGains gainsOf(const Channel& channel);

struct Mix {
    explicit Mix(size_t frames);
    size_t frames() const { return left.size(); }
    // Adds one mono sample at `frame`; frames past the end are dropped.
    void add(size_t frame, float value, const ChannelGains& g) {
        if (frame >= left.size()) return;
        left[frame] += value * g.left;
        right[frame] += value * g.right;
        delaySend[frame] += value * g.delay;
        reverbSend[frame] += value * g.reverb;
    }
    // Adds a stereo pair; the sends take the mid signal.
    void addStereo(size_t frame, float l, float r, const ChannelGains& g) {
        if (frame >= left.size()) return;
        left[frame] += l * g.left;
        right[frame] += r * g.right;
        float mid = 0.5f * (l + r);
        delaySend[frame] += mid * g.delay;
        reverbSend[frame] += mid * g.reverb;
    }
    std::vector<float> left, right, delaySend, reverbSend;
};

// A point of a fader ride: the whole mix (dry bus and sends) at `gainDb` at `time` seconds; between points
// the gain moves in a straight line in decibels, and two points at one time make a step.
struct RidePoint {
    double time;
    float gainDb;
};

// Rides the whole mix along `points` (sorted by time); before the first point and after the last it holds
// their gains.
void rideFaders(Mix& mix, const std::vector<RidePoint>& points);

struct MasterSettings {
    double delaySeconds; // echo time of the stereo delay
    float delayFeedback; // 0..0.9
    float reverbRoom;    // 0..1, longer tail when larger
    float reverbDamping; // 0..1, darker tail when larger
    double fadeStart;    // seconds: the fade to silence starts here ...
    double fadeEnd;      // ... and reaches zero here
    float peakTarget;    // linear peak of the mastered mix, peaks between samples too once limited
    float drive = 1.0f;  // gain into the limiter after the peak scaling: loudness for a party PA
};

// Brings every peak of interleaved stereo down to `ceiling`, those between the samples included: the gain
// dips just before a loud peak (a short look-ahead, so it is already down when the peak arrives) and
// recovers over `releaseSeconds`.
void limitPeaks(std::vector<float>& interleaved, float ceiling, double releaseSeconds);

// Lowers interleaved stereo, the same way, wherever `heard` (the same track as a listener gets it, after the
// codec) peaks above `ceiling`; returns false, changing nothing, when it never does.
bool trimOvershoots(std::vector<float>& interleaved, const std::vector<float>& heard, float ceiling,
                    double releaseSeconds);

// Runs the effects, sums the returns into the dry bus, fades out and scales to the peak target; with a drive
// above 1, raises the level by it and limits the peaks back to the target.
// Returns interleaved stereo.
std::vector<float> masterMix(Mix& mix, const MasterSettings& settings);

} // namespace music
