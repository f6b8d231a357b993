// Tileable noise for the image builders, on top of the stb Perlin implementation compiled here.
#include "noise.h"

#include <cmath>
#include <cstdint>

// Renamed so that another part of the program may compile its own copy of the same header.
#define stb_perlin_noise3 contentImagesPerlinNoise3
#define stb_perlin_noise3_seed contentImagesPerlinNoise3Seed
#define stb_perlin_noise3_internal contentImagesPerlinNoise3Internal
#define stb_perlin_ridge_noise3 contentImagesPerlinRidgeNoise3
#define stb_perlin_fbm_noise3 contentImagesPerlinFbmNoise3
#define stb_perlin_turbulence_noise3 contentImagesPerlinTurbulenceNoise3
#define stb_perlin_noise3_wrap_nonpow2 contentImagesPerlinNoise3WrapNonpow2
#define STB_PERLIN_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-declarations"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_perlin.h>
#pragma GCC diagnostic pop

float gradientNoise(float u, float v, int cells, int seed) {
    return stb_perlin_noise3_seed(u * float(cells), v * float(cells), 0.5f, cells, cells, 0, seed);
}

float fractalNoise2(float u, float v, int cellsU, int cellsV, int octaves, int seed, float gain) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        int cu = cellsU << octave, cv = cellsV << octave;
        // The lattice wraps every 256 cells whatever is asked, so finer octaves cannot tile.
        if (cu > 256 || cv > 256) break;
        sum += weight * stb_perlin_noise3_seed(u * float(cu), v * float(cv), 0.37f * float(octave), cu, cv, 0,
                                               seed + octave * 31);
        total += weight;
        weight *= gain;
    }
    return total > 0.0f ? sum / total * 1.6f : 0.0f;
}

float fractalNoise(float u, float v, int cells, int octaves, int seed, float gain) {
    return fractalNoise2(u, v, cells, cells, octaves, seed, gain);
}

static float cellHash(int x, int y, int seed, int channel) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(seed) * 0xcb1ab31fu ^
                 uint32_t(channel) * 0x165667b1u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xFFFFFF) / 16777216.0f;
}

float cellBorderDistance(float u, float v, int cells, int seed) {
    float x = u * float(cells), y = v * float(cells);
    int cx = int(std::floor(x)), cy = int(std::floor(y));
    float nearest = 1e9f, second = 1e9f;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            int gx = cx + i, gy = cy + j;
            int wx = ((gx % cells) + cells) % cells, wy = ((gy % cells) + cells) % cells;
            float px = float(gx) + 0.15f + 0.7f * cellHash(wx, wy, seed, 0);
            float py = float(gy) + 0.15f + 0.7f * cellHash(wx, wy, seed, 1);
            float d = std::hypot(px - x, py - y);
            if (d < nearest) {
                second = nearest;
                nearest = d;
            } else if (d < second) {
                second = d;
            }
        }
    return (second - nearest) * 0.5f;
}
