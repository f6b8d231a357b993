// Window, GL context and message pump under the offscreen driver.
#include "platform/platform.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>
#include <SDL.h>

#include <vector>

namespace {

TEST(Video, OffscreenWindowGetsTheRequestedContext) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    EXPECT_FALSE(platformHasRealDisplay());
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);
    GLint depthBits = 0, redBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_RED_BITS, &redBits);
    EXPECT_GE(depthBits, 16);
    EXPECT_EQ(redBits, 8);
    // Fixed function works: a cleared colour reads back.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(gl.readPixel(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(gl.readPixel(319, 239), (Rgb{255, 0, 0}));
}

int gHookCalls = 0;
Rgb gSeenBeforeSwap;
GlTestContext* gHookContext = nullptr;

void readBeforePresent(void*) {
    ++gHookCalls;
    gSeenBeforeSwap = gHookContext->readPixel(10, 10);
}

TEST(Video, SwapRunsThePresentHookFirst) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    gHookContext = &gl;
    gHookCalls = 0;
    GlContext::instance()->setBeforePresent(readBeforePresent, nullptr);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GlContext::instance()->swapBuffers();
    EXPECT_EQ(gHookCalls, 1);
    EXPECT_EQ(gSeenBeforeSwap, (Rgb{0, 0, 255}));
    GlContext::instance()->setBeforePresent(nullptr, nullptr);
}

std::vector<WindowMessage> gMessages;

void recordMessage(const WindowMessage& message) {
    gMessages.push_back(message);
    if (message.type == MessageType::Destroy) {
        postQuitMessage();
    }
}

void pushKey(SDL_Keycode key, Uint16 modifiers = KMOD_NONE, bool repeat = false) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat ? 1 : 0;
    SDL_PushEvent(&event);
}

void pushText(const char* text) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof event.text.text);
    SDL_PushEvent(&event);
}

TEST(Messages, EventsBecomeWindowMessages) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    pumpMessages(nullptr);
    gMessages.clear();
    pushKey(SDLK_a);
    pushKey(SDLK_ESCAPE);
    pushText("mM");
    pushText("m");
    EXPECT_FALSE(pumpMessages(recordMessage));
    ASSERT_EQ(gMessages.size(), 4u);
    EXPECT_EQ(gMessages[0].type, MessageType::KeyDown);
    EXPECT_EQ(gMessages[0].param, kKeyEscape);
    const uint32_t chars[] = {'m', 'M', 'm'};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(gMessages[i + 1].type, MessageType::Char);
        EXPECT_EQ(gMessages[i + 1].param, chars[i]);
    }
}

// The viewer keys: Enter counts only with Alt; a held key repeats only the arrows (a held Space or F11 would
// flip the pause or the full screen over and over).
TEST(Messages, ViewerKeysAndTheirRepeats) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    pumpMessages(nullptr);
    gMessages.clear();
    pushKey(SDLK_RETURN);
    pushKey(SDLK_RETURN, KMOD_LALT);
    pushKey(SDLK_F11);
    pushKey(SDLK_F11, KMOD_NONE, true);
    pushKey(SDLK_SPACE);
    pushKey(SDLK_SPACE, KMOD_NONE, true);
    pushKey(SDLK_RIGHT, KMOD_NONE, true);
    pushKey(SDLK_LEFT);
    pushKey(SDLK_HOME);
    EXPECT_FALSE(pumpMessages(recordMessage));
    const WindowMessage expected[] = {{MessageType::SysKeyDown, kKeyReturn}, {MessageType::KeyDown, kKeyF11},
                                      {MessageType::KeyDown, kKeySpace},     {MessageType::KeyDown, kKeyRight},
                                      {MessageType::KeyDown, kKeyLeft},      {MessageType::KeyDown, kKeyHome}};
    ASSERT_EQ(gMessages.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(gMessages[i].type, expected[i].type) << i;
        EXPECT_EQ(gMessages[i].param, expected[i].param) << i;
    }
}

TEST(Messages, CloseGivesDestroyThenTheQuitPostedFromIt) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    pumpMessages(nullptr);
    gMessages.clear();
    SDL_Event close;
    SDL_zero(close);
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    SDL_PushEvent(&close);
    // The destroy message posts the quit, which the same drain takes.
    EXPECT_TRUE(pumpMessages(recordMessage));
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0].type, MessageType::Destroy);
    EXPECT_FALSE(pumpMessages(recordMessage));
}

TEST(Clock, CountsMillisecondsAcrossASleep) {
    uint32_t start = clockMilliseconds();
    sleepMilliseconds(20);
    uint32_t elapsed = clockMilliseconds() - start;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 1000u);
}

} // namespace
