// The console: a GUI-subsystem program attaches to the console it was started from, and the per-frame lines
// are rewritten in place at its top.
#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <cstdio>
#include <cstring>

namespace {

bool gFrameLinesEnabled = true;

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool isUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Standard streams that were redirected keep their files; the others go to the parent's console, if any.
struct ConsoleAttachment {
    ConsoleAttachment() {
        const bool outUsable = isUsable(GetStdHandle(STD_OUTPUT_HANDLE));
        const bool errUsable = isUsable(GetStdHandle(STD_ERROR_HANDLE));
        if (outUsable && errUsable) {
            return;
        }
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
            return;
        }
        if (!outUsable && std::freopen("CONOUT$", "w", stdout) != nullptr) {
            std::setvbuf(stdout, nullptr, _IOFBF, 4096);
        }
        if (!errUsable) {
            std::freopen("CONOUT$", "w", stderr);
            std::setvbuf(stderr, nullptr, _IONBF, 0);
        }
    }
};

ConsoleAttachment gAttachment;

} // namespace

bool consoleIsTerminal() {
    return isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

void consoleSetFrameLinesEnabled(bool enabled) {
    gFrameLinesEnabled = enabled;
}

void consoleWriteFrameLines(const char* text) {
    // A log file would grow by two lines a millisecond; only a console gets them.
    if (!gFrameLinesEnabled || text == nullptr) {
        return;
    }
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!isConsole(out) || !GetConsoleScreenBufferInfo(out, &info)) {
        return;
    }
    std::fflush(stdout);
    SetConsoleCursorPosition(out, COORD{0, 0});
    // Blanking the rest of each line keeps a shorter text from leaving stale characters behind.
    const char* line = text;
    SHORT row = 0;
    for (;;) {
        const char* newline = std::strchr(line, '\n');
        const DWORD length = newline != nullptr ? DWORD(newline - line) : DWORD(std::strlen(line));
        DWORD written = 0;
        WriteConsoleA(out, line, length, &written, nullptr);
        const SHORT end = SHORT(length < DWORD(info.dwSize.X) ? length : info.dwSize.X);
        FillConsoleOutputCharacterA(out, ' ', DWORD(info.dwSize.X - end), COORD{end, row}, &written);
        if (newline == nullptr) {
            break;
        }
        ++row;
        SetConsoleCursorPosition(out, COORD{0, row});
        line = newline + 1;
    }
}
