// Error reports: standard error always, a message box when a real display is up.
#include "platform/platform.h"
#include "platform/sdl/video_driver.h"

#include <SDL.h>

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// The box runs an event loop of its own (under X in a child process that SDL waits for) that no signal
// ends. While it is up this watcher does: on SIGINT or SIGTERM it ends the box and the run, with 255, since
// the error stands.
class BoxWatcher {
  public:
    BoxWatcher() : thread(SDL_CreateThread(watch, "box watcher", this)) {}
    ~BoxWatcher() {
        done = true;
        SDL_WaitThread(thread, nullptr);
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

  private:
    static int watch(void* self) {
        auto* watcher = static_cast<BoxWatcher*>(self);
        while (!watcher->done) {
            if (quitSignalPending()) {
                endChildren();
                std::_Exit(255);
            }
            SDL_Delay(20);
        }
        return 0;
    }

    // The program starts no child of its own: any there is the box's.
    static void endChildren() {
        std::error_code failure;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", failure)) {
            std::ifstream children(task.path() / "children");
            long pid = 0;
            while (children >> pid) {
                kill(pid_t(pid), SIGKILL);
            }
        }
    }

    std::atomic<bool> done{false};
    SDL_Thread* thread; // null when no thread could be made: the box then waits as before
};

// Decided from the environment as well, since the box may be needed before the video system starts.
bool boxCanBeShown() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return !isHeadlessVideoDriver(SDL_GetCurrentVideoDriver());
    }
    if (headlessDriverRequested()) {
        return false;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

} // namespace

void showErrorBox(const char* text) {
    // The text may be SDL_GetError()'s buffer, which a failing box would overwrite.
    char copy[1024];
    std::snprintf(copy, sizeof copy, "%s", text != nullptr ? text : "");
    std::fprintf(stderr, "%s\n", copy);
    std::fflush(stderr);
    if (boxCanBeShown()) {
        BoxWatcher watcher;
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ERROR", copy, nullptr);
    }
}

void fatalError(const char* text) {
    showErrorBox(text);
    std::exit(-1);
}
