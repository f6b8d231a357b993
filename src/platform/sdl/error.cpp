// Error reports: standard error always, a message box when a real display is up.
#include "platform/platform.h"
#include "platform/sdl/video_driver.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ERROR", copy, nullptr);
    }
}

void fatalError(const char* text) {
    showErrorBox(text);
    std::exit(-1);
}
