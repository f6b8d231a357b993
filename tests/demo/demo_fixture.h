// Fixture for the demo tests: an offscreen context with the test production loaded and set up.
#pragma once

#include "demo/demo.h"
#include "support/gl_test_context.h"
#include "test_production.h"

#include <memory>

class DemoTest : public GlTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Clears colour and depth to black before a frame, so that what the frame leaves undrawn shows.
    static void clearToBlack();
    Rgb pixel(int32_t x, int32_t y) const { return gl.readPixel(x, y); }

    ScreenInfo screen = {320, 240};
    std::unique_ptr<TestArchive> archive;
};

// Frees what showLoadingScreen and setupScenes made, so that the next test starts afresh.
void releaseDemoResources();

// Pixel row and column (rounded down) of a point given in the view space of a camera at the origin with
// no roll: x right, y up, z the distance in front; fov is the vertical field of view in radians.
struct ScreenPoint {
    int32_t x, y;
};
ScreenPoint projectViewPoint(double x, double y, double z, double fov);

inline Rgb rgbOf(const uint8_t (&c)[3]) { return Rgb{c[0], c[1], c[2]}; }
