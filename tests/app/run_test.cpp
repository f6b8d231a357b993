// The whole program in this process: start-up, music and clock, the real-time main loop and shutdown,
// with the time to the first timeline frame and the frame rate of the loop.
#include "app/app.h"
#include "demo/demo.h"
#include "support/gl_test_context.h"
#include "test_production.h"

#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct FrameLog {
    int frames = 0;
    Clock::time_point first;
};

void countFrame(void* user) {
    auto* log = static_cast<FrameLog*>(user);
    if (log->frames++ == 0) log->first = Clock::now();
}

// Seconds since this process started, from its start time in /proc (10 ms steps).
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string field;
    // The start time is field 22; the command name (field 2) holds no blanks for a test program.
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double started = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::ifstream uptime("/proc/uptime");
    double now = 0;
    uptime >> now;
    return now - started;
}

TEST(WholeProgram, RunsUntilTheQuitMessageAndShutsDown) {
    useHeadlessDrivers();
    TestArchive production(testProductionEntries());
    ASSERT_TRUE(production.ok()) << production.error();
    // The program looks for its archive under the bare name in its working directory.
    ASSERT_EQ(chdir(production.folder().c_str()), 0);
    std::snprintf(archiveFileName, sizeof archiveFileName, "test.salad");

    const Clock::time_point begin = Clock::now();
    ASSERT_EQ(startUp(StartupOptions{}), 0);
    EXPECT_STREQ(archiveBaseDir, "");
    EXPECT_EQ(gScreen.width, 320);
    EXPECT_EQ(gScreen.height, 240);
    EXPECT_EQ(gDisplayWidth, 320);
    EXPECT_EQ(gDisplayHeight, 240);

    FrameLog log;
    GlContext::instance()->setBeforePresent(countFrame, &log);
    startMusicAndClock();
    EXPECT_FALSE(SoundtrackPlayer::existing()->isMuted());

    // The quit message arrives from outside after two seconds, as a window manager's would.
    std::thread closer([] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
    });
    const Clock::time_point loopStart = Clock::now();
    runMainLoop();
    const Clock::time_point loopEnd = Clock::now();
    closer.join();
    EXPECT_TRUE(gQuit);

    const double sinceProcessStart = secondsSinceProcessStart() - std::chrono::duration<double>(Clock::now() - log.first).count();
    const double toFirstFrame = std::chrono::duration<double>(log.first - begin).count();
    const double loopSeconds = std::chrono::duration<double>(loopEnd - loopStart).count();
    std::printf("first timeline frame: %.0f ms after start-up began, %.0f ms after the process started\n",
                1000 * toFirstFrame, 1000 * sinceProcessStart);
    std::printf("main loop: %d frames in %.2f s, %.0f frames per second\n", log.frames, loopSeconds,
                log.frames / loopSeconds);
    RecordProperty("frames_per_second", static_cast<int>(log.frames / loopSeconds));
    EXPECT_GT(log.frames, 20);
    EXPECT_NEAR(loopSeconds, 2.0, 0.5);

    shutDown();
    EXPECT_EQ(SoundtrackPlayer::existing(), nullptr);
    EXPECT_EQ(gFont, nullptr);
    EXPECT_EQ(gDefaultTexture, nullptr);
}

} // namespace
