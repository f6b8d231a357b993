// Scene set-up: node flags, colours and textures, the GL state it leaves, the ledge scene drawn whole,
// and the fatal report of a node a scene lacks.
#include "demo_fixture.h"

#include <GL/gl.h>

#include <cstring>

namespace {

using namespace production;

struct FlagCase {
    Scene** scene;
    const char* node;
    bool visible, textured, blended;
};

TEST_F(DemoTest, NodeFlagsFollowTheModelTables) {
    const FlagCase cases[] = {
        {&gHarvesterScene, "Grass", false, true, true},
        {&gHarvesterScene, "Ground", true, false, false},
        {&gHarvesterScene, "Terex_MainBody", true, true, false},
        {&gLedgeScene, "Skybox", true, false, false},
        {&gLedgeScene, "Lightbeam01", false, false, false},
        {&gLedgeScene, "Lightbeam02", false, false, false},
        {&gLedgeScene, "Ledge", false, true, false},
        {&gLedgeScene, "Sunbeams01", false, false, false},
        {&gLedgeScene, "Sunbeams02", false, false, false},
        {&gLedgeScene, "Trees", true, false, false},
        {&gLedgeScene, "Sun", true, false, false},
        {&gDisksScene, "Kestrova", false, false, false},
        {&gEscapeScene, "Plane01", false, false, false},
        {&gEscapeScene, "PropellerRight01", true, false, false},
        {&gEscapeScene, "Kestrovalogo", true, false, false},
        {&gEscapeScene, "Sunbeams01", false, false, false},
        {&gEscapeScene, "Osprey_Hull", true, true, false},
    };
    for (const FlagCase& test : cases) {
        SceneNode* node = (*test.scene)->findNode(test.node);
        ASSERT_NE(node, nullptr) << test.node;
        EXPECT_EQ(node->visible, test.visible) << test.node;
        EXPECT_EQ(node->textured, test.textured) << test.node;
        EXPECT_EQ(node->blended, test.blended) << test.node;
    }
}

TEST_F(DemoTest, ReferencesPointIntoTheirOwnScenes) {
    EXPECT_EQ(gHarvesterTerex, gHarvesterScene->findNode("Terex_MainBody"));
    EXPECT_EQ(gEscapeTerex, gEscapeScene->findNode("Terex_MainBody"));
    EXPECT_EQ(gLedgeTerex, gLedgeScene->findNode("Terex_MainBody"));
    EXPECT_EQ(gEscapeSunbeams, gEscapeScene->findNode("Sunbeams01"));
    EXPECT_EQ(gSunbeams1, gLedgeScene->findNode("Sunbeams01"));
    EXPECT_EQ(gChaseCamera3, gEscapeScene->findNode("Camera_chase_03"));
    EXPECT_EQ(gDisksLogo, gDisksScene->findNode("Kestrova"));
    EXPECT_NE(gHarvesterTerex, gEscapeTerex);
}

TEST_F(DemoTest, FlatColoursAreEightBitLevels) {
    struct ColourCase {
        Scene** scene;
        const char* node;
        float r, g, b;
    };
    const ColourCase cases[] = {
        {&gHarvesterScene, "Ground", 64 / 255.0f, 89 / 255.0f, 0},
        {&gLedgeScene, "Trees", 19 / 255.0f, 37 / 255.0f, 19 / 255.0f},
        {&gLedgeScene, "Sun", 1, 1, 190 / 255.0f},
        {&gEscapeScene, "Sun", 1, 1, 190 / 255.0f},
        {&gEscapeScene, "PropellerLeft", 40 / 255.0f, 32 / 255.0f, 32 / 255.0f},
        {&gEscapeScene, "PropellerRight01", 40 / 255.0f, 32 / 255.0f, 32 / 255.0f},
    };
    for (const ColourCase& test : cases) {
        const SceneNode* node = (*test.scene)->findNode(test.node);
        ASSERT_NE(node, nullptr) << test.node;
        ASSERT_FALSE(node->vertices.empty()) << test.node;
        for (const Vertex& v : node->vertices) {
            EXPECT_FLOAT_EQ(v.r, test.r) << test.node;
            EXPECT_FLOAT_EQ(v.g, test.g) << test.node;
            EXPECT_FLOAT_EQ(v.b, test.b) << test.node;
            EXPECT_FLOAT_EQ(v.a, 1.0f) << test.node;
        }
    }
}

TEST_F(DemoTest, TexturesGoToTheNamedModelsOnly) {
    EXPECT_EQ(gLedge->texture, gCliffTexture);
    EXPECT_NE(gCliffTexture->id(), 0u);
    EXPECT_NE(gGrass->texture, gDefaultTexture);
    EXPECT_EQ(gHarvesterScene->findNode("Ground")->texture, gDefaultTexture);
    EXPECT_EQ(gEscapeScene->findNode("Terex_FL_Wheel")->texture, gEscapeScene->findNode("Terex_RL_Wheel01")->texture);
    EXPECT_EQ(gOspreyHull->texture, gOspreyHull01->texture);
    EXPECT_NE(gOspreyHull->texture, gEscapeTerex->texture);
}

TEST_F(DemoTest, LeavesDepthTestAndBackFaceCullingOn) {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint face = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    EXPECT_EQ(face, GL_BACK);
}

bool isLoud(const Rgb& p) { return p.r > 80 && p.b > 80 && p.g + 40 < p.r; }

TEST_F(DemoTest, LedgeSceneDrawnWholeLeavesOutBeamsAndLedge) {
    gScene = gLedgeScene;
    gCamera = gLedgeCamera;
    gFieldOfView = 0.6f;
    gFarPlane = 1000.0f;
    clearToBlack();
    gLedgeScene->evaluateAll(0);
    setupCamera(&screen);
    applyCamera();
    gLedgeScene->drawAll();

    const std::vector<uint8_t> frame = gl.readFrame();
    int loud = 0;
    for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) loud += isLoud(GlTestContext::pixelOf(frame, x, y)) ? 1 : 0;
    }
    EXPECT_EQ(loud, 0) << "pixels of the beams or the ledge";
    // Untextured flat colours where the trees and the sun stand; grey sky elsewhere.
    EXPECT_TRUE(nearColour(GlTestContext::pixelOf(frame, 82, 120), Rgb{19, 37, 19}, 2))
        << GlTestContext::pixelOf(frame, 82, 120);
    EXPECT_TRUE(nearColour(GlTestContext::pixelOf(frame, 238, 120), Rgb{255, 255, 190}, 2))
        << GlTestContext::pixelOf(frame, 238, 120);
    for (const auto& [x, y] : {std::pair{300, 230}, {160, 120}, {160, 198}, {82, 42}, {238, 42}}) {
        EXPECT_TRUE(nearColour(GlTestContext::pixelOf(frame, x, y), Rgb{51, 51, 51}, 2))
            << x << "," << y << ": " << GlTestContext::pixelOf(frame, x, y);
    }
}

// The set-up runs on a production whose scene lacks one node; it must end the process.
void setUpWithout(const char* sceneFile, const char* nodeName) {
    GlTestContext context;
    if (!context.open()) std::exit(3);
    TestProductionOptions options;
    options.omitScene = sceneFile;
    options.omitNode = nodeName;
    TestArchive production(testProductionEntries(options));
    if (!production.ok()) std::exit(4);
    ScreenInfo screen = {320, 240};
    showLoadingScreen();
    setupScenes(&screen);
    std::exit(0);
}

TEST(SceneSetupDeathTest, MissingNodeIsFatalAndNamed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    useHeadlessDrivers();
    const std::pair<const char*, const char*> cases[] = {
        {"harvester.xsi", "Ground"},
        {"ledge.xsi", "Sun"},
        {"disks.xsi", "Camera_disks"},
        {"escape.xsi", "Camera_chase_04"},
    };
    for (const auto& [scene, node] : cases) {
        const std::string expected = std::string("\"") + scene + "\".*\"" + node + "\"";
        EXPECT_EXIT(setUpWithout(scene, node), testing::ExitedWithCode(255), expected) << scene << " " << node;
    }
}

} // namespace
