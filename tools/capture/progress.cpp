// Progress reporting of the capture tool.
#include "progress.h"

#include "capture_options.h"

#include <unistd.h>

#include <cstdio>
#include <string>

Progress::Progress(uint64_t totalFrames)
    : total(totalFrames), terminal(isatty(STDERR_FILENO) != 0), started(std::chrono::steady_clock::now()),
      lastDrawn(started) {}

void Progress::update(uint64_t done, uint32_t t) {
    auto now = std::chrono::steady_clock::now();
    if (total == 0 || now - started < kQuietStart) {
        return;
    }
    double seconds = std::chrono::duration<double>(now - started).count();
    if (terminal) {
        // A redraw every ~100 ms keeps the terminal cheap even at thousands of frames per second.
        if (done != total && now - lastDrawn < std::chrono::milliseconds(100)) {
            return;
        }
        lastDrawn = now;
        drawnBar = true;
        constexpr int kWidth = 30;
        int filled = int(done * kWidth / total);
        std::string bar(size_t(filled), '#');
        bar.append(size_t(kWidth - filled), '.');
        std::fprintf(stderr, "\r[%s] %3d%%  frame %llu/%llu  %s  %.1f s", bar.c_str(),
                     int(done * 100 / total), (unsigned long long)done, (unsigned long long)total,
                     formatClock(t).c_str(), seconds);
        std::fflush(stderr);
        return;
    }
    int32_t tenth = int32_t(done * 10 / total);
    if (tenth > lastTenth) {
        lastTenth = tenth;
        std::fprintf(stderr, "tomblora-capture: %3d%%  frame %llu/%llu  %s  %.1f s\n", tenth * 10,
                     (unsigned long long)done, (unsigned long long)total, formatClock(t).c_str(), seconds);
    }
}

void Progress::finish() {
    if (drawnBar) {
        std::fputc('\n', stderr);
    }
}
