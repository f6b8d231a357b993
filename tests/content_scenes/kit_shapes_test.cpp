// Modelling kit: solids are closed and face outward, mappings stay inside their rectangles.
#include "kit/shapes.h"
#include "kit/xsi_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace {

// Closed and consistently wound: every directed edge is matched by exactly one edge the other way.
// Positions are compared by value, since solids give each face its own corners.
bool isClosed(const kit::Mesh& m) {
    std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, int> edges;
    auto key = [&](uint32_t i) {
        kit::Vec3 p = m.positions[i];
        return std::make_tuple(p.x, p.y, p.z);
    };
    for (const auto& t : m.triangles) {
        for (int k = 0; k < 3; ++k) ++edges[{key(t[size_t(k)]), key(t[size_t((k + 1) % 3)])}];
    }
    for (const auto& [edge, count] : edges) {
        auto back = edges.find({edge.second, edge.first});
        if (count != 1 || back == edges.end() || back->second != 1) return false;
    }
    return true;
}

// Positive for a closed mesh whose faces point outward.
double signedVolume(const kit::Mesh& m) {
    double v = 0;
    for (const auto& t : m.triangles) {
        kit::Vec3 a = m.positions[t[0]], b = m.positions[t[1]], c = m.positions[t[2]];
        v += double(kit::dot(a, kit::cross(b, c))) / 6.0;
    }
    return v;
}

TEST(KitShapes, SolidsAreClosedAndFaceOutward) {
    const std::pair<const char*, kit::Mesh> solids[] = {
        {"box", kit::box({-1, -2, -3}, {2, 1, 4})},
        {"bevelled box", kit::box({-1, -2, -3}, {2, 1, 4}, {}, 0.3f)},
        {"cylinder", kit::cylinder(2, -1, 3, 12)},
        {"sphere", kit::sphere(3, 8, 5)},
        {"dome", kit::dome(3, 8, 4)},
        {"wedge", kit::wedge({0, 0, 0}, {2, 5, 3}, 1)},
        {"ring lathe", kit::lathe({{1, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 0}}, 16)},
    };
    for (const auto& [name, mesh] : solids) {
        ASSERT_FALSE(mesh.triangles.empty()) << name;
        EXPECT_TRUE(isClosed(mesh)) << name;
        EXPECT_GT(signedVolume(mesh), 0) << name;
    }
}

TEST(KitShapes, BoxVolumeAndBevelledBoxSlightlySmaller) {
    EXPECT_NEAR(signedVolume(kit::box({0, 0, 0}, {2, 3, 4})), 24.0, 1e-4);
    double bevelled = signedVolume(kit::box({0, 0, 0}, {2, 3, 4}, {}, 0.2f));
    EXPECT_LT(bevelled, 24.0);
    EXPECT_GT(bevelled, 23.0);
}

TEST(KitShapes, ExtrudedConcavePolygonKeepsItsArea) {
    // An L shape of area 5, given clockwise; the extrusion must fix the winding and fill it exactly.
    std::vector<kit::Vec2> shape{{0, 0}, {0, 3}, {1, 3}, {1, 1}, {3, 1}, {3, 0}};
    kit::Mesh solid = kit::extrude(shape, 2);
    EXPECT_TRUE(isClosed(solid));
    EXPECT_NEAR(signedVolume(solid), 10.0, 1e-4);
    kit::Mesh bevelled = kit::extrude(shape, 2, 0.15f);
    EXPECT_TRUE(isClosed(bevelled));
    EXPECT_GT(signedVolume(bevelled), 9.0);
}

TEST(KitShapes, UvsStayInsideTheirRectangle) {
    kit::UvRect rect{0.25f, 0.5f, 0.5f, 0.75f};
    kit::Mesh meshes[] = {kit::box({0, 0, 0}, {1, 2, 3}, kit::BoxUv(rect), 0.1f), kit::cylinder(1, 0, 2, 10, rect, rect, 3),
                          kit::extrude({{0, 0}, {2, 0}, {1, 2}}, 1, 0.1f, rect)};
    for (const kit::Mesh& m : meshes) {
        ASSERT_EQ(m.uvs.size(), m.positions.size());
        for (const kit::Vec2& uv : m.uvs) {
            EXPECT_GE(uv.u, rect.u0 - 1e-5f);
            EXPECT_LE(uv.u, rect.u1 + 1e-5f);
            EXPECT_GE(uv.v, rect.v0 - 1e-5f);
            EXPECT_LE(uv.v, rect.v1 + 1e-5f);
        }
    }
}

TEST(KitShapes, MirroringKeepsFacesOutward) {
    kit::Mesh wedge = kit::wedge({1, 0, 0}, {3, 4, 2}, 0.5f);
    kit::Mesh mirrored = kit::mirrorX(wedge);
    EXPECT_TRUE(isClosed(mirrored));
    EXPECT_NEAR(signedVolume(mirrored), signedVolume(wedge), 1e-4);
}

// Three unit boxes along Y, merged far first: seen from in front of the nearest, they come out nearest first,
// and the mesh keeps its vertices and stays closed.
TEST(KitShapes, SortNearFirstOrdersByDistanceAndKeepsTheMesh) {
    kit::Mesh row;
    for (float y : {20.0f, 10.0f, 0.0f}) kit::merge(row, kit::box({0, y, 0}, {1, y + 1, 1}, {}));
    const kit::Mesh before = row;
    kit::sortNearFirst(row, {0.5f, -5, 0.5f});
    ASSERT_EQ(row.triangles.size(), before.triangles.size());
    EXPECT_EQ(row.positions.size(), before.positions.size());
    const size_t perBox = before.triangles.size() / 3;
    for (size_t i = 0; i < row.triangles.size(); ++i) {
        kit::Vec3 p = row.positions[row.triangles[i][0]];
        EXPECT_EQ(std::floor(p.y / 10), float(i / perBox) * 1.0f) << "triangle " << i;
    }
    EXPECT_TRUE(isClosed(row));
    EXPECT_NEAR(signedVolume(row), 3.0, 1e-4);
}

} // namespace
