// Entry point of the demo.
#include "app/app.h"
#include "app/viewer_options.h"

#include <cstdio>
#include <exception>
#include <new>
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
    // Whatever start-up or a frame throws ends the run with a message, never with an abort.
    try {
        return runDemo(options);
    } catch (const std::bad_alloc&) {
        fatalError("out of memory");
    } catch (const std::exception& failure) {
        fatalError((std::string("unexpected failure: ") + failure.what()).c_str());
    }
}
