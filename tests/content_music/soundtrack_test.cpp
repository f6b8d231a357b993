// The finished soundtrack: format, length, headroom, no silent gaps, the hits, the chase and the ending.
#include "content.h"
#include "ogg_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr long kRate = 44100;
constexpr double kLengthSeconds = 172.0;

// Built once for the whole binary: the synthesis takes seconds.
const ContentFile& soundtrack() {
    static const ContentFile file = buildSoundtrack();
    return file;
}

const DecodedAudio& decoded() {
    static const DecodedAudio audio = decodeOgg(soundtrack().data);
    return audio;
}

// RMS over both channels between two times (seconds), in dBFS.
double rmsDb(double from, double to) {
    const DecodedAudio& a = decoded();
    size_t first = static_cast<size_t>(from * kRate) * 2,
           last = std::min(a.samples.size(), static_cast<size_t>(to * kRate) * 2);
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += static_cast<double>(a.samples[i]) * a.samples[i];
    return 10.0 * std::log10(std::max(sum / std::max<size_t>(1, last - first), 1e-20));
}

// Level of the top of the spectrum between two times: the RMS of the second difference of each channel, a
// high-pass rising 12 dB an octave, in dB.
double topDb(double from, double to) {
    const DecodedAudio& a = decoded();
    size_t first = static_cast<size_t>(from * kRate),
           last = std::min(a.frames(), static_cast<size_t>(to * kRate));
    double sum = 0.0;
    for (size_t i = first + 2; i < last; ++i) {
        for (size_t c = 0; c < 2; ++c) {
            double d = a.samples[2 * i + c] - 2.0 * a.samples[2 * i - 2 + c] + a.samples[2 * i - 4 + c];
            sum += d * d;
        }
    }
    return 10.0 * std::log10(std::max(sum / std::max<size_t>(1, 2 * (last - first)), 1e-20));
}

