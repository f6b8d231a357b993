// tomblora-capture run as a subprocess on a tiny production: determinism, markers, sheets, scale, video,
// faults.
#include "test_production.h"

#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const uint8_t kMarker[3] = {255, 0, 255};

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb; // top row first
    const uint8_t* at(int32_t x, int32_t y) const {
        return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

struct ToolRun {
    int exitCode = -1; // -1 when the program did not exit by itself
    int signal = 0;    // the signal that ended it, if one did
    std::string out;
    std::string err;
};

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs a command line in folder, capturing both output streams.
ToolRun runCommand(const std::vector<std::string>& words, const fs::path& folder) {
    std::string command = "cd " + shellQuoted(folder.string()) + " &&";
    for (const std::string& word : words) {
        command += " " + shellQuoted(word);
    }
    fs::path out = folder / "tool.out";
    fs::path err = folder / "tool.err";
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readText(out);
    run.err = readText(err);
    return run;
}

ToolRun runCapture(const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> words = {TOMBLORA_CAPTURE_PATH};
    words.insert(words.end(), args.begin(), args.end());
    return runCommand(words, folder);
}

bool programExists(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

Image readPng(const fs::path& path) {
    std::string bytes = readText(path);
    Image image;
    DecodedImage decoded;
    if (!decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 3, decoded)) {
        ADD_FAILURE() << "not a PNG: " << path;
        return image;
    }
    image.width = decoded.width;
    image.height = decoded.height;
    image.rgb.assign(decoded.pixels, decoded.pixels + size_t(decoded.width) * size_t(decoded.height) * 3);
    freeDecodedImage(decoded);
    return image;
}

bool sameColour(const uint8_t* pixel, const uint8_t colour[3]) {
    return pixel[0] == colour[0] && pixel[1] == colour[1] && pixel[2] == colour[2];
}

int64_t countColour(const Image& image, const uint8_t colour[3]) {
    int64_t count = 0;
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        count += sameColour(&image.rgb[i], colour) ? 1 : 0;
    }
    return count;
}

std::string describeRun(const ToolRun& run) {
    return "exit " + std::to_string(run.exitCode) + "\nstderr:\n" + run.err.substr(0, 2000);
}

int64_t countDifferences(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) {
        return -1;
    }
    int64_t count = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        count += std::equal(&a.rgb[i], &a.rgb[i] + 3, &b.rgb[i]) ? 0 : 1;
    }
    return count;
}

// Pixels in rows top..bottom and columns left..right (inclusive) that differ from colour.
int64_t countOtherThan(const Image& image, const uint8_t colour[3], int32_t left, int32_t top, int32_t right,
                       int32_t bottom) {
    int64_t count = 0;
    for (int32_t y = top; y <= bottom; ++y) {
        for (int32_t x = left; x <= right; ++x) {
            count += sameColour(image.at(x, y), colour) ? 0 : 1;
        }
    }
    return count;
}

std::vector<std::string> fileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string frameName(uint32_t ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", ms);
    return name;
}

// A number that ffprobe printed as KEY=VALUE, or -1.
double probeValue(const std::string& out, const std::string& key) {
    size_t at = out.find(key + "=");
    return at == std::string::npos ? -1.0 : std::atof(out.c_str() + at + key.size() + 1);
}

