// Tests of the matrix, quaternion and projection routines.
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kTolerance = 1e-5f;

Matrix4 identity() {
    Matrix4 m;
    return makeIdentity(m);
}

Matrix4 translation(float x, float y, float z) {
    Matrix4 m;
    return makeTranslation(m, {x, y, z});
}

Matrix4 fromEuler(float ax, float ay, float az) {
    Quaternion q;
    Matrix4 m;
    return quaternionToMatrix(m, quaternionFromEuler(q, ax, ay, az));
}

// Column-vector point transform, worked out from the storage rule (element 4c + r is row r, column c).
Vec3 apply(const Matrix4& m, Vec3 p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

// Rz(az) * Ry(ay) * Rx(ax) from the textbook elementary rotations, in double precision.
Matrix4 elementaryRotations(double ax, double ay, double az) {
    const double rx[3][3] = {{1, 0, 0}, {0, std::cos(ax), -std::sin(ax)}, {0, std::sin(ax), std::cos(ax)}};
    const double ry[3][3] = {{std::cos(ay), 0, std::sin(ay)}, {0, 1, 0}, {-std::sin(ay), 0, std::cos(ay)}};
    const double rz[3][3] = {{std::cos(az), -std::sin(az), 0}, {std::sin(az), std::cos(az), 0}, {0, 0, 1}};
    double zy[3][3] = {}, zyx[3][3] = {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                zy[r][c] += rz[r][k] * ry[k][c];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                zyx[r][c] += zy[r][k] * rx[k][c];
    Matrix4 m = identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[4 * c + r] = static_cast<float>(zyx[r][c]);
    return m;
}

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance = kTolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
    }
}

TEST(SceneMath, QuaternionToMatrixIdentities) {
    const struct { Quaternion q; } cases[] = {{{0, 0, 0, 1}}, {{0, 0, 0, 2}}, {{0, 0, 0, -1}}};
    for (const auto& c : cases) {
        Matrix4 m;
        expectMatrixNear(quaternionToMatrix(m, c.q), identity(), 0.0f);
    }
    Quaternion q;
    quaternionFromEuler(q, 0, 0, 0);
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_EQ(q.z, 0.0f);
    EXPECT_EQ(q.w, 1.0f);
}

TEST(SceneMath, QuarterTurnAboutXTakesYToZ) {
    const Matrix4 m = fromEuler(kPi / 2, 0, 0);
    const Vec3 p = apply(m, {0, 1, 0});
    EXPECT_NEAR(p.x, 0.0f, kTolerance);
    EXPECT_NEAR(p.y, 0.0f, kTolerance);
    EXPECT_NEAR(p.z, 1.0f, kTolerance);
    EXPECT_NEAR(m.m[6], 1.0f, kTolerance);
    EXPECT_NEAR(m.m[9], -1.0f, kTolerance);
}

TEST(SceneMath, EulerMatchesElementaryRotationsZYX) {
    const Vec3 angles[] = {{0.3f, 0, 0},        {0, 0.7f, 0},        {0, 0, -1.2f},
                           {0.3f, -0.7f, 1.2f}, {2.5f, 1.0f, -3.0f}, {kPi, kPi / 2, 0.1f},
                           {-0.01f, 6.0f, 4.0f}};
    for (const Vec3& a : angles) {
        SCOPED_TRACE(testing::Message() << a.x << ", " << a.y << ", " << a.z);
        expectMatrixNear(fromEuler(a.x, a.y, a.z), elementaryRotations(a.x, a.y, a.z));
    }
}

TEST(SceneMath, MultiplyAppliesTheLeftOperandFirst) {
    const Matrix4 a = translation(1, 2, 3);
    const Matrix4 b = fromEuler(0, 0, kPi / 2);
    Matrix4 out;
    a.multiply(out, identity());
    expectMatrixNear(out, a, 0.0f);
    identity().multiply(out, b);
    expectMatrixNear(out, b, 0.0f);

    a.multiply(out, b);
    const Vec3 p = apply(out, {0, 0, 0});
    EXPECT_NEAR(p.x, -2.0f, kTolerance);
    EXPECT_NEAR(p.y, 1.0f, kTolerance);
    EXPECT_NEAR(p.z, 3.0f, kTolerance);
}

TEST(SceneMath, TranslateActsInsideTheFrameOfTheMatrix) {
    Matrix4 m = identity();
    expectMatrixNear(translate(m, {4, 5, 6}), translation(4, 5, 6), 0.0f);
    m = translation(1, 2, 3);
    translate(m, {10, 20, 30});
    expectMatrixNear(m, translation(11, 22, 33), 0.0f);
    // Inside a quarter turn about Z, a shift along x moves the point along y.
    m = fromEuler(0, 0, kPi / 2);
    const Vec3 p = apply(translate(m, {1, 0, 0}), {0, 0, 0});
    EXPECT_NEAR(p.x, 0.0f, kTolerance);
    EXPECT_NEAR(p.y, 1.0f, kTolerance);
}

TEST(SceneMath, Invert) {
    Matrix4 m = translation(1, 2, 3);
    expectMatrixNear(invert(m), translation(-1, -2, -3), 0.0f);

    const Matrix4 rotation = fromEuler(0.4f, -1.1f, 2.0f);
    m = rotation;
    invert(m);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m.m[4 * c + r], rotation.m[4 * r + c], kTolerance);

    Matrix4 product;
    Matrix4 placement = translation(5, -2, 7);
    translate(placement, {0, 0, 0});
    Matrix4 inverse = placement;
    invert(inverse);
    placement.multiply(product, inverse);
    expectMatrixNear(product, identity());
}

TEST(SceneMath, InvertStopsAtAZeroPivot) {
    Matrix4 m = translation(1, 2, 3);
    m.m[0] = 0.0f;
    const Matrix4 before = m;
    invert(m);
    expectMatrixNear(m, before, 0.0f);
}

TEST(SceneMath, Perspective) {
    Matrix4 m;
    makePerspective(m, 100, 100, kPi / 2, 1, 1000);
    EXPECT_NEAR(m.m[0], 1.0f, kTolerance);
    EXPECT_NEAR(m.m[5], 1.0f, kTolerance);
    EXPECT_FLOAT_EQ(m.m[10], 1000.0f / 999.0f);
    EXPECT_FLOAT_EQ(m.m[14], -1000.0f / 999.0f);
    EXPECT_EQ(m.m[11], 1.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) {
        EXPECT_EQ(m.m[i], 0.0f) << "element " << i;
    }
    makePerspective(m, 320, 240, 0.6f, 1, 1000);
    EXPECT_NEAR(m.m[0], 0.75f * m.m[5], kTolerance);
    // Depth after the division by w: 0 at near, 1 at far.
    for (float z : {1.0f, 1000.0f}) {
        const float depth = (m.m[10] * z + m.m[14]) / z;
        EXPECT_NEAR(depth, z == 1.0f ? 0.0f : 1.0f, kTolerance);
    }
}

} // namespace
