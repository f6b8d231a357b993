// The demo fixture: production, loading screen and scene set-up on a fresh context.
#include "demo_fixture.h"

#include <GL/gl.h>

#include <cmath>

void releaseDemoResources() {
    releaseScenes();
    delete gFont;
    gFont = nullptr;
    delete gBackgroundTexture;
    gBackgroundTexture = nullptr;
    delete gDefaultTexture;
    gDefaultTexture = nullptr;
    gScene = nullptr;
    gCamera = nullptr;
    gFieldOfView = 0.6f;
    gFarPlane = 1000.0f;
}

void DemoTest::SetUp() {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    archive = std::make_unique<TestArchive>(testProductionEntries());
    ASSERT_TRUE(archive->ok()) << archive->error();
    showLoadingScreen();
    setupScenes(&screen);
}

void DemoTest::TearDown() {
    releaseDemoResources();
    archive.reset();
    GlTest::TearDown();
}

void DemoTest::clearToBlack() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

ScreenPoint projectViewPoint(double x, double y, double z, double fov) {
    const double yScale = 1.0 / std::tan(fov / 2.0);
    const double xScale = yScale * 240.0 / 320.0;
    const double column = (xScale * x / z + 1.0) * 160.0;
    const double row = (yScale * y / z + 1.0) * 120.0;
    return {static_cast<int32_t>(std::floor(column)), static_cast<int32_t>(std::floor(row))};
}
