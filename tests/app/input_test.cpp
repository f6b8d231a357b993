// windowProc and the message pump: Escape and close end the run, lower-case 'm' toggles the mute.
#include "app/app.h"
#include "support/gl_test_context.h"

#include <SDL.h>

#include <cstring>

namespace {

class InputTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        gQuit = false;
        pumpMessages(nullptr);
    }
    void TearDown() override {
        gQuit = false;
        if (SoundtrackPlayer* player = SoundtrackPlayer::existing()) {
            player->close();
            SoundtrackPlayer::destroyInstance();
        }
        GlTest::TearDown();
    }
    static bool muted() { return SoundtrackPlayer::instance()->isMuted(); }
};

TEST_F(InputTest, EscapeSetsTheQuitFlag) {
    windowProc({MessageType::KeyDown, kKeyEscape});
    EXPECT_TRUE(gQuit);
}

TEST_F(InputTest, OtherKeysAndCharactersChangeNothing) {
    for (uint32_t key : {0x0Du, 0x20u, 0x41u, 0x4Du, 0x6Du}) windowProc({MessageType::KeyDown, key});
    for (uint32_t character : {0x1Bu, 0x4Du, 0x6Eu, 0x71u, 0x20u}) windowProc({MessageType::Char, character});
    EXPECT_FALSE(gQuit);
    EXPECT_FALSE(muted());
}

TEST_F(InputTest, DestroyPostsTheQuitMessage) {
    windowProc({MessageType::Destroy, 0});
    EXPECT_FALSE(gQuit); // the quit comes through the queue, not the flag
    EXPECT_TRUE(pumpMessages(windowProc));
    EXPECT_FALSE(pumpMessages(windowProc)) << "one quit message only";
}

TEST_F(InputTest, LowerCaseMTogglesTheMuteAndUpperCaseDoesNot) {
    const std::pair<uint32_t, bool> presses[] = {{'m', true}, {'M', true}, {'m', false}, {'M', false},
                                                 {'m', true}, {'m', false}, {'m', true}};
    for (const auto& [character, mutedAfter] : presses) {
        windowProc({MessageType::Char, character});
        EXPECT_EQ(muted(), mutedAfter) << "after '" << static_cast<char>(character) << "'";
    }
    EXPECT_FALSE(gQuit);
}

void pushText(const char* text) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushKey(SDL_Keycode key) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

TEST_F(InputTest, PumpedEventsReachTheHandler) {
    pushText("m");
    pushText("M");
    pushText("m"); // a held key repeats its character
    pushText("m");
    EXPECT_FALSE(pumpMessages(windowProc));
    EXPECT_TRUE(muted()) << "three lower-case m toggle an odd number of times";
    EXPECT_FALSE(gQuit);

    pushKey(SDLK_m);
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(pumpMessages(windowProc));
    EXPECT_TRUE(gQuit);
    EXPECT_TRUE(muted()) << "a key press without its character does not toggle";
}

} // namespace
