// Thinning meshes to what a camera can see: the cases where a triangle must go and where it must stay.
#include "kit/shapes.h"
#include "kit/visibility.h"
#include "test_views.h"

#include <gtest/gtest.h>

namespace {

using testviews::facingMinusY;
using testviews::lookingAlongY;

TEST(Visibility, KeepsWhatFacesTheEyeInsideTheViewAndDropsTheRest) {
    kit::View view = lookingAlongY();
    EXPECT_EQ(kit::keepSeen(facingMinusY({0, 50, 0}), {view}).triangleCount(), 1u) << "straight ahead";
    kit::Mesh away = facingMinusY({0, 50, 0});
    EXPECT_EQ(kit::keepSeen(kit::flipFaces(away), {view}).triangleCount(), 0u) << "turned away";
    EXPECT_EQ(kit::keepSeen(facingMinusY({0, -50, 0}), {view}).triangleCount(), 0u) << "behind the eye";
    // Half the view is tan(0.4) * 4 / 3 = 0.56 of the depth across, widened by 10 %.
    EXPECT_EQ(kit::keepSeen(facingMinusY({20, 50, 0}, 1), {view}).triangleCount(), 1u) << "near the edge";
    EXPECT_EQ(kit::keepSeen(facingMinusY({40, 50, 0}, 1), {view}).triangleCount(), 0u) << "beside the view";
    EXPECT_EQ(kit::keepSeen(facingMinusY({0, 50, 40}, 1), {view}).triangleCount(), 0u) << "above the view";
    // A triangle larger than the view, with every corner outside, still covers it.
    EXPECT_EQ(kit::keepSeen(facingMinusY({0, 50, 0}, 500), {view}).triangleCount(), 1u) << "spans the view";
}

TEST(Visibility, AnyOneViewKeepsATriangle) {
    kit::Mesh beside = facingMinusY({40, 50, 0});
    EXPECT_EQ(kit::keepSeen(beside, {lookingAlongY()}).triangleCount(), 0u);
    EXPECT_EQ(kit::keepSeen(beside, {lookingAlongY(), lookingAlongY({40, 0, 0})}).triangleCount(), 1u);
    EXPECT_EQ(kit::keepSeen(beside, {}).triangleCount(), 0u);
}

TEST(Visibility, AClosedSolidSeenFromOneSideLosesItsFarFacesAndUnusedVertices) {
    kit::Mesh cube = kit::box({-1, 49, -1}, {1, 51, 1});
    kit::Mesh seen = kit::keepSeen(cube, {lookingAlongY()});
    // Only the face toward the eye: the sides are edge-on and the back faces away.
    EXPECT_EQ(seen.triangleCount(), 2u);
    EXPECT_EQ(seen.positions.size(), 4u);
    for (const kit::Vec3& p : seen.positions) EXPECT_EQ(p.y, 49.0f);
    for (const auto& t : seen.triangles)
        for (uint32_t i : t) EXPECT_LT(i, seen.positions.size());
}

TEST(Visibility, TurnedViewsSeeTheMeshAsTheTurnedNodeShowsIt) {
    // A node turned a quarter turn about Z carries a triangle facing -Y round to face +X; the eye on the -X
    // side looking along +X then sees its front.
    kit::Mesh m = facingMinusY({0, 50, 0});
    kit::View alongX = kit::makeView({-50, 0, 0}, kit::aimCamera({-50, 0, 0}, {0, 0, 0}), 0.8f);
    EXPECT_EQ(kit::keepSeen(m, {alongX}).triangleCount(), 0u);
    kit::Vec3 quarter{0, 0, -kit::kPi / 2};
    kit::Mesh turned = m;
    kit::rotate(turned, quarter);
    ASSERT_EQ(kit::keepSeen(turned, {alongX}).triangleCount(), 1u);
    EXPECT_EQ(kit::keepSeen(m, {kit::turned(alongX, {}, quarter)}).triangleCount(), 1u);
    EXPECT_EQ(kit::keepSeen(m, {kit::turned(alongX, {}, -quarter)}).triangleCount(), 0u);
}

TEST(Visibility, SlackKeepsFacesCloseToEdgeOn) {
    // Seen almost exactly from its back edge-on: dropped without slack, kept with it.
    kit::Mesh m = facingMinusY({0, 50, 0});
    kit::rotate(m, {0, 0, 0.01f});
    kit::View grazing = kit::makeView({-60, 50, 0}, kit::aimCamera({-60, 50, 0}, {0, 50, 0}), 0.8f);
    EXPECT_EQ(kit::keepSeen(m, {grazing}).triangleCount(), 0u);
    EXPECT_EQ(kit::keepSeen(m, {grazing}, 0.05f).triangleCount(), 1u);
}

} // namespace
