// The finished soundtrack: format, length, headroom, no silent gaps, the fade, the hit and the chase.
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

} // namespace

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
}

TEST(Soundtrack, EndsInSilence) {
    EXPECT_LT(rmsDb(kLengthSeconds - 0.1, kLengthSeconds), -70.0);
    EXPECT_LT(rmsDb(170.0, 172.0), rmsDb(160.0, 162.0) - 15.0);
}

TEST(Soundtrack, ChaseIsTheEnergeticPeak) {
    double field = rmsDb(0.0, 28.0), chase = rmsDb(71.0, 142.0), outro = rmsDb(142.0, 160.0);
    EXPECT_GT(chase, field + 3.0);
    EXPECT_GT(chase, outro + 3.0);
    EXPECT_GT(chase, rmsDb(50.0, 71.0));
}

TEST(Soundtrack, TitleHitLandsAt33AndAHalfSeconds) {
    // The hit follows a short gap: the 60 ms after 33.5 s are far louder than the 60 ms before.
    EXPECT_GT(rmsDb(33.5, 33.56), rmsDb(33.44, 33.5) + 10.0);
}

TEST(Soundtrack, BuildsTheSameBytesEveryTime) {
    ContentFile again = buildSoundtrack();
    EXPECT_TRUE(again.data == soundtrack().data);
}
