// Cameras: the shared camera state and the projection and view built from a camera node.
#include "demo/demo.h"

Scene* gScene = nullptr;
SceneNode* gCamera = nullptr;
float gFieldOfView = 0.6f;
float gFarPlane = 1000.0f;
Matrix4 gProjectionMatrix = {};
Matrix4 gViewMatrix = {};
Matrix4 gAxisFlip = {};

void setupCamera(const ScreenInfo* screen) {
    const float width = static_cast<float>(screen->width);
    const float height = static_cast<float>(screen->height);
    const Vec3& p = gCamera->position;
    // The camera's Z is negated to match the mirrored Z of the axis flip.
    const Vec3 v = {p.x, p.y, -p.z};

    makePerspective(gProjectionMatrix, width, height, gFieldOfView, 1.0f, gFarPlane);

    makeIdentity(gAxisFlip);
    gAxisFlip.m[10] = -gAxisFlip.m[10];

    Matrix4 translation;
    makeIdentity(translation);
    translate(translation, v);
    invert(translation);

    const float yaw = static_cast<float>(static_cast<double>(gCamera->rotation.y) - static_cast<double>(0.1f));
    Quaternion q;
    quaternionFromEuler(q, gCamera->rotation.x, gCamera->rotation.z, yaw);
    Matrix4 rotation;
    quaternionToMatrix(rotation, q);
    translation.multiply(gViewMatrix, rotation);
}

void applyCamera() {
    Matrix4 view;
    gAxisFlip.multiply(view, gViewMatrix);
    gScene->setViewMatrix(view);
    gScene->setProjectionMatrix(gProjectionMatrix);
}
