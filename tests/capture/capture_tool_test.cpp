// tomblora-capture run as a subprocess on a tiny production: determinism, markers, sheets, scale, video,
// faults.
#include "test_production.h"

#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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
    int exitCode = -1;
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

TEST_F(CaptureToolTest, ScaleTwoRendersTheSamePictureAtTwiceTheSize) {
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
    // A real Ogg Vorbis soundtrack, made by ffmpeg itself, in a production of its own.
    ToolRun made = runCommand({"ffmpeg", "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                               "sine=frequency=440:duration=4", "-ac", "2", "-c:a", "libvorbis", "tone.ogg"},
                              folder);
    ASSERT_EQ(made.exitCode, 0) << made.err;
    std::string tone = readText(folder / "tone.ogg");
    std::string error;
    ASSERT_TRUE(writeTestProduction((folder / "tomblora.salad").string(),
                                    std::vector<uint8_t>(tone.begin(), tone.end()), error))
        << error;

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
}

} // namespace
