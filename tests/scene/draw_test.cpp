// Tests of node drawing on an offscreen GL context: colours, blending, placement and the state left.
#include "scene_test_util.h"

#include "gfx/gfx.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kTolerance = 2;

// A node of one triangle through the three positions, its draw buffers built as the loader builds them.
std::unique_ptr<SceneNode> triangleNode(const char* name, std::vector<Vec3> corners) {
    auto node = std::make_unique<SceneNode>(name);
    for (const Vec3& c : corners) {
        node->positions.push_back(Vertex{c.x, c.y, c.z, 0, 0, 0, 0, 0, 0});
    }
    node->positionIndices = {0, 1, 2};
    node->triangleCount = 1;
    node->totalTriangleCount = 1;
    testing::internal::CaptureStdout();
    node->finishMesh();
    testing::internal::GetCapturedStdout();
    return node;
}

// Covers the whole viewport when drawn with identity matrices.
std::unique_ptr<SceneNode> screenNode(const char* name) {
    return triangleNode(name, {{-1, -1, 0}, {3, -1, 0}, {-1, 3, 0}});
}

class SceneDraw : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glGenTextures(1, &greenTexture.textureId);
        glBindTexture(GL_TEXTURE_2D, greenTexture.textureId);
        const uint8_t green[3] = {0, 255, 0};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    Rgb centre() const { return gl.readPixel(160, 120); }

    Texture greenTexture;
    Scene scene;
};

TEST_F(SceneDraw, TexturedModulatesAndUntexturedShowsVertexColours) {
    auto node = screenNode("MDL-S");
    node->texture = &greenTexture;
    node->evaluate(0);
    scene.drawNode(*node);
    EXPECT_TRUE(nearColour(centre(), {0, 255, 0}, kTolerance)) << centre();
    node->textured = false;
    node->setColor(1, 0, 0, 1);
    scene.drawNode(*node);
    EXPECT_TRUE(nearColour(centre(), {255, 0, 0}, kTolerance)) << centre();
}

TEST_F(SceneDraw, StateLeftAfterDrawNode) {
    auto node = screenNode("MDL-S");
    node->texture = &greenTexture;
    node->evaluate(0);
    Matrix4 projection;
    makePerspective(projection, 320, 240, 0.6f, 1, 100);
    scene.setProjectionMatrix(projection);
    glMatrixMode(GL_TEXTURE);
    scene.drawNode(*node);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY}) {
        EXPECT_FALSE(glIsEnabled(array)) << array;
    }
    GLint mode = 0, bound = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(static_cast<GLuint>(bound), greenTexture.textureId);
    float loaded[16];
    glGetFloatv(GL_PROJECTION_MATRIX, loaded);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(loaded[i], projection.m[i]) << i;
    }
}

TEST_F(SceneDraw, BlendedNodeUsesAlphaAndSwitchesBlendingOff) {
    auto node = screenNode("MDL-S");
    node->blended = true;
    node->textured = false;
    node->setColor(1, 0, 0, 0.5f);
    node->evaluate(0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    scene.drawNode(*node);
    EXPECT_TRUE(nearColour(centre(), {128, 0, 128}, kTolerance)) << centre();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(SceneDraw, DummyIsReportedAndDrawsNothing) {
    SceneNode dummy("MDL-Helper");
    dummy.texture = &greenTexture;
    dummy.evaluate(0);
    testing::internal::CaptureStderr();
    scene.drawNode(dummy);
    scene.drawNode(dummy);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Attempting to render a dummy object Helper\nAttempting to render a dummy object Helper\n");
    EXPECT_EQ(centre(), (Rgb{0, 0, 255}));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), greenTexture.textureId);
}

TEST_F(SceneDraw, DrawAllSkipsHiddenNodesButDrawNodeDoesNot) {
    scene.nodes.push_back(screenNode("MDL-Hidden"));
    scene.nodes.push_back(std::make_unique<SceneNode>("MDL-Dummy"));
    SceneNode& hidden = *scene.nodes[0];
    hidden.visible = false;
    hidden.textured = false;
    hidden.evaluate(0);
    testing::internal::CaptureStderr();
    scene.drawAll();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(centre(), (Rgb{0, 0, 255}));
    scene.drawNode(hidden);
    EXPECT_EQ(centre(), (Rgb{255, 255, 255}));
}

// The node's transform acts first, then the scene's view: a small triangle near local (0.2, 0) is turned
// onto +y, moved by the world position (0.5, 0) and then by the view (0, -0.5).
TEST_F(SceneDraw, PlacesNodesThroughViewTimesWorld) {
    auto node = triangleNode("MDL-T", {{0.1f, -0.1f, 0}, {0.3f, -0.1f, 0}, {0.2f, 0.1f, 0}});
    node->textured = false;
    node->basePosition = {0.5f, 0, 0};
    node->baseRotation = {0, 0, kPi / 2};
    node->evaluate(0);
    Matrix4 view;
    makeTranslation(view, {0, -0.5f, 0});
    Scene other;
    other.setViewMatrix(view);
    other.drawNode(*node);
    EXPECT_EQ(gl.readPixel(245, 84), (Rgb{255, 255, 255}));
    EXPECT_EQ(gl.readPixel(192, 120), (Rgb{0, 0, 255}));
}

} // namespace
