// tomblora-capture: renders the production headless at a fixed step through the demo's own start-up and
// frames.
#include "capture_options.h"
#include "contact_sheet.h"
#include "frame_image.h"
#include "png_writer_pool.h"
#include "progress.h"
#include "video_encoder.h"

#include "app/app.h"
#include "archive/archive.h"
#include "demo/demo.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// Filled by the before-present hook: the frame exactly as the demo would show it.
struct FrameGrab {
    bool wanted = false;
    bool taken = false;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bottomFirst;
    RgbImage frame;
};

void grabBeforePresent(void* user) {
    auto* grab = static_cast<FrameGrab*>(user);
    if (!grab->wanted) {
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, grab->width, grab->height, GL_RGB, GL_UNSIGNED_BYTE, grab->bottomFirst.data());
    flipRowsInto(grab->bottomFirst.data(), grab->width, grab->height, grab->frame);
    grab->taken = true;
    grab->wanted = false;
}

// Paints the picture (not the bars around it), leaving the clear colour and scissor state as the demo had
// them.
void fillMarker(const uint8_t rgb[3]) {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    GLint picture[4];
    glGetIntegerv(GL_VIEWPORT, picture);
    glEnable(GL_SCISSOR_TEST);
    glScissor(picture[0], picture[1], picture[2], picture[3]);
    glClearColor(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
}

void useHeadlessDrivers() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // llvmpipe rasterises alike on every machine, so captures are comparable.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

bool prepareFolder(const std::string& dir) {
    std::error_code failure;
    std::filesystem::create_directories(dir, failure);
    if (failure || !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "tomblora-capture: cannot make the folder '%s'\n", dir.c_str());
        return false;
    }
    return true;
}

// The loaded font's glyph table with its page image decoded again for the CPU.
bool loadLabelFont(LabelFont& font) {
    if (gFont == nullptr) {
        return false;
    }
    ResourceEntry* descriptor = ResourceArchive::instance()->find("demo.fnt");
    FontDescriptor parsed;
    parseFontDescriptor("demo.fnt", descriptor->data, size_t(descriptor->size), parsed);
    ResourceEntry* page = ResourceArchive::instance()->find(parsed.pageFile);
    return makeLabelFont(*gFont, page->data, size_t(page->size), font);
}

// One capture run after start-up: draws the plan and writes what it asks for.
class CaptureRun {
  public:
    explicit CaptureRun(const CaptureOptions& capture) : options(capture) {}
    ~CaptureRun() { GlContext::instance()->setBeforePresent(nullptr, nullptr); }

    bool prepare() {
        plan = planCapture(options);
        grab.width = options.width;
        grab.height = options.height;
        grab.bottomFirst.resize(size_t(grab.width) * size_t(grab.height) * 3);
        if (!options.sheetFile.empty()) {
            bool labelled = loadLabelFont(labelFont);
            if (!labelled) {
                std::fprintf(stderr,
                             "tomblora-capture: the font page does not decode; the sheet has no labels\n");
            }
            sheet.begin(plan.sheetTimes, labelled ? &labelFont : nullptr);
        }
        if (!options.videoFile.empty()) {
            ResourceEntry* soundtrack = ResourceArchive::instance()->find("soundtrack.ogg");
            VideoSettings settings;
            settings.outputFile = options.videoFile;
            settings.width = grab.width;
            settings.height = grab.height;
            settings.rate = options.fps;
            settings.fromMs = options.from;
            settings.frameCount = plan.videoFrames;
            settings.soundtrack = soundtrack->data;
            settings.soundtrackSize = size_t(soundtrack->size);
            std::string error;
            if (!video.start(settings, error)) {
                return report(error);
            }
        }
        if (!options.moments.empty() || !options.sequenceDir.empty()) {
            // Encoding a frame takes longer than drawing one; the next frames are drawn meanwhile.
            const int32_t workers = PngWriterPool::defaultWorkers();
            files = std::make_unique<PngWriterPool>(workers, size_t(2 * workers));
        }
        GlContext::instance()->setBeforePresent(grabBeforePresent, &grab);
        return true;
    }

    bool drawAll() {
        Progress progress(plan.writtenFrames());
        uint64_t written = 0;
        size_t firstToRun = 0;
        for (size_t i = 0; i < plan.frames.size(); ++i) {
            // The frames nobody sees run as the pre-roll of the next written one.
            if (!plan.frames[i].written()) {
                continue;
            }
            // Ctrl-C or SIGTERM: stop between two frames, so that every file written so far is whole.
            if (takeQuitSignal()) {
                interrupted = true;
                framesBeforeInterruption = firstToRun;
                // Finishing can take a while (ffmpeg still encodes the sound); a second one ends it at once.
                std::signal(SIGINT, SIG_DFL);
                std::signal(SIGTERM, SIG_DFL);
                if (firstToRun > 0) {
                    std::fprintf(
                        stderr,
                        "tomblora-capture: stopping after the frame at %u ms (again to quit at once)\n",
                        plan.frames[firstToRun - 1].time);
                }
                break;
            }
            const PlannedFrame& planned = plan.frames[i];
            timeline.clear();
            for (size_t k = firstToRun; k <= i; ++k) {
                // A moment between two steps must not change what the following steps carry over.
                timeline.push_back({plan.frames[k].time, plan.frames[k].between});
            }
            firstToRun = i + 1;
            grab.taken = false;
            bringTimelineTo(timeline, {beforeTarget, this}, options.drawEveryStep);
            if (!write(planned)) {
                return false;
            }
            progress.update(++written, planned.time);
        }
        progress.finish();
        return true;
    }

