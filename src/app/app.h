// Application shell: start-up, main loop, timeline, shutdown and the soundtrack player.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern ScreenInfo gScreen;
extern bool gQuit;

// Plays the soundtrack entry from memory through the platform's sound layer.
class SoundtrackPlayer {
  public:
    // The shared player; the first call initialises the sound layer.
    static SoundtrackPlayer* instance();
    // The shared player if one was made, else null (nothing is initialised).
    static SoundtrackPlayer* existing();
    static void destroyInstance();
    void open(const char* entryName);
    void play();
    // Always -1: no playback position is known, the main loop uses the system clock.
    int32_t playbackTime() const { return -1; }
    void toggleMute();
    void stop();
    void close();
    bool isMuted() const { return muted; }

  private:
    bool muted = false;
    bool deviceOpen = false;
    bool streamOpen = false;
};

// Which part draws at demo time t, and with which local time.
enum class TimelinePart { A, B, C, D };
struct TimelineSlot {
    TimelinePart part;
    uint32_t localTime;
};
TimelineSlot timelineSlot(uint32_t t);

// Formats the two console lines for t into buffer ("  mm:ss.mmm  \n  t  \n").
void formatConsoleLines(uint32_t t, char* buffer, int32_t bufferSize);

// Draws, prints and presents the frame at demo time t (milliseconds).
void runFrame(uint32_t t, ScreenInfo* screen);
// Frees the current scene, the shared drawing resources and the archive (after the sound is closed).
void releaseResources();

// The window procedure: Escape quits, close posts the quit message, 'm' toggles the mute.
void windowProc(const WindowMessage& message);

struct StartupOptions {
    int32_t scale = 1;       // window and viewport are scale x 320 by scale x 240
    bool playMusic = true;   // the capture tool opens no sound
    bool headless = false;   // the capture tool: its messages are worded for it
};
// Start-up up to the loaded scenes (window, context, loading screen, set-up). Returns the process exit
// code to use when it fails (no display or context), 0 on success. A quit signal during loading sets gQuit
// and leaves the scenes partial: the caller must draw nothing and shut down.
int startUp(const StartupOptions& options);
// Opens and starts the soundtrack and takes the clock's start reading.
void startMusicAndClock();
// The real-time main loop until 172000 ms, Escape or close.
void runMainLoop();
// Shutdown in order: sound, resources, context, window.
void shutDown();
// The whole program; returns the exit code.
int runDemo();
