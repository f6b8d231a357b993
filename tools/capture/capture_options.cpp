// Parsing of the tomblora-capture command line and the plan of steps and written frames.
#include "capture_options.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

const char kCaptureUsage[] =
    "Usage: tomblora-capture [OPTION]...\n"
    "Renders the production without a display and without real time: every step of a fixed frame rate from\n"
    "0 ms runs exactly as in the demo, and the frames asked for are written. Steps before a written frame\n"
    "are drawn only back to the last one that covers every pixel; the others run without drawing.\n"
    "\n"
    "Outputs (at least one):\n"
    "  --at MS[,MS...]     write these moments (milliseconds) as frame-NNNNNN.png into --out\n"
    "  --sequence DIR      write every step from --from to --to as DIR/frame-NNNNNN.png (NNNNNN = ms)\n"
    "  --video FILE        H.264 video with the soundtrack (AAC), --from to --to, through ffmpeg\n"
    "  --sheet FILE        contact sheet PNG of evenly spaced frames from --from to --to, labelled "
    "mm:ss.mmm\n"
    "\n"
    "Settings:\n"
    "  --archive PATH      archive to play (default: tomblora.salad in the working directory)\n"
    "  --fps N             frame rate of the fixed step, 1 to 1000; N, N.NNN or NUM/DEN (default 60);\n"
    "                      step k is drawn at floor(k * 1000 / fps) ms\n"
    "  --out DIR           folder for --at (default .)\n"
    "  --from MS, --to MS  span for --sequence, --video and --sheet, inclusive (default 0 and 172000)\n"
    "  --sheet-count N     frames on the contact sheet, 1 to 1000 (default 24)\n"
    "  --size WxH          frame size, 32x24 to 7680x4320 (default 320x240): the picture is rendered at\n"
    "                      the largest 4:3 size that fits, centred on black bars (1920x1080: 1440x1080)\n"
    "  --scale N           the same as --size (N x 320)x(N x 240), N from 1 to 8\n"
    "  --marker RRGGBB     fill the colour buffer with this colour before each written frame is drawn,\n"
    "                      so that what the frame leaves uncovered shows\n"
    "  --draw-every-step   draw every step before a written frame too (slow; the same frames)\n"
    "  --help              show this text\n"
    "\n"
    "A moment that falls between two steps is drawn in its place among them and then undone, so that\n"
    "the steps after it are drawn exactly as without it.\n"
    "Ctrl-C (SIGINT) or SIGTERM stops the run between two frames: the frames written so far are kept\n"
    "whole, a video ends with them, and a contact sheet is not written. A second one quits at once.\n"
    "Exit status: 0 done, 1 failure (no display, no ffmpeg, a file not written), 2 bad usage (also an\n"
    "--out or --sequence folder that cannot be made), 130 interrupted, 255 a missing or damaged archive.\n";

namespace {

constexpr uint64_t kMaxRateTerm = 1000000000;
constexpr int32_t kMaxScale = 8;
constexpr uint64_t kMinWidth = 32;
constexpr uint64_t kMinHeight = 24;
constexpr uint64_t kMaxWidth = 7680;
constexpr uint64_t kMaxHeight = 4320;
constexpr int32_t kMaxSheetCount = 1000;

// Decimal digits only, at most `limit`; false on anything else (signs, blanks, overflow).
bool parseUnsigned(const std::string& text, uint64_t limit, uint64_t& value) {
    if (text.empty() || text.size() > 19) {
        return false;
    }
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + uint64_t(c - '0');
    }
    if (result > limit) {
        return false;
    }
    value = result;
    return true;
}

// "N", "N.FFF" (up to three decimals) or "NUM/DEN".
bool parseFrameRate(const std::string& text, FrameRate& rate) {
    uint64_t num = 0;
    uint64_t den = 1;
    size_t slash = text.find('/');
    size_t dot = text.find('.');
    if (slash != std::string::npos) {
        if (!parseUnsigned(text.substr(0, slash), kMaxRateTerm, num) ||
            !parseUnsigned(text.substr(slash + 1), 1000000, den)) {
            return false;
        }
    } else if (dot != std::string::npos) {
        std::string whole = text.substr(0, dot);
        std::string fraction = text.substr(dot + 1);
        uint64_t wholeValue = 0;
        uint64_t fractionValue = 0;
        if (fraction.empty() || fraction.size() > 3 || !parseUnsigned(whole, 1000, wholeValue) ||
            !parseUnsigned(fraction, 999, fractionValue)) {
            return false;
        }
        for (size_t i = 0; i < fraction.size(); ++i) {
            den *= 10;
        }
        num = wholeValue * den + fractionValue;
    } else if (!parseUnsigned(text, kMaxRateTerm, num)) {
        return false;
    }
    if (den == 0 || num < den || num > 1000 * den) {
        return false;
    }
    uint64_t divisor = std::gcd(num, den);
    rate.num = num / divisor;
    rate.den = den / divisor;
    return true;
}

