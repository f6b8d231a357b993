// The demo's command line: moments in both spellings (the usage faults are checked end to end).
#include "app/viewer_options.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
