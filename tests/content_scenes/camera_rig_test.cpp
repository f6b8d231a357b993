// The camera rig against the program's camera convention.
#include "kit/camera_rig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectNear(kit::Vec3 a, kit::Vec3 b, float tolerance = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(CameraRig, HarvesterAnglesLookAlongMinusYTwentyDegreesUp) {
    kit::CameraBasis b = kit::cameraBasis({7.5, 0.1, 3.14159265358979});
    expectNear(b.forward, {0, -0.938f, 0.347f});
    expectNear(b.up, {0, 0.347f, 0.938f});
    expectNear(b.right, {-1, 0, 0});
}

TEST(CameraRig, AimingReproducesTheDirectionWithALevelHorizon) {
    const kit::Vec3 eye{10, -20, 30};
    const kit::Vec3 targets[] = {{0, 0, 0}, {50, -20, 25}, {10, 80, 60}, {-40, -60, 31}, {12, -18, 5}};
    for (kit::Vec3 target : targets) {
        kit::CameraBasis b = kit::cameraBasis(kit::aimCamera(eye, target));
        expectNear(b.forward, kit::normalize(target - eye));
        EXPECT_NEAR(b.right.z, 0, 1e-4) << "roll";
        EXPECT_GT(b.up.z, 0) << "upside down";
    }
}

TEST(CameraRig, ProjectionPutsTheTargetAtTheCentreAndRaysInverseIt) {
    kit::Vec3 eye{0, -50, 20}, target{5, 0, 2};
    kit::CameraAngles a = kit::aimCamera(eye, target);
    float x, y, depth;
    ASSERT_TRUE(kit::projectPoint(eye, a, 0.6f, target, x, y, depth));
    EXPECT_NEAR(x, 0, 1e-4);
    EXPECT_NEAR(y, 0, 1e-4);
    kit::Vec3 ray = kit::viewRay(a, 0.6f, 0.24f, -0.5f);
    ASSERT_TRUE(kit::projectPoint(eye, a, 0.6f, eye + ray * 100, x, y, depth));
    EXPECT_NEAR(x, 0.24f, 1e-4);
    EXPECT_NEAR(y, -0.5f, 1e-4);
}

TEST(CameraRig, OrbitKeysNeverJumpByAFullTurn) {
    // Two full turns round a point: the angles must keep growing instead of wrapping.
    auto eye = [](double t) { return kit::Vec3{float(60 * std::cos(t)), float(60 * std::sin(t)), 25}; };
    auto target = [](double) { return kit::Vec3{0, 0, 0}; };
    kit::CameraKeys keys = kit::rigCamera(260, eye, target);
    ASSERT_EQ(keys.rotations.size(), 260u);
    for (size_t i = 1; i < keys.rotations.size(); ++i) {
        kit::Vec3 d = keys.rotations[i] - keys.rotations[i - 1];
        EXPECT_LT(std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z), 0.5f) << "key " << i;
        expectNear(kit::cameraBasis({keys.rotations[i].x, keys.rotations[i].y, keys.rotations[i].z}).forward,
                   kit::normalize(target(0) - eye(i / 20.0)), 2e-3f);
    }
}

} // namespace