// The tool started in a process group of its own, as a shell starts a job, with its output streams in
// folder/tool.out and folder/tool.err. Its process id, which is also the group's, or -1.
pid_t startCaptureJob(const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> words = {TOMBLORA_CAPTURE_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out = (folder / "tool.out").string(), err = (folder / "tool.err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The working folder is the test's, as for runCapture: relative paths land there.
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    fs::current_path(previous);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

// Waits up to a minute for ready() to hold; false if it never did.
template <typename Ready> bool waitUntil(Ready ready) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Waits for the job to end; one that is still running after a minute is killed and reported as exit -1.
ToolRun waitForJob(pid_t child, const fs::path& folder) {
    int status = 0;
    const bool ended = waitUntil([&] { return waitpid(child, &status, WNOHANG) == child; });
    if (!ended) {
        kill(-child, SIGKILL);
        waitpid(child, &status, 0);
        status = -1;
    }
    ToolRun run;
    run.exitCode = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = ended && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.out = readText(folder / "tool.out");
    run.err = readText(folder / "tool.err");
    return run;
}

size_t countFiles(const fs::path& folder) {
    std::error_code ignored;
    if (!fs::is_directory(folder, ignored)) return 0;
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// What ffprobe counts in each stream of a video: all of its report, and the parts of the video and the audio
// stream (empty when the stream is missing).
struct StreamCounts {
    ToolRun probe;
    std::string video;
    std::string audio;
};

StreamCounts countStreams(const fs::path& folder, const std::string& file) {
    StreamCounts counts;
    counts.probe =
        runCommand({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                    "stream=codec_type,nb_read_frames,duration", "-of", "default=noprint_wrappers=1", file},
                   folder);
    const std::string& out = counts.probe.out;
    size_t audioAt = out.find("codec_type=audio");
    size_t videoAt = out.find("codec_type=video");
    if (videoAt != std::string::npos) {
        counts.video = out.substr(videoAt, audioAt > videoAt ? audioAt - videoAt : std::string::npos);
    }
    if (audioAt != std::string::npos) {
        counts.audio = out.substr(audioAt, videoAt > audioAt ? videoAt - audioAt : std::string::npos);
    }
    return counts;
}

// One production for the whole suite; every test works in a folder of its own under it.
class CaptureToolTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/tomblora-capture-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        suiteFolder = pattern;
        std::string error;
        // The tool plays no sound, so any bytes do for the soundtrack here.
        ASSERT_TRUE(
            writeTestProduction((suiteFolder / "tomblora.salad").string(), {'n', 'o', 'n', 'e'}, error))
            << error;
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(suiteFolder, ignored);
    }
    void SetUp() override {
        folder = suiteFolder / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(folder);
        fs::copy_file(suiteFolder / "tomblora.salad", folder / "tomblora.salad");
    }

    // A production of this test's own whose soundtrack is a real Ogg Vorbis tone, made by ffmpeg itself.
    void useToneSoundtrack(int seconds) {
        ToolRun made = runCommand({"ffmpeg", "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                   "sine=frequency=440:duration=" + std::to_string(seconds), "-ac", "2",
                                   "-c:a", "libvorbis", "tone.ogg"},
                                  folder);
        ASSERT_EQ(made.exitCode, 0) << made.err;
        std::string tone = readText(folder / "tone.ogg");
        std::string error;
        ASSERT_TRUE(writeTestProduction((folder / "tomblora.salad").string(),
                                        std::vector<uint8_t>(tone.begin(), tone.end()), error))
            << error;
    }

    // A minute of video started as a job, once ffmpeg has made the file (after encoding the first frames).
    // After the last frame ffmpeg still encodes the sound to the end of the span: a minute keeps that short.
    void startVideoJob(pid_t& job) {
        ASSERT_NO_FATAL_FAILURE(useToneSoundtrack(70));
        job = startCaptureJob({"--scale", "2", "--to", "60000", "--video", "clip.mp4"}, folder);
        ASSERT_GT(job, 0);
        ASSERT_TRUE(waitUntil([&] { return fs::exists(folder / "clip.mp4"); }));
    }

    // Runs the tool in this test's folder and expects success.
    void capture(const std::vector<std::string>& args) {
        ToolRun run = runCapture(args, folder);
        ASSERT_EQ(run.exitCode, 0) << describeRun(run);
    }

    static fs::path suiteFolder;
    fs::path folder;
};

fs::path CaptureToolTest::suiteFolder;

TEST_F(CaptureToolTest, MomentsAreRepeatableAndIndependentOfTheirOrder) {
    // 2000 (Part A) and 80000 (Part C, where frames build on the last one) are steps at 10 fps.
    capture({"--fps", "10", "--at", "80000,2000", "--out", "first"});
    capture({"--fps", "10", "--at", "2000,80000", "--out", "second"});
    capture({"--fps", "10", "--at", "80000", "--out", "alone"});
    for (const char* name : {"frame-002000.png", "frame-080000.png"}) {
        std::string first = readText(folder / "first" / name);
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, readText(folder / "second" / name)) << name;
    }
    EXPECT_EQ(readText(folder / "first" / "frame-080000.png"),
              readText(folder / "alone" / "frame-080000.png"));
    EXPECT_EQ(readText(folder / "second" / "frame-080000.png"),
              readText(folder / "alone" / "frame-080000.png"));
}

TEST_F(CaptureToolTest, FramesAreTheDemosPictureTopRowFirst) {
    capture({"--fps", "10", "--at", "2000"});
    Image frame = readPng(folder / "frame-002000.png");
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 240);
    // Part A's background fills the corners; the credits line lies 198 to 206 pixels above the bottom edge,
    // that is image rows 34 to 41 counted from the top, starting 8 pixels from the left.
    EXPECT_TRUE(sameColour(frame.at(0, 0), kTitleBackground));
    EXPECT_TRUE(sameColour(frame.at(319, 239), kTitleBackground));
    int32_t textPixels = 0;
    int32_t mirroredTextPixels = 0;
    for (int32_t y = 34; y <= 41; ++y) {
        for (int32_t x = 8; x < 40; ++x) {
            textPixels += sameColour(frame.at(x, y), kTitleBackground) ? 0 : 1;
            mirroredTextPixels += sameColour(frame.at(x, 239 - y), kTitleBackground) ? 0 : 1;
        }
    }
    EXPECT_GT(textPixels, 100);
    EXPECT_EQ(mirroredTextPixels, 0);
}

