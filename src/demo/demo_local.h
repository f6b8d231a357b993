// Helpers shared by the parts.
#pragma once

#include <cmath>

// sin(x) of a single-precision argument, rounded back to single precision.
inline float sineOf(float x) { return static_cast<float>(std::sin(x)); }

// sin(c / k) with the quotient and the result both at single precision.
inline float wave(float c, float k) { return sineOf(c / k); }
