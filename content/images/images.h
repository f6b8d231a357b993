// What other content builders need to know about the generated images.
#pragma once

// Where the sun's glow in "sunglow.png" stands on screen, as fractions of the screen from its lower-left
// corner (x right, y up). The finale camera keeps the scene's sun at this point.
constexpr float kSunGlowScreenX = 0.62f;
constexpr float kSunGlowScreenY = 0.62f;
