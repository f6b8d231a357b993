// The message pump and the window procedure: the window messages the program handles.
#include "platform/platform.h"
#include "platform/win32/win32.h"

namespace {

WindowProc gTarget = nullptr;

void deliver(MessageType type, uint32_t param) {
    if (gTarget != nullptr) {
        gTarget(WindowMessage{type, param});
    }
}

} // namespace

void win32SetMessageTarget(WindowProc proc) {
    gTarget = proc;
}

LRESULT CALLBACK win32WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        deliver(MessageType::Destroy, 0);
        return 0;
    case WM_KEYDOWN: {
        // Virtual-key codes are the program's key codes. A held key repeats only the arrows: a held Space or
        // F11 would flip the pause or the full screen over and over. Bit 30: the key was down already.
        const auto key = static_cast<uint32_t>(wParam);
        const bool repeat = (lParam & (LPARAM(1) << 30)) != 0;
        if (!repeat || key == kKeyLeft || key == kKeyRight) {
            deliver(MessageType::KeyDown, key);
        }
        break;
    }
    case WM_SYSKEYDOWN:
        // Alt+Enter; left to the default procedure, it would beep for a menu the window does not have.
        if (wParam == VK_RETURN) {
            if ((lParam & (LPARAM(1) << 30)) == 0) {
                deliver(MessageType::SysKeyDown, kKeyReturn);
            }
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == '\r') {
            return 0;
        }
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            deliver(MessageType::Resized, 0);
        }
        break;
    case WM_CHAR:
        deliver(MessageType::Char, static_cast<uint32_t>(wParam));
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool pumpMessages(WindowProc proc) {
    gTarget = proc;
    bool quitTaken = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitTaken = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (takeQuitSignal()) {
        quitTaken = true;
    }
    return quitTaken;
}

void postQuitMessage() {
    PostQuitMessage(0);
}
