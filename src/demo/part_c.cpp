// Part C: the chase, with four cameras, the aircraft in two windows and the sun beams at the end.
#include "demo/demo.h"
#include "demo/demo_local.h"

#include <GL/gl.h>

#include <cmath>

namespace {

void chooseCamera(uint32_t t) {
    if (t >= 5001 && t <= 8999) {
        gCamera = gChaseCamera4;
    } else if (t < 13500) {
        gCamera = gChaseCamera1;
    } else if (t < 28000) {
        gCamera = gChaseCamera3;
        const float u = static_cast<float>(t - 13500);
        gFieldOfView = u / 20000.0f + 0.6f;
        gChaseCamera3->baseRotation.x = u / 30000.0f + 25.8f;
    } else {
        gCamera = gChaseCamera2;
    }
}

void bobVehicle(float c) {
    const float body = wave(c, 30) / 5 + wave(c, 78) / 5;
    gEscapeTerex->positionOffset.z = body;
    const float sign = wave(c, 60) / 5 + wave(c, 78) / 5;
    gEscapeLogo->positionOffset.z = std::fabs(sign) + body;
    gEscapeWheelFL->positionOffset.z = wave(c, 12) / 10 + wave(c, 10) / 10;
    gEscapeWheelRL->positionOffset.z = wave(c, 8) / 10 + wave(c, 11) / 10;
    gEscapeWheelRL01->positionOffset.z = wave(c, 9) / 10 + wave(c, 8) / 10;
    gEscapeWheelFL01->positionOffset.z = wave(c, 13) / 10 + wave(c, 11) / 10;
}

void spinPropellers(float p, float right, float left01, float right01) {
    gPropellerLeft->baseRotation.y = p;
    gPropellerRight->baseRotation.y = p + right;
    gPropellerLeft01->baseRotation.y = p + left01;
    gPropellerRight01->baseRotation.y = p + right01;
}

void showAircraft(bool shown) {
    SceneNode* aircraft[] = {gOspreyHull,     gOspreyHull01,   gPropellerLeft,
                             gPropellerRight, gPropellerLeft01, gPropellerRight01};
    for (SceneNode* node : aircraft) node->visible = shown;
}

} // namespace

void drawPartC(uint32_t t, const ScreenInfo* screen) {
    const float c = static_cast<float>(t);
    gFarPlane = 3500.0f;
    gFieldOfView = 0.6f;
    gScene = gEscapeScene;
    chooseCamera(t);

    if (t > 48000) {
        gEscapeSunbeams->baseRotation.x = c / 5000.0f;
        gEscapeSunbeams->evaluate(t);
    }
    if (t < 12000 || t > 28000) bobVehicle(c);
    if (t < 13500) {
        spinPropellers(c / 100.0f, 2.1f, 1.3f, 0.6f);
    } else if (t < 28000) {
        spinPropellers(c / 1000.0f, 1.5f, 2.3f, 0.7f);
    }
    showAircraft(t <= 10000 || (t >= 13500 && t <= 30000));

    gEscapePlane->evaluate(t);
    gScene->evaluateAll(t);
    setupCamera(screen);
    applyCamera();

    clearFrameDepth();
    if ((t > 13500 && t < 28000) || t > 48000) drawScreenQuad(gBg3Texture->id(), false);
    gScene->drawNode(*gEscapePlane);
    gScene->drawAll();

    if (t > 48000) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        gScene->drawNode(*gEscapeSunbeams);
        glDisable(GL_BLEND);
    }
}
