// The full-screen textured quad for backgrounds and additive overlays.
#include "gfx/gfx.h"

#include <GL/gl.h>

namespace {

// Reaches past the bottom edge by 0.01 and past the top by 0.05: the picture the content was made for.
constexpr float kBottom = -1.01f;
constexpr float kTop = 1.05f;

} // namespace

void drawScreenQuad(uint32_t texture, bool additive) {
    const float positions[12] = {-1.0f, kBottom, 0.0f, 1.0f, kBottom, 0.0f, -1.0f, kTop, 0.0f, 1.0f, kTop, 0.0f};
    const float texCoords[8] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    const float colours[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    if (additive) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glVertexPointer(3, GL_FLOAT, 0, positions);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glColorPointer(4, GL_FLOAT, 0, colours);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (beginDrawCall(true)) glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_DEPTH_TEST);
    if (additive) {
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
}
