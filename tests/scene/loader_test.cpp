// Tests of the dotXSI loader and of building the draw buffers.
#include "scene_test_util.h"

#include "support/gl_test_context.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

constexpr float kTolerance = 1e-6f;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tetraText() {
    return readFile(std::string(TOMBLORA_SCENE_TEST_DATA) + "/tetra.xsi");
}

float radians(float degrees) {
    return static_cast<float>(degrees * static_cast<double>(0.017453292f));
}

TEST(SceneLoader, TetraExample) {
    const LoadedScene loaded = loadText(tetraText(), "tetra.xsi");
    const Scene& scene = *loaded.scene;
    EXPECT_EQ(loaded.output, "WARNING: Tetra has no normals\n");
    ASSERT_EQ(scene.nodes.size(), 4u);
    SceneNode* root = scene.findNode("MDL-MAXSceneRoot");
    SceneNode* pivot = scene.findNode("Pivot");
    SceneNode* tetra = scene.findNode("MDL-Tetra");
    SceneNode* camera = scene.findNode("Camera_example");
    ASSERT_TRUE(root && pivot && tetra && camera);
    EXPECT_EQ(scene.nodes[0].get(), root);
    EXPECT_EQ(scene.nodes[3].get(), camera);

    EXPECT_TRUE(root->isRoot);
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(pivot->parent, root);
    EXPECT_EQ(tetra->parent, pivot);
    EXPECT_EQ(camera->parent, root);
    EXPECT_FALSE(pivot->isRoot || tetra->isRoot || camera->isRoot);
    for (SceneNode* dummy : {root, pivot, camera}) {
        EXPECT_TRUE(dummy->isDummy);
        EXPECT_TRUE(dummy->vertices.empty());
    }

    EXPECT_EQ(pivot->basePosition.z, 10.0f);
    EXPECT_EQ(pivot->baseRotation.z, radians(45));
    EXPECT_TRUE(pivot->positionKeys.empty());
    ASSERT_EQ(pivot->rotationKeys.size(), 3u);
    EXPECT_EQ(pivot->rotationKeys[1].z, 1.5707964f);
    EXPECT_EQ(pivot->rotationKeys[2].z, radians(135));
    EXPECT_EQ(pivot->rotationKeys[2].x, 0.0f);

    ASSERT_EQ(camera->positionKeys.size(), 3u);
    EXPECT_EQ(camera->positionKeys[1].y, -29.0f);
    EXPECT_EQ(camera->positionKeys[2].z, 12.0f);
    EXPECT_EQ(camera->baseRotation.x, radians(80));
    EXPECT_TRUE(camera->rotationKeys.empty());

    EXPECT_FALSE(tetra->isDummy);
    EXPECT_TRUE(tetra->textured);
    EXPECT_FALSE(tetra->blended);
    EXPECT_EQ(tetra->triangleCount, 4u);
    ASSERT_EQ(tetra->vertices.size(), 12u);
    ASSERT_EQ(tetra->indices.size(), 12u);
    for (uint16_t k = 0; k < 12; ++k) {
        EXPECT_EQ(tetra->indices[k], k);
    }
    // Corners "0,0,0", "2,1,0", "1,1,1" and "3,2,1": position, texcoord, colour rows; v is flipped.
    const struct {
        int corner;
        Vertex expected;
    } corners[] = {{0, {0, 0, 0, 0, 1, 0.25f, 0.25f, 0.3f, 1}},
                   {1, {0, 1, 0, 1, 1, 0.25f, 0.25f, 0.3f, 1}},
                   {4, {1, 0, 0, 1, 1, 0.6f, 0.55f, 0.5f, 1}},
                   {5, {0, 0, 1, 0, 0, 0.6f, 0.55f, 0.5f, 1}},
                   {11, {0, 0, 1, 0, 0, 1, 0.95f, 0.85f, 1}}};
    for (const auto& c : corners) {
        const Vertex& v = tetra->vertices[static_cast<size_t>(c.corner)];
        const Vertex& e = c.expected;
        SCOPED_TRACE(c.corner);
        EXPECT_EQ(v.x, e.x);
        EXPECT_EQ(v.y, e.y);
        EXPECT_EQ(v.z, e.z);
        EXPECT_EQ(v.u, e.u);
        EXPECT_EQ(v.v, e.v);
        EXPECT_NEAR(v.r, e.r, kTolerance);
        EXPECT_NEAR(v.g, e.g, kTolerance);
        EXPECT_NEAR(v.b, e.b, kTolerance);
        EXPECT_EQ(v.a, e.a);
    }
    EXPECT_TRUE(tetra->positions.empty());
    EXPECT_TRUE(tetra->positionIndices.empty());
    EXPECT_EQ(tetra->colors.size(), 4u);
}

