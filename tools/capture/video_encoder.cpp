// Starting ffmpeg as a child process, feeding it frames and waiting for it.
#include "video_encoder.h"

#include "whole_file.h"

#include "platform/platform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

std::string temporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && base[0] != '\0' ? base : "/tmp";
}

// What the demo's player makes of the stream: 44100 Hz, two channels of 16 bits.
constexpr uint64_t kSoundBytesPerSecond = 44100 * 4;
// After a quit signal, an ffmpeg that takes no bytes for this long counts as stuck.
constexpr std::chrono::milliseconds kStuckAfter{3000};

std::string seconds(uint64_t numerator, uint64_t denominator) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", double(numerator) / double(denominator));
    return text;
}

// Starts a program in a process group of its own: Ctrl-C in the terminal then reaches only this program,
// which closes ffmpeg's pipe, and ffmpeg ends the file properly instead of quitting in the middle of a frame.
int spawnInOwnGroup(pid_t& child, std::vector<std::string>& args, const posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    int spawned = posix_spawn(&child, args[0].c_str(), actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return spawned;
}

// The child's exit code, or -1 when it did not exit normally.
int waitForExit(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string findOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t colon = directories.find(':', start);
        std::string dir =
            directories.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return "";
}

VideoEncoder::~VideoEncoder() {
    if (child > 0 || !partialFile.empty() || !audioFile.empty()) {
        abort();
    }
}

bool VideoEncoder::start(const VideoSettings& settings, std::string& error) {
    std::string ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty()) {
        error = "the ffmpeg program is not on PATH";
        return false;
    }
    frameBytes = size_t(settings.width) * size_t(settings.height) * 3;
    // The sound as the demo plays it, so a stream the demo accepts never stops ffmpeg: damage ends or
    // skips what it must, as in the demo, and a stream that does not play at all leaves the video silent.
    const uint64_t soundMs = uint64_t(settings.fromMs) +
                             (settings.frameCount * settings.rate.den * 1000 + settings.rate.num - 1) /
                                 settings.rate.num;
    std::vector<uint8_t> pcm;
    const bool opened = settings.soundtrack != nullptr &&
                        soundDecodeAll(settings.soundtrack, settings.soundtrackSize,
                                       size_t((soundMs + 1) * kSoundBytesPerSecond / 1000) & ~size_t(3), pcm);
    const bool withSound = !pcm.empty();
    if (!opened) {
        std::fprintf(stderr, "tomblora-capture: soundtrack.ogg is not a playable Ogg Vorbis stream; the video "
                             "has no sound\n");
    } else if (!withSound) {
        std::fprintf(stderr, "tomblora-capture: soundtrack.ogg holds no sound before its damage; the video "
                             "has no sound\n");
    } else {
        std::string pattern = temporaryFolder() + "/tomblora-capture-XXXXXX.pcm";
        if (pattern[0] != '/') {
            pattern = "./" + pattern;
        }
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        int fd = mkstemps(name.data(), 4);
        if (fd < 0) {
            error = "cannot make a temporary file for the soundtrack in " + temporaryFolder();
            return false;
        }
        audioFile = name.data();
        FILE* file = fdopen(fd, "wb");
        bool written = file != nullptr && std::fwrite(pcm.data(), 1, pcm.size(), file) == pcm.size();
        written = file != nullptr && std::fclose(file) == 0 && written;
        if (!written) {
            error = "cannot write the soundtrack to " + audioFile;
            removeAudioFile();
            return false;
        }
    }
    partialFile = partialPathBeside(settings.outputFile);

    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", settings.width, settings.height);
    std::string rate = std::to_string(settings.rate.num) + "/" + std::to_string(settings.rate.den);
    std::vector<std::string> args = {ffmpeg,       "-hide_banner", "-loglevel", "error", "-nostats", "-y",
                                     "-f",         "rawvideo",     "-pix_fmt",  "rgb24", "-s",       size,
                                     "-framerate", rate,           "-i",        "pipe:0"};
    if (withSound) {
        std::vector<std::string> audio = {
            "-ss",  seconds(settings.fromMs, 1000),
            "-t",   seconds(settings.frameCount * settings.rate.den, settings.rate.num),
            "-f",   "s16le",
            "-ar",  "44100",
            "-ac",  "2",
            "-i",   audioFile,
            "-map", "0:v:0",
            "-map", "1:a:0",
            "-c:a", "aac",
            "-b:a", "192k"};
        args.insert(args.end(), audio.begin(), audio.end());
    }
    std::vector<std::string> video = {"-c:v", "libx264", "-preset",          "veryfast",
                                      "-crf", "18",      "-pix_fmt",         "yuv420p",
                                      "-r",   rate,      partialFile};
    args.insert(args.end(), video.begin(), video.end());

    int fds[2];
    if (::pipe(fds) != 0) {
        error = "cannot make a pipe to ffmpeg";
        removeAudioFile();
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    int spawned = spawnInOwnGroup(child, args, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (spawned != 0) {
        close(fds[1]);
        child = -1;
        error = "cannot start " + ffmpeg + ": " + std::strerror(spawned);
        removeAudioFile();
        return false;
    }
    // Writes wait in poll, so that a quit signal is seen even while ffmpeg takes nothing.
    pipe = fds[1];
    fcntl(pipe, F_SETFL, fcntl(pipe, F_GETFL) | O_NONBLOCK);
    fcntl(pipe, F_SETFD, FD_CLOEXEC);
    planned = settings;
    planned.soundtrack = nullptr;
    withAudio = withSound;
    framesWritten = 0;
    return true;
}

bool VideoEncoder::writeFrame(const RgbImage& frame, std::string& error) {
    if (pipe < 0 || frame.pixels.size() != frameBytes) {
        error = "the video encoder is not running";
        return false;
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastTaken = Clock::now();
    size_t done = 0;
    while (done < frameBytes) {
        const ssize_t written = ::write(pipe, frame.pixels.data() + done, frameBytes - done);
        if (written > 0) {
            done += size_t(written);
            lastTaken = Clock::now();
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            error = "ffmpeg stopped taking frames";
            return false;
        }
        // A quit signal lets a working ffmpeg take the rest of the frame (the run then stops after it); one
        // that has taken nothing for a while is stuck, and the video is given up.
        if (quitSignalPending() && Clock::now() - lastTaken > kStuckAfter) {
            abort();
            error = "interrupted while ffmpeg took no frames";
            return false;
        }
        pollfd ready = {pipe, POLLOUT, 0};
        ::poll(&ready, 1, 100);
    }
    ++framesWritten;
    return true;
}

// Waits for the process; a quit signal meanwhile ends it (and, through abort, the video) at once.
bool VideoEncoder::waitUnlessQuit(pid_t process, int& code) {
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(process, &status, WNOHANG);
        if (done == process) {
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        if (done < 0 && errno != EINTR) {
            code = -1;
            return true;
        }
        if (quitSignalPending()) {
            kill(-process, SIGKILL);
            waitForExit(process);
            return false;
        }
        usleep(20000);
    }
}

bool VideoEncoder::finish(std::string& error) {
    if (child <= 0) {
        return true;
    }
    ::close(pipe);
    pipe = -1;
    int code = 0;
    if (!waitUnlessQuit(child, code)) {
        child = -1;
        abort();
        return true;
    }
    child = -1;
    if (code != 0) {
        error = "ffmpeg failed (status " + std::to_string(code) + ")";
        abort();
        wasAborted = false;
        return false;
    }
    if (framesWritten == 0) {
        // Interrupted before the first frame: a video without a picture is worth nothing.
        abort();
        return true;
    }
    if (withAudio && framesWritten < planned.frameCount && !cutSoundToFrames()) {
        abort();
        return true;
    }
    removeAudioFile();
    return putInPlace(error);
}

// The finished video replaces the output; a file that was there keeps its permission bits.
bool VideoEncoder::putInPlace(std::string& error) {
    struct stat old {};
    if (lstat(planned.outputFile.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        chmod(partialFile.c_str(), old.st_mode & 07777);
    }
    if (std::rename(partialFile.c_str(), planned.outputFile.c_str()) != 0) {
        error = "cannot put the video in place at " + planned.outputFile + ": " + std::strerror(errno);
        unlink(partialFile.c_str());
        partialFile.clear();
        return false;
    }
    partialFile.clear();
    return true;
}

void VideoEncoder::abort() {
    if (pipe >= 0) {
        ::close(pipe);
        pipe = -1;
    }
    if (child > 0) {
        kill(-child, SIGKILL);
        waitForExit(child);
        child = -1;
    }
    if (!partialFile.empty()) {
        unlink(partialFile.c_str());
        partialFile.clear();
    }
    removeAudioFile();
    wasAborted = true;
}

// A video that stopped early (the run was interrupted) still has the sound of the whole span: copy both
// streams into a file that ends with the last frame, which then takes the place of the first. False when a
// quit signal ended the copying; on other failures the video stays as it is, with a warning.
bool VideoEncoder::cutSoundToFrames() {
    const std::string cut = partialPathBeside(planned.outputFile);
    std::vector<std::string> args = {findOnPath("ffmpeg"), "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-y", "-i", partialFile, "-map", "0", "-c", "copy", "-t",
                                     seconds(framesWritten * planned.rate.den, planned.rate.num), cut};
    pid_t cutter = -1;
    int code = -1;
    bool started = !args[0].empty() && spawnInOwnGroup(cutter, args, nullptr) == 0;
    if (started && !waitUnlessQuit(cutter, code)) {
        unlink(cut.c_str());
        return false;
    }
    if (!started || code != 0 || std::rename(cut.c_str(), partialFile.c_str()) != 0) {
        unlink(cut.c_str());
        std::fprintf(stderr, "tomblora-capture: the sound of %s could not be cut to its last frame\n",
                     planned.outputFile.c_str());
    }
    return true;
}

void VideoEncoder::removeAudioFile() {
    if (!audioFile.empty()) {
        unlink(audioFile.c_str());
        audioFile.clear();
    }
}
