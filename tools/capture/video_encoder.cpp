// Starting ffmpeg as a child process, feeding it frames and waiting for it.
#include "video_encoder.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

std::string temporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && base[0] != '\0' ? base : "/tmp";
}

bool isOgg(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 4 && std::memcmp(data, "OggS", 4) == 0;
}

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
    std::string ignored;
    finish(ignored);
}

bool VideoEncoder::start(const VideoSettings& settings, std::string& error) {
    std::string ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty()) {
        error = "the ffmpeg program is not on PATH";
        return false;
    }
    frameBytes = size_t(settings.width) * size_t(settings.height) * 3;
    bool withSound = isOgg(settings.soundtrack, settings.soundtrackSize);
    if (!withSound) {
        std::fprintf(stderr,
                     "tomblora-capture: soundtrack.ogg is not an Ogg stream; the video has no sound\n");
    } else {
        std::string pattern = temporaryFolder() + "/tomblora-capture-XXXXXX.ogg";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        int fd = mkstemps(name.data(), 4);
        if (fd < 0) {
            error = "cannot make a temporary file for the soundtrack in " + temporaryFolder();
            return false;
        }
        audioFile = name.data();
        FILE* file = fdopen(fd, "wb");
        bool written = file != nullptr && std::fwrite(settings.soundtrack, 1, settings.soundtrackSize,
                                                      file) == settings.soundtrackSize;
        written = file != nullptr && std::fclose(file) == 0 && written;
        if (!written) {
            error = "cannot write the soundtrack to " + audioFile;
            removeAudioFile();
            return false;
        }
    }

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
            "-i",   audioFile,
            "-map", "0:v:0",
            "-map", "1:a:0",
            "-c:a", "aac",
            "-b:a", "192k"};
        args.insert(args.end(), audio.begin(), audio.end());
    }
    std::vector<std::string> video = {"-c:v", "libx264", "-preset",          "veryfast",
                                      "-crf", "18",      "-pix_fmt",         "yuv420p",
                                      "-r",   rate,      settings.outputFile};
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
    pipe = fdopen(fds[1], "wb");
    planned = settings;
    planned.soundtrack = nullptr;
    withAudio = withSound;
    framesWritten = 0;
    return true;
}

bool VideoEncoder::writeFrame(const RgbImage& frame, std::string& error) {
    if (pipe == nullptr || frame.pixels.size() != frameBytes) {
        error = "the video encoder is not running";
        return false;
    }
    if (std::fwrite(frame.pixels.data(), 1, frameBytes, pipe) != frameBytes) {
        error = "ffmpeg stopped taking frames";
        return false;
    }
    ++framesWritten;
    return true;
}

bool VideoEncoder::finish(std::string& error) {
    bool ok = true;
    if (pipe != nullptr) {
        ok = std::fclose(pipe) == 0;
        pipe = nullptr;
    }
    if (child > 0) {
        int code = waitForExit(child);
        child = -1;
        if (code != 0) {
            error = "ffmpeg failed (status " + std::to_string(code) + ")";
            ok = false;
        } else if (!ok) {
            error = "the pipe to ffmpeg broke";
        } else if (withAudio && framesWritten < planned.frameCount) {
            cutSoundToFrames();
        }
    }
    removeAudioFile();
    return ok;
}

// A video that stopped early (the run was interrupted) still has the sound of the whole span: copy both
// streams into a file that ends with the last frame, then put it in the video's place. On failure the
// video stays as it is, with a warning.
void VideoEncoder::cutSoundToFrames() {
    const std::string& file = planned.outputFile;
    size_t dot = file.find_last_of('.');
    size_t slash = file.find_last_of('/');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string cut = hasExtension ? file.substr(0, dot) + ".cut" + file.substr(dot) : file + ".cut";
    std::vector<std::string> args = {findOnPath("ffmpeg"), "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-y", "-i", file, "-map", "0", "-c", "copy", "-t",
                                     seconds(framesWritten * planned.rate.den, planned.rate.num), cut};
    pid_t cutter = -1;
    bool done = !args[0].empty() && spawnInOwnGroup(cutter, args, nullptr) == 0 && waitForExit(cutter) == 0 &&
                std::rename(cut.c_str(), file.c_str()) == 0;
    if (!done) {
        unlink(cut.c_str());
        std::fprintf(stderr, "tomblora-capture: the sound of %s could not be cut to its last frame\n",
                     file.c_str());
    }
}

void VideoEncoder::removeAudioFile() {
    if (!audioFile.empty()) {
        unlink(audioFile.c_str());
        audioFile.clear();
    }
}
