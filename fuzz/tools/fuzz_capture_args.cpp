// Fuzz target: tomblora-capture's command line, then the plan of frames made from what it accepted.
#include "capture_options.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkPlan(const CaptureOptions& options) {
    CapturePlan plan = planCapture(options);
    check(!plan.frames.empty());
    size_t moments = 0;
    uint64_t videoFrames = 0;
    size_t sheetFrames = 0;
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        const PlannedFrame& frame = plan.frames[i];
        check(frame.time <= kProductionEndMs);
        check(i == 0 || plan.frames[i - 1].time <= frame.time);
        moments += frame.moment ? 1 : 0;
        videoFrames += frame.video ? 1 : 0;
        sheetFrames += frame.sheet ? 1 : 0;
        if (frame.sequence || frame.video) {
            check(frame.time >= options.from && frame.time <= options.to);
        }
    }
    check(moments == options.moments.size());
    check(videoFrames == plan.videoFrames);
    check(sheetFrames == plan.sheetTimes.size());
    check(plan.sheetTimes.size() <= size_t(options.sheetCount));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Arguments are the input split at NUL bytes; argv[0] is the program.
    std::vector<std::string> words(1, "tomblora-capture");
    words.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back().push_back(char(data[i]));
        }
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    argv.push_back(nullptr);

    std::string error;
    CaptureOptions options = parseCaptureArgs(int(words.size()), argv.data(), error);
    if (!error.empty() || options.help) {
        return 0;
    }
    check(options.fps.num >= options.fps.den && options.fps.num <= 1000 * options.fps.den);
    check(options.width >= 32 && options.width <= 7680 && options.height >= 24 && options.height <= 4320);
    check(options.from <= options.to && options.to <= kProductionEndMs);
    check(std::is_sorted(options.moments.begin(), options.moments.end()));
    check(std::adjacent_find(options.moments.begin(), options.moments.end()) == options.moments.end());
    check(!options.archive.empty());
    checkPlan(options);
    return 0;
}
