// Scene set-up: loads the four scenes and their textures and binds textures, colours and flags to nodes.
#include "demo/demo.h"

#include <GL/gl.h>

#include <cstdio>

Scene* gHarvesterScene = nullptr;
Scene* gLedgeScene = nullptr;
Scene* gDisksScene = nullptr;
Scene* gEscapeScene = nullptr;

Texture* gBg1Texture = nullptr;
Texture* gBg3Texture = nullptr;
Texture* gSunglowTexture = nullptr;
Texture* gCliffTexture = nullptr;

SceneNode* gDisksLogo = nullptr;
SceneNode* gDisksCamera = nullptr;
SceneNode* gHarvesterTerex = nullptr;
SceneNode* gGrass = nullptr;
SceneNode* gHarvesterBody = nullptr;
SceneNode* gHarvesterRoller = nullptr;
SceneNode* gHarvesterCamera = nullptr;
SceneNode* gEscapePlane = nullptr;
SceneNode* gEscapeTerex = nullptr;
SceneNode* gEscapeWheelFL = nullptr;
SceneNode* gEscapeWheelRL = nullptr;
SceneNode* gEscapeWheelRL01 = nullptr;
SceneNode* gEscapeWheelFL01 = nullptr;
SceneNode* gOspreyHull = nullptr;
SceneNode* gOspreyHull01 = nullptr;
SceneNode* gPropellerLeft = nullptr;
SceneNode* gPropellerRight = nullptr;
SceneNode* gPropellerLeft01 = nullptr;
SceneNode* gPropellerRight01 = nullptr;
SceneNode* gEscapeLogo = nullptr;
SceneNode* gEscapeSunbeams = nullptr;
SceneNode* gChaseCamera1 = nullptr;
SceneNode* gChaseCamera2 = nullptr;
SceneNode* gChaseCamera3 = nullptr;
SceneNode* gChaseCamera4 = nullptr;
SceneNode* gLedgeTerex = nullptr;
SceneNode* gLedgeWheelRL = nullptr;
SceneNode* gLedgeWheelFL = nullptr;
SceneNode* gLightbeam1 = nullptr;
SceneNode* gLightbeam2 = nullptr;
SceneNode* gLedge = nullptr;
SceneNode* gSunbeams1 = nullptr;
SceneNode* gSunbeams2 = nullptr;
SceneNode* gTrees = nullptr;
SceneNode* gLedgeCamera = nullptr;