bool parseMilliseconds(const std::string& text, uint32_t& ms) {
    uint64_t value = 0;
    if (!parseUnsigned(text, kProductionEndMs, value)) {
        return false;
    }
    ms = uint32_t(value);
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool parseColour(std::string text, uint8_t rgb[3]) {
    if (!text.empty() && text[0] == '#') {
        text.erase(0, 1);
    }
    if (text.size() != 6) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        int high = hexDigit(text[2 * i]);
        int low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        rgb[i] = uint8_t(high * 16 + low);
    }
    return true;
}

// "WIDTHxHEIGHT" within the limits.
bool parseSize(const std::string& text, int32_t& width, int32_t& height) {
    const size_t x = text.find('x');
    uint64_t w = 0;
    uint64_t h = 0;
    if (x == std::string::npos || !parseUnsigned(text.substr(0, x), kMaxWidth, w) ||
        !parseUnsigned(text.substr(x + 1), kMaxHeight, h) || w < kMinWidth || h < kMinHeight) {
        return false;
    }
    width = int32_t(w);
    height = int32_t(h);
    return true;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string outOfRange(const char* option, const std::string& value, const char* range) {
    return std::string(option) + ": " + quoted(value) + " is not " + range;
}

// Applies one option with its value; returns the reason on a fault, "" otherwise.
std::string applyOption(const std::string& name, const std::string& value, CaptureOptions& options) {
    uint64_t number = 0;
    if (name == "--archive") {
        if (value.empty() || value.size() > 255) {
            return "--archive: the path must be 1 to 255 bytes long";
        }
        options.archive = value;
    } else if (name == "--fps") {
        if (!parseFrameRate(value, options.fps)) {
            return outOfRange("--fps", value, "a frame rate from 1 to 1000 (N, N.NNN or NUM/DEN)");
        }
    } else if (name == "--at") {
        size_t start = 0;
        while (true) {
            size_t comma = value.find(',', start);
            std::string item =
                value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            uint32_t ms = 0;
            if (!parseMilliseconds(item, ms)) {
                return outOfRange("--at", item, "a moment from 0 to 172000 ms");
            }
            options.moments.push_back(ms);
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    } else if (name == "--from" || name == "--to") {
        uint32_t ms = 0;
        if (!parseMilliseconds(value, ms)) {
            return outOfRange(name.c_str(), value, "a time from 0 to 172000 ms");
        }
        (name == "--from" ? options.from : options.to) = ms;
    } else if (name == "--sheet-count") {
        if (!parseUnsigned(value, kMaxSheetCount, number) || number == 0) {
            return outOfRange("--sheet-count", value, "a count from 1 to 1000");
        }
        options.sheetCount = int32_t(number);
    } else if (name == "--scale") {
        if (!parseUnsigned(value, kMaxScale, number) || number == 0) {
            return outOfRange("--scale", value, "a scale from 1 to 8");
        }
        options.width = 320 * int32_t(number);
        options.height = 240 * int32_t(number);
    } else if (name == "--size") {
        if (!parseSize(value, options.width, options.height)) {
            return outOfRange("--size", value, "a size WIDTHxHEIGHT from 32x24 to 7680x4320");
        }
    } else if (name == "--marker") {
        if (!parseColour(value, options.marker)) {
            return outOfRange("--marker", value, "a colour RRGGBB (hexadecimal)");
        }
        options.useMarker = true;
    } else {
        std::string* path = name == "--out"        ? &options.outDir
                            : name == "--sequence" ? &options.sequenceDir
                            : name == "--video"    ? &options.videoFile
                                                   : &options.sheetFile;
        if (value.empty()) {
            return name + ": the path is empty";
        }
        *path = value;
    }
    return "";
}

bool takesValue(const std::string& name) {
    static const char* const kNames[] = {"--archive",  "--fps",         "--at",    "--out",
                                         "--sequence", "--from",        "--to",    "--video",
                                         "--sheet",    "--sheet-count", "--scale", "--size",
                                         "--marker"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* known) { return name == known; });
}

// Faults of the whole command line, once every option is read.
std::string checkTogether(const CaptureOptions& options) {
    bool spans = !options.sequenceDir.empty() || !options.videoFile.empty() || !options.sheetFile.empty();
    if (!spans && options.moments.empty()) {
        return "nothing to do: give --at, --sequence, --video or --sheet";
    }
    if (!options.videoFile.empty() && (options.width % 2 != 0 || options.height % 2 != 0)) {
        return "--video: the size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
               " must have an even width and height (the video's colour is stored at half size)";
    }
    if (options.to < options.from) {
        return "--to (" + std::to_string(options.to) + ") is before --from (" + std::to_string(options.from) +
               ")";
    }
    uint64_t first = 0;
    uint64_t count = 0;
    stepsBetween(options.fps, options.from, options.to, first, count);
    if (spans && count == 0) {
        return "no step of the frame rate falls between --from and --to";
    }
    return "";
}

} // namespace