// Integrated loudness of the decoded track in LUFS: K-weighted mean square over 400 ms blocks (75 % overlap),
// gated at -70 LUFS and then 10 LU below the mean of what passed.
double integratedLoudness() {
    const DecodedAudio& a = decoded();
    // The two K-weighting stages (a high shelf, then a high-pass) made for this sample rate.
    struct Biquad {
        double b0, b1, b2, a1, a2, z1 = 0, z2 = 0;
        double run(double x) {
            double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };
    auto shelf = [] {
        const double k = std::tan(3.14159265358979 * 1681.974450955533 / kRate), q = 0.7071752369554196;
        const double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1 + k / q + k * k;
        return Biquad{(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                      2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    };
    auto highPass = [] {
        const double k = std::tan(3.14159265358979 * 38.13547087602444 / kRate), q = 0.5003270373238773;
        const double a0 = 1 + k / q + k * k;
        return Biquad{1 / a0, -2 / a0, 1 / a0, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    };
    const size_t frames = a.frames(), hop = kRate / 10;
    std::vector<double> squares(frames / hop + 1, 0.0); // K-weighted energy per 100 ms, both channels summed
    for (int c = 0; c < 2; ++c) {
        Biquad first = shelf(), second = highPass();
        for (size_t i = 0; i < frames; ++i) {
            double y = second.run(first.run(a.samples[2 * i + static_cast<size_t>(c)]));
            squares[i / hop] += y * y;
        }
    }
    std::vector<double> blocks;
    for (size_t b = 0; b + 4 <= frames / hop; ++b)
        blocks.push_back((squares[b] + squares[b + 1] + squares[b + 2] + squares[b + 3]) / (4.0 * hop));
    auto loudness = [](double meanSquare) { return -0.691 + 10 * std::log10(std::max(meanSquare, 1e-20)); };
    auto gatedMean = [&](double gate) {
        double sum = 0;
        size_t count = 0;
        for (double m : blocks) {
            if (loudness(m) > gate) sum += m, ++count;
        }
        return count ? sum / double(count) : 0.0;
    };
    return loudness(gatedMean(loudness(gatedMean(-70.0)) - 10.0));
}

// The highest peak between samples as well as on them: the track upsampled four times by windowed sinc.
double truePeakDb() {
    const DecodedAudio& a = decoded();
    constexpr int kTaps = 12, kPhases = 4;
    double coefficient[kPhases][2 * kTaps];
    for (int phase = 0; phase < kPhases; ++phase) {
        for (int k = -kTaps + 1; k <= kTaps; ++k) {
            double x = double(phase) / kPhases - k,
                   window = 0.5 + 0.5 * std::cos(3.14159265358979 * x / kTaps);
            double sinc = x == 0 ? 1 : std::sin(3.14159265358979 * x) / (3.14159265358979 * x);
            coefficient[phase][k + kTaps - 1] = sinc * window;
        }
    }
    double peak = 0;
    for (size_t i = kTaps; i + kTaps < a.frames(); ++i) {
        for (size_t c = 0; c < 2; ++c) {
            peak = std::max(peak, double(std::fabs(a.samples[2 * i + c])));
            for (int phase = 1; phase < kPhases; ++phase) {
                double sum = 0;
                for (int k = 0; k < 2 * kTaps; ++k)
                    sum += a.samples[2 * (i + size_t(k) + 1 - kTaps) + c] * coefficient[phase][k];
                peak = std::max(peak, std::fabs(sum));
            }
        }
    }
    return 20 * std::log10(peak);
}

} // namespace

TEST(Soundtrack, LoudEnoughForAPartyWithATruePeakHeadroom) {
    double lufs = integratedLoudness();
    EXPECT_GE(lufs, -14.5);
    EXPECT_LE(lufs, -14.0);
    EXPECT_LE(truePeakDb(), -1.0);
}

TEST(Soundtrack, IsAnUncompressedEntryOfTheRightName) {
    EXPECT_EQ(soundtrack().name, "soundtrack.ogg");
    EXPECT_FALSE(soundtrack().compress);
    // The archive budget: the music must leave room for everything else.
    EXPECT_LT(soundtrack().data.size(), 3500000u);
}

TEST(Soundtrack, DecodesAsStereo44100OfTheDemosLength) {
    const DecodedAudio& a = decoded();
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.rate, kRate);
    EXPECT_EQ(a.channels, 2);
    EXPECT_NEAR(static_cast<double>(a.frames()) / kRate, kLengthSeconds, 0.05);
}

TEST(Soundtrack, PeaksStayBelowFullScaleAfterDecoding) {
    float peak = 0.0f;
    for (float s : decoded().samples)
        peak = std::max(peak, std::fabs(s));
    EXPECT_LT(20.0 * std::log10(peak), -0.3);
    // And it is mastered, not left quiet.
    EXPECT_GT(20.0 * std::log10(peak), -6.0);
}

TEST(Soundtrack, IsAudibleThroughoutUntilTheFade) {
    for (double t = 0.0; t < 170.0; t += 2.0)
        EXPECT_GT(rmsDb(t, t + 2.0), -45.0) << "quiet at " << t << " s";
    // It starts with the first picture on a downbeat, not with a fade-in.
    EXPECT_GT(rmsDb(0.0, 0.1), rmsDb(2.0, 4.0));
}

TEST(Soundtrack, LastHitRingsOutToNearSilenceByTheLastPicture) {
    // The hit at 170 s strikes the home chord and the band stops: the chord still rings clearly at 171 s,
    // then dies away smoothly (never swelling, never dropping as a cut would) to near silence in the last
    // 50 ms, and what is left of it goes to zero without a click.
    double hit = rmsDb(170.0, 170.1), last = rmsDb(kLengthSeconds - 0.05, kLengthSeconds);
    EXPECT_GT(hit, rmsDb(160.0, 170.0) + 6.0);
    EXPECT_GT(rmsDb(170.9, 171.0), hit - 12.0);
    for (double t = 170.3; t < 171.95; t += 0.1) {
        double before = rmsDb(t - 0.1, t), now = rmsDb(t, t + 0.1);
        EXPECT_LT(now, before + 1.0) << "the tail swells at " << t << " s";
        EXPECT_GT(now, before - 8.0) << "the tail is cut at " << t << " s";
    }
    EXPECT_LT(last, hit - 35.0);
    EXPECT_LT(rmsDb(kLengthSeconds - 0.005, kLengthSeconds), last - 6.0);
}

TEST(Soundtrack, ChaseIsTheEnergeticPeak) {
    double field = rmsDb(0.0, 28.0), chase = rmsDb(71.0, 142.0), outro = rmsDb(142.0, 160.0);
    EXPECT_GT(chase, field + 3.0);
    EXPECT_GT(chase, outro + 3.0);
    // A real lift over the title and the groove, and the climax on top of the chase's opening.
    EXPECT_GT(chase, rmsDb(28.0, 50.0) + 2.5);
    EXPECT_GT(chase, rmsDb(50.0, 71.0) + 2.5);
    EXPECT_GT(rmsDb(119.0, 142.0), rmsDb(71.0, 84.5));
}

TEST(Soundtrack, FieldIsSofterThanTheTitleYetNotDull) {
    EXPECT_LT(rmsDb(2.0, 26.0), rmsDb(28.0, 50.0) - 1.5);
    // Air and shimmer over the pads: without them the top of the field sits 27 dB under its level.
    EXPECT_GT(topDb(2.0, 26.0), rmsDb(2.0, 26.0) - 22.0);
}

TEST(Soundtrack, GrooveLiftsWhenTheGrainPoursYetStaysUnderTheTitle) {
    EXPECT_GT(rmsDb(55.0, 65.0), rmsDb(52.0, 54.0) + 1.5);
    EXPECT_LT(rmsDb(50.0, 71.0), rmsDb(28.0, 50.0));
}

TEST(Soundtrack, TitleGrooveAndChaseLiftGrowTowardTheirCuts) {
    // Each of the long shots before the breakdown climbs to its cut instead of holding one level: the title's
    // last bars over its first, the groove's drive over the pour, the lift's last bars over its first.
    EXPECT_GT(rmsDb(46.0, 50.0), rmsDb(36.0, 40.0) + 2.0);
    EXPECT_GT(rmsDb(66.0, 71.0), rmsDb(56.0, 62.0) + 0.8);
    EXPECT_GT(rmsDb(95.0, 99.0), rmsDb(85.0, 89.0) + 1.2);
}

TEST(Soundtrack, SunsetDevelopsIntoTheLastHitInsteadOfCoasting) {
    // The theme's return at 150 s lifts the calm after the cut, and the swell before the last hit climbs
    // well over both.
    EXPECT_GT(rmsDb(150.0, 160.0), rmsDb(144.0, 150.0) + 0.5);
    EXPECT_GT(rmsDb(164.0, 169.75), rmsDb(150.0, 160.0) + 2.0);
}

TEST(Soundtrack, ChaseBreaksDownBuildsAndPeaks) {
    // The limiter must not hold the chase at one level: a breakdown well under the driving opening, a build,
    // a peak that is the loudest stretch of the track, and one beat of held breath before the arch.
    double opening = rmsDb(71.0, 99.0), breakdown = rmsDb(99.5, 103.0), peak = rmsDb(119.0, 131.0);
    EXPECT_LT(breakdown, opening - 5.0);
    EXPECT_LT(rmsDb(103.0, 107.0), rmsDb(115.0, 119.0));
    EXPECT_GT(peak, opening + 1.5);
    for (double t = 0.0; t < 168.0; t += 4.0) {
        if (t < 119.0 || t >= 143.0) {
            EXPECT_GT(peak, rmsDb(t, t + 4.0)) << "louder than the peak at " << t << " s";
        }
    }
    EXPECT_LT(rmsDb(131.55, 131.95), peak - 6.0);
}

TEST(Soundtrack, EveryCutAndCueLandsOnAHit) {
    // The 10 ms from a cut are clearly louder than the 20 ms before it: the hit starts within a few
    // milliseconds of the picture, also where the cut falls between downbeats. The chase's cues (the attack
    // runs, the pursuers' return, the near misses, the arch, the crash) and the ledge's (the truck's halt,
    // the pour, the last sheet of grain, the end card) are hits too: the picture lands its events on them.
    for (double cut :
         {28.0,  33.5,  50.0,  71.0,  76.0,  80.0,  84.5,  90.0,  94.0,  96.0,  99.0,  100.0, 103.0,
          111.0, 119.0, 123.0, 127.0, 132.0, 133.0, 142.0, 150.0, 158.0, 164.0, 168.0, 170.0})
        EXPECT_GT(rmsDb(cut, cut + 0.01), rmsDb(cut - 0.02, cut) + 6.0) << "no hit at " << cut << " s";
}

TEST(Soundtrack, TitleHitLandsAt33AndAHalfSeconds) {
    // The hit follows a short gap: the 60 ms after 33.5 s are far louder than the 60 ms before.
    EXPECT_GT(rmsDb(33.5, 33.56), rmsDb(33.44, 33.5) + 10.0);
}

TEST(Soundtrack, BuildsTheSameBytesEveryTime) {
    ContentFile again = buildSoundtrack();
    EXPECT_TRUE(again.data == soundtrack().data);
}
