// The message pump: SDL events turned into the window messages the program handles.
#include "platform/platform.h"

#include <SDL.h>

namespace {

void deliver(WindowProc proc, MessageType type, uint32_t param) {
    if (proc != nullptr) {
        proc(WindowMessage{type, param});
    }
}

bool gQuitPosted = false;

// The keys the program acts on, by their key codes; other keys send nothing.
void deliverKey(WindowProc proc, const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    const bool seekKey = sym == SDLK_LEFT || sym == SDLK_RIGHT;
    // Holding an arrow keeps seeking; holding Space must not pause and resume over and over.
    if (key.repeat != 0 && !seekKey) return;
    if (sym == SDLK_RETURN && (key.keysym.mod & KMOD_ALT) != 0) {
        deliver(proc, MessageType::SysKeyDown, kKeyReturn);
        return;
    }
    struct KeyCode {
        SDL_Keycode sym;
        uint32_t code;
    };
    static constexpr KeyCode kKeys[] = {{SDLK_ESCAPE, kKeyEscape}, {SDLK_SPACE, kKeySpace}, {SDLK_HOME, kKeyHome},
                                        {SDLK_LEFT, kKeyLeft},     {SDLK_RIGHT, kKeyRight}, {SDLK_F11, kKeyF11}};
    for (const KeyCode& k : kKeys) {
        if (k.sym == sym) deliver(proc, MessageType::KeyDown, k.code);
    }
}

bool drainEvents(WindowProc proc) {
    bool quitTaken = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_QUIT:
            quitTaken = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                deliver(proc, MessageType::Destroy, 0);
            } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                deliver(proc, MessageType::Resized, 0);
            }
            break;
        case SDL_KEYDOWN:
            deliverKey(proc, event.key);
            break;
        case SDL_TEXTINPUT:
            // Typed characters, as a translated key press gives them: case and repeats included.
            for (const char* c = event.text.text; *c != '\0'; ++c) {
                deliver(proc, MessageType::Char, static_cast<uint8_t>(*c));
            }
            break;
        default:
            break;
        }
    }
    return quitTaken;
}

} // namespace

bool pumpMessages(WindowProc proc) {
    gQuitPosted = false;
    bool quitTaken = drainEvents(proc);
    if (takeQuitSignal()) {
        quitTaken = true;
    }
    // SDL stops a drain at the events queued when it began; a quit posted by the handler (as the destroy
    // message does) is still taken in this same drain.
    if (gQuitPosted && !quitTaken) {
        quitTaken = drainEvents(proc);
    }
    return quitTaken;
}

void postQuitMessage() {
    gQuitPosted = true;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}