TEST_F(CaptureToolTest, SequenceHoldsEveryStepOfTheSpanAsTheMomentsDo) {
    capture({"--fps", "10", "--sequence", "seq", "--from", "79900", "--to", "80000"});
    capture({"--fps", "10", "--at", "80000", "--out", "moment"});
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "seq")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame-079900.png", "frame-080000.png"}));
    EXPECT_EQ(readText(folder / "seq" / "frame-080000.png"),
              readText(folder / "moment" / "frame-080000.png"));
}

TEST_F(CaptureToolTest, MarkerShowsWhatAFrameLeavesUncovered) {
    capture({"--fps", "10", "--marker", "ff00ff", "--at", "2000,80000", "--out", "marked"});
    capture({"--fps", "10", "--at", "80000", "--out", "plain"});
    const int64_t all = 320 * 240;
    // Part A's background covers the whole screen; Part C outside its background windows draws only models.
    EXPECT_EQ(countColour(readPng(folder / "marked" / "frame-002000.png"), kMarker), 0);
    int64_t uncovered = countColour(readPng(folder / "marked" / "frame-080000.png"), kMarker);
    EXPECT_GT(uncovered, all / 2);
    EXPECT_LT(uncovered, all);
    EXPECT_EQ(countColour(readPng(folder / "plain" / "frame-080000.png"), kMarker), 0);
}

TEST_F(CaptureToolTest, UncoveredFramesMatchDrawingEveryStep) {
    // Here Part C outside its background windows and Part D cover nothing whole, so the pre-roll must draw
    // back to a covering frame (the marker under each written frame carries over as well); 100050 and
    // 171050 fall between steps.
    const std::vector<std::string> moments = {"75000", "100050", "150000", "171000", "171050"};
    std::string at;
    for (const std::string& ms : moments) at += (at.empty() ? "" : ",") + ms;
    capture({"--fps", "10", "--marker", "202020", "--at", at, "--out", "skipped"});
    capture({"--fps", "10", "--marker", "202020", "--at", at, "--out", "drawn", "--draw-every-step"});
    for (const std::string& ms : moments) {
        const std::string name = frameName(uint32_t(std::stoul(ms)));
        EXPECT_EQ(readText(folder / "skipped" / name), readText(folder / "drawn" / name)) << ms << " ms";
    }
}

TEST_F(CaptureToolTest, SheetIsLabelledAndLabelsStayOutOfTheNextFrame) {
    // The sheet's last cell is 80000; 80100 is the next step and builds on it (no background in Part C then).
    capture({"--fps", "10", "--sheet", "sheet.png", "--from", "79000", "--to", "80000", "--sheet-count", "3",
             "--at", "80100,80000", "--out", "with-sheet"});
    capture({"--fps", "10", "--at", "80100,80000", "--out", "without"});
    EXPECT_EQ(readText(folder / "with-sheet" / "frame-080100.png"),
              readText(folder / "without" / "frame-080100.png"));

    Image sheet = readPng(folder / "sheet.png");
    Image last = readPng(folder / "without" / "frame-080000.png");
    // Three cells in one row: 4-pixel gaps around 320 x 240 cells, each with a label strip below it.
    ASSERT_EQ(sheet.width, 4 + 3 * (320 + 4));
    ASSERT_GT(sheet.height, 4 + 240 + 4);
    int32_t cellX = 4 + 2 * (320 + 4);
    int32_t mismatches = 0;
    for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            mismatches += std::equal(last.at(x, y), last.at(x, y) + 3, sheet.at(cellX + x, 4 + y)) ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatches, 0);
    // "01:20.000" in the block font: solid label-coloured pixels under the cell, none in the gap above it.
    const uint8_t labelColour[3] = {255, 214, 64};
    int32_t labelPixels = 0;
    for (int32_t y = 4 + 240; y < sheet.height; ++y) {
        for (int32_t x = cellX; x < cellX + 320; ++x) {
            labelPixels += sameColour(sheet.at(x, y), labelColour) ? 1 : 0;
        }
    }
    EXPECT_GT(labelPixels, 9 * 6 * 8 / 2);
}

