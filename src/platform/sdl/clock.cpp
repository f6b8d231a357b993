// The millisecond clock and the sleep of the main loop.
#include "platform/platform.h"

#include <SDL.h>

uint32_t clockMilliseconds() {
    return SDL_GetTicks();
}

void sleepMilliseconds(uint32_t ms) {
    SDL_Delay(ms);
}