TEST(SceneLoader, LoadsFromTheArchive) {
    TestArchive archive({storedEntry("tetra.xsi", tetraText())});
    ASSERT_TRUE(archive.ok()) << archive.error();
    Scene scene;
    testing::internal::CaptureStdout();
    scene.load("tetra.xsi");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: Tetra has no normals\n");
    EXPECT_EQ(scene.nodes.size(), 4u);
}

TEST(SceneLoader, NestingByTabs) {
    const struct {
        std::vector<int> depths;
        std::vector<int> parents; // index into the nodes, -1 for none
    } cases[] = {
        {{0, 1, 2, 1}, {-1, 0, 1, 0}},
        {{0, 2}, {-1, -1}},
        {{0, 1, 0, 2}, {-1, 0, -1, 1}},
        {{0, 1, 2, 3, 4, 4}, {-1, 0, 1, 2, 3, 3}},
    };
    for (const auto& c : cases) {
        std::string text;
        for (size_t i = 0; i < c.depths.size(); ++i) {
            text += modelLine(c.depths[i], "MDL-N" + std::to_string(i));
        }
        const LoadedScene loaded = loadText(text);
        ASSERT_EQ(loaded.scene->nodes.size(), c.depths.size());
        for (size_t i = 0; i < c.depths.size(); ++i) {
            const SceneNode& node = *loaded.scene->nodes[i];
            const SceneNode* expected = c.parents[i] < 0 ? nullptr : loaded.scene->nodes[c.parents[i]].get();
            EXPECT_EQ(node.parent, expected) << "node " << i;
            EXPECT_EQ(node.isRoot, c.depths[i] == 0) << "node " << i;
        }
        EXPECT_EQ(loaded.output, "");
    }
}

TEST(SceneLoader, RootAndDuplicateNames) {
    const LoadedScene loaded =
        loadText(modelLine(0, "MDL-MAXSceneRoot") + modelLine(1, "MDL-A") + modelLine(0, "MDL-MAXSceneRoot") +
                 "\tXSI_Transform {\n\t\t7,\n\t\t0,\n\t\t0,\n\t\t0,\n\t\t0,\n\t\t0,\n" +
                 modelLine(1, "MDL-A") + modelLine(0, "MDL-MAX"));
    const Scene& scene = *loaded.scene;
    // The root is found again; a leading part of its name counts as the root but, named differently, is new.
    ASSERT_EQ(scene.nodes.size(), 4u);
    EXPECT_EQ(loaded.output, "WARNING: scene already has MDL-A\n");
    EXPECT_EQ(scene.nodes[0]->basePosition.x, 7.0f);
    EXPECT_EQ(scene.findNode("A"), scene.nodes[1].get());
    EXPECT_EQ(scene.nodes[2]->parent, scene.nodes[0].get());
    EXPECT_STREQ(scene.nodes[3]->name, "MAX");
    EXPECT_TRUE(scene.nodes[3]->isRoot);
    EXPECT_EQ(scene.findNode("Missing"), nullptr);
    EXPECT_EQ(Scene().findNode("A"), nullptr);
}

