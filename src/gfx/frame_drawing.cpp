// The gate every draw call passes: frames drawn in full, frames whose drawing is skipped, and the probe that
// finds whether a frame's opaque drawing covers the whole viewport.
#include "gfx/gfx.h"

#include <GL/gl.h>

#include <vector>

namespace {

struct Probe {
    bool active = false;
    bool cleared = false;       // the frame's depth clear came before every draw so far
    bool depthTrusted = true;   // the depth buffer still tells which pixels opaque drawing wrote
    bool sampled = false;       // the depth buffer was read (or can no longer be trusted)
    bool depthCovered = false;  // every pixel of the viewport was written when it was read
    bool quadCovered = false;   // an opaque full-screen quad was drawn
    int32_t viewport[4] = {};
    std::vector<float> depth;
};

bool gDrawing = true;
Probe gProbe;

bool enabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

bool colourFullyWritten() {
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] && mask[1] && mask[2] && !enabled(GL_BLEND) && !enabled(GL_COLOR_LOGIC_OP);
}

bool writesDepth() {
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    return enabled(GL_DEPTH_TEST) && mask;
}

bool sameViewport() {
    GLint now[4];
    glGetIntegerv(GL_VIEWPORT, now);
    return now[0] == gProbe.viewport[0] && now[1] == gProbe.viewport[1] && now[2] == gProbe.viewport[2] &&
           now[3] == gProbe.viewport[3];
}

// The quad's corners run counter-clockwise on screen: culled only when front faces are.
bool quadShows() {
    if (!enabled(GL_CULL_FACE)) return true;
    GLint culled = GL_BACK;
    GLint front = GL_CCW;
    glGetIntegerv(GL_CULL_FACE_MODE, &culled);
    glGetIntegerv(GL_FRONT_FACE, &front);
    return culled == GL_BACK && front == GL_CCW;
}

void sampleDepth() {
    gProbe.sampled = true;
    if (!gProbe.depthTrusted || !gProbe.cleared || !sameViewport()) return;
    const int32_t* v = gProbe.viewport;
    gProbe.depth.resize(size_t(v[2]) * size_t(v[3]));
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(v[0], v[1], v[2], v[3], GL_DEPTH_COMPONENT, GL_FLOAT, gProbe.depth.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    // The clear leaves 1.0; a fragment at the far plane fails the depth test against it, so anything less
    // was written this frame.
    for (float d : gProbe.depth) {
        if (!(d < 1.0f)) return;
    }
    gProbe.depthCovered = true;
}

void probeDrawCall(bool fullScreen) {
    if (!gProbe.cleared) gProbe.depthTrusted = false;
    const bool opaque = colourFullyWritten();
    if (fullScreen && opaque && !enabled(GL_ALPHA_TEST) && !enabled(GL_SCISSOR_TEST) && quadShows() &&
        sameViewport()) {
        gProbe.quadCovered = true;
    }
    if (!gProbe.sampled && !opaque && writesDepth()) sampleDepth();
}

} // namespace

void setFrameDrawing(bool on) { gDrawing = on; }

bool frameDrawingOn() { return gDrawing; }

void clearFrameDepth() {
    if (!gDrawing) return;
    if (gProbe.active && !gProbe.sampled) {
        if (gProbe.cleared) gProbe.depthTrusted = false;
        gProbe.cleared = true;
    }
    glClear(GL_DEPTH_BUFFER_BIT);
}

bool beginDrawCall(bool fullScreen) {
    if (!gDrawing) return false;
    if (gProbe.active) probeDrawCall(fullScreen);
    return true;
}

void beginCoverageProbe() {
    gProbe.active = true;
    gProbe.cleared = false;
    gProbe.depthTrusted = true;
    gProbe.sampled = false;
    gProbe.depthCovered = false;
    gProbe.quadCovered = false;
    glGetIntegerv(GL_VIEWPORT, gProbe.viewport);
}

bool endCoverageProbe() {
    if (!gProbe.sampled) sampleDepth();
    gProbe.active = false;
    return gProbe.quadCovered || gProbe.depthCovered;
}
