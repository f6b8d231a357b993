// The start-up warm-up: it draws every part, yet leaves nothing behind that a frame could see.
#include "demo_fixture.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

namespace {

using WarmUpTest = DemoTest;

std::vector<uint8_t> colourBuffer() {
    std::vector<uint8_t> pixels(320 * 240 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 320, 240, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Every byte of every node of the four scenes that a part or an evaluation may write.
std::vector<uint8_t> nodeFields() {
    std::vector<uint8_t> bytes;
    auto add = [&bytes](const void* field, size_t size) {
        const auto* begin = static_cast<const uint8_t*>(field);
        bytes.insert(bytes.end(), begin, begin + size);
    };
    for (Scene* scene : {gHarvesterScene, gLedgeScene, gDisksScene, gEscapeScene}) {
        add(&scene->viewMatrix, sizeof scene->viewMatrix);
        add(&scene->projectionMatrix, sizeof scene->projectionMatrix);
        for (const auto& node : scene->nodes) {
            add(&node->basePosition, sizeof(Vec3));
            add(&node->baseRotation, sizeof(Vec3));
            add(&node->positionOffset, sizeof(Vec3));
            add(&node->position, sizeof(Vec3));
            add(&node->rotation, sizeof(Vec3));
            add(&node->visible, sizeof(bool));
            add(&node->worldMatrix, sizeof(Matrix4));
            add(&node->rotationMatrix, sizeof(Matrix4));
            add(&node->orientation, sizeof(Quaternion));
        }
    }
    return bytes;
}

TEST_F(WarmUpTest, LeavesPixelsNodesCameraAndGlStateAsTheyWere) {
    // A picture with a different colour in every pixel, as the loading frame leaves one.
    std::vector<uint8_t> picture(320 * 240 * 3);
    for (size_t i = 0; i < picture.size(); ++i) {
        picture[i] = uint8_t(i * 7 + i / 960);
    }
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(320, 240, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glEnable(GL_DEPTH_TEST);
    ASSERT_EQ(colourBuffer(), picture);

    const std::vector<uint8_t> nodes = nodeFields();
    gCamera = gDisksCamera;
    gScene = gDisksScene;
    gFieldOfView = 0.7f;
    gFarPlane = 1234.0f;
    float fontColors[16];
    std::memcpy(fontColors, gFont->cornerColors, sizeof fontColors);
    GLint blendSource = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);

    warmUpParts(&screen);

    EXPECT_EQ(colourBuffer(), picture);
    EXPECT_EQ(nodeFields(), nodes);
    EXPECT_EQ(gCamera, gDisksCamera);
    EXPECT_EQ(gScene, gDisksScene);
    EXPECT_EQ(gFieldOfView, 0.7f);
    EXPECT_EQ(gFarPlane, 1234.0f);
    EXPECT_EQ(std::memcmp(fontColors, gFont->cornerColors, sizeof fontColors), 0);
    // The set-up's state: depth test and back-face culling on, blending and texturing off.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint blendAfter = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendAfter);
    EXPECT_EQ(blendAfter, blendSource);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

} // namespace
