// A tiny production for the demo, app and end-to-end tests: four small scenes holding every node the
// scene set-up looks up, solid-colour images, a block font and a soundtrack entry, laid out so that the
// tests can tell from pixels what a frame drew.
#pragma once

#include "archive/archive.h"

#include <cstdint>
#include <string>
#include <vector>

// Solid colours of the images (RGB, 0..255); every scene texture differs from every other.
namespace production {
constexpr uint8_t kBg1[3] = {0, 0, 200};       // Part B background
constexpr uint8_t kBg2[3] = {0, 0, 160};       // loading screen and Part A background
constexpr uint8_t kBg3[3] = {0, 150, 150};     // Part C background
constexpr uint8_t kSunglow[3] = {30, 60, 90};  // added over Part D
constexpr uint8_t kCliff[3] = {255, 0, 255};   // the ledge: loud magenta
constexpr uint8_t kGrass[3] = {20, 230, 20};   // opaque grass
constexpr uint8_t kDefault[3] = {128, 128, 128};

// Vertex colours of the untextured ledge models (0..1).
constexpr float kSkyLevel = 0.2f;       // grey sky box, 51 of 255
constexpr float kBeamRed = 0.4f;        // light and sun beams: (0.4, 0, 0.4), 102 of 255
constexpr float kEscapeBeamLevel = 0.2f; // escape sun beams: grey (0.2, 0.2, 0.2)

// Where the geometry lies (world units). Cameras sit at the origin looking down -z with no roll; models
// that a check does not need lie behind the camera.
constexpr float kGrassDepth = -30.0f;  // the grass node's position z; its quad is centred 10 units up its local y
constexpr float kGrassRadius = 10.0f;
constexpr float kGrassHalfSize = 0.2f;
constexpr float kLedgeDepth = -50.0f; // trees, sun, ledge and beams of the ledge scene, 3 units about their centres
constexpr float kLedgeHalfSize = 3.0f;
constexpr float kLedgeTerexRestZ = 5.0f; // the ledge vehicle's loaded position z
constexpr float kLedgeWheelRestZ = 4.0f;
constexpr float kLedgeBeamRestZ = 6.0f;
constexpr float kEscapeSunbeamsDepth = -10.0f;
constexpr float kLogoRestY = 1.5f; // the Part B logo's loaded position y and z
constexpr float kLogoRestZ = -100.0f;
} // namespace production

struct TestProductionOptions {
    // Leaves this model out of this scene file (both empty: nothing left out).
    std::string omitScene;
    std::string omitNode;
    // The soundtrack entry; empty gives a few bytes that are not Ogg (the player then stays silent).
    std::vector<uint8_t> soundtrack;
};

// The dotXSI text of one of the four scenes.
std::string testSceneText(const std::string& fileName, const TestProductionOptions& options = {});
// Every entry of the test production, stored uncompressed.
std::vector<ArchiveInput> testProductionEntries(const TestProductionOptions& options = {});
