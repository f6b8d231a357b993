// The four parts: hand-animated node values at the edges of their schedules, and what reaches the screen.
#include "demo_fixture.h"

#include <GL/gl.h>

#include <cmath>

namespace {

using namespace production;

constexpr double kValueTolerance = 5e-5;
constexpr int kColourTolerance = 3;

// ---- Part A ----

TEST_F(DemoTest, PartASetsItsCameraState) {
    drawPartA(1234, &screen);
    EXPECT_EQ(gScene, gHarvesterScene);
    EXPECT_EQ(gCamera, gHarvesterCamera);
    EXPECT_EQ(gFieldOfView, 0.8f);
    EXPECT_EQ(gFarPlane, 2000.0f);
    EXPECT_EQ(gHarvesterCamera->baseRotation.x, 7.5f);
    EXPECT_EQ(gHarvesterCamera->baseRotation.y, 0.1f);
    EXPECT_EQ(gHarvesterCamera->baseRotation.z, 3.1415927f);
}

TEST_F(DemoTest, PartACameraMovesInDuringTheFirstHalfSecond) {
    const std::pair<uint32_t, float> frames[] = {
        {0, 50.0f}, {250, 25.0f}, {499, 0.1f}, {500, 0.1f}, {1000, 0.1f}, {27999, 0.1f}, {29000, 0.1f}, {49999, 0.1f},
    };
    for (const auto& [t, offset] : frames) {
        drawPartA(t, &screen);
        EXPECT_FLOAT_EQ(gHarvesterCamera->positionOffset.z, offset) << "t = " << t;
    }
    // From 500 on the offset is not written: it keeps whatever the last early frame left.
    drawPartA(250, &screen);
    drawPartA(600, &screen);
    EXPECT_FLOAT_EQ(gHarvesterCamera->positionOffset.z, 25.0f);
}

TEST_F(DemoTest, PartABobsTheBodiesAndTurnsTheRoller) {
    for (uint32_t t : {0u, 1234u, 29000u, 49999u}) {
        drawPartA(t, &screen);
        const double c = t;
        EXPECT_NEAR(gHarvesterBody->positionOffset.z, 0.5 * std::sin(c / 100) + 0.5 * std::sin(c / 78), kValueTolerance)
            << "t = " << t;
        EXPECT_NEAR(gHarvesterTerex->positionOffset.z, std::sin(c / 80) + std::sin(c / 68), kValueTolerance)
            << "t = " << t;
        EXPECT_FLOAT_EQ(gHarvesterRoller->baseRotation.x, static_cast<float>(-c / 200)) << "t = " << t;
    }
}

// The first glyph of the credits covers pixels 8..15 across and 198..205 up.
constexpr int32_t kCreditsX = 12, kCreditsY = 202;

TEST_F(DemoTest, PartACreditsShowFrom1001To6999) {
    const std::pair<uint32_t, bool> frames[] = {
        {0, false}, {1000, false}, {1001, true}, {4000, true}, {6999, true}, {7000, false}, {29000, false},
    };
    for (const auto& [t, shown] : frames) {
        clearToBlack();
        drawPartA(t, &screen);
        const Rgb p = pixel(kCreditsX, kCreditsY);
        if (shown) {
            // Opaque text shaded yellow to orange: red high, none of the blue background left.
            EXPECT_TRUE(p.r > 150 && p.b < 40) << "t = " << t << ": " << p;
        } else {
            EXPECT_TRUE(nearColour(p, rgbOf(kBg2), kColourTolerance)) << "t = " << t << ": " << p;
        }
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "t = " << t;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "t = " << t;
    }
}

// Where the grass copy turned by angle a appears: its quad centre sits kGrassRadius up the node's local y.
ScreenPoint grassCopyAt(float a) {
    const double y = kGrassRadius * std::cos(a);
    const double z = kGrassDepth + kGrassRadius * std::sin(a);
    return projectViewPoint(0.0, y, -z, 0.8);
}

struct GrassCase {
    uint32_t t;
    int firstDrawn, lastDrawn; // copies i drawn; every other i of 0..10 is not
};

TEST_F(DemoTest, PartAGrassFanDrawsTheCopiesInsideTheWindow) {
    // At a whole second the copies at -0.16 .. -0.8 show; the fifth (-0.79999995) lies above -0.8f.
    const GrassCase cases[] = {{1000, 1, 5}, {1500, 4, 8}, {2999, 7, 10}};
    for (const GrassCase& test : cases) {
        clearToBlack();
        drawPartA(test.t, &screen);
        const double f = std::fmod(test.t / 1000.0, 1.0);
        EXPECT_FLOAT_EQ(gGrass->baseRotation.x, static_cast<float>(f - 1.6)) << "t = " << test.t;
        for (int i = 0; i <= 10; ++i) {
            const float a = static_cast<float>(f - static_cast<double>(0.16f) * i);
            const ScreenPoint at = grassCopyAt(a);
            const bool drawn = i >= test.firstDrawn && i <= test.lastDrawn;
            // A copy turned forward would stand where one turned back stands: only those are checked.
            if (at.y < 0 || at.y >= 240 || a > 0.0f) continue;
            const Rgb p = pixel(at.x, at.y);
            EXPECT_TRUE(nearColour(p, drawn ? rgbOf(kGrass) : rgbOf(kBg2), kColourTolerance))
                << "t = " << test.t << ", copy " << i << " at " << a << " (" << at.x << ", " << at.y << "): " << p;
        }
    }
}

// ---- Part B ----

TEST_F(DemoTest, PartBTextShowsAfter5500) {
    // The first glyphs of "KESTROVA" (row 126 up) and "TOMBLORA" (row 84 up), both from column 104.
    for (const auto& [t, shown] : {std::pair{0u, false}, {5500u, false}, {5501u, true}, {21999u, true}}) {
        clearToBlack();
        drawPartB(t, &screen);
        for (const auto& [x, y] : {std::pair{108, 130}, {108, 88}}) {
            const Rgb p = pixel(x, y);
            if (shown) {
                EXPECT_TRUE(p.b < 40 && (p.r > 100 || p.g > 100)) << "t = " << t << " at " << y << ": " << p;
            } else {
                EXPECT_TRUE(nearColour(p, rgbOf(kBg1), kColourTolerance)) << "t = " << t << " at " << y << ": " << p;
            }
        }
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
    }
}

TEST_F(DemoTest, PartBFliesTheLogoAlongXAndSpinsItAboutZ) {
    struct Case {
        uint32_t t;
        float x, angle;
    };
    for (const Case& test : {Case{0, 120.0f, 0.0f}, Case{10000, 20.0f, 10.0f}, Case{21999, -99.99f, 21.999f}}) {
        drawPartB(test.t, &screen);
        EXPECT_FLOAT_EQ(gDisksLogo->basePosition.x, test.x) << "t = " << test.t;
        EXPECT_FLOAT_EQ(gDisksLogo->baseRotation.z, test.angle) << "t = " << test.t;
        // The rest of the logo's transform stays as loaded, and the evaluation takes the new values.
        EXPECT_FLOAT_EQ(gDisksLogo->basePosition.y, kLogoRestY);
        EXPECT_FLOAT_EQ(gDisksLogo->basePosition.z, kLogoRestZ);
        EXPECT_EQ(gDisksLogo->baseRotation.x, 0.0f);
        EXPECT_EQ(gDisksLogo->baseRotation.y, 0.0f);
        EXPECT_FLOAT_EQ(gDisksLogo->position.x, test.x);
        EXPECT_FLOAT_EQ(gDisksLogo->rotation.z, test.angle);
        EXPECT_EQ(gScene, gDisksScene);
        EXPECT_EQ(gCamera, gDisksCamera);
        EXPECT_EQ(gFarPlane, 1000.0f);
    }
}

// ---- Part C ----

TEST_F(DemoTest, PartCChoosesTheChaseCameraByTime) {
    const std::pair<uint32_t, SceneNode**> frames[] = {
        {0, &gChaseCamera1},     {5000, &gChaseCamera1},  {5001, &gChaseCamera4},  {8999, &gChaseCamera4},
        {9000, &gChaseCamera1},  {13499, &gChaseCamera1}, {13500, &gChaseCamera3}, {27999, &gChaseCamera3},
        {28000, &gChaseCamera2}, {70999, &gChaseCamera2},
    };
    for (const auto& [t, camera] : frames) {
        drawPartC(t, &screen);
        EXPECT_EQ(gCamera, *camera) << "t = " << t;
        EXPECT_EQ(gScene, gEscapeScene);
        EXPECT_EQ(gFarPlane, 3500.0f);
    }
}

TEST_F(DemoTest, PartCWidensTheViewOfTheThirdCamera) {
    drawPartC(13500, &screen);
    EXPECT_EQ(gFieldOfView, 0.6f);
    EXPECT_FLOAT_EQ(gChaseCamera3->baseRotation.x, 25.8f);
    EXPECT_FLOAT_EQ(gChaseCamera3->rotation.x, 25.8f); // the camera has no rotation keys
    EXPECT_NEAR(gProjectionMatrix.m[5], 1.0 / std::tan(0.3), 1e-4);

    drawPartC(27999, &screen);
    EXPECT_NEAR(gFieldOfView, 1.32495, 1e-5);
    EXPECT_NEAR(gChaseCamera3->baseRotation.x, 25.8 + 14499.0 / 30000.0, 1e-5);

    drawPartC(28000, &screen);
    EXPECT_EQ(gFieldOfView, 0.6f);
    // The tilt stays on the third camera once it is no longer used.
    EXPECT_NEAR(gChaseCamera3->baseRotation.x, 25.8 + 14499.0 / 30000.0, 1e-5);
}

TEST_F(DemoTest, PartCShowsTheAircraftInTwoWindows) {
    const std::pair<uint32_t, bool> frames[] = {
        {0, true},      {10000, true}, {10001, false}, {13499, false}, {13500, true},
        {30000, true},  {30001, false}, {48001, false}, {9000, true},  {70999, false},
    };
    for (const auto& [t, shown] : frames) {
        drawPartC(t, &screen);
        for (SceneNode* node : {gOspreyHull, gOspreyHull01, gPropellerLeft, gPropellerRight, gPropellerLeft01,
                                gPropellerRight01}) {
            EXPECT_EQ(node->visible, shown) << "t = " << t << ", " << node->name;
        }
    }
}

TEST_F(DemoTest, PartCSpinsThePropellersUntil28000) {
    drawPartC(13499, &screen);
    const float p = 134.99f;
    EXPECT_FLOAT_EQ(gPropellerLeft->baseRotation.y, p);
    EXPECT_FLOAT_EQ(gPropellerRight->baseRotation.y, p + 2.1f);
    EXPECT_FLOAT_EQ(gPropellerLeft01->baseRotation.y, p + 1.3f);
    EXPECT_FLOAT_EQ(gPropellerRight01->baseRotation.y, p + 0.6f);
    drawPartC(27999, &screen);
    const float q = 27.999f;
    EXPECT_FLOAT_EQ(gPropellerLeft->baseRotation.y, q);
    EXPECT_FLOAT_EQ(gPropellerRight->baseRotation.y, q + 1.5f);
    EXPECT_FLOAT_EQ(gPropellerLeft01->baseRotation.y, q + 2.3f);
    EXPECT_FLOAT_EQ(gPropellerRight01->baseRotation.y, q + 0.7f);
    drawPartC(28000, &screen);
    drawPartC(60000, &screen);
    EXPECT_FLOAT_EQ(gPropellerLeft->baseRotation.y, q);
    EXPECT_FLOAT_EQ(gPropellerRight01->baseRotation.y, q + 0.7f);
}

struct Bobbing {
    double terex, logo, wheelFL, wheelRL, wheelRL01, wheelFL01;
};

Bobbing bobbingAt(double c) {
    const double body = std::sin(c / 30) / 5 + std::sin(c / 78) / 5;
    return {body,
            std::fabs(std::sin(c / 60) / 5 + std::sin(c / 78) / 5) + body,
            std::sin(c / 12) / 10 + std::sin(c / 10) / 10,
            std::sin(c / 8) / 10 + std::sin(c / 11) / 10,
            std::sin(c / 9) / 10 + std::sin(c / 8) / 10,
            std::sin(c / 13) / 10 + std::sin(c / 11) / 10};
}

void expectBobbing(const Bobbing& expected, uint32_t t) {
    EXPECT_NEAR(gEscapeTerex->positionOffset.z, expected.terex, kValueTolerance) << "t = " << t;
    EXPECT_NEAR(gEscapeLogo->positionOffset.z, expected.logo, kValueTolerance) << "t = " << t;
    EXPECT_NEAR(gEscapeWheelFL->positionOffset.z, expected.wheelFL, kValueTolerance) << "t = " << t;
    EXPECT_NEAR(gEscapeWheelRL->positionOffset.z, expected.wheelRL, kValueTolerance) << "t = " << t;
    EXPECT_NEAR(gEscapeWheelRL01->positionOffset.z, expected.wheelRL01, kValueTolerance) << "t = " << t;
    EXPECT_NEAR(gEscapeWheelFL01->positionOffset.z, expected.wheelFL01, kValueTolerance) << "t = " << t;
}

TEST_F(DemoTest, PartCBobbingIsZeroAtTheStart) {
    drawPartC(5000, &screen);
    drawPartC(0, &screen);
    for (SceneNode* node :
         {gEscapeTerex, gEscapeLogo, gEscapeWheelFL, gEscapeWheelRL, gEscapeWheelRL01, gEscapeWheelFL01}) {
        EXPECT_EQ(node->positionOffset.z, 0.0f) << node->name;
    }
}

TEST_F(DemoTest, PartCBobbingHoldsFrom12000To28000) {
    drawPartC(11999, &screen);
    expectBobbing(bobbingAt(11999), 11999);
    const float held = gEscapeLogo->positionOffset.z;
    for (uint32_t t : {12000u, 13500u, 20000u, 27999u, 28000u}) {
        drawPartC(t, &screen);
        expectBobbing(bobbingAt(11999), t);
        EXPECT_EQ(gEscapeLogo->positionOffset.z, held) << "t = " << t;
        // The evaluated position carries the held offset (the logo is loaded behind the camera at z 1000).
        EXPECT_FLOAT_EQ(gEscapeLogo->position.z, 1000.0f + held) << "t = " << t;
    }
    drawPartC(28001, &screen);
    expectBobbing(bobbingAt(28001), 28001);
}

TEST_F(DemoTest, PartCTurnsTheSunBeamsAfter48000) {
    drawPartC(48000, &screen);
    EXPECT_EQ(gEscapeSunbeams->baseRotation.x, 0.0f);
    drawPartC(48001, &screen);
    EXPECT_FLOAT_EQ(gEscapeSunbeams->baseRotation.x, 48001.0f / 5000.0f);
    EXPECT_FLOAT_EQ(gEscapeSunbeams->rotation.x, 48001.0f / 5000.0f); // evaluated by hand although hidden
}

TEST_F(DemoTest, PartCDrawsBackgroundAndBeamsInTheirWindows) {
    const Rgb black{0, 0, 0};
    const Rgb background = rgbOf(kBg3);
    const uint8_t beam = 51;
    const Rgb backgroundAndBeams{beam, static_cast<uint8_t>(kBg3[1] + beam), static_cast<uint8_t>(kBg3[2] + beam)};
    struct Case {
        uint32_t t;
        Rgb corner, centre;
    };
    const Case cases[] = {
        {13000, black, black},
        {13500, black, black},
        {13501, background, background},
        {27999, background, background},
        {28000, black, black},
        {48000, black, black},
        {48001, background, backgroundAndBeams},
        {70999, background, backgroundAndBeams},
    };
    for (const Case& test : cases) {
        clearToBlack();
        drawPartC(test.t, &screen);
        EXPECT_TRUE(nearColour(pixel(5, 5), test.corner, kColourTolerance)) << "t = " << test.t << ": " << pixel(5, 5);
        EXPECT_TRUE(nearColour(pixel(160, 120), test.centre, kColourTolerance))
            << "t = " << test.t << ": " << pixel(160, 120);
    }
}

// ---- Part D ----

double rockAt(double c) { return std::sin(c / 78) / 5 + std::sin(c / 100) / 5; }

TEST_F(DemoTest, PartDValuesShowOneFrameLater) {
    drawPartD(0, &screen);
    // The first frame evaluates the loaded rest transforms; the writes come after.
    EXPECT_FLOAT_EQ(gLedgeTerex->position.z, kLedgeTerexRestZ);
    EXPECT_FLOAT_EQ(gLightbeam1->position.z, kLedgeDepth);
    EXPECT_FLOAT_EQ(gLedgeWheelRL->position.z, kLedgeWheelRestZ);
    EXPECT_FLOAT_EQ(gLedgeTerex->basePosition.z, 41.573f);
    EXPECT_FLOAT_EQ(gLightbeam1->basePosition.z, 39.459f);
    EXPECT_FLOAT_EQ(gLedgeWheelRL->basePosition.z, 37.821f);

    drawPartD(1000, &screen);
    EXPECT_FLOAT_EQ(gLedgeTerex->position.z, 41.573f);
    EXPECT_FLOAT_EQ(gLightbeam2->position.z, 39.459f);
    EXPECT_EQ(gLedge->rotation.z, 0.0f);
    EXPECT_NEAR(gLedgeTerex->basePosition.z, rockAt(1000) + 41.573, kValueTolerance);
    EXPECT_NEAR(gLightbeam1->basePosition.z, rockAt(1000) + 39.459, kValueTolerance);
    EXPECT_EQ(gLightbeam1->basePosition.z, gLightbeam2->basePosition.z);
    EXPECT_NEAR(gLedgeWheelRL->basePosition.z, std::sin(100.0) / 10 + std::sin(50.0) / 10 + 37.821, kValueTolerance);
    EXPECT_NEAR(gLedgeWheelFL->basePosition.z, std::sin(125.0) / 10 + std::sin(1000.0 / 30) / 10 + 37.821,
                kValueTolerance);
    EXPECT_FLOAT_EQ(gLedge->baseRotation.z, -1.0f);
    EXPECT_FLOAT_EQ(gTrees->baseRotation.z, -1.0f / 3.0f);
    EXPECT_FLOAT_EQ(gSunbeams1->baseRotation.y, 0.2f);
    EXPECT_FLOAT_EQ(gSunbeams2->baseRotation.y, 0.125f);

    drawPartD(2000, &screen);
    EXPECT_NEAR(gLedgeTerex->position.z, rockAt(1000) + 41.573, kValueTolerance);
    EXPECT_FLOAT_EQ(gLedge->rotation.z, -1.0f);
    EXPECT_FLOAT_EQ(gTrees->rotation.z, -1.0f / 3.0f);
    EXPECT_FLOAT_EQ(gSunbeams1->rotation.y, 0.2f);
    EXPECT_EQ(gScene, gLedgeScene);
    EXPECT_EQ(gCamera, gLedgeCamera);
    EXPECT_EQ(gFarPlane, 1000.0f);
}

TEST_F(DemoTest, PartDAddsTheGlowOverTheSceneAndTheBeamsOverTheGlow) {
    clearToBlack();
    drawPartD(0, &screen);
    const int sky = 51;
    const Rgb skyAndGlow{static_cast<uint8_t>(sky + kSunglow[0]), static_cast<uint8_t>(sky + kSunglow[1]),
                         static_cast<uint8_t>(sky + kSunglow[2])};
    const Rgb beamOverGlow{static_cast<uint8_t>(skyAndGlow.r + 102), skyAndGlow.g,
                           static_cast<uint8_t>(skyAndGlow.b + 102)};
    struct Spot {
        const char* what;
        int32_t x, y;
        Rgb colour;
    };
    const Spot spots[] = {
        {"sky", 300, 230, skyAndGlow},
        {"sky between the models", 160, 120, skyAndGlow},
        {"trees", 82, 120, Rgb{19 + 30, 37 + 60, 19 + 90}},
        {"ledge", 160, 198, Rgb{255, 60, 255}},
        {"light beam 1", 82, 42, beamOverGlow},
        {"light beam 2", 160, 42, beamOverGlow},
        {"sun beams 1", 238, 42, beamOverGlow},
        {"sun beams 2", 82, 198, beamOverGlow},
    };
    for (const Spot& spot : spots) {
        EXPECT_TRUE(nearColour(pixel(spot.x, spot.y), spot.colour, kColourTolerance))
            << spot.what << ": " << pixel(spot.x, spot.y) << " instead of " << spot.colour;
    }
}

} // namespace
