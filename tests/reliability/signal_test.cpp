// SIGINT and SIGTERM end the real program through its normal shutdown: exit code 0, nothing on standard
// error, whether the signal comes while it plays or while it is still loading (which then stops).
#include "ogg_tone.h"
#include "program_run.h"
#include "test_production.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

std::vector<uint8_t> productionWithMusic() {
    TestProductionOptions options;
    options.soundtrack = encodeRisingTone(1.0, 440.0, 0.2, 0.4);
    std::string error;
    std::vector<uint8_t> bytes = archiveBytes(testProductionEntries(options), error);
    EXPECT_TRUE(error.empty()) << error;
    return bytes;
}

// afterMs 0: as soon as the program has its handler, early in start-up.
ProgramRun runAndSignal(int signalNumber, int afterMs) {
    ScratchFolder folder;
    EXPECT_TRUE(folder.writeArchive(productionWithMusic()));
    RunPlan plan;
    plan.signalNumber = signalNumber;
    plan.signalAfterMs = afterMs;
    plan.signalOnceCaught = afterMs == 0;
    return runProgram(TOMBLORA_PATH, folder.path(), plan);
}

} // namespace

TEST(QuitSignal, EndsAPlayingRunWithExitCodeZero) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        ProgramRun run = runAndSignal(signalNumber, 2500);
        EXPECT_FALSE(run.timedOut);
        EXPECT_TRUE(run.runningWhenSignalled);
        EXPECT_EQ(run.termSignal, 0);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
    }
}

TEST(QuitSignal, DuringStartUpEndsTheRunBeforeTheScenesAreRead) {
    ProgramRun run = runAndSignal(SIGTERM, 0);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.runningWhenSignalled);
    EXPECT_EQ(run.termSignal, 0);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    // The loader stops at its first line: no mesh was finished, so none was reported.
    EXPECT_EQ(run.out.find("has no normals"), std::string::npos) << run.out;
}
