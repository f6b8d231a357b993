// The per-frame console lines, rewritten in place at the top of a terminal.
#include "platform/platform.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

bool gFrameLinesEnabled = true;

} // namespace

bool consoleIsTerminal() {
    return isatty(fileno(stdout)) != 0;
}

void consoleSetFrameLinesEnabled(bool enabled) {
    gFrameLinesEnabled = enabled;
}

void consoleWriteFrameLines(const char* text) {
    // A log file would grow by two lines a millisecond; only a terminal gets them.
    if (!gFrameLinesEnabled || text == nullptr || !consoleIsTerminal()) {
        return;
    }
    std::fputs("\x1b[H", stdout);
    // Erasing to the end of each line keeps a shorter text from leaving stale characters behind.
    const char* line = text;
    while (const char* newline = std::strchr(line, '\n')) {
        std::fwrite(line, 1, static_cast<size_t>(newline - line), stdout);
        std::fputs("\x1b[K\n", stdout);
        line = newline + 1;
    }
    if (*line != '\0') {
        std::fputs(line, stdout);
        std::fputs("\x1b[K", stdout);
    }
    std::fflush(stdout);
}
