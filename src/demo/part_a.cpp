// Part A: the harvester field with the grass fan and, early on, the credits line.
#include "demo/demo.h"
#include "demo/demo_local.h"

#include <GL/gl.h>

#include <cmath>

namespace {

void drawGrassFan(uint32_t t) {
    const double seconds = t / 1000.0;
    const double f = seconds - std::trunc(seconds);
    for (int i = 0; i <= 10; ++i) {
        const float a = static_cast<float>(f - static_cast<double>(0.16f) * i);
        gGrass->baseRotation.x = a;
        if (a > -0.8f && a < -0.1f) {
            gGrass->evaluate(t);
            gHarvesterScene->drawNode(*gGrass);
        }
    }
}

void drawCredits() {
    beginOverlayText();
    setGroupTextColours();
    gFont->drawText(-0.95f, 0.65f, "HALDORIX MERIVANT VOXA", false);
    endOverlayText();
}

} // namespace

void drawPartA(uint32_t t, const ScreenInfo* screen) {
    gFarPlane = 2000.0f;
    gScene = gHarvesterScene;
    gFieldOfView = 0.8f;
    gCamera = gHarvesterCamera;

    gHarvesterCamera->baseRotation = {7.5f, 0.1f, 3.1415927f};
    const float c = static_cast<float>(t);
    if (t < 500) gHarvesterCamera->positionOffset.z = (500.0f - c) / 10.0f;
    gHarvesterBody->positionOffset.z = 0.5f * wave(c, 100.0f) + 0.5f * wave(c, 78.0f);
    gHarvesterRoller->baseRotation.x = -(c / 200.0f);
    gHarvesterTerex->positionOffset.z = 5.0f * (wave(c, 80.0f) / 5.0f + wave(c, 68.0f) / 5.0f);

    gHarvesterScene->evaluateAll(t);
    setupCamera(screen);
    applyCamera();

    clearFrameDepth();
    drawScreenQuad(gBackgroundTexture->id(), false);
    gHarvesterScene->drawAll();
    drawGrassFan(t);

    if (t >= 1001 && t <= 6999) drawCredits();
}
