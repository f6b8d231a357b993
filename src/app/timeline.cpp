// The timeline: which part draws each frame, the console lines, and the release of shared resources.
#include "app/app.h"

#include "archive/archive.h"
#include "demo/demo.h"

#include <cstdio>

TimelineSlot timelineSlot(uint32_t t) {
    if (t < 28000) return {TimelinePart::A, t};
    if (t < 50000) return {TimelinePart::B, t - 28000};
    if (t < 71000) return {TimelinePart::A, t - 21000};
    if (t < 142000) return {TimelinePart::C, t - 71000};
    return {TimelinePart::D, t - 142000};
}

void formatConsoleLines(uint32_t t, char* buffer, int32_t bufferSize) {
    std::snprintf(buffer, static_cast<size_t>(bufferSize), "  %02u:%02u.%03u  \n  %u  \n", t / 60000,
                  (t / 1000) % 60, t % 1000, t);
}

void runFrame(uint32_t t, ScreenInfo* screen) {
    gFieldOfView = 0.6f;
    const TimelineSlot slot = timelineSlot(t);
    switch (slot.part) {
    case TimelinePart::A: drawPartA(slot.localTime, screen); break;
    case TimelinePart::B: drawPartB(slot.localTime, screen); break;
    case TimelinePart::C: drawPartC(slot.localTime, screen); break;
    case TimelinePart::D: drawPartD(slot.localTime, screen); break;
    }

    // A frame run for its logic only is neither printed nor presented.
    if (!frameDrawingOn()) return;
    char lines[64];
    formatConsoleLines(t, lines, sizeof lines);
    consoleWriteFrameLines(lines);

    GlContext::instance()->swapBuffers();
}

void releaseResources() {
    ResourceArchive* archive = ResourceArchive::instance();

    // Every scene and texture of the set-up goes, not only the current scene, so leak checkers run clean.
    releaseScenes();
    gScene = nullptr;
    delete gDefaultTexture;
    gDefaultTexture = nullptr;
    delete gFont;
    gFont = nullptr;
    delete gBackgroundTexture;
    gBackgroundTexture = nullptr;

    archive->release();
    ResourceArchive::destroyInstance();
}
