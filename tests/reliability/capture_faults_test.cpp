// tomblora-capture against hostile fonts, special files, links, a full disk, a stuck encoder and
// interruptions: a clear message, a defined exit code, nothing destroyed and nothing left behind.
#include "ogg_tone.h"
#include "program_run.h"
#include "test_production.h"

#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> productionWith(const std::string& font, const std::string& soundtrack = "") {
    TestProductionOptions options;
    options.soundtrack.assign(soundtrack.begin(), soundtrack.end());
    std::vector<ArchiveInput> entries = testProductionEntries(options);
    for (ArchiveInput& entry : entries) {
        if (entry.name == "demo.fnt" && !font.empty()) entry.data.assign(font.begin(), font.end());
    }
    std::string error;
    return archiveBytes(entries, error);
}

// TMPDIR is the folder's tmp/, so a test sees every temporary file the tool makes.
ProgramRun capture(const ScratchFolder& folder, const std::vector<std::string>& args, RunPlan plan = {}) {
    plan.args = args;
    plan.environment.push_back("TMPDIR=" + folder.path() + "/tmp");
    fs::create_directories(folder.path() + "/tmp");
    ProgramRun run = runProgram(CAPTURE_PATH, folder.path(), plan);
    EXPECT_FALSE(run.timedOut) << run.err;
    return run;
}

std::string fontWithZero(const std::string& fields, const std::string& page = "testfont.png") {
    return "info\ncommon lineHeight=8 base=8 scaleW=8 scaleH=8 pages=1 packed=0 alphaChnl=0 redChnl=0 greenChnl=0 "
           "blueChnl=0\npage id=0 file=\"" + page + "\"\nchars count=1\nchar id=48 " + fields + "\n";
}

} // namespace

// The sheet's size comes from its layout alone, and labels stay in their strip whatever the font says.
TEST(CaptureFaults, HostileFontsNeitherResizeNorStopTheSheet) {
    const std::string sane = "x=0 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=8";
    for (const std::string& font :
         {fontWithZero(sane), fontWithZero("x=0 y=0 width=8 height=8 xoffset=0 yoffset=-2147483647 xadvance=8"),
          fontWithZero("x=0 y=0 width=2147483647 height=8 xoffset=0 yoffset=0 xadvance=2147483647"),
          fontWithZero("x=0 y=0 width=8 height=100000"), fontWithZero(sane, ""), std::string("\n")}) {
        SCOPED_TRACE(font);
        ScratchFolder folder;
        folder.writeArchive(productionWith(font));
        EXPECT_EQ(capture(folder, {"--fps", "1", "--to", "2000", "--sheet", "sheet.png"}).exitCode, 0);
        const std::string png = readFile(folder.path() + "/sheet.png");
        DecodedImage sheet;
        ASSERT_TRUE(decodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), 3, sheet));
        // One row of three 320 x 240 cells with a 22-row label strip, and 4-pixel gaps.
        EXPECT_EQ(sheet.width, 4 + 3 * (320 + 4));
        EXPECT_EQ(sheet.height, 4 + 240 + 22 + 4);
        freeDecodedImage(sheet);
    }
}

TEST(CaptureFaults, DestinationsAreCheckedBeforeTheFirstFrame) {
    ScratchFolder folder;
    for (const auto& [file, message] : {std::pair{"nodir/x.png", "the folder nodir does not exist"},
                                        std::pair{"tmp", "tmp is a folder"}}) {
        ProgramRun run = capture(folder, {"--sheet", file});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "tomblora-capture: cannot write " + std::string(file) + ": " + message + "\n");
    }
}

TEST(CaptureFaults, FilesAppearWholeOrNotAtAllAndLinksAreReplaced) {
    ScratchFolder folder;
    folder.writeArchive(productionWith(""));
    folder.write("sheet.png", "old sheet");
    RunPlan full;
    full.fileSizeLimit = 1024; // writes past 1 KiB fail as on a full disk
    ProgramRun run = capture(folder, {"--fps", "1", "--to", "1000", "--sheet", "sheet.png"}, full);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: cannot write sheet.png")) << run.err;
    EXPECT_EQ(readFile(folder.path() + "/sheet.png"), "old sheet");

    fs::create_directories(folder.path() + "/frames");
    fs::create_symlink("../sheet.png", folder.path() + "/frames/frame-000000.png");
    EXPECT_EQ(capture(folder, {"--at", "0", "--out", "frames"}).exitCode, 0);
    EXPECT_EQ(readFile(folder.path() + "/sheet.png"), "old sheet");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.path() + "/frames/frame-000000.png")));
    EXPECT_EQ(partialFiles(folder.path()), 0);
}

// An encoder that takes nothing, or an interruption while loading: the signal still ends the run with 130,
// the encoder is ended, and neither the video nor the temporary soundtrack is left.
TEST(CaptureFaults, SignalsEndAStuckEncoderAndAnInterruptedStartLeavingNothing) {
    ScratchFolder folder;
    const std::vector<uint8_t> tone = encodeRisingTone(1.0, 440.0, 0.2, 0.4);
    folder.writeArchive(productionWith("", std::string(tone.begin(), tone.end())));
    fs::create_directories(folder.path() + "/bin");
    const std::string encoder = folder.write("bin/ffmpeg", "#!/bin/sh\necho $$ > \"$TMPDIR/../ffmpeg.pid\"\nexec sleep 600\n");
    fs::permissions(encoder, fs::perms::owner_all);
    RunPlan plan;
    plan.environment = {"PATH=" + folder.path() + "/bin:/usr/bin:/bin"};
    plan.signalNumber = SIGTERM;
    plan.signalAfterMs = 4000;
    ProgramRun run = capture(folder, {"--video", "v.mp4"}, plan);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    const std::string pid = readFile(folder.path() + "/ffmpeg.pid");
    ASSERT_FALSE(pid.empty());
    EXPECT_NE(kill(std::stoi(pid), 0), 0) << "the encoder is still running";

    plan.signalNumber = SIGINT;
    plan.signalOnceCaught = true;
    run = capture(folder, {"--video", "v.mp4"}, plan);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: interrupted while loading; nothing was written")) << run.err;
    EXPECT_FALSE(fs::exists(folder.path() + "/v.mp4"));
    EXPECT_TRUE(fs::is_empty(folder.path() + "/tmp"));
    EXPECT_EQ(partialFiles(folder.path()), 0);
}

// A soundtrack the demo plays silently gives a silent video, and a file name never reaches ffmpeg as an option.
TEST(CaptureFaults, VideoOfAnUnplayableSoundtrackIsSilentAndNamesAreNeverOptions) {
    if (std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0) GTEST_SKIP();
    ScratchFolder folder;
    folder.writeArchive(productionWith("", "OggS and then nothing a decoder could use"));
    ProgramRun run = capture(folder, {"--fps", "10", "--to", "500", "--video", "-evil.mp4"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: soundtrack.ogg is not a playable Ogg Vorbis stream; the video "
                                 "has no sound"))
        << run.err;
    const std::string streams = folder.path() + "/streams.txt";
    ASSERT_EQ(std::system(("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + folder.path() +
                           "/-evil.mp4 > " + streams).c_str()),
              0);
    EXPECT_EQ(readFile(streams), "video\n");
}
