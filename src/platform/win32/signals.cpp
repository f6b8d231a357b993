// Ctrl-C, Ctrl-Break and closing the console as a quit request: the handler raises a flag, which the
// message pump turns into the quit message, so the run ends through the normal shutdown.
#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <atomic>

namespace {

std::atomic<bool> gQuitSignalled{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        gQuitSignalled.store(true);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the process as soon as this returns; waiting here lets the main thread shut down
        // first (its exit ends this thread too). The system gives up waiting after a few seconds.
        gQuitSignalled.store(true);
        Sleep(10000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void catchQuitSignals() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool takeQuitSignal() {
    return gQuitSignalled.exchange(false);
}
