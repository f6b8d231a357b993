// Tests of node evaluation: key sampling, offsets and one level of parenting.
#include "scene_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kTolerance = 1e-5f;

void expectVecNear(const Vec3& actual, const Vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

Vec3 origin(const SceneNode& node) {
    const float* m = node.getWorldMatrix().m;
    return {m[12], m[13], m[14]};
}

TEST(SceneEvaluate, SamplesPositionKeys) {
    SceneNode node("MDL-N");
    node.positionKeys = {{0, 0, 0}, {2, 4, 6}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 20, 30}};
    const struct {
        uint32_t timeMs;
        Vec3 offset;
        Vec3 expected;
    } cases[] = {
        {0, {0, 0, 0}, {0, 0, 0}},
        {25, {0, 0, 0}, {1, 2, 3}},
        {50, {0, 0, 0}, {2, 4, 6}},
        {230, {0, 1, 0}, {6, 1, 0}},
        {250, {0, 0, 5}, {10, 0, 5}},
        {300, {0, 0, 0}, {10, 20, 30}},
        {310, {0, 0, 0}, {10, 20, 30}},
        {70999, {1, 1, 1}, {11, 21, 31}},
        {4294967295u, {0, 0, 0}, {10, 20, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeMs);
        node.positionOffset = c.offset;
        node.evaluate(c.timeMs);
        expectVecNear(node.getPosition(), c.expected);
        expectVecNear(origin(node), c.expected);
    }
}

TEST(SceneEvaluate, TracksOfOneKeyOrNoneAndBaseValues) {
    SceneNode node("MDL-N");
    node.basePosition = {1, 2, 3};
    node.positionOffset = {0, 0, 5};
    node.evaluate(500);
    expectVecNear(node.getPosition(), {1, 2, 8});

    node.positionKeys = {{7, 7, 7}};
    node.evaluate(0);
    expectVecNear(node.getPosition(), {7, 7, 12});
    node.evaluate(1000);
    expectVecNear(node.getPosition(), {7, 7, 12});

    node.baseRotation = {0, 0, kPi / 2};
    node.evaluate(0);
    EXPECT_NEAR(node.rotationMatrix.m[1], 1.0f, kTolerance); // x axis turned onto y
    node.rotationKeys = {{0, 0, 0}, {0, 0, 0}};
    node.evaluate(0);
    EXPECT_NEAR(node.rotationMatrix.m[0], 1.0f, kTolerance);
    EXPECT_EQ(node.rotation.z, 0.0f);

    node.dropAnimation();
    node.evaluate(0);
    expectVecNear(node.getPosition(), {1, 2, 8});
    EXPECT_EQ(node.rotation.z, kPi / 2);
}

TEST(SceneEvaluate, AnglesInterpolateWithoutWrapping) {
    SceneNode node("MDL-N");
    node.rotationKeys = {{0, 0, 0}, {2 * kPi, 0, 0}};
    node.evaluate(25);
    EXPECT_NEAR(node.rotation.x, kPi, kTolerance);
}

TEST(SceneEvaluate, WorldMatrixIsTranslationThenRotation) {
    SceneNode node("MDL-N");
    node.basePosition = {1, 2, 3};
    node.baseRotation = {0, 0, kPi / 2};
    node.evaluate(0);
    const float* m = node.getWorldMatrix().m;
    // A point at local (1, 0, 0) turns onto +y, then moves by the position.
    expectVecNear({m[0] + m[12], m[1] + m[13], m[2] + m[14]}, {1, 3, 3});
}

// Top (root) -> A -> B -> C: each is placed by its parent's values and its own, never a grandparent's.
TEST(SceneEvaluate, OneLevelOfParenting) {
    const LoadedScene loaded = loadText(modelLine(0, "MDL-Top") + modelLine(1, "MDL-A") +
                                        modelLine(2, "MDL-B") + modelLine(3, "MDL-C"));
    Scene& scene = *loaded.scene;
    SceneNode* top = scene.findNode("Top");
    SceneNode* a = scene.findNode("A");
    SceneNode* b = scene.findNode("B");
    SceneNode* c = scene.findNode("C");
    top->basePosition = {100, 0, 0};
    a->basePosition = {0, 10, 0};
    a->baseRotation = {0, 0, kPi / 2};
    b->basePosition = {1, 0, 0};
    c->basePosition = {0, 0, 1};
    scene.evaluateAll(0);
    expectVecNear(origin(*a), {0, 10, 0});
    expectVecNear(origin(*b), {0, 11, 0}); // B's x turned onto y by A, then moved by A
    expectVecNear(origin(*c), {1, 0, 1});  // B has no rotation; A's values do not reach C

    // A hidden node keeps its last matrix; a node evaluated alone uses what its parent holds.
    b->visible = false;
    a->basePosition = {0, 50, 0};
    scene.evaluateAll(0);
    expectVecNear(origin(*b), {0, 11, 0});
    b->evaluate(0);
    expectVecNear(origin(*b), {0, 51, 0});
}

} // namespace
