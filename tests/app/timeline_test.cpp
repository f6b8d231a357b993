// The timeline table and the console lines.
#include "app/app.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct SlotCase {
    uint32_t t;
    TimelinePart part;
    uint32_t localTime;
};

TEST(Timeline, EveryBoundaryPicksItsPartAndLocalTime) {
    const SlotCase cases[] = {
        {0, TimelinePart::A, 0},
        {27999, TimelinePart::A, 27999},
        {28000, TimelinePart::B, 0},
        {49999, TimelinePart::B, 21999},
        {50000, TimelinePart::A, 29000},
        {70999, TimelinePart::A, 49999},
        {71000, TimelinePart::C, 0},
        {141999, TimelinePart::C, 70999},
        {142000, TimelinePart::D, 0},
        {172000, TimelinePart::D, 30000},
        {UINT32_MAX, TimelinePart::D, UINT32_MAX - 142000},
    };
    for (const SlotCase& test : cases) {
        const TimelineSlot slot = timelineSlot(test.t);
        EXPECT_EQ(slot.part, test.part) << "t = " << test.t;
        EXPECT_EQ(slot.localTime, test.localTime) << "t = " << test.t;
    }
}

TEST(Timeline, ConsoleLinesShowMinutesSecondsMillisecondsAndTheCount) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "  00:00.000  \n  0  \n"},
        {83456, "  01:23.456  \n  83456  \n"},
        {172000, "  02:52.000  \n  172000  \n"},
        {59999, "  00:59.999  \n  59999  \n"},
        {60000, "  01:00.000  \n  60000  \n"},
    };
    for (const auto& [t, expected] : cases) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        formatConsoleLines(t, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, expected) << "t = " << t;
    }
}

TEST(Timeline, ConsoleLinesStayInsideASmallBuffer) {
    char buffer[12];
    std::memset(buffer, 'x', sizeof buffer);
    formatConsoleLines(83456, buffer, 8);
    EXPECT_STREQ(buffer, "  01:23");
    EXPECT_EQ(buffer[8], 'x');
}

} // namespace
