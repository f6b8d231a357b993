// Instructions per frame, counted by callgrind: the one frame-cost figure that does not move with the load
// of a shared machine. Run it under valgrind, as `scripts/bench --instructions` does:
//
//   valgrind --tool=callgrind --instr-atstart=no bench_instructions FROM TO
//
// It starts the demo, then draws every 60 fps step of the production from FROM up to TO (milliseconds), each
// finished with glFinish, with callgrind counting only those frames (every thread, the rasteriser's too).
// Valgrind prints the count ("Collected : N"); this program prints how many frames it drew.
#include "common/quiet_stdout.h"
#include "production_bench.h"

#include "app/app.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

int main(int argc, char** argv) {
    useHeadlessDrivers();
    chooseArchive();
    const long from = argc == 3 ? std::atol(argv[1]) : -1, to = argc == 3 ? std::atol(argv[2]) : -1;
    if (from < 0 || to <= from || to > 172000) {
        std::fprintf(stderr, "usage: bench_instructions FROM TO   (milliseconds, 0 <= FROM < TO <= 172000)\n");
        return 2;
    }
    consoleSetFrameLinesEnabled(false);
    int code;
    {
        QuietStdout quiet; // the loader's warnings are not results
        code = startUp(StartupOptions{});
    }
    if (code != 0) {
        return code;
    }
    int frames = 0;
    CALLGRIND_START_INSTRUMENTATION;
    for (uint64_t k = 0;; ++k) {
        const uint64_t t = k * 1000 / 60;
        if (t >= uint64_t(to)) break;
        if (t < uint64_t(from)) continue;
        runFrame(uint32_t(t), &gScreen);
        glFinish();
        ++frames;
    }
    CALLGRIND_STOP_INSTRUMENTATION;
    result("frames", frames);
    shutDown();
    return 0;
}
