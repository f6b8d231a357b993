// The content build is repeatable: two runs of the generator give byte-identical archives. Its time is a
// benchmark figure (scripts/bench), not checked here, where it depends on whatever else the machine runs.
#include "render_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

TEST(ContentBuild, TwoRunsGiveTheSameArchive) {
    std::string dir = freshWorkDir("reproducible");
    uint64_t hashes[2] = {};
    for (int run = 0; run < 2; ++run) {
        std::string archive = dir + "/run" + std::to_string(run) + ".salad";
        std::string log = archive + ".log";
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(runTool(std::string("'") + TOMBLORA_CONTENT_PATH + "' --out '" + archive + "'", log), 0)
            << readTextFile(log);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::vector<uint8_t> bytes = readFileBytes(archive);
        hashes[run] = fnv1a(bytes);
        std::printf("content build, run %d: %.1f s, %zu bytes, hash %016llx\n", run + 1, seconds,
                    bytes.size(), static_cast<unsigned long long>(hashes[run]));
        RecordProperty("build_seconds_run" + std::to_string(run + 1), std::to_string(seconds));
        EXPECT_FALSE(bytes.empty());
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    // The archive the build put next to the program is the same one.
    EXPECT_EQ(fnv1a(readFileBytes(TOMBLORA_ARCHIVE_PATH)), hashes[0]);
}

} // namespace