TEST(SceneLoader, CurvesFillOneTrackPerKind) {
    std::vector<float> xs, ys, zs;
    for (int i = 0; i < 101; ++i) {
        xs.push_back(static_cast<float>(i));
        ys.push_back(static_cast<float>(2 * i));
        zs.push_back(static_cast<float>(-i));
    }
    const std::string transform =
        "\tXSI_Transform {\n\t\t1,\n\t\t2,\n\t\t3,\n\t\t10,\n\t\t20,\n\t\t30,\n\t}\n";
    const LoadedScene loaded =
        loadText(modelLine(0, "MDL-P") + transform + curve(1, "position-x", xs) + curve(1, "position-y", ys) +
                 curve(1, "position-z", zs) + modelLine(0, "MDL-R") + transform +
                 curve(1, "rotation-y", {90, 180}) + modelLine(0, "MDL-S") + curve(1, "scaling-x", {5, 6}) +
                 curve(1, "visibility", {0}) + modelLine(0, "MDL-O") + curve(1, "position-x", {1, 2}, "-3") +
                 curve(1, "position-y", {1, 2, 3}, "010"));
    const Scene& scene = *loaded.scene;

    const SceneNode* p = scene.findNode("P");
    ASSERT_EQ(p->positionKeys.size(), 101u);
    EXPECT_EQ(p->positionKeys[100].x, 100.0f);
    EXPECT_EQ(p->positionKeys[100].y, 200.0f);
    EXPECT_EQ(p->positionKeys[100].z, -100.0f);
    EXPECT_TRUE(p->rotationKeys.empty());

    const SceneNode* r = scene.findNode("R");
    ASSERT_EQ(r->rotationKeys.size(), 2u);
    EXPECT_EQ(r->rotationKeys[0].y, 1.5707964f);
    for (const Vec3& key : r->rotationKeys) {
        EXPECT_EQ(key.x, radians(10));
        EXPECT_EQ(key.z, radians(30));
    }

    const SceneNode* s = scene.findNode("S");
    EXPECT_TRUE(s->positionKeys.empty() && s->rotationKeys.empty());

    // A negative count makes no track; "%d" reads 010 as ten, and the three rows present fill the head.
    const SceneNode* o = scene.findNode("O");
    ASSERT_EQ(o->positionKeys.size(), 10u);
    EXPECT_EQ(o->positionKeys[2].y, 3.0f);
    EXPECT_NE(loaded.output.find("the key count -3 is negative; taken as 0"), std::string::npos)
        << loaded.output;
}

TEST(SceneLoader, OctalCountsAndAttributeColumnOrder) {
    // Eight positions announced as 010; colours named first, texcoords second.
    std::vector<std::string> rows;
    for (int i = 0; i < 8; ++i) {
        rows.push_back(std::to_string(i) + ",0,0,");
    }
    const LoadedScene loaded =
        loadText(modelLine(0, "MDL-M") + attributeList("position", "010", rows) +
                 attributeList("texcoords0", "2", {"0.5,0.25,", "0.1,0.2,"}) +
                 attributeList("vertexcolors", "2", {"1,0,0,1,", "0,1,0,1,"}) +
                 triangleList("\"vertexcolors\",\"texcoords0\",", "01", {"7,1,0,", "3,0,1,", "0,1,1,"}));
    const SceneNode* m = loaded.scene->findNode("M");
    ASSERT_EQ(m->vertices.size(), 3u);
    EXPECT_EQ(m->vertices[0].x, 7.0f);
    EXPECT_EQ(m->vertices[0].g, 1.0f); // colour row 1
    EXPECT_EQ(m->vertices[0].u, 0.5f); // texcoord row 0
    EXPECT_EQ(m->vertices[0].v, 0.75f);
    EXPECT_EQ(m->vertices[1].x, 3.0f);
    EXPECT_EQ(m->vertices[1].r, 1.0f);
    EXPECT_EQ(m->vertices[1].u, 0.1f);
    EXPECT_EQ(loaded.output, "WARNING: M has no normals\n");
}

TEST(SceneLoader, MeshDefaultsWithoutTexcoordsOrColours) {
    const LoadedScene loaded =
        loadText(modelLine(0, "MDL-W") + attributeList("position", "3", {"0,0,0,", "1,0,0,", "0,1,0,"}) +
                 triangleList("\"MAXNormal\",", "1", {"0,0,", "1,0,", "2,0,"}));
    const SceneNode* w = loaded.scene->findNode("W");
    ASSERT_EQ(w->vertices.size(), 3u);
    for (const Vertex& v : w->vertices) {
        EXPECT_EQ(v.u, 1.0f);
        EXPECT_EQ(v.v, 0.0f);
        EXPECT_EQ(v.r + v.g + v.b + v.a, 4.0f);
    }
    EXPECT_EQ(loaded.output, "WARNING: W has no normals\nWARNING: W has no texture coordinates\n");
}

