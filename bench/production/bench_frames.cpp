// Frame cost per part on llvmpipe at 320 x 240: every step of the production in order (so each part's
// first frame is the first use of its GL state in this process), each frame finished with glFinish, in
// several passes; then the same frames with no GL context current, where every GL call is a no-op, which
// leaves the engine's own work. Also the peak resident memory beside the decoded archive and the GL
// driver's baseline.
//
// Every pass draws the same frames, so other work on a shared machine can only ever add to a pass's figures:
// a part's median and worst frame are taken from the pass where they are lowest (a frame that is slow in its
// own right is slow in every pass), and every pass's median is printed as well.
#include "production_bench.h"

#include "app/app.h"
#include "archive/archive.h"
#include "demo/demo.h"
#include "platform/platform.h"

#include <EGL/egl.h>
#include <GL/gl.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kEndMs = 172000;
const char* const kPartNames[] = {"a", "b", "c", "d"};

struct PartTimes {
    std::vector<double> frames; // ms, in drawing order; the first is the part's first frame
    std::vector<double> engine; // ms with no context current
};

// The context SDL made, so it can be let go and taken up again.
struct CurrentContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface draw = EGL_NO_SURFACE;
    EGLSurface read = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;

    bool take() {
        display = eglGetCurrentDisplay();
        draw = eglGetCurrentSurface(EGL_DRAW);
        read = eglGetCurrentSurface(EGL_READ);
        context = eglGetCurrentContext();
        return context != EGL_NO_CONTEXT;
    }
    void letGo() const { eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }
    void restore() const { eglMakeCurrent(display, draw, read, context); }
};

// Steps of the production at `fps`: floor(k * 1000 / fps) ms up to 172000.
std::vector<uint32_t> productionSteps(uint32_t fps) {
    std::vector<uint32_t> steps;
    for (uint64_t k = 0;; ++k) {
        uint64_t t = k * 1000 / fps;
        if (t > kEndMs) {
            break;
        }
        steps.push_back(uint32_t(t));
    }
    return steps;
}

// Peak resident MiB of a process that only makes the window and context and presents one cleared frame.
double driverBaselineMiB(const char* self) {
    bool ok = false;
    const std::string text = runSelf(self, "--driver-baseline", nullptr, ok);
    return text.empty() ? -1.0 : std::atof(text.c_str());
}

int driverBaselineChild() {
    if (!platformInitVideo()) {
        return 1;
    }
    PlatformWindow* window = createWindow("bench", 0, 0, 320, 240);
    if (window == nullptr || !GlContext::instance()->create(window)) {
        return 1;
    }
    glViewport(0, 0, 320, 240);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GlContext::instance()->swapBuffers();
    glFinish();
    std::printf("%.4f\n", peakResidentMiB());
    return 0;
}

void report(const char* part, const std::vector<PartTimes>& passes) {
    char name[64];
    double bestMedian = 0, bestWorst = 0;
    for (size_t k = 0; k < passes.size(); ++k) {
        const double m = median(passes[k].frames), w = maximum(passes[k].frames);
        bestMedian = k == 0 ? m : std::min(bestMedian, m);
        bestWorst = k == 0 ? w : std::min(bestWorst, w);
        std::snprintf(name, sizeof name, "frame_%s_median_ms_pass%zu", part, k + 1);
        result(name, m);
    }
    const PartTimes& first = passes.front();
    std::snprintf(name, sizeof name, "frame_%s_median_ms", part);
    result(name, bestMedian);
    std::snprintf(name, sizeof name, "frame_%s_worst_ms", part);
    result(name, bestWorst);
    std::snprintf(name, sizeof name, "frame_%s_first_ms", part);
    result(name, first.frames.empty() ? 0.0 : first.frames.front());
    std::snprintf(name, sizeof name, "engine_%s_median_ms", part);
    result(name, median(first.engine));
    std::snprintf(name, sizeof name, "engine_%s_share", part);
    result(name, median(first.engine) / bestMedian);
    std::snprintf(name, sizeof name, "frames_%s", part);
    result(name, double(first.frames.size()));
}

} // namespace