namespace {

// Textures that the model tables hand out; the set-up owns them for the whole run.
Texture* gTerexTexture = nullptr;
Texture* gHarvesterTexture = nullptr;
Texture* gTireTexture = nullptr;
Texture* gOspreyTexture = nullptr;
Texture* gGrassTexture = nullptr;

enum Flag : int8_t { Keep = -1, Off = 0, On = 1 };

struct Rgba {
    float r, g, b, a;
};

// One model of a scene: where its reference goes and how it looks. Flags marked Keep stay as loaded.
struct NodeSetting {
    const char* name;
    SceneNode** reference; // null when no part needs the node
    Texture** texture;     // null keeps the default texture
    Flag visible;
    Flag textured;
    Flag blended;
    const Rgba* color; // null keeps the file's vertex colours
    bool dropKeys;
};

constexpr Rgba kGroundColor = {64 / 255.0f, 89 / 255.0f, 0.0f, 1.0f};
constexpr Rgba kTreeColor = {19 / 255.0f, 37 / 255.0f, 19 / 255.0f, 1.0f};
constexpr Rgba kSunColor = {1.0f, 1.0f, 190 / 255.0f, 1.0f};
constexpr Rgba kPropellerColor = {40 / 255.0f, 32 / 255.0f, 32 / 255.0f, 1.0f};

const NodeSetting kHarvesterModels[] = {
    {"Terex_MainBody", &gHarvesterTerex, &gTerexTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_FL_Wheel", nullptr, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_RL_Wheel", nullptr, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_RL_Wheel01", nullptr, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_FL_Wheel01", nullptr, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Grass", &gGrass, &gGrassTexture, Off, Keep, On, nullptr, false},
    {"HarvesterMainBody", &gHarvesterBody, &gHarvesterTexture, Keep, Keep, Keep, nullptr, true},
    {"HarvesterRoller", &gHarvesterRoller, &gHarvesterTexture, Keep, Keep, Keep, nullptr, true},
    {"Ground", nullptr, nullptr, Keep, Off, Keep, &kGroundColor, false},
    {"Camera_harvester", &gHarvesterCamera, nullptr, Keep, Keep, Keep, nullptr, false},
};

const NodeSetting kLedgeModels[] = {
    {"Skybox", nullptr, nullptr, Keep, Off, Keep, nullptr, false},
    {"Terex_MainBody", &gLedgeTerex, &gTerexTexture, Keep, Keep, Keep, nullptr, false},
    {"Terex_RL_Wheel", &gLedgeWheelRL, &gTireTexture, Keep, Keep, Keep, nullptr, false},
    {"Terex_FL_Wheel", &gLedgeWheelFL, &gTireTexture, Keep, Keep, Keep, nullptr, false},
    {"Lightbeam01", &gLightbeam1, nullptr, Off, Off, Keep, nullptr, false},
    {"Lightbeam02", &gLightbeam2, nullptr, Off, Off, Keep, nullptr, false},
    {"Ledge", &gLedge, &gCliffTexture, Off, Keep, Keep, nullptr, false},
    {"Sunbeams01", &gSunbeams1, nullptr, Off, Off, Keep, nullptr, false},
    {"Sunbeams02", &gSunbeams2, nullptr, Off, Off, Keep, nullptr, false},
    {"Trees", &gTrees, nullptr, Keep, Off, Keep, &kTreeColor, false},
    {"Sun", nullptr, nullptr, Keep, Off, Keep, &kSunColor, false},
    {"Camera_ledge", &gLedgeCamera, nullptr, Keep, Keep, Keep, nullptr, false},
};

const NodeSetting kDisksModels[] = {
    {"Kestrova", &gDisksLogo, nullptr, Off, Off, Keep, nullptr, false},
    {"Camera_disks", &gDisksCamera, nullptr, Keep, Keep, Keep, nullptr, false},
};

const NodeSetting kEscapeModels[] = {
    {"Plane01", &gEscapePlane, nullptr, Off, Off, Keep, nullptr, false},
    {"Terex_MainBody", &gEscapeTerex, &gTerexTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_FL_Wheel", &gEscapeWheelFL, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_RL_Wheel", &gEscapeWheelRL, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_RL_Wheel01", &gEscapeWheelRL01, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Terex_FL_Wheel01", &gEscapeWheelFL01, &gTireTexture, Keep, Keep, Keep, nullptr, true},
    {"Osprey_Hull", &gOspreyHull, &gOspreyTexture, Keep, Keep, Keep, nullptr, true},
    {"Osprey_Hull01", &gOspreyHull01, &gOspreyTexture, Keep, Keep, Keep, nullptr, true},
    {"PropellerLeft", &gPropellerLeft, nullptr, Keep, Off, Keep, &kPropellerColor, false},
    {"PropellerRight", &gPropellerRight, nullptr, Keep, Off, Keep, &kPropellerColor, false},
    {"PropellerLeft01", &gPropellerLeft01, nullptr, Keep, Off, Keep, &kPropellerColor, false},
    {"PropellerRight01", &gPropellerRight01, nullptr, Keep, Off, Keep, &kPropellerColor, false},
    {"Kestrovalogo", &gEscapeLogo, nullptr, Keep, Off, Keep, nullptr, false},
    {"Sunbeams01", &gEscapeSunbeams, nullptr, Off, Off, Keep, nullptr, false},
    {"Sun", nullptr, nullptr, Keep, Off, Keep, &kSunColor, false},
    {"Camera_chase_01", &gChaseCamera1, nullptr, Keep, Keep, Keep, nullptr, false},
    {"Camera_chase_02", &gChaseCamera2, nullptr, Keep, Keep, Keep, nullptr, false},
    {"Camera_chase_03", &gChaseCamera3, nullptr, Keep, Keep, Keep, nullptr, false},
    {"Camera_chase_04", &gChaseCamera4, nullptr, Keep, Keep, Keep, nullptr, false},
};

// The set-up cannot go on without a node that a part uses: that is a fault of the content.
SceneNode* requireNode(const Scene& scene, const char* fileName, const char* nodeName) {
    SceneNode* node = scene.findNode(nodeName);
    if (!node) {
        char text[512];
        std::snprintf(text, sizeof text, "Scene \"%s\" has no node \"%s\"", fileName, nodeName);
        fatalError(text);
    }
    return node;
}

void applyFlag(bool& field, Flag flag) {
    if (flag != Keep) field = flag == On;
}

template <size_t N>
void lookUpModels(const Scene& scene, const char* fileName, const NodeSetting (&models)[N], SceneNode* (&found)[N]) {
    for (size_t i = 0; i < N; ++i) {
        found[i] = requireNode(scene, fileName, models[i].name);
        if (models[i].reference) *models[i].reference = found[i];
    }
}

template <size_t N>
void applyModels(const NodeSetting (&models)[N], SceneNode* const (&found)[N]) {
    for (size_t i = 0; i < N; ++i) {
        const NodeSetting& setting = models[i];
        SceneNode& node = *found[i];
        if (setting.texture) node.texture = *setting.texture;
        applyFlag(node.visible, setting.visible);
        applyFlag(node.textured, setting.textured);
        applyFlag(node.blended, setting.blended);
        if (setting.color) node.setColor(setting.color->r, setting.color->g, setting.color->b, setting.color->a);
        if (setting.dropKeys) node.dropAnimation();
    }
}

template <size_t N>
void setUpModels(const Scene& scene, const char* fileName, const NodeSetting (&models)[N]) {
    SceneNode* found[N];
    lookUpModels(scene, fileName, models, found);
    applyModels(models, found);
}

Scene* loadScene(const char* fileName) {
    Scene* scene = new Scene();
    scene->load(fileName);
    return scene;
}

} // namespace

void setupScenes(const ScreenInfo* /*screen*/) {
    gHarvesterScene = loadScene("harvester.xsi");
    gLedgeScene = loadScene("ledge.xsi");
    gDisksScene = loadScene("disks.xsi");
    gEscapeScene = loadScene("escape.xsi");
    // Ctrl-C cut the loading short: the scenes are partial, and the program is about to end.
    if (quitSignalPending()) {
        return;
    }

    gTerexTexture = Texture::loadFromArchive("Terex_MainBody.png", 0);
    gHarvesterTexture = Texture::loadFromArchive("harvester.png", 0);
    gTireTexture = Texture::loadFromArchive("Tire.png", 0);
    gOspreyTexture = Texture::loadFromArchive("osprey.png", 0);
    gBg1Texture = Texture::loadFromArchive("bg1.png", 0);
    gBg3Texture = Texture::loadFromArchive("bg3.png", 0);
    gGrassTexture = Texture::loadFromArchive("grass.png", 1);

    setUpModels(*gHarvesterScene, "harvester.xsi", kHarvesterModels);

    // The ledge models are looked up before the two finale textures are made.
    SceneNode* ledgeNodes[std::size(kLedgeModels)];
    lookUpModels(*gLedgeScene, "ledge.xsi", kLedgeModels, ledgeNodes);
    gSunglowTexture = Texture::loadFromArchive("sunglow.png", 0);
    gCliffTexture = Texture::loadFromArchive("cliffdark.png", 0);
    applyModels(kLedgeModels, ledgeNodes);

    setUpModels(*gDisksScene, "disks.xsi", kDisksModels);
    setUpModels(*gEscapeScene, "escape.xsi", kEscapeModels);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearDepth(1.0);
}

void releaseScenes() {
    Scene** scenes[] = {&gHarvesterScene, &gLedgeScene, &gDisksScene, &gEscapeScene};
    for (Scene** scene : scenes) {
        delete *scene;
        *scene = nullptr;
    }
    Texture** textures[] = {&gTerexTexture, &gHarvesterTexture, &gTireTexture, &gOspreyTexture, &gGrassTexture,
                            &gBg1Texture,   &gBg3Texture,       &gSunglowTexture, &gCliffTexture};
    for (Texture** texture : textures) {
        delete *texture;
        *texture = nullptr;
    }
}
