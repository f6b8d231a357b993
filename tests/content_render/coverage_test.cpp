// Every frame covers the whole screen: the colour buffer is filled with magenta before each frame that the
// capture tool writes, and no magenta pixel may be left, at 120 moments spread over every part.
#include "render_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Moments are rendered at a 20 frames-per-second step, so they lie on its 50 ms grid.
constexpr int kStepMs = 50;

struct Window {
    const char* what;
    int fromMs, toMs; // production time, inclusive
    int moments;
};

// The chase windows without a background (71-84.5 s and 99-119 s) get the most moments: there only the
// ground and the hills can cover the screen.
const Window kWindows[] = {
    {"field", 0, 27950, 16},
    {"title", 28000, 49950, 12},
    {"field again", 50000, 70950, 12},
    {"chase, no background", 71000, 84450, 20},
    {"chase, sky", 84500, 98950, 10},
    {"chase, no background", 99000, 118950, 24},
    {"chase, sun beams", 119000, 141950, 10},
    {"ledge", 142000, 172000, 16},
};

struct Moment {
    int ms;
    const char* what;
};

std::vector<Moment> moments() {
    std::vector<Moment> out;
    for (const Window& w : kWindows) {
        for (int i = 0; i < w.moments; ++i) {
            double at = w.fromMs + double(w.toMs - w.fromMs) * i / (w.moments - 1);
            out.push_back({int(at / kStepMs + 0.5) * kStepMs, w.what});
        }
    }
    return out;
}

TEST(ContentCoverage, MomentsSpanEveryPartOnTheStepGrid) {
    std::vector<Moment> all = moments();
    EXPECT_EQ(all.size(), 120u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].ms % kStepMs, 0);
        if (i > 0) {
            EXPECT_GT(all[i].ms, all[i - 1].ms);
        }
    }
    EXPECT_EQ(all.front().ms, 0);
    EXPECT_EQ(all.back().ms, 172000);
}

TEST(ContentCoverage, NoFrameLeavesAPixelUndrawn) {
    std::vector<Moment> all = moments();
    std::string dir = freshWorkDir("coverage");
    std::string at;
    for (const Moment& m : all)
        at += (at.empty() ? "" : ",") + std::to_string(m.ms);
    std::string command = std::string("'") + TOMBLORA_CAPTURE_PATH + "' --archive '" + TOMBLORA_ARCHIVE_PATH +
                          "' --fps 20 --marker ff00ff --out '" + dir + "' --at " + at;
    std::string log = dir + "/capture.log";
    ASSERT_EQ(runTool(command, log), 0) << readTextFile(log);

    for (const Moment& m : all) {
        char name[32];
        std::snprintf(name, sizeof(name), "/frame-%06d.png", m.ms);
        Rgba8Image frame = decodePng(readFileBytes(dir + name));
        ASSERT_FALSE(frame.rgba.empty()) << name << " missing or not a PNG";
        EXPECT_EQ(frame.width, 320);
        EXPECT_EQ(frame.height, 240);
        size_t marker = 0;
        for (size_t i = 0; i < frame.rgba.size(); i += 4) {
            marker += frame.rgba[i] == 0xff && frame.rgba[i + 1] == 0x00 && frame.rgba[i + 2] == 0xff;
        }
        EXPECT_EQ(marker, 0u) << m.ms << " ms (" << m.what << "): " << marker << " pixels left undrawn";
    }
}

} // namespace