int main(int argc, char** argv) {
    useHeadlessDrivers();
    chooseArchive();
    if (argc == 2 && std::strcmp(argv[1], "--driver-baseline") == 0) {
        return driverBaselineChild();
    }
    const uint32_t fps = argc >= 2 ? uint32_t(std::atoi(argv[1])) : 60;
    const int passCount = argc >= 3 ? std::atoi(argv[2]) : 3;
    // The window's size: the picture is rendered at the largest 4:3 size that fits, as the viewer does.
    StartupOptions startup;
    const bool sized = argc < 4 || std::sscanf(argv[3], "%dx%d", &startup.width, &startup.height) == 2;
    if (fps < 1 || fps > 1000 || passCount < 1 || passCount > 20 || !sized || startup.width < 32 ||
        startup.height < 24 || startup.width > 7680 || startup.height > 4320) {
        std::fprintf(stderr, "usage: bench_frames [FPS 1..1000 [PASSES 1..20 [WIDTHxHEIGHT]]]\n");
        return 2;
    }
    const double baselineMiB = driverBaselineMiB("/proc/self/exe");

    consoleSetFrameLinesEnabled(false);
    {
        // The loader's warnings are not results.
        std::fflush(stdout);
        const int saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        const int code = startUp(startup);
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(null);
        close(saved);
        if (code != 0) {
            return code;
        }
    }
    CurrentContext current;
    if (!current.take()) {
        std::fprintf(stderr, "bench_frames: no EGL context is current\n");
        return 1;
    }

    std::printf("gl_renderer %s | %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    const std::vector<uint32_t> steps = productionSteps(fps);
    // passes[part][pass]
    std::vector<PartTimes> passes[4];
    for (auto& part : passes) part.resize(size_t(passCount));
    for (int pass = 0; pass < passCount; ++pass) {
        for (uint32_t t : steps) {
            const double start = nowSeconds();
            runFrame(t, &gScreen);
            glFinish();
            passes[int(timelineSlot(t).part)][size_t(pass)].frames.push_back(1000 * (nowSeconds() - start));
        }
    }
    const double peakMiB = peakResidentMiB();

    current.letGo();
    for (uint32_t t : steps) {
        const double start = nowSeconds();
        runFrame(t, &gScreen);
        passes[int(timelineSlot(t).part)][0].engine.push_back(1000 * (nowSeconds() - start));
    }
    current.restore();

    double decodedBytes = 0;
    ResourceArchive* archive = ResourceArchive::instance();
    for (int32_t i = 0; i < archive->count; ++i) {
        decodedBytes += archive->entries[i].size;
    }
    result("fps", fps);
    for (int part = 0; part < 4; ++part) {
        report(kPartNames[part], passes[part]);
    }
    // Over the whole production: the pass with the lowest median.
    double allMedian = 0, allWorst = 0;
    std::vector<double> engine;
    for (int pass = 0; pass < passCount; ++pass) {
        std::vector<double> all;
        for (const auto& part : passes) all.insert(all.end(), part[size_t(pass)].frames.begin(), part[size_t(pass)].frames.end());
        allMedian = pass == 0 ? median(all) : std::min(allMedian, median(all));
        allWorst = pass == 0 ? maximum(all) : std::min(allWorst, maximum(all));
    }
    for (const auto& part : passes) engine.insert(engine.end(), part[0].engine.begin(), part[0].engine.end());
    result("passes", passCount);
    result("frame_all_median_ms", allMedian);
    result("frame_all_worst_ms", allWorst);
    result("engine_all_share", median(engine) / allMedian);
    result("peak_rss_mib", peakMiB);
    result("decoded_archive_mib", decodedBytes / (1024.0 * 1024.0));
    result("driver_baseline_mib", baselineMiB);
    shutDown();
    return 0;
}
