// Application shell: start-up, main loop, timeline, shutdown and the soundtrack player.
#pragma once

#include <cstdint>
#include <span>

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
    // Holds the music where it is, or lets it go on (the viewer's pause and seeks).
    void pause(bool paused);
    // Moves the music to ms milliseconds from its start.
    void seek(uint32_t ms);
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

// ---- bringing the timeline to a frame: the capture tool's pre-roll, and seeking ----
// A frame depends on the frames before it through the parts' state (node fields, cameras, globals, font
// colours, GL state) and through the colour buffer, which is never cleared: pixels a frame leaves uncovered
// keep what earlier frames drew.
struct TimelineFrame {
    uint32_t time = 0; // demo time, ms
    // Drawn, then state and pixels put back (a moment between two steps); the last frame only.
    bool undone = false;
};
struct TargetFrameHooks {
    void (*beforeDraw)(void* user) = nullptr; // runs just before the target frame is drawn
    void* user = nullptr;
};
// Runs frames (in timeline order, from the current state) and draws and presents the last one, the target.
// Afterwards the presented target, and the state and colour buffer that later frames start from, are byte
// for byte those of drawing and presenting every frame in turn; drawEveryFrame does just that (slow; for
// comparing). The rule of what is drawn: the logic of every frame runs (runFrame with drawing off: every
// state call, no draw call, nothing printed or presented), and drawing starts at the last frame, going back
// from the target, whose opaque drawing covers every pixel (gfx's coverage probe), or at the first frame
// when none does. To find that frame, windows of 1, 4, 16, ... frames back from the target are drawn; a
// window without a covering frame is undone (a DemoSnapshot of state and pixels taken at the start) before
// the next is tried. An undone target covers nothing for later frames. The current state must be one that
// drawn frames leave (after start-up, or after frames run here or by runFrame). Allocates, takes a
// snapshot and reads pixels when there is more than one frame: not for timed frames.
void bringTimelineTo(std::span<const TimelineFrame> frames, const TargetFrameHooks& target,
                     bool drawEveryFrame = false);

// Frees the current scene, the shared drawing resources and the archive (after the sound is closed).
void releaseResources();

// The window procedure: Escape quits, close posts the quit message, 'm' toggles the mute.
void windowProc(const WindowMessage& message);

// Where the 4:3 picture goes in a window: the largest 4k x 3k rectangle that fits, centred on black bars.
struct PictureRect {
    int32_t x = 0, y = 0; // from the window's lower-left corner, as glViewport takes it
    int32_t width = 0, height = 0;
};
PictureRect fitPicture(int32_t windowWidth, int32_t windowHeight);

struct StartupOptions {
    int32_t width = 320; // window size in pixels; the picture is rendered natively at fitPicture's size
    int32_t height = 240;
    bool fullscreen = false; // the window covers the desktop instead (the picture fits it)
    bool playMusic = true;   // the capture tool opens no sound
    bool headless = false;   // the capture tool: its messages are worded for it
};
// Start-up up to the loaded scenes (window, context, loading screen, set-up). Returns the process exit
// code to use when it fails (no display or context), 0 on success. A quit signal during loading sets gQuit
// and leaves the scenes partial: the caller must draw nothing and shut down.
int startUp(const StartupOptions& options);
// Opens and starts the soundtrack (muted if asked) and sets the clock to startMs.
void startMusicAndClock(uint32_t startMs = 0, bool muted = false);
// The demo clock: milliseconds of the production since its start, read from the system clock.
uint32_t demoClock();
// Sets the demo clock to t now; it runs on from there.
void setDemoClock(uint32_t t);
// The moment of the frame on the screen (the last one the main loop or a seek drew).
uint32_t shownMoment();
void setShownMoment(uint32_t t);
// The demo's window (null before start-up and after shutdown).
PlatformWindow* demoWindow();
// The real-time main loop until 172000 ms, Escape or close.
void runMainLoop();
// Shutdown in order: sound, resources, context, window.
void shutDown();
// ---- the viewer keys (on when the demo is started with an option) ----
// Turns them on after start-up: the state reached then is kept for seeks, and the picture is brought to
// startMs (clamped to 172000) when that is not 0. Allocates: call before the clock starts.
void beginViewerControls(bool fullscreen, uint32_t startMs);
// Full screen (F11, Alt+Enter), pause (Space), seeks (Left, Right, Home), a new window size. Does nothing
// until beginViewerControls.
void viewerMessage(const WindowMessage& message);
// True while the viewer has paused the production: the main loop draws nothing.
bool viewerPaused();
// Lays the picture out for a new window size; the main loop calls it after each drain of the messages.
void viewerBetweenPasses();

struct ViewerOptions;
// The whole program; returns the exit code.
int runDemo(const ViewerOptions& options);
