// PNG decoding for the content tests, through the same decoder the engine uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content.h"

struct DecodedPng {
    int width = 0, height = 0, storedChannels = 0;
    std::vector<uint8_t> rgba; // 4 bytes per pixel, rows in stored order; empty if decoding failed

    const uint8_t* pixel(int x, int y) const { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
};

DecodedPng decodePng(const std::vector<uint8_t>& data);
// The entry with that name, or nullptr.
const ContentFile* findEntry(const std::vector<ContentFile>& files, const std::string& name);
bool isPowerOfTwo(int n);