TEST_F(CaptureToolTest, LargerSizesRenderTheSamePictureNatively) {
    capture({"--fps", "10", "--at", "2000", "--out", "single"});
    capture({"--fps", "10", "--at", "2000", "--out", "double", "--scale", "2"});
    Image single = readPng(folder / "single" / "frame-002000.png");
    Image twice = readPng(folder / "double" / "frame-002000.png");
    ASSERT_EQ(twice.width, 640);
    ASSERT_EQ(twice.height, 480);
    int64_t difference = 0;
    int64_t farOff = 0;
    for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = twice.at(2 * x, 2 * y)[c] + twice.at(2 * x + 1, 2 * y)[c] +
                          twice.at(2 * x, 2 * y + 1)[c] + twice.at(2 * x + 1, 2 * y + 1)[c];
                int delta = std::abs((sum + 2) / 4 - single.at(x, y)[c]);
                difference += delta;
                farOff += delta > 64 ? 1 : 0;
            }
        }
    }
    // Edges of models and glyphs land on other pixels; the picture as a whole must agree.
    EXPECT_LT(double(difference) / (320.0 * 240.0 * 3.0), 3.0);
    EXPECT_LT(farOff, 320 * 240 * 3 / 50);

    // A wider frame holds the same 640 x 480 picture between black bars of 80 columns.
    capture({"--fps", "10", "--at", "2000", "--out", "wide", "--size", "800x480"});
    Image wide = readPng(folder / "wide" / "frame-002000.png");
    ASSERT_EQ(wide.width, 800);
    ASSERT_EQ(wide.height, 480);
    const uint8_t black[3] = {0, 0, 0};
    EXPECT_EQ(countOtherThan(wide, black, 0, 0, 79, 479) + countOtherThan(wide, black, 720, 0, 799, 479), 0);
    Image picture(twice);
    for (int32_t y = 0; y < 480; ++y) {
        std::copy(wide.at(80, y), wide.at(80, y) + 640 * 3, picture.rgb.begin() + y * 640 * 3);
    }
    // The viewport's offset moves sample positions by rounding only: a few edge pixels at most.
    EXPECT_LT(countDifferences(picture, twice), 640 * 480 / 200);
}

TEST_F(CaptureToolTest, AMomentOnTwoStepGridsHasTheSamePixels) {
    // 35000 ms is step 2100 at 60 fps and step 1750 at 50 fps. Part B carries nothing over between frames
    // but the colour buffer, which its background covers whole, so the step rate cannot show.
    capture({"--fps", "60", "--at", "35000", "--out", "sixty"});
    capture({"--fps", "50", "--at", "35000", "--out", "fifty"});
    Image sixty = readPng(folder / "sixty" / "frame-035000.png");
    Image fifty = readPng(folder / "fifty" / "frame-035000.png");
    ASSERT_EQ(sixty.width, 320);
    EXPECT_EQ(countDifferences(sixty, fifty), 0);
    EXPECT_GT(countColour(sixty, kGroupBackground), 320 * 240 / 2);
}

TEST_F(CaptureToolTest, SeveralMomentsInOneRunEqualSeparateRuns) {
    // One moment in each part and in Part A's second stretch; 84550 lies between two steps at 10 fps.
    const std::vector<uint32_t> moments = {3000, 35000, 60000, 84550, 150000};
    capture({"--fps", "10", "--at", "3000,35000,60000,84550,150000", "--out", "together"});
    for (uint32_t ms : moments) {
        const std::string alone = "alone-" + std::to_string(ms);
        capture({"--fps", "10", "--at", std::to_string(ms), "--out", alone});
        Image together = readPng(folder / "together" / frameName(ms));
        ASSERT_EQ(together.width, 320) << ms;
        EXPECT_EQ(countDifferences(together, readPng(folder / alone / frameName(ms))), 0) << ms;
    }
}

