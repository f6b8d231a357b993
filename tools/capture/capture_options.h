// Command line of tomblora-capture and the plan of frames it draws; pure, no GL, so tests and fuzzers reach
// it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Last demo time that the production draws (milliseconds).
constexpr uint32_t kProductionEndMs = 172000;

// A frame rate num / den per second, in lowest terms; 1 to 1000 frames per second.
struct FrameRate {
    uint64_t num = 60;
    uint64_t den = 1;
};

// Demo time of step k: floor(k * 1000 * den / num) milliseconds, in exact integer arithmetic.
uint32_t stepTime(uint64_t k, const FrameRate& rate);

struct CaptureOptions {
    bool help = false;
    std::string archive = "tomblora.salad";
    FrameRate fps;
    std::vector<uint32_t> moments; // --at, sorted, without repeats
    std::string outDir = ".";
    std::string sequenceDir; // empty: no sequence
    std::string videoFile;   // empty: no video
    std::string sheetFile;   // empty: no sheet
    int32_t sheetCount = 24;
    uint32_t from = 0;
    uint32_t to = kProductionEndMs;
    int32_t width = 320; // frame size in pixels (--size, or --scale N for N x 320 by N x 240)
    int32_t height = 240;
    bool drawEveryStep = false; // draw every step before a written frame, not only what can show in it
    bool useMarker = false;
    uint8_t marker[3] = {0, 0, 0};
};

// Reads argv[1..argc-1]. On a usage fault returns default options and sets error to the reason (the caller
// exits with 2); error is empty on success. --help wins over everything after it is seen.
CaptureOptions parseCaptureArgs(int argc, const char* const* argv, std::string& error);

// The --help text.
extern const char kCaptureUsage[];
// Exit status of a run stopped by SIGINT or SIGTERM (128 + SIGINT, as shells report it).
constexpr int kExitInterrupted = 130;

// One frame the tool draws, and what it is written to.
struct PlannedFrame {
    uint32_t time = 0; // demo time, ms
    bool moment = false;
    bool between = false; // a moment off the step grid: drawn, then undone, so later steps do not see it
    bool sequence = false;
    bool video = false;
    bool sheet = false;
    bool written() const { return moment || sequence || video || sheet; }
};

struct CapturePlan {
    // Every frame in drawing order: the steps from 0 ms up to the last one needed, with --at moments that
    // fall between steps drawn in their place (and undone afterwards).
    std::vector<PlannedFrame> frames;
    // Times of the contact sheet's cells, left to right and top to bottom.
    std::vector<uint32_t> sheetTimes;
    // Frames of the video (steps from --from to --to).
    uint64_t videoFrames = 0;
    uint64_t writtenFrames() const;
};

CapturePlan planCapture(const CaptureOptions& options);

// Steps k with from <= stepTime(k) <= to: first k and count (count 0 when none).
void stepsBetween(const FrameRate& rate, uint32_t from, uint32_t to, uint64_t& first, uint64_t& count);

// "01:23.456" for 83456 ms.
std::string formatClock(uint32_t ms);
