// A tiny production for the capture tests: every entry and node name the demo looks up, solid images, a block
// font.
#pragma once

#include "support/gl_test_context.h"

#include <cstdint>
#include <string>
#include <vector>

// Solid colours of the backgrounds, so tests can tell which part drew a pixel.
extern const uint8_t kTitleBackground[3]; // bg2.png, behind Part A
extern const uint8_t kGroupBackground[3]; // bg1.png, behind Part B
extern const uint8_t kChaseBackground[3]; // bg3.png, in Part C's windows
extern const uint8_t kSunglow[3];         // sunglow.png, added over all of Part D

// The archive entries. The scenes hold one small tetrahedron per model, in front of every camera.
std::vector<ArchiveInput> testProductionEntries(const std::vector<uint8_t>& soundtrack);

// Writes the archive file; false with the reason.
bool writeTestProduction(const std::string& path, const std::vector<uint8_t>& soundtrack, std::string& error);
