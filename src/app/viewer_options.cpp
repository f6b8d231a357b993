// Parsing of the demo's command line.
#include "app/viewer_options.h"

const char kViewerUsage[] =
    "Usage: tomblora [OPTION]...\n"
    "Plays the production. Without options: the original 320 x 240 window, where only Escape (quit),\n"
    "m (music on and off) and the close box do anything. Any option below turns on the viewer keys.\n"
    "\n"
    "Options:\n"
    "  --fullscreen        cover the desktop (no video mode change); the picture is rendered at the\n"
    "                      largest 4:3 size that fits, centred on black bars\n"
    "  --window-scale N    a window of N x 320 by N x 240 pixels, N from 1 to 8, rendered at that size\n"
    "  --start TIME        start at TIME: milliseconds (150000) or minutes:seconds (2:30, 2:30.250),\n"
    "                      0 to 172000 ms\n"
    "  --mute              start with the music muted\n"
    "  --controls          the viewer keys in the plain 320 x 240 window\n"
    "  --help              show this text\n"
    "\n"
    "Viewer keys:\n"
    "  F11, Alt+Enter      switch between the window and full screen\n"
    "  Space               pause and resume the picture and the music\n"
    "  Left, Right         5 seconds back, 5 seconds forward (within 0 to 172000 ms)\n"
    "  Home                back to the start\n"
    "  m                   music on and off;  Escape: quit\n"
    "\n"
    "Exit status: 0 done, 1 no display, 2 bad usage, 255 a missing or damaged tomblora.salad.\n";

namespace {

constexpr uint32_t kEndMs = 172000;
constexpr int32_t kMaxWindowScale = 8;

// Decimal digits only (at least one, at most `maxDigits`); no signs or blanks.
bool parseDigits(const std::string& text, size_t maxDigits, uint64_t& value) {
    if (text.empty() || text.size() > maxDigits) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

} // namespace

bool parseMoment(const std::string& text, uint32_t& ms) {
    uint64_t total = 0;
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        if (!parseDigits(text, 10, total)) return false;
    } else {
        uint64_t minutes = 0, seconds = 0, fraction = 0;
        const std::string secondsPart = text.substr(colon + 1);
        const size_t dot = secondsPart.find('.');
        const std::string wholeSeconds = secondsPart.substr(0, dot);
        if (!parseDigits(text.substr(0, colon), 6, minutes) || !parseDigits(wholeSeconds, 2, seconds) ||
            wholeSeconds.size() != 2 || seconds > 59) {
            return false;
        }
        if (dot != std::string::npos) {
            // ".5" is half a second: the decimals are padded to milliseconds.
            const std::string decimals = secondsPart.substr(dot + 1);
            if (!parseDigits(decimals, 3, fraction)) return false;
            for (size_t i = decimals.size(); i < 3; ++i) fraction *= 10;
        }
        total = minutes * 60000 + seconds * 1000 + fraction;
    }
    if (total > UINT32_MAX) return false;
    ms = static_cast<uint32_t>(total);
    return true;
}

ViewerOptions parseViewerArgs(int argc, const char* const* argv, std::string& error) {
    ViewerOptions options;
    error.clear();
    auto fail = [&](const std::string& reason) {
        error = reason;
        return ViewerOptions{};
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--window-scale" || arg == "--start";
        if (takesValue && i + 1 >= argc) return fail("option '" + arg + "' needs a value");
        const std::string value = takesValue ? argv[++i] : "";
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
        } else if (arg == "--window-scale") {
            uint64_t scale = 0;
            if (!parseDigits(value, 2, scale) || scale < 1 || scale > kMaxWindowScale) {
                return fail("--window-scale '" + value + "': give a whole number from 1 to 8");
            }
            options.windowScale = static_cast<int32_t>(scale);
        } else if (arg == "--start") {
            if (!parseMoment(value, options.startMs)) {
                return fail("--start '" + value + "': give milliseconds (150000) or minutes:seconds (2:30.250)");
            }
            if (options.startMs > kEndMs) {
                return fail("--start '" + value + "' is past the end of the production (172000 ms, 2:52)");
            }
        } else if (arg == "--mute") {
            options.mute = true;
        } else if (arg == "--controls") {
        } else {
            return fail("unknown option '" + arg + "'");
        }
        options.controls = true;
    }
    return options;
}
