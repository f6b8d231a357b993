// tomblora-capture against hostile fonts, special files, links, a full disk, a stuck encoder and interruptions:
// a clear message, a defined exit code, bounded time, nothing destroyed and nothing left behind.
#include "ogg_tone.h"
#include "program_run.h"
#include "test_production.h"

#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> productionWith(const std::string& font = "", const std::vector<uint8_t>& soundtrack = {}) {
    TestProductionOptions options;
    options.soundtrack = soundtrack;
    std::vector<ArchiveInput> entries = testProductionEntries(options);
    for (ArchiveInput& entry : entries) {
        if (entry.name == "demo.fnt" && !font.empty()) entry.data.assign(font.begin(), font.end());
    }
    std::string error;
    std::vector<uint8_t> bytes = archiveBytes(entries, error);
    EXPECT_EQ(error, "");
    return bytes;
}

ProgramRun capture(const ScratchFolder& folder, const std::vector<std::string>& args, RunPlan plan = {}) {
    plan.args = args;
    plan.timeoutMs = 60000;
    plan.environment.push_back("TMPDIR=" + folder.path() + "/tmp");
    fs::create_directories(folder.path() + "/tmp");
    ProgramRun run = runProgram(CAPTURE_PATH, folder.path(), plan);
    EXPECT_FALSE(run.timedOut) << "stderr:\n" << run.err;
    return run;
}

// An ffmpeg on PATH that never reads its input; it notes its process id.
std::string stuckEncoder(const ScratchFolder& folder) {
    fs::create_directories(folder.path() + "/bin");
    const std::string script = folder.write("bin/ffmpeg", "#!/bin/sh\necho $$ > \"$TMPDIR/../ffmpeg.pid\"\nexec sleep 600\n");
    fs::permissions(script, fs::perms::owner_all);
    return "PATH=" + folder.path() + "/bin:/usr/bin:/bin";
}

bool programOnPath(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

int32_t pngWidth(const std::string& bytes, int32_t& height) {
    DecodedImage image;
    if (!decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 3, image)) return height = -1;
    height = image.height;
    const int32_t width = image.width;
    freeDecodedImage(image);
    return width;
}

std::string fontWithZero(const std::string& fields, const std::string& page = "testfont.png") {
    return "info face=\"test\" size=8\ncommon lineHeight=8 base=8 scaleW=8 scaleH=8 pages=1 packed=0 "
           "alphaChnl=0 redChnl=0 greenChnl=0 blueChnl=0\npage id=0 file=\"" + page +
           "\"\nchars count=1\nchar id=48 " + fields + "\n";
}

} // namespace

