// The loading frame and the three resources every later frame needs from the start.
#include "demo/demo.h"
#include "demo/demo_local.h"

BitmapFont* gFont = nullptr;
Texture* gBackgroundTexture = nullptr;

void showLoadingScreen() {
    gDefaultTexture = Texture::loadFromArchive("default.png", 0); // the first request opens the archive
    gFont = BitmapFont::load("demo.fnt");
    gBackgroundTexture = Texture::loadFromArchive("bg2.png", 0);

    drawScreenQuad(gBackgroundTexture->id(), false);

    beginOverlayText();
    setGroupTextColours();
    gFont->drawText(-0.95f, -0.95f, "LOADING", false);
    endOverlayText();
}
