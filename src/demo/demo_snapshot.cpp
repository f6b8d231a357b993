// A snapshot of everything a frame carries over to the next, so that extra frames can be drawn and undone.
#include "demo/demo.h"

#include <GL/gl.h>

#include <cstring>

namespace {

// Writes pixels saved with glReadPixels back unchanged: no texturing, blending or depth test on the way.
void drawSavedPixels(int32_t x, int32_t y, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(x, y, width, height);
    glRasterPos2f(-1.0f, -1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

} // namespace

void DemoSnapshot::take() {
    nodes.clear();
    sceneMatrices.clear();
    Scene* const scenes[] = {gHarvesterScene, gLedgeScene, gDisksScene, gEscapeScene};
    for (Scene* scene : scenes) {
        if (scene == nullptr) continue;
        for (const std::unique_ptr<SceneNode>& node : scene->nodes) {
            SceneNode& n = *node;
            nodes.push_back({&n, n.basePosition, n.baseRotation, n.positionOffset, n.position, n.rotation, n.visible,
                             n.worldMatrix, n.rotationMatrix, n.orientation});
        }
        sceneMatrices.push_back({scene, scene->viewMatrix, scene->projectionMatrix});
    }
    scene = gScene;
    camera = gCamera;
    fieldOfView = gFieldOfView;
    farPlane = gFarPlane;
    projection = gProjectionMatrix;
    view = gViewMatrix;
    axisFlip = gAxisFlip;
    if (gFont != nullptr) std::memcpy(fontColors, gFont->cornerColors, sizeof fontColors);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::memcpy(this->viewport, viewport, sizeof this->viewport);
    pixels.resize(size_t(viewport[2]) * size_t(viewport[3]) * 3);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

void DemoSnapshot::restore() {
    drawSavedPixels(viewport[0], viewport[1], viewport[2], viewport[3], pixels);
    restoreKeepingPixels();
}

void DemoSnapshot::restoreKeepingPixels() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glPopClientAttrib();
    glFinish();

    for (const NodeFields& saved : nodes) {
        SceneNode& n = *saved.node;
        n.basePosition = saved.basePosition;
        n.baseRotation = saved.baseRotation;
        n.positionOffset = saved.positionOffset;
        n.position = saved.position;
        n.rotation = saved.rotation;
        n.visible = saved.visible;
        n.worldMatrix = saved.worldMatrix;
        n.rotationMatrix = saved.rotationMatrix;
        n.orientation = saved.orientation;
    }
    for (const SceneMatrices& saved : sceneMatrices) {
        saved.scene->viewMatrix = saved.viewMatrix;
        saved.scene->projectionMatrix = saved.projectionMatrix;
    }
    gScene = scene;
    gCamera = camera;
    gFieldOfView = fieldOfView;
    gFarPlane = farPlane;
    gProjectionMatrix = projection;
    gViewMatrix = view;
    gAxisFlip = axisFlip;
    if (gFont != nullptr) std::memcpy(gFont->cornerColors, fontColors, sizeof fontColors);
}
