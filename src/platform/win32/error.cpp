// Error reports: standard error always, and the "ERROR" message box.
#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Tests and the capture tool ask for a run without a display through SDL_VIDEODRIVER on every system; a box
// nobody can dismiss would hang them.
bool headlessRequested() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver != nullptr && (_stricmp(driver, "offscreen") == 0 || _stricmp(driver, "dummy") == 0);
}

} // namespace

void showErrorBox(const char* text) {
    const char* message = text != nullptr ? text : "";
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    if (!headlessRequested()) {
        MessageBoxW(nullptr, win32Wide(message).c_str(), L"ERROR", MB_ICONERROR);
    }
}

void fatalError(const char* text) {
    showErrorBox(text);
    std::exit(-1);
}
