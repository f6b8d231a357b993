// The offscreen GL context of the GL tests.
#include "support/gl_test_context.h"

#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdlib>
#include <ostream>

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ")";
}

bool nearColour(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

void useHeadlessDrivers() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Every machine rasterises alike on llvmpipe.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

namespace {

bool gVideoReady = false;

} // namespace

bool GlTestContext::open() {
    close();
    useHeadlessDrivers();
    if (!gVideoReady) {
        gVideoReady = platformInitVideo();
        if (!gVideoReady) {
            failure = "the video system did not start";
            return false;
        }
    }
    window = createWindow("tomblora test", 0, 0, kWidth, kHeight);
    if (window == nullptr) {
        failure = "no window";
        return false;
    }
    gDisplayWidth = kWidth;
    gDisplayHeight = kHeight;
    if (!GlContext::instance()->create(window)) {
        failure = "no GL context";
        close();
        return false;
    }
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

void GlTestContext::close() {
    if (window == nullptr) {
        return;
    }
    GlContext::instance()->release();
    GlContext::destroyInstance();
    destroyWindow(window);
    window = nullptr;
}

Rgb GlTestContext::readPixel(int32_t x, int32_t y) const {
    uint8_t rgb[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

std::vector<uint8_t> GlTestContext::readFrame() const {
    std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

Rgb GlTestContext::pixelOf(const std::vector<uint8_t>& frame, int32_t x, int32_t y) {
    size_t at = (static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 3;
    return Rgb{frame[at], frame[at + 1], frame[at + 2]};
}
