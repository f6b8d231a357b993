// The demo's command line: the viewer options of tomblora, shared by every backend's entry point.
#pragma once

#include <cstdint>
#include <string>

struct ViewerOptions {
    bool help = false;
    // The viewer keys (full screen, pause, seek). On with any option; off without one, so that the program
    // started plainly behaves as it always has and a stray key press cannot pause a show.
    bool controls = false;
    bool fullscreen = false;
    int32_t windowScale = 1; // the window is windowScale x 320 by windowScale x 240
    uint32_t startMs = 0;    // demo time to start at
    bool mute = false;
};

// Reads argv[1..argc-1]. On a usage fault returns default options and sets error to the reason (the caller
// exits with 2); error is empty on success.
ViewerOptions parseViewerArgs(int argc, const char* const* argv, std::string& error);

// A moment as milliseconds ("150000") or minutes and seconds ("2:30", "02:30.250"; up to three decimals).
// False on anything else, and on moments past 4294967295 ms.
bool parseMoment(const std::string& text, uint32_t& ms);

// The --help text.
extern const char kViewerUsage[];
