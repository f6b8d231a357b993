// The bracket around 2D text over a finished frame, and the shading the group's text lines share.
#include "demo/demo.h"
#include "demo/demo_local.h"

#include <GL/gl.h>

void beginOverlayText() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
}

void endOverlayText() {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

void setGroupTextColours() {
    gFont->setColor(1.0f, 1.0f, 0.0f, 1.0f);
    gFont->setCornerColor(0, 1.0f, 0.5f, 0.0f, 1.0f);
    gFont->setCornerColor(3, 0.0f, 0.0f, 0.0f, 1.0f);
}
