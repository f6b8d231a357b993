// The four scenes of the production, each built as a list of models for the dotXSI writer.
#pragma once

#include "kit/camera_rig.h"
#include "kit/xsi_writer.h"

#include <string>
#include <vector>

namespace scenes {

struct SceneSource {
    std::string fileName;
    std::vector<kit::Model> models;
    int frameCount; // keys per animated component, one per frame at 20 per second
};

SceneSource buildHarvester(); // 0-50 s
SceneSource buildDisks();     // 0-22 s
SceneSource buildEscape();    // 0-71 s
SceneSource buildLedge();     // 0-30 s

// The scene as dotXSI text.
kit::SceneText writeSceneText(const SceneSource& scene);

} // namespace scenes

namespace scenes {

// The chase's camera paths (camera 1-4, t in seconds of the part) and the ground's height in the
// ground's own frame, shared with the coverage check.
kit::Vec3 escapeEye(int camera, double t);
kit::Vec3 escapeTarget(int camera, double t);
// Camera `camera`'s keys over the part, sampled from the two paths above.
kit::CameraKeys escapeCameraKeys(int camera);
float escapeTerrainHeight(float x, float y);
// Adds the chase's dressing (dust, cargo, floor detail) to its assembled models, found by name.
void dressEscape(std::vector<kit::Model>& models);

} // namespace scenes
