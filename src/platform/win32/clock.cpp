// The millisecond clock and the sleep of the main loop.
#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <mmsystem.h>

uint32_t clockMilliseconds() {
    return timeGetTime();
}

void sleepMilliseconds(uint32_t ms) {
    Sleep(ms);
}
