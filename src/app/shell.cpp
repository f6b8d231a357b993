// The program's spine: start-up in order, the real-time main loop, and shutdown in order.
#include "app/app.h"
#include "app/viewer_options.h"

#include "archive/archive.h"
#include "demo/demo.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

ScreenInfo gScreen = {0, 0};
bool gQuit = false;

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
constexpr uint32_t kEndMs = 172000;

PlatformWindow* gWindow = nullptr;
uint32_t gStartReading = 0;
uint32_t gShownMoment = 0;

// One line on what failed and what to do instead; the exit code of a run without a display.
int reportNoDisplay(const StartupOptions& options, const char* what) {
    std::fprintf(stderr, "%s%s (%s); %s\n", options.headless ? "tomblora-capture: " : "", what, platformVideoError(),
                 options.headless ? "it draws with SDL's offscreen driver: leave SDL_VIDEODRIVER unset or set it to "
                                    "offscreen"
                                  : "run with a display that has OpenGL, or use tomblora-capture to render without one");
    return 1;
}

} // namespace

void windowProc(const WindowMessage& message) {
    switch (message.type) {
    case MessageType::Destroy: postQuitMessage(); break;
    case MessageType::KeyDown:
        if (message.param == kKeyEscape) gQuit = true;
        break;
    case MessageType::Char:
        if (message.param == 'm') SoundtrackPlayer::instance()->toggleMute();
        break;
    default: break;
    }
    viewerMessage(message);
}

PictureRect fitPicture(int32_t windowWidth, int32_t windowHeight) {
    const int32_t k = std::min(windowWidth / 4, windowHeight / 3);
    PictureRect picture;
    picture.width = 4 * k;
    picture.height = 3 * k;
    picture.x = (windowWidth - picture.width) / 2;
    picture.y = (windowHeight - picture.height) / 2;
    return picture;
}

int startUp(const StartupOptions& options) {
    archiveBaseDir[0] = '\0';
    if (!platformInitVideo()) return 1;

    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    desktopClientSize(desktopWidth, desktopHeight);
    const int32_t width = options.width > 0 ? options.width : kWidth;
    const int32_t height = options.height > 0 ? options.height : kHeight;
    gWindow = createWindow("Kestrova - Tomblora", (desktopWidth - width) / 2, (desktopHeight - height) / 2, width,
                           height);
    if (!gWindow) return reportNoDisplay(options, "cannot make the window");

    // The 2D drawing keeps its 320 x 240 units whatever the window's size.
    gDisplayWidth = kWidth;
    gDisplayHeight = kHeight;
    if (!GlContext::instance()->create(gWindow)) return reportNoDisplay(options, "cannot make an OpenGL context");
    if (options.fullscreen) setWindowFullscreen(gWindow, true);
    showWindow(gWindow);

    // The whole window is cleared once: the bars stay black, since nothing is drawn outside the picture.
    int32_t clientWidth = width;
    int32_t clientHeight = height;
    if (options.fullscreen) windowDrawableSize(gWindow, clientWidth, clientHeight);
    const PictureRect picture = fitPicture(clientWidth, clientHeight);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gScreen = {kWidth, kHeight};

    showLoadingScreen();
    GlContext::instance()->swapBuffers();
    setupScenes(&gScreen);
    // Ctrl-C during loading: no frame is drawn, the run goes straight to the shutdown.
    if (quitSignalPending()) {
        gQuit = true;
        return 0;
    }
    warmUpParts(&gScreen);
    return 0;
}

void startMusicAndClock(uint32_t startMs, bool muted) {
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    player->open("soundtrack.ogg");
    if (startMs > 0) player->seek(startMs);
    if (muted) player->toggleMute();
    setDemoClock(startMs);
    player->play();
}

uint32_t demoClock() { return clockMilliseconds() - gStartReading; }

// Unsigned arithmetic: a reading below t wraps, and demoClock wraps back.
void setDemoClock(uint32_t t) { gStartReading = clockMilliseconds() - t; }

uint32_t shownMoment() { return gShownMoment; }

void setShownMoment(uint32_t t) { gShownMoment = t; }

PlatformWindow* demoWindow() { return gWindow; }

void runMainLoop() {
    while (!gQuit) {
        sleepMilliseconds(1);
        if (pumpMessages(windowProc)) gQuit = true;
        viewerBetweenPasses();
        // Drawing a paused moment again would add its glow and beams a second time.
        if (viewerPaused()) continue;

        const int32_t position = SoundtrackPlayer::instance()->playbackTime();
        const uint32_t t = position == -1 ? demoClock() : static_cast<uint32_t>(position);
        if (t > kEndMs) {
            gQuit = true;
            break;
        }
        runFrame(t, &gScreen);
        gShownMoment = t;
    }
}

void shutDown() {
    if (SoundtrackPlayer* player = SoundtrackPlayer::existing()) {
        player->stop();
        player->close();
        SoundtrackPlayer::destroyInstance();
    }

    releaseResources();

    GlContext::instance()->release();
    GlContext::destroyInstance();
    destroyWindow(gWindow);
    gWindow = nullptr;
    platformShutdownVideo();
}

int runDemo(const ViewerOptions& options) {
    catchQuitSignals();
    StartupOptions startup;
    startup.width = kWidth * options.windowScale;
    startup.height = kHeight * options.windowScale;
    startup.fullscreen = options.fullscreen;
    const int code = startUp(startup);
    if (code != 0) return code;
    if (!gQuit) {
        if (options.controls) beginViewerControls(options.fullscreen, options.startMs);
        startMusicAndClock(options.controls ? options.startMs : 0, options.mute);
        runMainLoop();
    }
    shutDown();
    return 0;
}
