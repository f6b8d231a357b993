// PNG encoding of canvases into memory.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

// channels 3 drops alpha, 4 keeps it; row 0 of the image becomes the PNG's first row. Empty on failure.
std::vector<uint8_t> encodePng(const Image& image, int channels);
