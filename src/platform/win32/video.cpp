// The window of class "ES1", its device context and the WGL rendering context on it.
#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <cstdio>

struct PlatformWindow {
    HWND window;
    HDC deviceContext;
    bool fullscreen = false;
    RECT windowed = {}; // the captioned window's outer rectangle, for the way back
};

namespace {

constexpr wchar_t kClassName[] = L"ES1";
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;

GlContext* gGlContext = nullptr;
bool gClassRegistered = false;

std::wstring toWide(const char* text) {
    std::wstring wide;
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length > 0) {
        wide.resize(size_t(length));
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
        wide.resize(size_t(length - 1));
    }
    return wide;
}

} // namespace

std::wstring win32Wide(const char* text) {
    return toWide(text != nullptr ? text : "");
}

const char* platformVideoError() {
    static char text[48];
    std::snprintf(text, sizeof text, "Windows error %lu", GetLastError());
    return text;
}

bool platformInitVideo() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = win32WindowProc;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    // An earlier run's class (the capture tool may start twice) is no failure.
    gClassRegistered = RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    if (!gClassRegistered) {
        std::fprintf(stderr, "no display: the window class could not be registered (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

bool platformHasRealDisplay() {
    return gClassRegistered;
}

void desktopClientSize(int32_t& width, int32_t& height) {
    RECT desktop{};
    if (!GetClientRect(GetDesktopWindow(), &desktop)) {
        width = 0;
        height = 0;
        return;
    }
    width = desktop.right;
    height = desktop.bottom;
}

PlatformWindow* createWindow(const char* title, int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight) {
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, kWindowStyle, FALSE);
    HWND window = CreateWindowExW(0, kClassName, win32Wide(title).c_str(), kWindowStyle, x, y, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no display: the window could not be created (error %lu)\n", GetLastError());
        return nullptr;
    }
    return new PlatformWindow{window, GetDC(window), false, {}};
}

void showWindow(PlatformWindow* window) {
    if (window != nullptr) {
        ShowWindow(window->window, SW_SHOWNORMAL);
        UpdateWindow(window->window);
    }
}

void setWindowFullscreen(PlatformWindow* window, bool fullscreen) {
    // A borderless popup over the whole monitor: the display mode is never changed.
    if (window == nullptr || window->fullscreen == fullscreen) {
        return;
    }
    HWND hwnd = window->window;
    const LONG_PTR visible = GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE;
    if (fullscreen) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetWindowRect(hwnd, &window->windowed) ||
            !GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            return;
        }
        const RECT& area = monitor.rcMonitor;
        SetWindowLongPtrW(hwnd, GWL_STYLE, LONG_PTR(WS_POPUP) | visible);
        SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
        const RECT& area = window->windowed;
        SetWindowLongPtrW(hwnd, GWL_STYLE, LONG_PTR(kWindowStyle) | visible);
        SetWindowPos(hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
    }
    window->fullscreen = fullscreen;
}

void windowDrawableSize(PlatformWindow* window, int32_t& width, int32_t& height) {
    RECT client{};
    if (window == nullptr || !GetClientRect(window->window, &client)) {
        width = 0;
        height = 0;
        return;
    }
    width = client.right - client.left;
    height = client.bottom - client.top;
}

void destroyWindow(PlatformWindow* window) {
    if (window == nullptr) {
        return;
    }
    if (IsWindow(window->window)) {
        ReleaseDC(window->window, window->deviceContext);
        // Destroying sends the destroy message; nobody pumps for it any more, so it quits nothing.
        win32SetMessageTarget(nullptr);
        DestroyWindow(window->window);
    }
    delete window;
}

void platformShutdownVideo() {
    if (gClassRegistered) {
        UnregisterClassW(kClassName, nullptr);
        gClassRegistered = false;
    }
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
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.cDepthBits = 16;
    HDC dc = window->deviceContext;
    pixelFormat = ChoosePixelFormat(dc, &descriptor);
    if (pixelFormat == 0 || !SetPixelFormat(dc, pixelFormat, &descriptor)) {
        std::fprintf(stderr, "no GL context: no pixel format fits (error %lu)\n", GetLastError());
        return false;
    }
    HGLRC context = wglCreateContext(dc);
    renderingContext = context;
    if (context == nullptr) {
        std::fprintf(stderr, "no GL context: wglCreateContext failed (error %lu)\n", GetLastError());
        return false;
    }
    return wglMakeCurrent(dc, context) != FALSE;
}

void GlContext::swapBuffers() {
    if (beforePresent != nullptr) {
        beforePresent(beforePresentUser);
    }
    if (deviceContext != nullptr) {
        SwapBuffers(deviceContext->deviceContext);
    }
}

void GlContext::release() {
    wglMakeCurrent(nullptr, nullptr);
    if (renderingContext != nullptr) {
        wglDeleteContext(static_cast<HGLRC>(renderingContext));
        renderingContext = nullptr;
    }
}

void GlContext::setBeforePresent(PresentHook hook, void* user) {
    beforePresent = hook;
    beforePresentUser = user;
}
