// Entry point of the demo.
#include "app/app.h"
#include "app/viewer_options.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string error;
    const ViewerOptions options = parseViewerArgs(argc, argv, error);
    if (!error.empty()) {
        std::fprintf(stderr, "tomblora: %s\nTry 'tomblora --help' for more information.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kViewerUsage, stdout);
        return 0;
    }
    return runDemo(options);
}
