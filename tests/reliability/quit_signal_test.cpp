// A quit signal in the running process: the handler only raises a flag; the next message pump turns it
// into the quit message, the main loop ends and the shutdown frees the sound, the resources and the
// context in order.
#include "app/app.h"
#include "support/gl_test_context.h"
#include "test_production.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

namespace {

int gDelivered = 0;
void countMessage(const WindowMessage&) { ++gDelivered; }

} // namespace

TEST(QuitSignal, IsTakenByTheNextPumpOnlyOnce) {
    useHeadlessDrivers();
    catchQuitSignals();
    ASSERT_EQ(raise(SIGTERM), 0); // the process lives on
    EXPECT_TRUE(pumpMessages(countMessage));
    EXPECT_FALSE(pumpMessages(countMessage));
    ASSERT_EQ(raise(SIGINT), 0);
    EXPECT_TRUE(pumpMessages(countMessage));
    EXPECT_EQ(gDelivered, 0);
}

TEST(QuitSignal, EndsTheMainLoopAndTheShutdownRuns) {
    useHeadlessDrivers();
    catchQuitSignals();
    TestArchive production(testProductionEntries());
    ASSERT_TRUE(production.ok()) << production.error();
    ASSERT_EQ(chdir(production.folder().c_str()), 0);
    std::snprintf(archiveFileName, sizeof archiveFileName, "test.salad");
    gQuit = false;
    ASSERT_EQ(startUp(StartupOptions{}), 0);
    startMusicAndClock();
    ASSERT_NE(SoundtrackPlayer::existing(), nullptr);

    ASSERT_EQ(raise(SIGTERM), 0);
    runMainLoop(); // returns only on the quit (or after 172 s, which the test timeout forbids)
    EXPECT_TRUE(gQuit);
    shutDown();
    EXPECT_EQ(SoundtrackPlayer::existing(), nullptr);
}