TEST(SceneLoader, BadRowsAreReportedWithTheirNumber) {
    const LoadedScene loaded = loadText(
        modelLine(0, "MDL-B") + attributeList("position", "5", {"0,0,", "1,1,1,", "2,2,2,", "x", "4,4,4,"}) +
        attributeList("texcoords0", "2", {"0,0,", "1,"}) + attributeList("vertexcolors", "1", {"1,1,1,"}));
    EXPECT_EQ(loaded.output, "ERROR after processing 0 rows of verts\n"
                             "ERROR after processing 3 rows of verts\n"
                             "ERROR after processing 1 rows of texcoords\n"
                             "ERROR after processing 0 rows of vertex colors\n");
}

TEST(SceneLoader, LongLinesAreReadInPiecesOf128) {
    // A 300-character line: pieces of 128, 128 and 44; the third begins with a model header.
    const std::string tail = "SI_Model MDL-Third {";
    const std::string longLine = std::string(256, 'a') + tail + std::string(44 - tail.size(), ' ') + "\n";
    // A line of exactly 128 characters leaves its line feed as an empty piece of its own.
    const std::string fullPiece = std::string(128, 'b') + "\n";
    const LoadedScene loaded = loadText(longLine + fullPiece + "\tXSI_Transform {\n\t\t5,\n" + fullPiece +
                                        "\t\t0,\n\t\t0,\n\t\t0,\n");
    ASSERT_EQ(loaded.scene->nodes.size(), 1u);
    EXPECT_STREQ(loaded.scene->nodes[0]->name, "Third");
    EXPECT_EQ(loaded.scene->nodes[0]->basePosition.x, 5.0f);
    EXPECT_EQ(loaded.output, "");
}

