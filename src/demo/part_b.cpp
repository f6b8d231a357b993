// Part B: the title, with the group's logo flying across and the two text lines from 5.5 s.
#include "demo/demo.h"
#include "demo/demo_local.h"

#include <GL/gl.h>

namespace {

void drawTitleText() {
    beginOverlayText();
    setGroupTextColours();
    gFont->drawText(-0.35f, 0.05f, "KESTROVA", false);

    // The title's shading is the group name's turned round.
    gFont->setColor(1.0f, 1.0f, 0.0f, 1.0f);
    gFont->setCornerColor(3, 1.0f, 0.5f, 0.0f, 1.0f);
    gFont->setCornerColor(0, 0.0f, 0.0f, 0.0f, 1.0f);
    gFont->drawText(-0.35f, -0.3f, "TOMBLORA", false);
    endOverlayText();
}

} // namespace

void drawLogoFlyby(uint32_t t) {
    const float x = static_cast<float>(t);
    gDisksLogo->basePosition.x = static_cast<float>(120.0 - static_cast<double>(x) / 100.0);
    gDisksLogo->baseRotation.z = x / 1000.0f;
    gDisksLogo->evaluate(t);
    gScene->drawNode(*gDisksLogo);
}

void drawPartB(uint32_t t, const ScreenInfo* screen) {
    gFarPlane = 1000.0f;
    gScene = gDisksScene;
    gCamera = gDisksCamera;

    gDisksCamera->evaluate(t);
    setupCamera(screen);
    applyCamera();

    clearFrameDepth();
    drawScreenQuad(gBg1Texture->id(), false);
    drawLogoFlyby(t);

    if (t > 5500) drawTitleText();
}
