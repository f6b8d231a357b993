// Private to the platform layer: which video driver is (or will be) in use.
#pragma once

// True for SDL's drivers that have no screen: offscreen and dummy.
bool isHeadlessVideoDriver(const char* driverName);
// True when SDL_VIDEODRIVER asks for a headless driver on purpose (tests, the capture tool).
bool headlessDriverRequested();
