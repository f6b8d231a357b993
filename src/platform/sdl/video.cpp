// Video start-up, the window and the GL context on it.
#include "platform/platform.h"
#include "platform/sdl/video_driver.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct PlatformWindow {
    SDL_Window* window;
    bool fullscreen = false;
    SDL_Rect windowed = {}; // the captioned window's client place and size, for the way back
};

namespace {

GlContext* gGlContext = nullptr;
bool gVideoStarted = false;

void requestPixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Fixed-function drawing needs a compatibility context; a core profile would reject every call.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

} // namespace

bool isHeadlessVideoDriver(const char* driverName) {
    return driverName != nullptr && (SDL_strcasecmp(driverName, "offscreen") == 0 || SDL_strcasecmp(driverName, "dummy") == 0);
}

bool headlessDriverRequested() {
    return isHeadlessVideoDriver(std::getenv("SDL_VIDEODRIVER"));
}

bool platformInitVideo() {
    // Closing the window must reach the window procedure as a destroy message; the quit comes from there.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "no display: the video system did not start (%s); run with a display, or use "
                             "tomblora-capture to render without one\n",
                     SDL_GetError());
        return false;
    }
    // SDL falls back to its offscreen driver on its own; unless that was asked for, nobody would see a thing.
    if (isHeadlessVideoDriver(SDL_GetCurrentVideoDriver()) && !headlessDriverRequested()) {
        std::fprintf(stderr, "no display: only SDL's '%s' video driver is available; run with a display, or use "
                             "tomblora-capture to render without one\n",
                     SDL_GetCurrentVideoDriver());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    gVideoStarted = true;
    return true;
}

bool platformHasRealDisplay() {
    return gVideoStarted && !isHeadlessVideoDriver(SDL_GetCurrentVideoDriver());
}

void desktopClientSize(int32_t& width, int32_t& height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        width = 0;
        height = 0;
        return;
    }
    width = mode.w;
    height = mode.h;
}

PlatformWindow* createWindow(const char* title, int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight) {
    // The visual is chosen when the window is made, so the pixel format is asked for first.
    requestPixelFormat();
    SDL_Window* window = SDL_CreateWindow(title, x, y, clientWidth, clientHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        return nullptr;
    }
    SDL_StartTextInput();
    return new PlatformWindow{window, false, {}};
}

void showWindow(PlatformWindow* window) {
    if (window != nullptr) {
        SDL_ShowWindow(window->window);
    }
}

void setWindowFullscreen(PlatformWindow* window, bool fullscreen) {
    // Done by hand rather than through the window manager's full-screen state, which needs a window manager
    // that honours it: a borderless window over the whole display covers it with or without one.
    if (window == nullptr || window->fullscreen == fullscreen) {
        return;
    }
    SDL_Window* w = window->window;
    if (fullscreen) {
        SDL_GetWindowPosition(w, &window->windowed.x, &window->windowed.y);
        SDL_GetWindowSize(w, &window->windowed.w, &window->windowed.h);
        const int display = SDL_GetWindowDisplayIndex(w);
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(display >= 0 ? display : 0, &desktop) != 0) {
            return;
        }
        SDL_SetWindowBordered(w, SDL_FALSE);
        SDL_SetWindowPosition(w, desktop.x, desktop.y);
        SDL_SetWindowSize(w, desktop.w, desktop.h);
    } else {
        SDL_SetWindowSize(w, window->windowed.w, window->windowed.h);
        SDL_SetWindowBordered(w, SDL_TRUE);
        SDL_SetWindowPosition(w, window->windowed.x, window->windowed.y);
    }
    window->fullscreen = fullscreen;
}

void windowDrawableSize(PlatformWindow* window, int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    if (window != nullptr) {
        int w = 0;
        int h = 0;
        SDL_GL_GetDrawableSize(window->window, &w, &h);
        width = w;
        height = h;
    }
}

void destroyWindow(PlatformWindow* window) {
    if (window != nullptr) {
        SDL_DestroyWindow(window->window);
        delete window;
    }
}

void platformShutdownVideo() {
    if (gVideoStarted) {
        SDL_StopTextInput();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        gVideoStarted = false;
    }
}

const char* platformVideoError() {
    return SDL_GetError();
}

GlContext* GlContext::instance() {
    if (gGlContext == nullptr) {
        gGlContext = new GlContext;
    }
    return gGlContext;
}

void GlContext::destroyInstance() {
    delete gGlContext;
    gGlContext = nullptr;
}

bool GlContext::create(PlatformWindow* window) {
    deviceContext = window;
    if (window == nullptr) {
        return false;
    }
    requestPixelFormat();
    SDL_GLContext context = SDL_GL_CreateContext(window->window);
    renderingContext = context;
    if (context == nullptr) {
        return false;
    }
    pixelFormat = 1;
    return SDL_GL_MakeCurrent(window->window, context) == 0;
}

void GlContext::swapBuffers() {
    if (beforePresent != nullptr) {
        beforePresent(beforePresentUser);
    }
    // Swapping an offscreen (pbuffer) surface does nothing, not even submit the frame's commands: unflushed,
    // the driver's queue kept growing with every frame drawn and never read back.
    glFlush();
    if (deviceContext != nullptr) {
        SDL_GL_SwapWindow(deviceContext->window);
    }
}

void GlContext::release() {
    if (deviceContext != nullptr) {
        SDL_GL_MakeCurrent(deviceContext->window, nullptr);
    }
    if (renderingContext != nullptr) {
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(renderingContext));
        renderingContext = nullptr;
    }
}

void GlContext::setBeforePresent(PresentHook hook, void* user) {
    beforePresent = hook;
    beforePresentUser = user;
}