// The sheet's size comes from its layout alone, and labels stay in their strip whatever the font says.
TEST(CaptureFaults, HostileFontsNeitherResizeNorStopTheSheet) {
    const std::string sane = "x=0 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=8 page=0 chnl=15";
    const std::vector<std::string> fonts = {
        fontWithZero(sane),
        fontWithZero("x=0 y=0 width=8 height=8 xoffset=0 yoffset=-2147483647 xadvance=8"),
        fontWithZero("x=0 y=0 width=2147483647 height=8 xoffset=0 yoffset=0 xadvance=2147483647"),
        fontWithZero("x=0 y=0 width=8 height=100000 xoffset=0 yoffset=0 xadvance=8"),
        fontWithZero(sane, ""),
        "\n",
    };
    for (const std::string& font : fonts) {
        SCOPED_TRACE(font);
        ScratchFolder folder;
        folder.writeArchive(productionWith(font));
        ProgramRun run = capture(folder, {"--fps", "1", "--to", "2000", "--sheet", "sheet.png"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        int32_t height = 0;
        // Three cells in a row: gap, three cells of 320 with their gaps; one row of 240 and a 22-row strip.
        EXPECT_EQ(pngWidth(readFile(folder.path() + "/sheet.png"), height), 4 + 3 * (320 + 4));
        EXPECT_EQ(height, 4 + 240 + 22 + 4);
    }
}

TEST(CaptureFaults, DestinationsAndTheArchiveAreCheckedBeforeTheFirstFrame) {
    ScratchFolder folder;
    folder.writeArchive(productionWith());
    ASSERT_EQ(mkfifo((folder.path() + "/fifo.salad").c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--sheet", "nodir/x.png"}, 2, "tomblora-capture: cannot write nodir/x.png: the folder nodir does not exist"},
        {{"--sheet", "tmp"}, 2, "tomblora-capture: cannot write tmp: tmp is a folder"},
        {{"--archive", "fifo.salad", "--at", "0"}, 255, "fifo.salad: is a FIFO, not a file; not read"},
    };
    for (const auto& fault : cases) {
        SCOPED_TRACE(fault.message);
        ProgramRun run = capture(folder, fault.args);
        EXPECT_EQ(run.exitCode, fault.exitCode);
        EXPECT_TRUE(hasLine(run.err, fault.message)) << run.err;
    }
}

TEST(CaptureFaults, FilesAppearWholeOrNotAtAllAndLinksAreReplaced) {
    ScratchFolder folder;
    folder.writeArchive(productionWith());
    folder.write("sheet.png", "old sheet");
    // Writes past 1 KiB fail as on a full disk: the sheet cannot be written, the old one stays.
    RunPlan full;
    full.fileSizeLimit = 1024;
    ProgramRun run = capture(folder, {"--fps", "1", "--to", "1000", "--sheet", "sheet.png"}, full);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: cannot write sheet.png")) << run.err;
    EXPECT_EQ(readFile(folder.path() + "/sheet.png"), "old sheet");

    fs::create_directories(folder.path() + "/frames");
    folder.write("target.png", "kept");
    fs::create_symlink("../target.png", folder.path() + "/frames/frame-000000.png");
    run = capture(folder, {"--at", "0", "--out", "frames"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(folder.path() + "/target.png"), "kept");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.path() + "/frames/frame-000000.png")));
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
    }
}

// An encoder that takes nothing, or an interruption while loading: the signal still ends the run with 130,
// the encoder is ended, and neither the video nor the temporary soundtrack is left.
TEST(CaptureFaults, SignalsEndAStuckEncoderAndAnInterruptedStartLeavingNothing) {
    ScratchFolder folder;
    folder.writeArchive(productionWith("", encodeRisingTone(1.0, 440.0, 0.2, 0.4)));
    RunPlan stuck;
    stuck.environment = {stuckEncoder(folder)};
    stuck.signalNumber = SIGTERM;
    stuck.signalAfterMs = 4000;
    ProgramRun run = capture(folder, {"--video", "v.mp4"}, stuck);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    const std::string pid = readFile(folder.path() + "/ffmpeg.pid");
    ASSERT_FALSE(pid.empty());
    EXPECT_NE(kill(std::stoi(pid), 0), 0) << "the encoder is still running";

    RunPlan early;
    early.environment = {stuckEncoder(folder)};
    early.signalNumber = SIGINT;
    early.signalOnceCaught = true;
    run = capture(folder, {"--video", "v.mp4"}, early);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: interrupted while loading; nothing was written")) << run.err;

    EXPECT_FALSE(fs::exists(folder.path() + "/v.mp4"));
    EXPECT_TRUE(fs::is_empty(folder.path() + "/tmp"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
    }
}

// A soundtrack the demo plays silently gives a silent video, and a file name never reaches ffmpeg as an option.
TEST(CaptureFaults, VideoOfAnUnplayableSoundtrackIsSilentAndNamesAreNeverOptions) {
    if (!programOnPath("ffmpeg") || !programOnPath("ffprobe")) GTEST_SKIP() << "needs ffmpeg and ffprobe";
    ScratchFolder folder;
    const std::string noise = "OggS and then nothing a decoder could use";
    folder.writeArchive(productionWith("", std::vector<uint8_t>(noise.begin(), noise.end())));
    ProgramRun run = capture(folder, {"--fps", "10", "--to", "500", "--video", "-evil.mp4"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasLine(run.err, "tomblora-capture: soundtrack.ogg is not a playable Ogg Vorbis stream; the "
                                 "video has no sound"))
        << run.err;
    const std::string probe = "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + folder.path() +
                              "/-evil.mp4 > " + folder.path() + "/streams.txt";
    ASSERT_EQ(std::system(probe.c_str()), 0);
    EXPECT_EQ(readFile(folder.path() + "/streams.txt"), "video\n");
}
