// Command line, frame-time rule and capture plan of tomblora-capture.
#include "capture_options.h"
#include "frame_image.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

CaptureOptions parse(std::initializer_list<const char*> args, std::string& error) {
    std::vector<const char*> argv = {"tomblora-capture"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseCaptureArgs(int(argv.size()), argv.data(), error);
}

std::vector<uint32_t> frameTimes(const CapturePlan& plan) {
    std::vector<uint32_t> times;
    for (const PlannedFrame& frame : plan.frames) {
        times.push_back(frame.time);
    }
    return times;
}

} // namespace

TEST(CaptureFrameTime, FollowsFloorOfStepTimesThousandOverRate) {
    FrameRate sixty{60, 1};
    std::vector<uint32_t> expected = {0, 16, 33, 50, 66, 83, 100};
    for (uint64_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(stepTime(k, sixty), expected[k]) << "step " << k;
    }
    FrameRate ntsc{60000, 1001};
    // k * 1001 / 60 ms: 0, 16.68, 33.37, 50.05, 66.73, 83.42, 100.1, ... 1001 at k = 60.
    expected = {0, 16, 33, 50, 66, 83, 100};
    for (uint64_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(stepTime(k, ntsc), expected[k]) << "step " << k;
    }
    EXPECT_EQ(stepTime(60, ntsc), 1001u);
    EXPECT_EQ(stepTime(10320, sixty), 172000u);
    EXPECT_EQ(stepTime(25, FrameRate{25, 1}), 1000u);
}

TEST(CaptureFrameTime, StepsBetweenAreInclusiveAtBothEnds) {
    uint64_t first = 0;
    uint64_t count = 0;
    stepsBetween(FrameRate{60, 1}, 0, 172000, first, count);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(count, 10321u); // 0 to 172000 at 1000/60 ms
    stepsBetween(FrameRate{60, 1}, 16, 50, first, count);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(count, 3u); // 16, 33, 50
    stepsBetween(FrameRate{60, 1}, 17, 32, first, count);
    EXPECT_EQ(count, 0u);
    stepsBetween(FrameRate{60000, 1001}, 1001, 1001, first, count);
    EXPECT_EQ(first, 60u);
    EXPECT_EQ(count, 1u);
}

TEST(CaptureArgs, AcceptsEveryOptionWithItsValue) {
    std::string error;
    CaptureOptions options =
        parse({"--archive", "other.salad", "--fps",      "30",       "--at",   "5000,100,5000",
               "--out",     "shots",       "--sequence", "seq",      "--from", "1000",
               "--to=2000", "--video",     "v.mp4",      "--sheet",  "s.png",  "--sheet-count",
               "12",        "--scale",     "3",          "--marker", "#FF00a0"},
              error);
    ASSERT_EQ(error, "");
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.archive, "other.salad");
    EXPECT_EQ(options.fps.num, 30u);
    EXPECT_EQ(options.fps.den, 1u);
    EXPECT_EQ(options.moments, (std::vector<uint32_t>{100, 5000}));
    EXPECT_EQ(options.outDir, "shots");
    EXPECT_EQ(options.sequenceDir, "seq");
    EXPECT_EQ(options.from, 1000u);
    EXPECT_EQ(options.to, 2000u);
    EXPECT_EQ(options.videoFile, "v.mp4");
    EXPECT_EQ(options.sheetFile, "s.png");
    EXPECT_EQ(options.sheetCount, 12);
    EXPECT_EQ(options.width, 960);
    EXPECT_EQ(options.height, 720);
    ASSERT_TRUE(options.useMarker);
    EXPECT_EQ(options.marker[0], 0xFF);
    EXPECT_EQ(options.marker[1], 0x00);
    EXPECT_EQ(options.marker[2], 0xA0);
}

