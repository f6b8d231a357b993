// Error reports: standard error always, a message box when a real display is up.
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

void showErrorBox(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

void fatalError(const char* text) {
    showErrorBox(text);
    std::exit(-1);
}
