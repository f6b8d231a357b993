// runFrame: the part and local time it hands on, the per-frame field of view, and no allocation per frame.
#include "allocation_counter.h"
#include "app/app.h"
#include "demo_fixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

using FrameTest = DemoTest;

struct DispatchCase {
    uint32_t t;
    Scene** scene;
    const char* what;
    float (*observed)();
    float expected;
};

float rollerAngle() { return gHarvesterRoller->baseRotation.x; }
float logoX() { return gDisksLogo->basePosition.x; }
float propellerSpin() { return gPropellerLeft->baseRotation.y; }
float escapeBeamsAngle() { return gEscapeSunbeams->baseRotation.x; }
float ledgeBeamsAngle() { return gSunbeams1->baseRotation.y; }

TEST_F(FrameTest, HandsEachPartItsLocalTime) {
    const DispatchCase cases[] = {
        {0, &gHarvesterScene, "roller", rollerAngle, 0.0f},
        {27999, &gHarvesterScene, "roller", rollerAngle, -139.995f},
        {28000, &gDisksScene, "logo x", logoX, 120.0f},
        {49999, &gDisksScene, "logo x", logoX, -99.99f},
        {50000, &gHarvesterScene, "roller", rollerAngle, -145.0f},
        {70999, &gHarvesterScene, "roller", rollerAngle, -249.995f},
        {71000 + 1234, &gEscapeScene, "propeller", propellerSpin, 12.34f},
        {141999, &gEscapeScene, "sun beams", escapeBeamsAngle, 70999.0f / 5000.0f},
        {142000, &gLedgeScene, "sun beams", ledgeBeamsAngle, 0.0f},
        {172000, &gLedgeScene, "sun beams", ledgeBeamsAngle, 6.0f},
    };
    for (const DispatchCase& test : cases) {
        runFrame(test.t, &screen);
        EXPECT_EQ(gScene, *test.scene) << "t = " << test.t;
        EXPECT_FLOAT_EQ(test.observed(), test.expected) << test.what << " at t = " << test.t;
    }
}

TEST_F(FrameTest, FieldOfViewIsResetBeforeEveryPart) {
    runFrame(71000 + 27999, &screen); // Part C widens the view to about 1.325
    EXPECT_NEAR(gFieldOfView, 1.32495, 1e-5);
    runFrame(142000, &screen); // Part D keeps the default
    EXPECT_EQ(gFieldOfView, 0.6f);
    EXPECT_NEAR(gProjectionMatrix.m[5], 1.0 / std::tan(0.3), 1e-4);

    runFrame(71000 + 20000, &screen);
    runFrame(28000, &screen); // Part B keeps the default
    EXPECT_EQ(gFieldOfView, 0.6f);
    EXPECT_NEAR(gProjectionMatrix.m[5], 1.0 / std::tan(0.3), 1e-4);

    runFrame(100, &screen); // Part A sets its own
    EXPECT_EQ(gFieldOfView, 0.8f);
}

// Times that visit every part and every switch inside them.
const uint32_t kTourTimes[] = {0,      250,    1001,   1500,   7000,   28000,  30000,  40000,  50000,
                               71000,  76001,  81000,  84501,  90000,  99001,  101001, 119001, 125000,
                               141999, 142000, 150000, 165000, 172000};

TEST(AllocationCounter, SeesTheCallsOfThisThread) {
    // Kept where the optimiser cannot see them die, so that the allocations are not left out.
    static int* volatile single = nullptr;
    static int* volatile several = nullptr;
    startCountingAllocations();
    single = new int(1);
    several = new int[4];
    const int64_t calls = stopCountingAllocations();
    delete single;
    delete[] several;
    EXPECT_EQ(calls, 2);
}

TEST_F(FrameTest, FramesAfterStartUpAllocateNothing) {
    for (uint32_t t : kTourTimes) runFrame(t, &screen);
    startCountingAllocations();
    for (uint32_t t : kTourTimes) runFrame(t, &screen);
    const int64_t calls = stopCountingAllocations();
    EXPECT_EQ(calls, 0) << "operator new calls over " << std::size(kTourTimes) << " frames";
}

// Read calls and opened files of this process so far (every thread, the driver's too).
struct FileActivity {
    long long readCalls = -1;
    long openFiles = -1;
};

FileActivity fileActivity() {
    FileActivity activity;
    if (std::FILE* io = std::fopen("/proc/self/io", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, io) != nullptr) {
            std::sscanf(line, "syscr: %lld", &activity.readCalls);
        }
        std::fclose(io);
    }
    activity.openFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++activity.openFiles;
    }
    return activity;
}

TEST_F(FrameTest, FramesAfterStartUpReadNoFiles) {
    for (uint32_t t : kTourTimes) runFrame(t, &screen);
    // Taking the reading costs reads of its own: the difference of two back-to-back readings.
    const FileActivity first = fileActivity();
    const FileActivity second = fileActivity();
    const long long readingCost = second.readCalls - first.readCalls;
    for (uint32_t t : kTourTimes) runFrame(t, &screen);
    const FileActivity after = fileActivity();
    ASSERT_GE(first.readCalls, 0) << "no /proc/self/io";
    EXPECT_EQ(after.readCalls - second.readCalls, readingCost)
        << "read calls over " << std::size(kTourTimes) << " frames";
    EXPECT_EQ(after.openFiles, second.openFiles);
}

} // namespace