TEST(CaptureArgs, DefaultsMatchTheDemo) {
    std::string error;
    CaptureOptions options = parse({"--at", "0"}, error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(options.archive, "tomblora.salad");
    EXPECT_EQ(options.fps.num, 60u);
    EXPECT_EQ(options.fps.den, 1u);
    EXPECT_EQ(options.outDir, ".");
    EXPECT_EQ(options.from, 0u);
    EXPECT_EQ(options.to, 172000u);
    EXPECT_EQ(options.sheetCount, 24);
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 240);
    EXPECT_FALSE(options.useMarker);
}

TEST(CaptureArgs, FrameRatesAreKeptAsReducedFractions) {
    struct Case {
        const char* text;
        uint64_t num;
        uint64_t den;
    };
    const Case cases[] = {{"60000/1001", 60000, 1001},
                          {"30000/1001", 30000, 1001},
                          {"29.97", 2997, 100},
                          {"23.976", 2997, 125},
                          {"50/2", 25, 1},
                          {"1000", 1000, 1},
                          {"1", 1, 1},
                          {"2/2", 1, 1},
                          {"59.940", 2997, 50}};
    for (const Case& c : cases) {
        std::string error;
        CaptureOptions options = parse({"--fps", c.text, "--at", "0"}, error);
        EXPECT_EQ(error, "") << c.text;
        EXPECT_EQ(options.fps.num, c.num) << c.text;
        EXPECT_EQ(options.fps.den, c.den) << c.text;
    }
}