TEST_F(CaptureToolTest, AMomentBetweenStepsLeavesLaterStepsAlone) {
    // Part A lowers its camera only before 500 ms and holds the last value written: at 10 fps the steps
    // hold (500 - 400) / 10 = 10, while a moment at 450 ms would leave 5 behind if it were not undone.
    capture({"--fps", "10", "--at", "450,3000", "--out", "together"});
    capture({"--fps", "10", "--at", "3000", "--out", "alone"});
    Image together = readPng(folder / "together" / frameName(3000));
    ASSERT_EQ(together.width, 320);
    EXPECT_EQ(countDifferences(together, readPng(folder / "alone" / frameName(3000))), 0);
}

TEST_F(CaptureToolTest, SequenceHoldsOneFrameForEachStepOfTheSpan) {
    // At 24 fps step k is drawn at floor(k * 1000 / 24) ms: steps 24 (1000 ms) to 48 (2000 ms).
    capture({"--fps", "24", "--sequence", "seq", "--from", "1000", "--to", "2000"});
    std::vector<std::string> expected;
    for (uint64_t k = 24; k <= 48; ++k) {
        expected.push_back(frameName(uint32_t(k * 1000 / 24)));
    }
    EXPECT_EQ(fileNames(folder / "seq"), expected);
    // A span whose ends are steps' times holds both: 1041 (step 25) and 1083 ms (step 26).
    capture({"--fps", "24", "--sequence", "pair", "--from", "1041", "--to", "1083"});
    EXPECT_EQ(fileNames(folder / "pair"), (std::vector<std::string>{"frame-001041.png", "frame-001083.png"}));
}

TEST_F(CaptureToolTest, TextAndBackgroundsComeAndGoAtTheirMoments) {
    capture({"--fps", "10", "--marker", "ff00ff", "--at",
             "1000,1001,6999,7000,84500,84501,98999,99000,119000,119001", "--out", "edges"});
    auto frame = [&](uint32_t ms) { return readPng(folder / "edges" / frameName(ms)); };

    // Part A's credits line (image rows 34 to 41 from 8 pixels in) is drawn from 1001 to 6999 ms.
    EXPECT_EQ(countOtherThan(frame(1000), kTitleBackground, 8, 34, 40, 41), 0);
    EXPECT_GT(countOtherThan(frame(1001), kTitleBackground, 8, 34, 40, 41), 100);
    EXPECT_GT(countOtherThan(frame(6999), kTitleBackground, 8, 34, 40, 41), 100);
    EXPECT_EQ(countOtherThan(frame(7000), kTitleBackground, 8, 34, 40, 41), 0);

    // Part C draws its background after 13500 ms and before 28000 ms of its own time, and after 48000 ms;
    // without it the marker shows wherever no model is.
    const int64_t all = 320 * 240;
    for (uint32_t ms : {84500u, 99000u, 119000u}) {
        const int64_t uncovered = countColour(frame(ms), kMarker);
        EXPECT_GT(uncovered, all / 2) << ms;
        EXPECT_EQ(countColour(frame(ms), kChaseBackground), 0) << ms;
    }
    for (uint32_t ms : {84501u, 98999u, 119001u}) {
        EXPECT_EQ(countColour(frame(ms), kMarker), 0) << ms;
        EXPECT_GT(countColour(frame(ms), kChaseBackground), all / 2) << ms;
    }
}

TEST_F(CaptureToolTest, TitleTextAppearsAfterFiveAndAHalfSecondsOfPartB) {
    capture({"--fps", "10", "--at", "33499,33500,33501", "--out", "title"});
    Image before = readPng(folder / "title" / "frame-033499.png");
    Image last = readPng(folder / "title" / "frame-033500.png");
    Image first = readPng(folder / "title" / "frame-033501.png");
    // Two text lines of 8 block glyphs each; the logo moves a hundredth of a unit between these moments.
    EXPECT_LT(countDifferences(before, last), 40);
    EXPECT_GT(countDifferences(last, first), 2 * 8 * 6 * 8 / 2);
}

