// Dropping what the rest of a scene always hides: what must go, and the cases that must stay.
#include "kit/occlusion.h"
#include "kit/shapes.h"
#include "test_views.h"

#include <gtest/gtest.h>

namespace {

// Triangles facing the camera, which looks along +Y from the origin.
using testviews::facingMinusY;

// A mesh at `offset(moment)`, seen by the camera at the origin.
kit::OcclusionInstance placed(const kit::Mesh& mesh, std::function<kit::Vec3(size_t)> offset) {
    return {&mesh, [offset](size_t moment) { return testviews::lookingAlongY(-offset(moment), 1); }};
}

kit::Vec3 still(size_t) {
    return {};
}

TEST(Occlusion, DropsWhatAWallAlwaysHidesAndKeepsTheWall) {
    kit::Mesh wall = facingMinusY({0, 40, 0}, 30), behind = facingMinusY({0, 60, 0}, 1);
    auto seen = kit::trianglesEverSeen({placed(wall, still), placed(behind, still)}, 3);
    EXPECT_TRUE(seen[0][0]);
    EXPECT_FALSE(seen[1][0]);
    EXPECT_EQ(kit::keepTriangles(behind, seen[1]).triangleCount(), 0u);
    EXPECT_TRUE(kit::keepTriangles(behind, seen[1]).positions.empty()) << "unused vertices go with it";
}

TEST(Occlusion, KeepsWhatShowsAtAnyMomentOrPastWhatDoesNotHide) {
    kit::Mesh wall = facingMinusY({0, 40, 0}, 30), behind = facingMinusY({0, 60, 0}, 1);
    // The wall steps aside at the last moment only.
    auto aside = [](size_t moment) { return moment == 4 ? kit::Vec3{500, 0, 0} : kit::Vec3{}; };
    EXPECT_TRUE(kit::trianglesEverSeen({placed(wall, aside), placed(behind, still)}, 5)[1][0]);
    kit::OcclusionInstance glass = placed(wall, still);
    glass.occludes = false;
    EXPECT_TRUE(kit::trianglesEverSeen({glass, placed(behind, still)}, 1)[1][0]);
    // A triangle in front of the wall, and one the camera faces away from.
    kit::Mesh front = facingMinusY({0, 20, 0}, 1), away = facingMinusY({0, 60, 0}, 1);
    kit::flipFaces(away);
    auto seen = kit::trianglesEverSeen({placed(wall, still), placed(front, still), placed(away, still)}, 1);
    EXPECT_TRUE(seen[1][0]);
    EXPECT_FALSE(seen[2][0]);
}

TEST(Occlusion, KeepsTiesAndWhatPeeksPastAnEdgeBySubPixelAmounts) {
    // Coplanar with the wall: a 16-bit depth buffer may draw either.
    kit::Mesh wall = facingMinusY({0, 40, 0}, 30), decal = facingMinusY({0, 40, 2}, 1);
    EXPECT_TRUE(kit::trianglesEverSeen({placed(wall, still), placed(decal, still)}, 1)[1][0]);
    // A small triangle behind a wall's slanted left edge, under a pixel inside it: a wall that moves by a
    // pixel between two moments uncovers it. (At the sliver's distance the edge runs x = -4.95 + z / 2 and a
    // pixel is about 0.21 units.)
    kit::Mesh sliver;
    uint32_t a = sliver.addVertex({-4.89f, 60, -0.1f}, {0, -1, 0}, {});
    uint32_t b = sliver.addVertex({-4.85f, 60, -0.1f}, {0, -1, 0}, {});
    uint32_t c = sliver.addVertex({-4.87f, 60, 0.1f}, {0, -1, 0}, {});
    sliver.addTriangle(a, b, c);
    kit::Mesh cover = facingMinusY({0, 40, 0}, 6.6f);
    EXPECT_TRUE(kit::trianglesEverSeen({placed(cover, still), placed(sliver, still)}, 1)[1][0]);
    kit::OcclusionSettings exact;
    exact.erode = 0;
    exact.edgeSlack = 0;
    EXPECT_FALSE(kit::trianglesEverSeen({placed(cover, still), placed(sliver, still)}, 1, exact)[1][0])
        << "without the margins the still wall hides it";
    // The same triangle well inside the wall goes.
    kit::Mesh hidden;
    a = hidden.addVertex({-0.05f, 60, -1}, {0, -1, 0}, {});
    b = hidden.addVertex({0.05f, 60, -1}, {0, -1, 0}, {});
    c = hidden.addVertex({0, 60, 0}, {0, -1, 0}, {});
    hidden.addTriangle(a, b, c);
    EXPECT_FALSE(kit::trianglesEverSeen({placed(cover, still), placed(hidden, still)}, 1)[1][0]);
}

} // namespace