uint32_t stepTime(uint64_t k, const FrameRate& rate) {
    return uint32_t(k * 1000 * rate.den / rate.num);
}

void stepsBetween(const FrameRate& rate, uint32_t from, uint32_t to, uint64_t& first, uint64_t& count) {
    uint64_t perStep = 1000 * rate.den;
    // stepTime(k) >= from  <=>  k * 1000 * den >= from * num
    first = (uint64_t(from) * rate.num + perStep - 1) / perStep;
    // stepTime(k) <= to  <=>  k * 1000 * den < (to + 1) * num
    uint64_t last = ((uint64_t(to) + 1) * rate.num - 1) / perStep;
    count = last >= first ? last - first + 1 : 0;
}

CaptureOptions parseCaptureArgs(int argc, const char* const* argv, std::string& error) {
    error.clear();
    CaptureOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i] != nullptr ? argv[i] : "";
        if (argument == "--help" || argument == "-h") {
            CaptureOptions help;
            help.help = true;
            return help;
        }
        if (argument == "--draw-every-step") {
            options.drawEveryStep = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        if (!takesValue(name)) {
            error = argument.compare(0, 1, "-") == 0 ? "unknown option " + quoted(argument)
                                                     : "unexpected argument " + quoted(argument);
            return CaptureOptions{};
        }
        if (!inlineValue) {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                error = name + ": a value is missing";
                return CaptureOptions{};
            }
            value = argv[++i];
        }
        error = applyOption(name, value, options);
        if (!error.empty()) {
            return CaptureOptions{};
        }
    }
    std::sort(options.moments.begin(), options.moments.end());
    options.moments.erase(std::unique(options.moments.begin(), options.moments.end()), options.moments.end());
    error = checkTogether(options);
    if (!error.empty()) {
        return CaptureOptions{};
    }
    return options;
}

CapturePlan planCapture(const CaptureOptions& options) {
    CapturePlan plan;
    bool spans = !options.sequenceDir.empty() || !options.videoFile.empty() || !options.sheetFile.empty();
    uint32_t lastNeeded = options.moments.empty() ? 0 : options.moments.back();
    uint64_t first = 0;
    uint64_t count = 0;
    if (spans) {
        stepsBetween(options.fps, options.from, options.to, first, count);
        lastNeeded = std::max(lastNeeded, options.to);
    }

    std::vector<uint64_t> sheetSteps;
    if (!options.sheetFile.empty() && count > 0) {
        uint64_t cells = std::min<uint64_t>(uint64_t(options.sheetCount), count);
        for (uint64_t i = 0; i < cells; ++i) {
            sheetSteps.push_back(first + (cells == 1 ? 0 : i * (count - 1) / (cells - 1)));
            plan.sheetTimes.push_back(stepTime(sheetSteps.back(), options.fps));
        }
    }
    if (!options.videoFile.empty()) {
        plan.videoFrames = count;
    }

    size_t nextMoment = 0;
    size_t nextSheet = 0;
    for (uint64_t k = 0;; ++k) {
        uint32_t t = stepTime(k, options.fps);
        bool isStep = t <= lastNeeded;
        // Moments between the previous step and this one are drawn in their place.
        while (nextMoment < options.moments.size() && (!isStep || options.moments[nextMoment] < t)) {
            PlannedFrame moment;
            moment.time = options.moments[nextMoment++];
            moment.moment = true;
            moment.between = true;
            plan.frames.push_back(moment);
        }
        if (!isStep) {
            break;
        }
        PlannedFrame frame;
        frame.time = t;
        if (nextMoment < options.moments.size() && options.moments[nextMoment] == t) {
            frame.moment = true;
            ++nextMoment;
        }
        bool inSpan = spans && k >= first && k < first + count;
        frame.sequence = inSpan && !options.sequenceDir.empty();
        frame.video = inSpan && !options.videoFile.empty();
        while (nextSheet < sheetSteps.size() && sheetSteps[nextSheet] == k) {
            frame.sheet = true;
            ++nextSheet;
        }
        plan.frames.push_back(frame);
    }
    return plan;
}

uint64_t CapturePlan::writtenFrames() const {
    return uint64_t(std::count_if(frames.begin(), frames.end(), [](const PlannedFrame& f) { return f.written(); }));
}

std::string formatClock(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, (ms / 1000) % 60, ms % 1000);
    return text;
}