TEST_F(CaptureToolTest, PartDAddsTheGlowOverWhatItLeavesUncovered) {
    // Marker plus the solid glow, channel by channel; the marker itself is nowhere left.
    capture({"--fps", "10", "--marker", "202020", "--at", "150000", "--out", "glow"});
    Image frame = readPng(folder / "glow" / "frame-150000.png");
    const uint8_t marker[3] = {0x20, 0x20, 0x20};
    const uint8_t glowing[3] = {uint8_t(0x20 + kSunglow[0]), uint8_t(0x20 + kSunglow[1]),
                                uint8_t(0x20 + kSunglow[2])};
    EXPECT_EQ(countColour(frame, marker), 0);
    const int64_t uncovered = countColour(frame, glowing);
    EXPECT_GT(uncovered, 320 * 240 / 2);
    EXPECT_LT(uncovered, 320 * 240);
}

TEST_F(CaptureToolTest, BadArgumentsGiveOneLineAndExit2) {
    // Not even root can make a folder inside a plain file.
    std::ofstream(folder / "plain-file") << "x";
    struct Case {
        std::vector<std::string> args;
        const char* reason;
    };
    std::vector<Case> cases = {
        {{"--at", "0", "--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--at", "-5"}, "--at: '-5' is not a moment from 0 to 172000 ms"},
        {{"--at", "12ab"}, "--at: '12ab' is not a moment"},
        {{"--at", "172001"}, "--at: '172001' is not a moment"},
        {{"--sequence", "s", "--from", "-1"}, "--from: '-1' is not a time"},
        {{"--sequence", "s", "--to", "soon"}, "--to: 'soon' is not a time"},
        {{"--at", "0", "--out", "plain-file/frames"}, "cannot make the folder 'plain-file/frames'"},
        {{"--sequence", "plain-file/seq"}, "cannot make the folder 'plain-file/seq'"},
    };
    for (const Case& test : cases) {
        ToolRun run = runCapture(test.args, folder);
        EXPECT_EQ(run.exitCode, 2) << test.args.front() << " " << test.args.back() << "\n" << run.err;
        EXPECT_NE(run.err.find(test.reason), std::string::npos) << run.err;
        // The reason is one line (a hint to --help may follow it).
        EXPECT_EQ(run.err.rfind("tomblora-capture: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find("tomblora-capture: ", 1), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(folder / "frame-000000.png"));
}

TEST_F(CaptureToolTest, MissingArchiveEndsWithTheDemosTwoMessagesAndCode255) {
    std::string missing = (folder / "nowhere.salad").string();
    ToolRun run = runCapture({"--archive", missing, "--at", "0"}, folder);
    EXPECT_EQ(run.exitCode, 255) << describeRun(run);
    EXPECT_NE(run.err.find("Resource file \"" + missing + "\" not found"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Resource \"default.png\" not found"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder / "frame-000000.png"));
}

TEST_F(CaptureToolTest, UsageFaultsExitWith2BeforeAnyRendering) {
    ToolRun run = runCapture({"--at", "0", "--bogus"}, folder);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("unknown option '--bogus'"), std::string::npos) << run.err;
    run = runCapture({"--fps", "60"}, folder);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("nothing to do"), std::string::npos) << run.err;
    run = runCapture({"--help"}, folder);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("--sheet-count"), std::string::npos);
}

// Ctrl-C reaches the whole job; SIGTERM may come from anywhere. Either stops the run between two frames: the
// frames written are whole pictures, the contact sheet (which would have gaps) is not written, exit 130.
TEST_F(CaptureToolTest, InterruptStopsBetweenFramesWithWholeFilesAndExit130) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal == SIGINT ? "SIGINT" : "SIGTERM");
        const fs::path frames = folder / "frames";
        fs::remove_all(frames);
        fs::remove(folder / "sheet.png");
        // At twice the size the whole production takes far longer than the test waits.
        pid_t job = startCaptureJob({"--scale", "2", "--sequence", "frames", "--sheet", "sheet.png"}, folder);
        ASSERT_GT(job, 0);
        ASSERT_TRUE(waitUntil([&] { return countFiles(frames) >= 3; }));
        ASSERT_EQ(kill(-job, signal), 0);
        ToolRun run = waitForJob(job, folder);
        EXPECT_EQ(run.exitCode, 130) << describeRun(run);
        EXPECT_NE(run.err.find("interrupted after the frame at "), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(folder / "sheet.png"));
        const std::vector<std::string> names = fileNames(frames);
        EXPECT_GE(names.size(), 3u);
        EXPECT_LT(names.size(), 10321u);
        for (const std::string& name : names) {
            Image image = readPng(frames / name);
            EXPECT_EQ(image.width, 640) << name;
            EXPECT_EQ(image.height, 480) << name;
        }
    }
}