TEST(CaptureArgs, SizesAndScalesSetTheFrameSizeLastOneWins) {
    std::string error;
    CaptureOptions options = parse({"--scale", "2", "--size", "1920x1080", "--at", "0"}, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    options = parse({"--size=7680x4320", "--scale", "8", "--video", "v.mp4"}, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(options.width, 2560);
    EXPECT_EQ(options.height, 1920);
}

TEST(CaptureArgs, HelpWinsAndNeedsNothingElse) {
    std::string error;
    EXPECT_TRUE(parse({"--help"}, error).help);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(parse({"--scale", "2", "--help", "--bogus"}, error).help);
    EXPECT_EQ(error, "");
}

TEST(CaptureArgs, UsageFaultsNameTheirReason) {
    struct Case {
        std::vector<const char*> args;
        const char* reason; // a part of the message
    };
    const Case cases[] = {
        {{}, "nothing to do"},
        {{"--fps", "60"}, "nothing to do"},
        {{"--bogus", "--at", "0"}, "unknown option '--bogus'"},
        {{"--at", "0", "stray"}, "unexpected argument 'stray'"},
        {{"--at"}, "--at: a value is missing"},
        {{"--at", ""}, "--at: '' is not a moment"},
        {{"--at", "1,,2"}, "--at: '' is not a moment"},
        {{"--at", "1,2,"}, "--at: '' is not a moment"},
        {{"--at", "-5"}, "--at: '-5' is not a moment"},
        {{"--at", "172001"}, "--at: '172001' is not a moment from 0 to 172000"},
        {{"--at", "99999999999999999999999"}, "is not a moment"},
        {{"--at", "1e3"}, "is not a moment"},
        {{"--at", " 5"}, "is not a moment"},
        {{"--fps", "0", "--at", "0"}, "--fps: '0' is not a frame rate"},
        {{"--fps", "1001", "--at", "0"}, "--fps: '1001'"},
        {{"--fps", "1/0", "--at", "0"}, "--fps: '1/0'"},
        {{"--fps", "1/2", "--at", "0"}, "--fps: '1/2'"},
        {{"--fps", "abc", "--at", "0"}, "--fps: 'abc'"},
        {{"--fps", "29.9701", "--at", "0"}, "--fps: '29.9701'"},
        {{"--fps", "60/", "--at", "0"}, "--fps: '60/'"},
        {{"--fps", "60.", "--at", "0"}, "--fps: '60.'"},
        {{"--scale", "0", "--at", "0"}, "--scale: '0' is not a scale from 1 to 8"},
        {{"--scale", "9", "--at", "0"}, "--scale: '9'"},
        {{"--size", "7681x4320", "--at", "0"}, "--size: '7681x4320' is not a size WIDTHxHEIGHT from 32x24"},
        {{"--size", "7680x4321", "--at", "0"}, "--size: '7680x4321'"},
        {{"--size", "31x24", "--at", "0"}, "--size: '31x24'"},
        {{"--size", "1920X1080", "--at", "0"}, "--size: '1920X1080'"},
        {{"--size", "1920x", "--at", "0"}, "--size: '1920x'"},
        {{"--size", "x1080", "--at", "0"}, "--size: 'x1080'"},
        {{"--size", "1920x1080x2", "--at", "0"}, "--size: '1920x1080x2'"},
        {{"--size", "-1920x1080", "--at", "0"}, "--size: '-1920x1080'"},
        {{"--size", "1921x1080", "--video", "v.mp4"}, "--video: the size 1921x1080 must have an even width"},
        {{"--sheet", "s.png", "--sheet-count", "0"}, "--sheet-count: '0'"},
        {{"--sheet", "s.png", "--sheet-count", "1001"}, "--sheet-count: '1001'"},
        {{"--marker", "12345", "--at", "0"}, "--marker: '12345' is not a colour"},
        {{"--marker", "12345g", "--at", "0"}, "--marker: '12345g'"},
        {{"--video", "v.mp4", "--from", "2000", "--to", "1000"}, "--to (1000) is before --from (2000)"},
        {{"--sequence", "d", "--from", "17", "--to", "32"}, "no step of the frame rate falls between"},
        {{"--from", "abc", "--at", "0"}, "--from: 'abc' is not a time"},
        {{"--to", "172001", "--at", "0"}, "--to: '172001'"},
        {{"--out", "", "--at", "0"}, "--out: the path is empty"},
        {{"--archive", "", "--at", "0"}, "--archive: the path must be 1 to 255 bytes long"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"tomblora-capture"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string error;
        CaptureOptions options = parseCaptureArgs(int(argv.size()), argv.data(), error);
        EXPECT_NE(error.find(c.reason), std::string::npos)
            << "got \"" << error << "\", wanted \"" << c.reason << "\"";
        EXPECT_FALSE(options.help);
    }
    std::string longPath(256, 'a');
    std::string error;
    parse({"--archive", longPath.c_str(), "--at", "0"}, error);
    EXPECT_NE(error.find("--archive"), std::string::npos);
}

TEST(CapturePlan, DrawsEveryStepUpToTheLastMomentWithMomentsInPlace) {
    std::string error;
    // 33 is a step at 60 fps; 40 falls between the steps 33 and 50.
    CaptureOptions options = parse({"--at", "40,33"}, error);
    ASSERT_EQ(error, "");
    CapturePlan plan = planCapture(options);
    EXPECT_EQ(frameTimes(plan), (std::vector<uint32_t>{0, 16, 33, 40}));
    ASSERT_EQ(plan.frames.size(), 4u);
    EXPECT_FALSE(plan.frames[0].written());
    EXPECT_FALSE(plan.frames[1].written());
    EXPECT_TRUE(plan.frames[2].moment);
    EXPECT_TRUE(plan.frames[3].moment);
    EXPECT_FALSE(plan.frames[3].sequence || plan.frames[3].video || plan.frames[3].sheet);
}

TEST(CapturePlan, SpansWriteTheirStepsOnlyAndSheetsAreEvenlySpaced) {
    std::string error;
    CaptureOptions options =
        parse({"--fps", "10", "--from", "250", "--to", "1000", "--sequence", "d", "--video", "v.mp4",
               "--sheet", "s.png", "--sheet-count", "3", "--at", "120"},
              error);
    ASSERT_EQ(error, "");
    CapturePlan plan = planCapture(options);
    EXPECT_EQ(frameTimes(plan),
              (std::vector<uint32_t>{0, 100, 120, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(plan.videoFrames, 8u);
    EXPECT_EQ(plan.sheetTimes, (std::vector<uint32_t>{300, 600, 1000}));
    for (const PlannedFrame& frame : plan.frames) {
        bool inSpan = frame.time >= 300 && frame.time <= 1000;
        EXPECT_EQ(frame.sequence, inSpan) << frame.time;
        EXPECT_EQ(frame.video, inSpan) << frame.time;
        EXPECT_EQ(frame.moment, frame.time == 120) << frame.time;
        EXPECT_EQ(frame.sheet, frame.time == 300 || frame.time == 600 || frame.time == 1000) << frame.time;
    }
}

TEST(CapturePlan, SheetNeverHasMoreCellsThanSteps) {
    std::string error;
    CaptureOptions options = parse({"--fps", "10", "--to", "200", "--sheet", "s.png"}, error);
    ASSERT_EQ(error, "");
    CapturePlan plan = planCapture(options);
    EXPECT_EQ(plan.sheetTimes, (std::vector<uint32_t>{0, 100, 200}));
    options = parse({"--fps", "10", "--from", "500", "--to", "900", "--sheet", "s.png", "--sheet-count", "1"},
                    error);
    EXPECT_EQ(planCapture(options).sheetTimes, (std::vector<uint32_t>{500}));
}

TEST(CapturePlan, WholeProductionEndsAtTheLastMillisecond) {
    std::string error;
    CaptureOptions options = parse({"--video", "v.mp4"}, error);
    ASSERT_EQ(error, "");
    CapturePlan plan = planCapture(options);
    ASSERT_EQ(plan.frames.size(), 10321u);
    EXPECT_EQ(plan.frames.back().time, 172000u);
    EXPECT_EQ(plan.videoFrames, 10321u);
    for (size_t i = 1; i < plan.frames.size(); ++i) {
        ASSERT_GT(plan.frames[i].time, plan.frames[i - 1].time);
    }
}

TEST(CaptureClock, FormatsMinutesSecondsMilliseconds) {
    EXPECT_EQ(formatClock(0), "00:00.000");
    EXPECT_EQ(formatClock(83456), "01:23.456");
    EXPECT_EQ(formatClock(172000), "02:52.000");
}

TEST(CaptureImage, FlipResampleAndCrop) {
    // Two rows as glReadPixels gives them: bottom (red) first, then top (blue).
    const uint8_t bottomFirst[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
    RgbImage image;
    flipRowsInto(bottomFirst, 2, 2, image);
    EXPECT_EQ(image.at(0, 0)[2], 255);
    EXPECT_EQ(image.at(1, 1)[0], 255);

    RgbImage wide(4, 2);
    for (int32_t x = 0; x < 4; ++x) {
        for (int32_t y = 0; y < 2; ++y) {
            wide.at(x, y)[0] = uint8_t(x * 60);
        }
    }
    RgbImage square = cropCentreSquare(wide);
    ASSERT_EQ(square.width, 2);
    EXPECT_EQ(square.at(0, 0)[0], 60);
    EXPECT_EQ(square.at(1, 1)[0], 120);

    RgbImage half = resampleArea(wide, 2, 1);
    EXPECT_EQ(half.at(0, 0)[0], 30); // mean of 0 and 60
    EXPECT_EQ(half.at(1, 0)[0], 150);
    // Three source columns onto two: the middle one is shared half and half.
    RgbImage three(3, 1);
    three.at(0, 0)[1] = 0;
    three.at(1, 0)[1] = 90;
    three.at(2, 0)[1] = 180;
    RgbImage two = resampleArea(three, 2, 1);
    EXPECT_EQ(two.at(0, 0)[1], 30);  // (0 + 0.5 * 90) / 1.5
    EXPECT_EQ(two.at(1, 0)[1], 150); // (0.5 * 90 + 180) / 1.5
}

TEST(CaptureImage, FrameFilesAreNamedBySixDigitMilliseconds) {
    EXPECT_EQ(framePath("out", 40), "out/frame-000040.png");
    EXPECT_EQ(framePath("out", 172000), "out/frame-172000.png");
}
