// Texture shared by every new scene node.
#include "gfx/gfx.h"

Texture* gDefaultTexture = nullptr;