// Input outside the accepted layout: each case must load without crashing and report where it went wrong.
TEST(SceneLoader, MalformedInputIsReportedAndSkipped) {
    const std::string mesh = attributeList("position", "2", {"0,0,0,", "1,1,1,"});
    const struct {
        const char* label;
        std::string text;
        std::string message;
    } cases[] = {
        {"template first", "XSI_Transform {\n\t1,\n",
         "t.xsi(1): XSI_Transform before the first SI_Model; passed over"},
        {"curve first", curve(0, "position-x", {1}), "t.xsi(1): SI_FCurve before the first SI_Model"},
        {"too deep", modelLine(0, "MDL-A") + modelLine(6, "MDL-B"),
         "t.xsi(2): model MDL-B is indented by 6 tabs, more than 4; taken as 4"},
        {"sixth name", modelLine(0, "MDL-A") + triangleList("\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",", "0", {}),
         "t.xsi(4): attribute name 6 of the triangle list is more than 5; passed over"},
        {"long name", modelLine(0, "MDL-A") + triangleList("\"" + std::string(32, 'n') + "\",", "0", {}),
         "t.xsi(4): attribute name 1 of the triangle list has 32 characters, more than 31; passed over"},
        {"column at place 4",
         modelLine(0, "MDL-A") + triangleList("\"a\",\"b\",\"c\",\"texcoords0\",", "0", {}),
         "t.xsi(4): attribute texcoords0 at place 4 is past the 4 numbers of a corner line; passed over"},
        {"curve past its track",
         modelLine(0, "MDL-A") + curve(1, "rotation-x", {1}) + curve(1, "rotation-y", {1, 2}),
         "t.xsi(17): curve \"rotation-y\", has 2 keys but its track only 1; the later keys are dropped"},
        {"count does not scan", modelLine(0, "MDL-A") + curve(1, "position-x", {1}, "many"),
         "t.xsi(8): the key count \"\t\tmany,\" does not scan; taken as 0"},
        {"absurd count", modelLine(0, "MDL-A") + attributeList("position", "2000000000", {}),
         "t.xsi(5): the row count 2000000000 is more than 1000000; cut to 1000000"},
        {"count past the text", modelLine(0, "MDL-A") + attributeList("position", "500", {"1,1,1,"}),
         "t.xsi(5): the row count 500 is more than the text can hold; cut to "},
        {"text ends in a list",
         modelLine(0, "MDL-A") + "XSI_SubComponentAttributeList position {\n1,\n2,\n3,\n\"V\",\n1,1,1,\n",
         "t.xsi(7): the text ends inside the position list"},
        {"text ends in triangles",
         modelLine(0, "MDL-A") + mesh +
             "\tXSI_TriangleList TriList {\n\t\t3,\n\t\t\"a\",\n\t\t\"m\",\n\t\t2,\n\t\t\"C\",\n\t\t0,\n",
         "t.xsi(16): the text ends inside the triangle list"},
        {"index past its list",
         modelLine(0, "MDL-A") + mesh + triangleList("\"texcoords0\",", "1", {"0,", "12,3,", "-1,"}),
         "ERROR: t.xsi: A: triangle corner 1 uses position row 12 of 2\n"
         "ERROR: t.xsi: A: triangle corner 2 uses position row -1 of 2\n"},
        {"too many triangles",
         modelLine(0, "MDL-A") + mesh +
             triangleList("\"a\",", "21846", std::vector<std::string>(65538, "0,")),
         "ERROR: t.xsi: A: 21846 triangles, more than 21845; the mesh is not drawn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const LoadedScene loaded = loadText(c.text);
        EXPECT_NE(loaded.output.find(c.message), std::string::npos) << loaded.output;
        for (const auto& node : loaded.scene->nodes) {
            EXPECT_EQ(node->vertices.size(), node->isDummy ? 0u : 3u * node->triangleCount);
        }
    }
}

TEST(SceneLoader, BadIndicesTakeTheDefaults) {
    const LoadedScene loaded = loadText(
        modelLine(0, "MDL-A") + attributeList("position", "1", {"5,6,7,"}) +
        attributeList("texcoords0", "1", {"0.5,0.5,"}) + attributeList("vertexcolors", "1", {"0,0,0,0,"}) +
        triangleList("\"texcoords0\",\"vertexcolors\",", "1", {"0,0,0,", "9,9,9,", "0,"}));
    const SceneNode* a = loaded.scene->findNode("A");
    ASSERT_EQ(a->vertices.size(), 3u);
    EXPECT_EQ(a->vertices[0].x, 5.0f);
    EXPECT_EQ(a->vertices[0].a, 0.0f);
    const Vertex& bad = a->vertices[1];
    EXPECT_EQ(bad.x + bad.y + bad.z, 0.0f);
    EXPECT_EQ(bad.u, 1.0f);
    EXPECT_EQ(bad.v, 0.0f);
    EXPECT_EQ(bad.r + bad.g + bad.b + bad.a, 4.0f);
    // Corner 2's line holds only the position: its other rows stay 0, which exist.
    EXPECT_EQ(a->vertices[2].u, 0.5f);
}

TEST(SceneNodeModel, FinishMeshTwiceAndSetColor) {
    LoadedScene loaded = loadText(tetraText());
    SceneNode* tetra = loaded.scene->findNode("Tetra");
    testing::internal::CaptureStdout();
    tetra->finishMesh("again.xsi");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    tetra->setColor(0.1f, 0.2f, 0.3f, 0.4f);
    for (const Vertex& v : tetra->vertices) {
        EXPECT_EQ(v.g, 0.2f);
        EXPECT_EQ(v.a, 0.4f);
    }
    SceneNode* pivot = loaded.scene->findNode("Pivot");
    pivot->setColor(1, 1, 1, 1);
    EXPECT_TRUE(pivot->vertices.empty());
    pivot->dropAnimation();
    EXPECT_TRUE(pivot->rotationKeys.empty());
    loaded.scene->findNode("MAXSceneRoot")->dropAnimation();
}

} // namespace
