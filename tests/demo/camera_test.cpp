// Cameras: projection, axis flip and view built from a camera node, and what applyCamera hands the scene.
#include "demo/demo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kTolerance = 1e-5f;

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gCamera = &camera;
        gFieldOfView = 0.6f;
        gFarPlane = 1000.0f;
    }
    void TearDown() override {
        gCamera = nullptr;
        gScene = nullptr;
    }
    // A camera node as evaluation leaves it: position and rotation (radians) are what setupCamera reads.
    void place(Vec3 position, Vec3 rotation) {
        camera.position = position;
        camera.rotation = rotation;
    }
    void expectMatrix(const Matrix4& actual, const float (&expected)[16]) {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected[i], kTolerance) << "element " << i;
    }

    SceneNode camera{"MDL-Camera_test"};
    ScreenInfo screen = {320, 240};
};

TEST_F(CameraTest, OriginWithZeroAnglesIsRolledByMinusOneTenth) {
    place({0, 0, 0}, {0, 0, 0});
    setupCamera(&screen);
    // A turn about Z by -0.1 rad, columns first: (cos, sin, 0), (-sin, cos, 0) with sin(-0.1) < 0.
    const float c = 0.99500417f;
    const float s = -0.09983342f;
    const float expected[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrix(gViewMatrix, expected);
}

TEST_F(CameraTest, TranslationNegatesXAndYButKeepsZ) {
    // A yaw of exactly 0.1 cancels the built-in -0.1, leaving the pure translation.
    place({1, 2, 3}, {0, 0.1f, 0});
    setupCamera(&screen);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, 3, 1};
    expectMatrix(gViewMatrix, expected);
}

TEST_F(CameraTest, TranslationAppliesBeforeTheRotation) {
    place({1, 2, 3}, {0, 0, 0});
    setupCamera(&screen);
    // The roll of -0.1 rad acts on the translated point (-1, -2, 3).
    const double c = std::cos(-0.1), s = std::sin(-0.1);
    EXPECT_NEAR(gViewMatrix.m[12], c * -1 - s * -2, kTolerance);
    EXPECT_NEAR(gViewMatrix.m[13], s * -1 + c * -2, kTolerance);
    EXPECT_NEAR(gViewMatrix.m[14], 3.0, kTolerance);
}

TEST_F(CameraTest, CameraAnglesTurnAboutTheExpectedAxes) {
    struct Case {
        Vec3 rotation;
        float expected[16];
    };
    const float c = static_cast<float>(std::cos(0.4)), s = static_cast<float>(std::sin(0.4));
    const Case cases[] = {
        // The X angle turns about X.
        {{0.4f, 0.1f, 0}, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}},
        // The Z angle turns about Y: the camera's Y and Z angles change places.
        {{0, 0.1f, 0.4f}, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}},
        // The Y angle, less 0.1, turns about Z.
        {{0, 0.5f, 0}, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << test.rotation.x << ", " << test.rotation.y << ", "
                                        << test.rotation.z);
        place({0, 0, 0}, test.rotation);
        setupCamera(&screen);
        expectMatrix(gViewMatrix, test.expected);
    }
}

TEST_F(CameraTest, ProjectionScalesFollowTheFieldOfView) {
    place({0, 0, 0}, {0, 0, 0});
    setupCamera(&screen);
    EXPECT_NEAR(gProjectionMatrix.m[5], 3.2327281, 1e-4);       // cot(0.3)
    EXPECT_NEAR(gProjectionMatrix.m[0], 2.4245461, 1e-4);       // 0.75 cot(0.3)
    EXPECT_NEAR(gProjectionMatrix.m[10], 1000.0 / 999.0, 1e-5); // depth 0 at 1, 1 at the far plane
    EXPECT_NEAR(gProjectionMatrix.m[14], -1000.0 / 999.0, 1e-5);
    EXPECT_EQ(gProjectionMatrix.m[11], 1.0f); // w from the view-space z
    EXPECT_EQ(gProjectionMatrix.m[15], 0.0f);

    gFieldOfView = 0.8f;
    gFarPlane = 2000.0f;
    setupCamera(&screen);
    EXPECT_NEAR(gProjectionMatrix.m[5], 1.0 / std::tan(0.4), 1e-4);
    EXPECT_NEAR(gProjectionMatrix.m[10], 2000.0 / 1999.0, 1e-5);
}

TEST_F(CameraTest, AxisFlipMirrorsZAfterEveryCall) {
    place({4, 5, 6}, {0.3f, 0.2f, 0.1f});
    for (int call = 0; call < 3; ++call) {
        setupCamera(&screen);
        const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
        for (int i = 0; i < 16; ++i) EXPECT_EQ(gAxisFlip.m[i], expected[i]) << "call " << call << " element " << i;
    }
}

TEST_F(CameraTest, ApplyCameraMirrorsZBeforeTheView) {
    Scene scene;
    gScene = &scene;
    place({1, -2, 7}, {0.3f, 0.6f, -0.2f});
    setupCamera(&screen);
    applyCamera();
    // Mirroring z first negates the third column of the view and leaves the others.
    for (int i = 0; i < 16; ++i) {
        const float expected = i >= 8 && i < 12 ? -gViewMatrix.m[i] : gViewMatrix.m[i];
        EXPECT_EQ(scene.viewMatrix.m[i], expected) << "element " << i;
        EXPECT_EQ(scene.projectionMatrix.m[i], gProjectionMatrix.m[i]) << "element " << i;
    }
}

} // namespace