    // Writes what is still in flight. After an interruption the frames drawn so far are kept, the video ends
    // with them, and the contact sheet, which would have gaps, is not written.
    bool finish() {
        std::string failedPath;
        if (files && !files->finish(failedPath)) {
            return report("cannot write " + failedPath);
        }
        if (!options.sheetFile.empty() && !interrupted && !writePngFile(options.sheetFile, sheet.image())) {
            return report("cannot write " + options.sheetFile);
        }
        std::string error;
        if (!options.videoFile.empty() && !video.finish(error)) {
            return report(error + "; " + options.videoFile + " is not complete");
        }
        if (interrupted) {
            std::string kept = !options.videoFile.empty() ? options.videoFile + " ends with it"
                                                          : "the frames drawn so far are written";
            if (!options.sheetFile.empty()) kept += "; " + options.sheetFile + " was not written";
            const size_t drawn = framesBeforeInterruption;
            report(drawn == 0 ? "interrupted before the first frame"
                              : "interrupted after the frame at " +
                                    std::to_string(plan.frames[drawn - 1].time) + " ms; " + kept);
        }
        return true;
    }

    bool wasInterrupted() const { return interrupted; }

  private:
    // The written frame is read where it is presented; the marker goes under it.
    static void beforeTarget(void* user) {
        auto* run = static_cast<CaptureRun*>(user);
        run->grab.wanted = true;
        if (run->options.useMarker) {
            fillMarker(run->options.marker);
        }
    }

    bool write(const PlannedFrame& planned) {
        if (!grab.taken) {
            return report("the frame at " + std::to_string(planned.time) + " ms was not presented");
        }
        if (planned.moment && !writeFrameFile(options.outDir, planned.time)) {
            return false;
        }
        if (planned.sequence && !writeFrameFile(options.sequenceDir, planned.time)) {
            return false;
        }
        std::string error;
        if (planned.video && !video.writeFrame(grab.frame, error)) {
            return report(error);
        }
        if (planned.sheet) {
            sheet.addFrame(planned.time, pictureOf(grab.frame));
        }
        return true;
    }

    bool writeFrameFile(const std::string& dir, uint32_t time) {
        if (files->write(framePath(dir, time), grab.frame)) {
            return true;
        }
        std::string failedPath;
        files->finish(failedPath);
        return report("cannot write " + failedPath);
    }

    // The frame without its bars, for the sheet's 4:3 cells.
    const RgbImage& pictureOf(const RgbImage& frame) {
        const PictureRect rect = fitPicture(frame.width, frame.height);
        if (rect.width == frame.width && rect.height == frame.height) {
            return frame;
        }
        picture = RgbImage(rect.width, rect.height);
        // glViewport's y counts from the bottom; the image's rows from the top.
        blit(frame, picture, -rect.x, -(frame.height - rect.y - rect.height));
        return picture;
    }

    static bool report(const std::string& message) {
        std::fprintf(stderr, "tomblora-capture: %s\n", message.c_str());
        return false;
    }

    const CaptureOptions& options;
    CapturePlan plan;
    FrameGrab grab;
    RgbImage picture;
    std::vector<TimelineFrame> timeline;
    LabelFont labelFont;
    ContactSheet sheet;
    VideoEncoder video;
    std::unique_ptr<PngWriterPool> files; // null when no frame goes to a file
    bool interrupted = false;
    size_t framesBeforeInterruption = 0;
};

int runCapture(const CaptureOptions& options) {
    if (!options.videoFile.empty() && findOnPath("ffmpeg").empty()) {
        std::fprintf(stderr, "tomblora-capture: --video needs the ffmpeg program, which is not on PATH "
                             "(on Debian: apt-get install ffmpeg)\n");
        return 1;
    }
    // A folder that cannot be made is a fault of the command line, found before any rendering.
    if ((!options.moments.empty() && !prepareFolder(options.outDir)) ||
        (!options.sequenceDir.empty() && !prepareFolder(options.sequenceDir))) {
        return 2;
    }
    // A reader gone from the other end of the ffmpeg pipe must be an error to report, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    useHeadlessDrivers();
    // Before the video system starts, so that SDL does not take the signals over.
    catchQuitSignals();
    archiveBaseDir[0] = '\0';
    std::snprintf(archiveFileName, sizeof archiveFileName, "%s", options.archive.c_str());
    consoleSetFrameLinesEnabled(false);

    StartupOptions startup;
    startup.width = options.width;
    startup.height = options.height;
    startup.playMusic = false;
    int startupCode = startUp(startup);
    if (startupCode != 0) {
        return startupCode;
    }
    auto run = std::make_unique<CaptureRun>(options);
    bool done = run->prepare() && run->drawAll() && run->finish();
    const bool interrupted = run->wasInterrupted();
    run.reset();
    shutDown();
    return !done ? 1 : interrupted ? kExitInterrupted : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    CaptureOptions options = parseCaptureArgs(argc, argv, error);
    if (!error.empty()) {
        std::fprintf(stderr, "tomblora-capture: %s\nTry 'tomblora-capture --help' for more information.\n",
                     error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kCaptureUsage, stdout);
        return 0;
    }
    return runCapture(options);
}
