// The demo sequence: loading screen, scene set-up, cameras and the four timed parts.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/gfx.h"
#include "platform/platform.h"
#include "scene/scene.h"

// ---- cameras ----
extern Scene* gScene;         // the scene this frame draws through
extern SceneNode* gCamera;    // the camera node of this frame
extern float gFieldOfView;    // vertical, radians; reset to 0.6 every frame
extern float gFarPlane;       // far clip distance; near is always 1
extern Matrix4 gProjectionMatrix;
extern Matrix4 gViewMatrix;
extern Matrix4 gAxisFlip;

// Builds gProjectionMatrix, gAxisFlip and gViewMatrix from gCamera's evaluated position and rotation.
void setupCamera(const ScreenInfo* screen);
// Hands the view (axis flip, then camera) and the projection to gScene.
void applyCamera();

// ---- start-up resources ----
extern BitmapFont* gFont;
extern Texture* gBackgroundTexture;

// Loads the default texture, the font and the loading background and draws the loading frame.
void showLoadingScreen();

// ---- scenes, textures and nodes of the parts ----
extern Scene* gHarvesterScene;
extern Scene* gLedgeScene;
extern Scene* gDisksScene;
extern Scene* gEscapeScene;

extern Texture* gBg1Texture;
extern Texture* gBg3Texture;
extern Texture* gSunglowTexture;
extern Texture* gCliffTexture;

extern SceneNode* gDisksLogo;
extern SceneNode* gDisksCamera;
extern SceneNode* gHarvesterTerex;
extern SceneNode* gGrass;
extern SceneNode* gHarvesterBody;
extern SceneNode* gHarvesterRoller;
extern SceneNode* gHarvesterCamera;
extern SceneNode* gEscapePlane;
extern SceneNode* gEscapeTerex;
extern SceneNode* gEscapeWheelFL;
extern SceneNode* gEscapeWheelRL;
extern SceneNode* gEscapeWheelRL01;
extern SceneNode* gEscapeWheelFL01;
extern SceneNode* gOspreyHull;
extern SceneNode* gOspreyHull01;
extern SceneNode* gPropellerLeft;
extern SceneNode* gPropellerRight;
extern SceneNode* gPropellerLeft01;
extern SceneNode* gPropellerRight01;
extern SceneNode* gEscapeLogo;
extern SceneNode* gEscapeSunbeams;
extern SceneNode* gChaseCamera1;
extern SceneNode* gChaseCamera2;
extern SceneNode* gChaseCamera3;
extern SceneNode* gChaseCamera4;
extern SceneNode* gLedgeTerex;
extern SceneNode* gLedgeWheelRL;
extern SceneNode* gLedgeWheelFL;
extern SceneNode* gLightbeam1;
extern SceneNode* gLightbeam2;
extern SceneNode* gLedge;
extern SceneNode* gSunbeams1;
extern SceneNode* gSunbeams2;
extern SceneNode* gTrees;
extern SceneNode* gLedgeCamera;

// Loads the four scenes and their textures, binds textures, colours and flags to nodes, and sets the
// depth and cull state. A node name a scene lacks is fatal.
void setupScenes(const ScreenInfo* screen);
// Frees every scene and texture that the set-up made (all of them, not only the current scene).
void releaseScenes();

// Everything a frame carries over to the next: the node fields that parts and evaluation write, the camera
// globals, the scenes' matrices, the font's colours, the GL state and the colour buffer's pixels. take() and
// restore() come in pairs (they push and pop the GL attribute stacks); take() allocates, so neither belongs
// in a timed frame. Lets start-up and the capture tool draw extra frames without changing what follows.
class DemoSnapshot {
  public:
    void take();
    void restore();
    // Puts back everything but the colour buffer's pixels (the frames since take() drew what they must).
    void restoreKeepingPixels();

  private:
    struct NodeFields {
        SceneNode* node;
        Vec3 basePosition, baseRotation, positionOffset, position, rotation;
        bool visible;
        Matrix4 worldMatrix, rotationMatrix;
        Quaternion orientation;
    };
    struct SceneMatrices {
        Scene* scene;
        Matrix4 viewMatrix, projectionMatrix;
    };
    std::vector<NodeFields> nodes;
    std::vector<SceneMatrices> sceneMatrices;
    Scene* scene = nullptr;
    SceneNode* camera = nullptr;
    float fieldOfView = 0.0f;
    float farPlane = 0.0f;
    Matrix4 projection = {};
    Matrix4 view = {};
    Matrix4 axisFlip = {};
    float fontColors[16] = {};
    int32_t viewport[4] = {};
    std::vector<uint8_t> pixels;
};

// Draws every part once into the back buffer, so that the driver builds what each combination of GL state
// needs (llvmpipe compiles code for each) during start-up rather than in the first frame of each part. Puts
// back everything the parts write: node fields, camera globals, scene matrices, font colours, GL state and
// the colour buffer's pixels. Needs setupScenes and the loading screen's resources.
void warmUpParts(const ScreenInfo* screen);

// ---- the parts; t is the part's local time in milliseconds ----
void drawPartA(uint32_t t, const ScreenInfo* screen);
void drawPartB(uint32_t t, const ScreenInfo* screen);
void drawLogoFlyby(uint32_t t);
void drawPartC(uint32_t t, const ScreenInfo* screen);
void drawPartD(uint32_t t, const ScreenInfo* screen);
