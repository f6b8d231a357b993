// Test support: a 320 x 240 offscreen GL context, in-memory test archives and a PNG writer.
#pragma once

#include "archive/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct PlatformWindow;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& colour);

// True when every channel of a and b differs by at most tolerance.
bool nearColour(const Rgb& a, const Rgb& b, int tolerance);

// Sets SDL_VIDEODRIVER=offscreen, SDL_AUDIODRIVER=dummy and LIBGL_ALWAYS_SOFTWARE=1 (llvmpipe) unless
// already set to something. Called by GlTestContext; call it yourself before any other SDL use.
void useHeadlessDrivers();

// A hidden 320 x 240 window with the shared GlContext current on it, viewport set to the whole window,
// gDisplayWidth/gDisplayHeight 320/240. Video stays initialised for the rest of the process.
class GlTestContext {
  public:
    static constexpr int32_t kWidth = 320;
    static constexpr int32_t kHeight = 240;

    // Returns false (with a reason in error()) when no window or context could be made.
    bool open();
    void close();
    ~GlTestContext() { close(); }
    const std::string& error() const { return failure; }

    // One pixel as glReadPixels gives it: origin bottom-left.
    Rgb readPixel(int32_t x, int32_t y) const;
    // The whole colour buffer, RGB rows bottom row first (kWidth * kHeight * 3 bytes).
    std::vector<uint8_t> readFrame() const;
    static Rgb pixelOf(const std::vector<uint8_t>& frame, int32_t x, int32_t y);

  private:
    PlatformWindow* window = nullptr;
    std::string failure;
};

// Fixture: a fresh context for each test; a test that cannot get one fails, it does not skip.
class GlTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.open()) << gl.error(); }
    void TearDown() override { gl.close(); }
    GlTestContext gl;
};

// An archive file written to a fresh temporary folder, with archiveBaseDir/archiveFileName pointing at it
// and the shared ResourceArchive reset, so the next ResourceArchive::instance() opens it. The destructor
// destroys the shared archive, restores the two names and deletes the folder. Keep one alive at a time:
// destroy the previous one before making the next.
class TestArchive {
  public:
    explicit TestArchive(const std::vector<ArchiveInput>& entries);
    ~TestArchive();
    TestArchive(const TestArchive&) = delete;
    TestArchive& operator=(const TestArchive&) = delete;
    bool ok() const { return written; }
    const std::string& error() const { return failure; }
    const std::string& folder() const { return directory; }

  private:
    std::string directory;
    std::string failure;
    bool written = false;
    char savedBaseDir[256];
    char savedFileName[256];
};

// A stored (uncompressed) archive entry.
ArchiveInput storedEntry(const std::string& name, const std::vector<uint8_t>& data);
ArchiveInput storedEntry(const std::string& name, const std::string& text);

// PNG bytes of a tightly packed image with 1 to 4 components, first row first.
std::vector<uint8_t> encodePng(int32_t width, int32_t height, int32_t components, const std::vector<uint8_t>& pixels);
// An image of one colour.
std::vector<uint8_t> solidPixels(int32_t width, int32_t height, int32_t components, const std::vector<uint8_t>& colour);
