// Time-based effects: a ping-pong stereo delay and a Freeverb-style reverb, one sample at a time.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace music {

struct StereoSample {
    float left, right;
};

// Echoes of a mono input: the first repeat left, the next right, each darker than the one before.
class PingPongDelay {
  public:
    PingPongDelay(double delaySeconds, float feedback);
    StereoSample process(float input);

  private:
    std::vector<float> lineL_, lineR_;
    size_t pos_ = 0;
    float feedback_;
    float toneL_ = 0.0f, toneR_ = 0.0f;
};

// A diffuse stereo tail of a mono input: eight damped combs in parallel, then four all-passes, per side.
class Reverb {
  public:
    // room 0..1 (longer tail when larger), damping 0..1 (darker tail when larger).
    Reverb(float room, float damping);
    StereoSample process(float input);

  private:
    struct Comb {
        std::vector<float> buffer;
        size_t pos = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> buffer;
        size_t pos = 0;
    };
    struct Side {
        std::array<Comb, 8> combs;
        std::array<AllPass, 4> allPasses;
    };
    static void initSide(Side& side, int spread);
    float processSide(Side& side, float input);

    Side left_, right_;
    float feedback_, damping_;
};

} // namespace music
