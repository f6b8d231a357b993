// The demo's command line: moments in both spellings, and the usage faults that exit 2.
#include "app/viewer_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ViewerOptions parse(std::vector<const char*> args, std::string& error) {
    args.insert(args.begin(), "tomblora");
    return parseViewerArgs(int(args.size()), args.data(), error);
}

TEST(ViewerOptions, Moments) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t ms;
    };
    const Case cases[] = {{"150000", true, 150000}, {"0", true, 0},          {"2:30", true, 150000},
                          {"02:30.25", true, 150250}, {"2:52.000", true, 172000}, {"0:05.5", true, 5500},
                          {"2:5", false, 0},          {"1:60", false, 0},      {"2:30.", false, 0},
                          {"2:30.1234", false, 0},    {":30", false, 0},       {"-5", false, 0},
                          {"+5", false, 0},           {" 5", false, 0},        {"4294967296", false, 0},
                          {"", false, 0}};
    for (const Case& c : cases) {
        uint32_t ms = 0;
        EXPECT_EQ(parseMoment(c.text, ms), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ms, c.ms) << c.text;
        }
    }
}

TEST(ViewerOptions, AnyOptionTurnsTheKeysOnAndFaultsSayWhy) {
    std::string error;
    EXPECT_FALSE(parse({}, error).controls);
    const ViewerOptions options = parse({"--window-scale", "8", "--start", "2:52", "--mute"}, error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(options.controls && options.mute && !options.fullscreen);
    EXPECT_EQ(options.windowScale, 8);
    EXPECT_EQ(options.startMs, 172000u);
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
             {"--window-scale", "0"}, {"--window-scale", "9"}, {"--start", "172001"}, {"--start"}, {"-f"}}) {
        EXPECT_FALSE(parse(bad, error).controls) << bad[0];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}

} // namespace
