// The pre-roll that draws only what can show gives the same frames, byte for byte, as drawing every step:
// moments in every part and every stretch of Part C, on the step grid and between steps, at two sizes.
#include "render_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Size {
    const char* name;
    const char* options; // size and step rate (the drawn reference costs every step)
};

class PrerollEquivalence : public ::testing::TestWithParam<Size> {};

// Part A early (credits) and late, Part B before and after its title, Part C in both stretches without a
// background, under the sky and with the sun beams, Part D, the last moment; two fall between steps.
const char kMoments[] = "0,4000,27500,33000,45000,60000,73000,84450,92000,105017,130000,150003,172000";

TEST_P(PrerollEquivalence, FramesMatchDrawingEveryStep) {
    const Size& size = GetParam();
    std::string dir = freshWorkDir(std::string("preroll-") + size.name);
    std::string common = std::string("'") + TOMBLORA_CAPTURE_PATH + "' --archive '" + TOMBLORA_ARCHIVE_PATH +
                         "' " + size.options + " --at " + kMoments + " --out '" + dir;
    ASSERT_EQ(runTool(common + "/skipped'", dir + "/skipped.log"), 0) << readTextFile(dir + "/skipped.log");
    ASSERT_EQ(runTool(common + "/drawn' --draw-every-step", dir + "/drawn.log"), 0)
        << readTextFile(dir + "/drawn.log");

    std::string moments = kMoments;
    for (size_t at = 0; at < moments.size();) {
        size_t comma = moments.find(',', at);
        std::string ms = moments.substr(at, comma - at);
        at = comma == std::string::npos ? moments.size() : comma + 1;
        std::string name = "/frame-" + std::string(6 - ms.size(), '0') + ms + ".png";
        std::vector<uint8_t> skipped = readFileBytes(dir + "/skipped" + name);
        ASSERT_FALSE(skipped.empty()) << name;
        EXPECT_TRUE(skipped == readFileBytes(dir + "/drawn" + name)) << ms << " ms differs at " << size.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PrerollEquivalence,
                         ::testing::Values(Size{"320x240", "--fps 12"}, Size{"1000x750", "--fps 4 --size 1000x750"}),
                         [](const auto& info) { return std::string("s") + info.param.name; });

} // namespace
