// H.264 video through the ffmpeg program: raw RGB frames on its standard input, the soundtrack muxed in.
#pragma once

#include "capture_options.h"
#include "frame_image.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The full path of an executable found on PATH, or "" when there is none.
std::string findOnPath(const char* program);

struct VideoSettings {
    std::string outputFile;
    int32_t width = 320;
    int32_t height = 240;
    FrameRate rate;
    uint32_t fromMs = 0;                 // where the soundtrack starts
    uint64_t frameCount = 0;             // the audio is cut to frameCount / rate seconds
    const uint8_t* soundtrack = nullptr; // Ogg bytes; null or not playable: a video without sound
    size_t soundtrackSize = 0;
};

// The video goes to a temporary file beside the output and is renamed into place only when ffmpeg
// succeeded, so an existing file is replaced by a whole video or not at all.
class VideoEncoder {
  public:
    ~VideoEncoder();
    // Decodes the soundtrack as the demo plays it into a temporary file and starts ffmpeg. False with the
    // reason on failure.
    bool start(const VideoSettings& settings, std::string& error);
    // One frame, top row first, of the size given to start. A quit signal while ffmpeg has taken nothing
    // for three seconds (a stuck encoder) aborts the video (see aborted).
    bool writeFrame(const RgbImage& frame, std::string& error);
    // Closes the pipe, waits for ffmpeg and puts the video in place; false with the reason when it did not
    // succeed. A video given fewer frames than planned has its sound cut to match; one given none is not
    // written. A quit signal while waiting aborts the video.
    bool finish(std::string& error);
    // Ends ffmpeg at once and removes every file it was writing: nothing is left behind.
    void abort();
    // True once a quit signal ended the video early and nothing was written.
    bool aborted() const { return wasAborted; }

  private:
    void removeAudioFile();
    bool cutSoundToFrames();
    bool waitUnlessQuit(pid_t process, int& code);
    bool putInPlace(std::string& error);

    int pipe = -1;
    pid_t child = -1;
    std::string audioFile;
    std::string partialFile;
    bool wasAborted = false;
    size_t frameBytes = 0;
    VideoSettings planned;
    bool withAudio = false;
    uint64_t framesWritten = 0;
};
