// The program's spine: start-up in order, the real-time main loop, and shutdown in order.
#include "app/app.h"

#include "archive/archive.h"
#include "demo/demo.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

ScreenInfo gScreen = {0, 0};
bool gQuit = false;

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
constexpr uint32_t kEndMs = 172000;

PlatformWindow* gWindow = nullptr;
uint32_t gStartReading = 0;

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
    }
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
    if (!gWindow) return 1;

    // The 2D drawing keeps its 320 x 240 units whatever the window's size.
    gDisplayWidth = kWidth;
    gDisplayHeight = kHeight;
    if (!GlContext::instance()->create(gWindow)) return 1;
    showWindow(gWindow);

    // The whole window is cleared once: the bars stay black, since nothing is drawn outside the picture.
    const PictureRect picture = fitPicture(width, height);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gScreen = {kWidth, kHeight};

    showLoadingScreen();
    GlContext::instance()->swapBuffers();
    setupScenes(&gScreen);
    warmUpParts(&gScreen);
    return 0;
}

void startMusicAndClock() {
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    player->open("soundtrack.ogg");
    gStartReading = clockMilliseconds();
    player->play();
}

void runMainLoop() {
    while (!gQuit) {
        sleepMilliseconds(1);
        if (pumpMessages(windowProc)) gQuit = true;

        const int32_t position = SoundtrackPlayer::instance()->playbackTime();
        const uint32_t t = position == -1 ? clockMilliseconds() - gStartReading : static_cast<uint32_t>(position);
        if (t > kEndMs) {
            gQuit = true;
            break;
        }
        runFrame(t, &gScreen);
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

int runDemo() {
    catchQuitSignals();
    const int code = startUp(StartupOptions{});
    if (code != 0) return code;
    startMusicAndClock();
    runMainLoop();
    shutDown();
    return 0;
}
