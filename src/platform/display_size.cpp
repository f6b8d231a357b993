// The screen size that the 2D drawing reads.
#include "platform/platform.h"

int32_t gDisplayWidth = 320;
int32_t gDisplayHeight = 240;
