// Tileable gradient and cellular noise over the unit square (u, v in [0, 1) repeat seamlessly).
#pragma once

// Gradient noise, roughly -1 to 1; cells across the unit square must be a power of two (at most 256).
float gradientNoise(float u, float v, int cells, int seed);
// Sum of octaves of gradientNoise, each with twice the cells and gain times the weight; about -1 to 1.
float fractalNoise(float u, float v, int cells, int octaves, int seed, float gain = 0.5f);
// Same with separate cell counts across u and v, for stretched patterns (strata, wisps, grain).
float fractalNoise2(float u, float v, int cellsU, int cellsV, int octaves, int seed, float gain = 0.5f);
// Distance, in cell widths, from (u, v) to the nearest border between the random cells of a tileable
// cellular pattern: 0 on a border (where cracks and plate seams go).
float cellBorderDistance(float u, float v, int cells, int seed);
