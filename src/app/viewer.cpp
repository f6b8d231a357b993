// The viewer keys: full screen, pause and seek. On only when the demo is started with an option.
#include "app/app.h"

#include "demo/demo.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kEndMs = 172000;
constexpr uint32_t kSeekMs = 5000;
// A seek runs the frames the capture tool runs for that moment: its 60 fps steps, then the moment.
constexpr uint64_t kStepsPerSecond = 60;
constexpr size_t kMostFrames = kEndMs * kStepsPerSecond / 1000 + 2;

struct Viewer {
    bool on = false;
    bool fullscreen = false;
    bool paused = false;
    uint32_t pausedAt = 0; // the moment on the screen while paused
    int32_t width = 0;     // the client size the picture is laid out for
    int32_t height = 0;
    // The state after start-up, which every seek starts from again. Its pixels are those of the start-up
    // size; after a change of size a seek starts from black instead.
    DemoSnapshot start;
    bool startPixelsFit = true;
    bool sizeChanged = false; // a new client size to lay the picture out for, between two passes
    uint32_t settleAt = 0;    // when not 0: the clock reading at which the layout is done once more
    std::vector<TimelineFrame> frames;
};

Viewer gViewer;

uint32_t stepTime(uint64_t k) { return static_cast<uint32_t>(k * 1000 / kStepsPerSecond); }

// Black over the whole client area, in both buffers, and the viewport on the picture's rectangle.
void layOutPicture() {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GlContext::instance()->swapBuffers();
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
    const PictureRect picture = fitPicture(gViewer.width, gViewer.height);
    glViewport(picture.x, picture.y, picture.width, picture.height);
}

// Draws and presents the moment ms exactly as tomblora-capture --at ms shows it: from the state after
// start-up, the logic of every step before it runs and only what can still show is drawn.
void bringTo(uint32_t ms) {
    if (gViewer.startPixelsFit) {
        gViewer.start.restore();
    } else {
        gViewer.start.restoreKeepingPixels();
        layOutPicture();
        gViewer.startPixelsFit = true;
    }
    gViewer.start.take();
    gViewer.frames.clear();
    for (uint64_t k = 0; stepTime(k) < ms; ++k) gViewer.frames.push_back({stepTime(k), false});
    gViewer.frames.push_back({ms, false});
    bringTimelineTo(gViewer.frames, {});
    setShownMoment(ms);
}

// The music stops while the picture is brought to the moment and goes on from there with the clock.
void seekTo(uint32_t ms) {
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    player->pause(true);
    bringTo(ms);
    player->seek(ms);
    if (gViewer.paused) {
        gViewer.pausedAt = ms;
        return;
    }
    setDemoClock(ms);
    player->pause(false);
}

void togglePause() {
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    if (!gViewer.paused) {
        gViewer.paused = true;
        gViewer.pausedAt = shownMoment();
        player->pause(true);
        return;
    }
    gViewer.paused = false;
    // The music paused a little after the frame on the screen; it goes on from that frame's moment.
    player->seek(gViewer.pausedAt);
    setDemoClock(gViewer.pausedAt);
    player->pause(false);
}

void fitNewSize(bool again) {
    int32_t width = 0;
    int32_t height = 0;
    windowDrawableSize(demoWindow(), width, height);
    if (width <= 0 || height <= 0 || (!again && width == gViewer.width && height == gViewer.height)) return;
    gViewer.width = width;
    gViewer.height = height;
    gViewer.startPixelsFit = false;
    layOutPicture();
    // A paused picture is brought back at the new size rather than drawn again over itself.
    if (gViewer.paused) bringTo(gViewer.pausedAt);
}

// The new size is taken up between two passes of the main loop, once the system has finished resizing: a GL
// surface can lag behind the window while the size messages are being sent.
void toggleFullscreen() {
    gViewer.fullscreen = !gViewer.fullscreen;
    setWindowFullscreen(demoWindow(), gViewer.fullscreen);
    gViewer.sizeChanged = true;
}

} // namespace

void beginViewerControls(bool fullscreen, uint32_t startMs) {
    gViewer.on = true;
    gViewer.fullscreen = fullscreen;
    windowDrawableSize(demoWindow(), gViewer.width, gViewer.height);
    gViewer.frames.reserve(kMostFrames);
    gViewer.start.take();
    if (startMs > 0) bringTo(std::min(startMs, kEndMs));
}

bool viewerPaused() { return gViewer.paused; }

// A GL surface can take a moment longer than its window to get the new size (seen under Wine on a busy
// machine), so the layout is done once more a little later.
void viewerBetweenPasses() {
    constexpr uint32_t kSettleMs = 300;
    if (gViewer.sizeChanged) {
        gViewer.sizeChanged = false;
        fitNewSize(false);
        gViewer.settleAt = clockMilliseconds() + kSettleMs;
        if (gViewer.settleAt == 0) gViewer.settleAt = 1;
    } else if (gViewer.settleAt != 0 && int32_t(clockMilliseconds() - gViewer.settleAt) >= 0) {
        gViewer.settleAt = 0;
        fitNewSize(true);
    }
}

void viewerMessage(const WindowMessage& message) {
    if (!gViewer.on) return;
    const uint32_t now = gViewer.paused ? gViewer.pausedAt : shownMoment();
    switch (message.type) {
    case MessageType::Resized: gViewer.sizeChanged = true; break;
    case MessageType::SysKeyDown:
        if (message.param == kKeyReturn) toggleFullscreen();
        break;
    case MessageType::KeyDown:
        switch (message.param) {
        case kKeyF11: toggleFullscreen(); break;
        case kKeySpace: togglePause(); break;
        case kKeyLeft: seekTo(now > kSeekMs ? now - kSeekMs : 0); break;
        case kKeyRight: seekTo(std::min(now, kEndMs - kSeekMs) + kSeekMs); break;
        case kKeyHome: seekTo(0); break;
        default: break;
        }
        break;
    default: break;
    }
}
