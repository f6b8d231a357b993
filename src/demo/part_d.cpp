// Part D: the sunset ledge with its glow, headlight beams and sun beams.
#include "demo/demo.h"
#include "demo/demo_local.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// Written after the frame's evaluation, so they show from the next frame on.
void animateLedge(float c) {
    gSunbeams1->baseRotation.y = c / 5000.0f;
    gSunbeams2->baseRotation.y = c / 8000.0f;
    gLedge->baseRotation.z = -(c / 1000.0f);
    gTrees->baseRotation.z = -(c / 3000.0f);

    const float rock = wave(c, 78) / 5 + wave(c, 100) / 5;
    gLedgeTerex->basePosition.z = rock + 41.573f;
    const float beamHeight = rock + 39.459f;
    gLightbeam1->basePosition.z = beamHeight;
    gLightbeam2->basePosition.z = beamHeight;
    gLedgeWheelRL->basePosition.z = wave(c, 10) / 10 + wave(c, 20) / 10 + 37.821f;
    gLedgeWheelFL->basePosition.z = wave(c, 8) / 10 + wave(c, 30) / 10 + 37.821f;
}

} // namespace

void drawPartD(uint32_t t, const ScreenInfo* screen) {
    gFarPlane = 1000.0f;
    gScene = gLedgeScene;
    gLedgeScene->evaluateAll(t);
    gCamera = gLedgeCamera;

    SceneNode* handDrawn[] = {gLedge, gSunbeams1, gSunbeams2, gLightbeam1, gLightbeam2};
    for (SceneNode* node : handDrawn) node->evaluate(t);

    setupCamera(screen);
    applyCamera();
    animateLedge(static_cast<float>(t));

    clearFrameDepth();
    gScene->drawNode(*gLedge);
    gScene->drawAll();
    drawScreenQuad(gSunglowTexture->id(), true);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    SceneNode* beams[] = {gLightbeam2, gLightbeam1, gSunbeams1, gSunbeams2};
    for (SceneNode* node : beams) gScene->drawNode(*node);
    glDisable(GL_BLEND);
}
