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
    case WM_KEYDOWN:
        // Virtual-key codes; Escape is 0x1B as on every platform.
        deliver(MessageType::KeyDown, static_cast<uint32_t>(wParam));
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
