// Platform layer: window, GL context, messages, clock, message box, console and sound. The only module
// that calls the system (SDL2 in sdl/, Win32 in win32/); everything else calls these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Screen size in pixels, as the 2D text drawing reads it (320 x 240 for the demo).
extern int32_t gDisplayWidth;
extern int32_t gDisplayHeight;

// The screen's size in pixels; one instance (gScreen) is passed to the scene set-up and to every frame.
struct ScreenInfo {
    int32_t width;
    int32_t height;
};

// ---- errors ----

// Reports an error: the text always goes to standard error; an "ERROR" message box is shown as well when
// a real display is up (not the offscreen or dummy driver). Blocks until the box is dismissed; SIGINT or
// SIGTERM (while catchQuitSignals is in force) ends the box and the process with exit code 255.
void showErrorBox(const char* text);

// Reports a fatal error like showErrorBox and ends the process with exit code -1 (the shell sees 255).
[[noreturn]] void fatalError(const char* text);

// ---- window ----

struct PlatformWindow; // opaque

// Starts the video subsystem. Returns false (and prints why) when there is no usable display; an SDL
// fallback to its offscreen driver counts as none unless SDL_VIDEODRIVER asked for offscreen or dummy.
bool platformInitVideo();
// True when the video driver in use is a real display (not offscreen or dummy).
bool platformHasRealDisplay();
// Size of the desktop in pixels (the first display's desktop mode); 0 x 0 when unknown.
void desktopClientSize(int32_t& width, int32_t& height);
// Creates the captioned, fixed-size, hidden window with the GL pixel format requested (RGB 8/8/8, depth 16,
// double-buffered) and text input started; its client area is clientWidth x clientHeight. Null on failure.
PlatformWindow* createWindow(const char* title, int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);
void showWindow(PlatformWindow* window);
// Full screen is a borderless window covering the desktop of the window's display (the video mode stays as
// it is); off gives the window back its captioned size and place. The new size arrives as a Resized message.
void setWindowFullscreen(PlatformWindow* window, bool fullscreen);
// The size in pixels of what GL draws into (the client area).
void windowDrawableSize(PlatformWindow* window, int32_t& width, int32_t& height);
void destroyWindow(PlatformWindow* window);
void platformShutdownVideo();
// Why the last window or GL context could not be made, in the video system's words.
const char* platformVideoError();

// The OpenGL rendering context on the window: double-buffered RGB 8/8/8, no alpha, depth 16, no stencil,
// compatibility profile (fixed function).
class GlContext {
  public:
    // Creates the shared instance on the first call.
    static GlContext* instance();
    static void destroyInstance();
    // Makes a context current on the window; returns false when none could be made (the app reports it).
    bool create(PlatformWindow* window);
    // Presents the back buffer, flushing the frame's commands first on every kind of surface. The
    // before-present hook, when set, runs first (the capture tool reads the frame there).
    void swapBuffers();
    void release();
    using PresentHook = void (*)(void* user);
    void setBeforePresent(PresentHook hook, void* user);

  private:
    PlatformWindow* deviceContext = nullptr;
    int32_t pixelFormat = 0;
    void* renderingContext = nullptr;
    PresentHook beforePresent = nullptr;
    void* beforePresentUser = nullptr;
};

// ---- messages ----

// KeyDown: a key pressed (param: a key code below); held keys repeat only Left and Right. SysKeyDown: the
// same with Alt held (only Enter is reported). Char: a typed character (param: its code). Resized: the
// client area changed size (windowDrawableSize gives the new one).
enum class MessageType { Destroy, KeyDown, SysKeyDown, Char, Resized };
struct WindowMessage {
    MessageType type;
    uint32_t param;
};
// The key codes, as Windows numbers its virtual keys.
constexpr uint32_t kKeyReturn = 0x0D;
constexpr uint32_t kKeyEscape = 0x1B;
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyHome = 0x24;
constexpr uint32_t kKeyLeft = 0x25;
constexpr uint32_t kKeyRight = 0x27;
constexpr uint32_t kKeyF11 = 0x7A;

using WindowProc = void (*)(const WindowMessage& message);
// Drains the event queue: each window event becomes a WindowMessage given to proc. Returns true when a
// quit message was taken from the queue.
bool pumpMessages(WindowProc proc);
// From now on SIGINT and SIGTERM post the quit message instead of ending the process, so the run ends
// through the normal shutdown. Call before the video system starts.
void catchQuitSignals();
// True once after SIGINT or SIGTERM arrived (while catchQuitSignals is in force); clears the flag. The message
// pump takes it as a quit message; a program that pumps no messages can poll it here.
bool takeQuitSignal();
// True while a SIGINT or SIGTERM is waiting to be taken; leaves the flag as it is. Long loading polls it.
bool quitSignalPending();
// Posts the quit message; the pumpMessages that is running (from a WindowProc) or the next one returns true.
void postQuitMessage();

// ---- clock ----

// Milliseconds since the platform started; unsigned 32-bit, wraps.
uint32_t clockMilliseconds();
void sleepMilliseconds(uint32_t ms);

// ---- console ----

// True when standard output is a terminal.
bool consoleIsTerminal();
// Enables or disables the per-frame console lines (the capture tool turns them off).
void consoleSetFrameLinesEnabled(bool enabled);
// Writes the per-frame text at the top of the terminal (cursor home first, each line erased to its end).
// Writes nothing when standard output is not a terminal or the lines are disabled. No allocation.
void consoleWriteFrameLines(const char* text);

// ---- sound ----

// Opens the audio device (44100 Hz stereo, at most 1024 frames per buffer). False when there is none:
// the program then plays silently.
bool soundInit();
// Opens an Ogg Vorbis decoder on bytes in memory (not copied) that stay valid until soundClose; streams
// other than 44100 Hz stereo are converted. False on bad data or without a device.
bool soundOpenStream(const uint8_t* data, size_t size);
// Starts feeding the device from the start of the stream; the end of the stream plays silence.
void soundPlay();
// Muted output is silence while decoding goes on, so the music stays in time. Safe in any state.
void soundSetMute(bool muted);
// Stops feeding the device (pauses it).
void soundStop();
// Pauses and resumes the output where it is (silence while paused), without moving the stream.
void soundPause(bool paused);
// Moves the stream to ms milliseconds from its start (past its end: silence); the next buffer the device
// takes starts there. Decodes the first block on the calling thread, so the audio thread allocates nothing.
void soundSeek(uint32_t ms);
// Closes the device and the decoder. Every sound call is a no-op without a device.
void soundClose();
// Decodes a whole Ogg Vorbis stream from memory, without a device, into what soundPlay would play:
// 44100 Hz stereo signed 16-bit little-endian samples, interleaved, up to the end or the damage that
// stops it, at most maxBytes. False (pcm empty) when the stream does not open. For tools that mux the
// sound elsewhere.
bool soundDecodeAll(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>& pcm);
