// Helpers shared by the parts.
#pragma once

#include <cmath>

// sin(x) of a single-precision argument, rounded back to single precision.
inline float sineOf(float x) { return static_cast<float>(std::sin(x)); }

// sin(c / k) with the quotient and the result both at single precision.
inline float wave(float c, float k) { return sineOf(c / k); }

// Text in normalised device coordinates over the frame: alpha blending on, depth test off, identity
// projection. endOverlayText turns the depth test back on and blending off.
void beginOverlayText();
void endOverlayText();
// Yellow glyphs shading to orange at the lower left and black at the upper right.
void setGroupTextColours();