TEST_F(CaptureToolTest, VideoWithoutFfmpegIsRefusedBeforeRendering) {
    // A PATH holding only this test's folder has no ffmpeg on it.
    ToolRun run =
        runCommand({"env", "PATH=" + folder.string(), TOMBLORA_CAPTURE_PATH, "--video", "clip.mp4"}, folder);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("needs the ffmpeg program"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder / "clip.mp4"));
}

TEST_F(CaptureToolTest, VideoOfOneSecondHasH264AndTheSoundtrack) {
    if (!programExists("ffmpeg") || !programExists("ffprobe")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    ASSERT_NO_FATAL_FAILURE(useToneSoundtrack(4));
    capture({"--fps", "20", "--from", "1000", "--to", "2000", "--video", "clip.mp4"});
    ToolRun probe =
        runCommand({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height",
                    "-show_entries", "format=duration", "-of", "default=noprint_wrappers=1", "clip.mp4"},
                   folder);
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NE(probe.out.find("codec_name=h264"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("codec_type=audio"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("width=320"), std::string::npos) << probe.out;
    size_t duration = probe.out.find("duration=");
    ASSERT_NE(duration, std::string::npos) << probe.out;
    double seconds = std::atof(probe.out.c_str() + duration + 9);
    EXPECT_NEAR(seconds, 1.05, 0.1); // 21 frames at 20 fps
    // Each stream on its own: 21 frames, and the soundtrack cut to the same 1.05 s from 1000 ms on.
    StreamCounts streams = countStreams(folder, "clip.mp4");
    ASSERT_EQ(streams.probe.exitCode, 0) << streams.probe.err;
    ASSERT_FALSE(streams.video.empty() || streams.audio.empty()) << streams.probe.out;
    EXPECT_EQ(probeValue(streams.video, "nb_read_frames"), 21) << streams.probe.out;
    EXPECT_NEAR(probeValue(streams.audio, "duration"), 1.05, 0.03) << streams.probe.out;
}

// Ctrl-C in the terminal during a video: ffmpeg, in a group of its own, is not cut off in the middle of a
// frame; the file is finished and its sound ends with its last frame.
TEST_F(CaptureToolTest, InterruptedVideoIsWholeAndItsSoundEndsWithItsFrames) {
    if (!programExists("ffmpeg") || !programExists("ffprobe")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    pid_t job = -1;
    ASSERT_NO_FATAL_FAILURE(startVideoJob(job));
    ASSERT_EQ(kill(-job, SIGINT), 0);
    ToolRun run = waitForJob(job, folder);
    ASSERT_EQ(run.exitCode, 130) << describeRun(run);
    EXPECT_NE(run.err.find("clip.mp4 ends with it"), std::string::npos) << run.err;

    StreamCounts streams = countStreams(folder, "clip.mp4");
    ASSERT_EQ(streams.probe.exitCode, 0) << streams.probe.err;
    ASSERT_FALSE(streams.video.empty() || streams.audio.empty()) << streams.probe.out;
    const double frames = probeValue(streams.video, "nb_read_frames");
    EXPECT_GT(frames, 0) << streams.probe.out;
    EXPECT_LT(frames, 3601) << streams.probe.out;
    EXPECT_NEAR(probeValue(streams.audio, "duration"), probeValue(streams.video, "duration"), 0.05)
        << streams.probe.out;
}

// While the run finishes (here ffmpeg still encoding a minute of sound), a second Ctrl-C ends it at once.
TEST_F(CaptureToolTest, ASecondInterruptQuitsAtOnce) {
    if (!programExists("ffmpeg") || !programExists("ffprobe")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    pid_t job = -1;
    ASSERT_NO_FATAL_FAILURE(startVideoJob(job));
    ASSERT_EQ(kill(job, SIGINT), 0);
    ASSERT_TRUE(
        waitUntil([&] { return readText(folder / "tool.err").find("stopping after") != std::string::npos; }));
    ASSERT_EQ(kill(job, SIGINT), 0);
    ToolRun run = waitForJob(job, folder);
    EXPECT_EQ(run.signal, SIGINT) << describeRun(run);
    EXPECT_EQ(run.err.find("ends with it"), std::string::npos) << run.err;
}

} // namespace
