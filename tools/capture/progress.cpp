// Progress reporting of the capture tool.
#include "progress.h"

#include "capture_options.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// "1:05:09", "5:09" or "0:09".
std::string formatDuration(double seconds) {
    const auto whole = static_cast<unsigned long long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
    }
    return text;
}

} // namespace

Progress::Progress(uint64_t totalFrames)
    : total(totalFrames), terminal(isatty(STDERR_FILENO) != 0), started(std::chrono::steady_clock::now()),
      lastDrawn(started) {}

void Progress::update(uint64_t done, uint32_t t) {
    auto now = std::chrono::steady_clock::now();
    if (!terminal || total == 0 || done == 0 || now - started < kQuietStart) {
        return;
    }
    // A redraw every ~250 ms keeps the terminal cheap and the figures readable.
    if (done != total && now - lastDrawn < std::chrono::milliseconds(250)) {
        return;
    }
    lastDrawn = now;
    drawnBar = true;
    // The rate over the whole run so far: the first frame's pre-roll is in it, as it is in the run's cost.
    const double seconds = std::chrono::duration<double>(now - started).count();
    const double rate = double(done) / seconds;
    constexpr int kWidth = 24;
    const int filled = int(done * kWidth / total);
    std::string bar(size_t(filled), '#');
    bar.append(size_t(kWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%%  frame %llu/%llu  %s  %.1f fps  %s left\033[K", bar.c_str(),
                 int(done * 100 / total), (unsigned long long)done, (unsigned long long)total,
                 formatClock(t).c_str(), rate, formatDuration(double(total - done) / rate).c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    if (drawnBar) {
        std::fputc('\n', stderr);
    }
}
