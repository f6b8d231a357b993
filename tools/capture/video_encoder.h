// H.264 video through the ffmpeg program: raw RGB frames on its standard input, the soundtrack muxed in.
#pragma once

#include "capture_options.h"
#include "frame_image.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The full path of an executable found on PATH, or "" when there is none.
std::string findOnPath(const char* program);

struct VideoSettings {
    std::string outputFile;
    int32_t width = 320;
    int32_t height = 240;
    FrameRate rate;
    uint32_t fromMs = 0;                 // where the soundtrack starts
    uint64_t frameCount = 0;             // the audio is cut to frameCount / rate seconds
    const uint8_t* soundtrack = nullptr; // Ogg bytes; null or not Ogg: a video without sound
    size_t soundtrackSize = 0;
};

class VideoEncoder {
  public:
    ~VideoEncoder();
    // Writes the soundtrack to a temporary file and starts ffmpeg. False with the reason on failure.
    bool start(const VideoSettings& settings, std::string& error);
    // One frame, top row first, of the size given to start.
    bool writeFrame(const RgbImage& frame, std::string& error);
    // Closes the pipe and waits for ffmpeg; false with the reason when it did not succeed. A video given fewer
    // frames than planned has its sound cut to match.
    bool finish(std::string& error);

  private:
    void removeAudioFile();
    void cutSoundToFrames();

    FILE* pipe = nullptr;
    pid_t child = -1;
    std::string audioFile;
    size_t frameBytes = 0;
    VideoSettings planned;
    bool withAudio = false;
    uint64_t framesWritten = 0;
};
