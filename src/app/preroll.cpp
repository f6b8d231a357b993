// Bringing the timeline to a frame: every earlier frame's logic runs, but only the frames whose pixels can
// still show in the target are drawn.
#include "app/app.h"

#include "demo/demo.h"
#include "gfx/gfx.h"

#include <algorithm>

namespace {

// Runs the frame's logic and state calls without drawing, printing or presenting anything.
void runFrameLogic(uint32_t t) {
    setFrameDrawing(false);
    runFrame(t, &gScreen);
    setFrameDrawing(true);
}

// Draws and presents the frame. With probe set, sets covered when its opaque drawing covered every pixel
// (one covering frame is enough, so later ones are not probed).
void runDrawnFrame(uint32_t t, const TargetFrameHooks* target, bool probe, bool& covered) {
    probe = probe && !covered;
    if (probe) beginCoverageProbe();
    if (target != nullptr && target->beforeDraw != nullptr) target->beforeDraw(target->user);
    runFrame(t, &gScreen);
    if (probe && endCoverageProbe()) covered = true;
}

void runTarget(const TimelineFrame& frame, const TargetFrameHooks& target, bool probe, bool& covered) {
    if (!frame.undone) {
        runDrawnFrame(frame.time, &target, probe, covered);
        return;
    }
    // A moment between two steps: what it covers is undone with it, so it proves nothing for later frames.
    DemoSnapshot between;
    between.take();
    bool ignored = false;
    runDrawnFrame(frame.time, &target, false, ignored);
    between.restore();
}

// One attempt: the logic of every frame, drawing only the last `drawn` of them. True when a frame that
// stays (not undone) among the drawn ones covered every pixel.
bool runAttempt(std::span<const TimelineFrame> frames, size_t drawn, const TargetFrameHooks& target,
                bool probe) {
    const size_t last = frames.size() - 1;
    bool covered = false;
    for (size_t i = 0; i < last; ++i) {
        if (i + drawn < frames.size()) {
            runFrameLogic(frames[i].time);
        } else {
            runDrawnFrame(frames[i].time, nullptr, probe, covered);
        }
    }
    runTarget(frames[last], target, probe, covered);
    return covered;
}

} // namespace

void bringTimelineTo(std::span<const TimelineFrame> frames, const TargetFrameHooks& target, bool drawEveryFrame) {
    if (frames.empty()) return;
    if (drawEveryFrame || frames.size() == 1) {
        runAttempt(frames, frames.size(), target, false);
        return;
    }
    DemoSnapshot start;
    start.take();
    // A window of drawn frames at the end, widened fourfold until it holds a covering frame or every frame.
    size_t drawn = frames.back().undone ? 2 : 1;
    while (!runAttempt(frames, drawn, target, true) && drawn < frames.size()) {
        start.restore();
        start.take();
        drawn = std::min(frames.size(), drawn * 4);
    }
    // The pixels are right. So are the parts' state and the GL state, but the snapshot still holds the GL
    // attribute stacks: put them back and run the logic again to the same end.
    start.restoreKeepingPixels();
    for (const TimelineFrame& frame : frames) {
        if (!frame.undone) runFrameLogic(frame.time);
    }
}
