// The loading frame and the three resources every later frame needs from the start.
#include "demo/demo.h"

#include <GL/gl.h>

BitmapFont* gFont = nullptr;
Texture* gBackgroundTexture = nullptr;

void showLoadingScreen() {
    gDefaultTexture = Texture::loadFromArchive("default.png", 0); // the first request opens the archive
    gFont = BitmapFont::load("demo.fnt");
    gBackgroundTexture = Texture::loadFromArchive("bg2.png", 0);

    drawScreenQuad(gBackgroundTexture->id(), false);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();

    gFont->setColor(1.0f, 1.0f, 0.0f, 1.0f);
    gFont->setCornerColor(0, 1.0f, 0.5f, 0.0f, 1.0f);
    gFont->setCornerColor(3, 0.0f, 0.0f, 0.0f, 1.0f);
    gFont->drawText(-0.95f, -0.95f, "LOADING", false);

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
