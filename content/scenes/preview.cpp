// scenes-preview OUTDIR: writes the four scenes, prints their triangle counts and the build time, and
// checks that the chase cameras see ground in every corner while no background is drawn.
#include "kit/camera_rig.h"
#include "scene_list.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

namespace {

size_t largestNode(const std::vector<kit::Model>& models, std::string& name) {
    size_t best = 0;
    for (const kit::Model& m : models) {
        if (m.mesh.triangleCount() > best) best = m.mesh.triangleCount(), name = m.name;
        std::string childName;
        size_t child = largestNode(m.children, childName);
        if (child > best) best = child, name = childName;
    }
    return best;
}

// True when the ray from the eye meets the moving ground before the far plane.
bool hitsGround(kit::Vec3 eye, kit::Vec3 ray, double t) {
    const float groundShift = float(-24.0 * t);
    for (float d = 1; d < 3400; d += d < 200 ? 1.0f : 4.0f) {
        kit::Vec3 p = eye + ray * d;
        if (std::fabs(p.x) > 1500) return false;
        float y = p.y - groundShift;
        if (y < -500 || y > 2900) return false;
        if (p.z <= scenes::escapeTerrainHeight(p.x, y)) return true;
    }
    return false;
}

// Chase frames without a background must be covered by the ground everywhere.
int checkChaseCoverage() {
    int holes = 0;
    for (int ms = 0; ms <= 70999; ms += 250) {
        bool background = (ms > 13500 && ms < 28000) || ms > 48000;
        if (background) continue;
        int camera = (ms >= 5001 && ms <= 8999) ? 4 : ms < 13500 ? 1 : ms < 28000 ? 3 : 2;
        double t = ms / 1000.0;
        float fov = 0.6f;
        kit::Vec3 eye = scenes::escapeEye(camera, t);
        kit::CameraAngles angles = kit::aimCamera(eye, scenes::escapeTarget(camera, t));
        if (camera == 3) angles = {25.8, 0.1, 0};
        for (float y = -1; y <= 1.01f; y += 0.25f) {
            for (float x = -1; x <= 1.01f; x += 0.25f) {
                if (!hitsGround(eye, kit::viewRay(angles, fov, x, y), t)) {
                    std::printf("hole: camera %d at %d ms, screen (%.2f, %.2f)\n", camera, ms, x, y);
                    ++holes;
                    x = y = 2; // one report per frame
                }
            }
        }
    }
    return holes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scenes-preview OUTDIR\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::vector<scenes::SceneSource (*)()> builders{scenes::buildHarvester, scenes::buildLedge, scenes::buildDisks,
                                                    scenes::buildEscape};
    for (auto build : builders) {
        scenes::SceneSource scene = build();
        kit::SceneText text = scenes::writeSceneText(scene);
        std::string largest;
        size_t most = largestNode(scene.models, largest);
        std::printf("%-14s %6zu triangles, largest node %s (%zu), %zu bytes\n", scene.fileName.c_str(), text.triangles,
                    largest.c_str(), most, text.text.size());
        std::ofstream out(std::string(argv[1]) + "/" + scene.fileName, std::ios::binary);
        out << text.text;
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", scene.fileName.c_str());
            return 1;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("built in %.2f s\n", seconds);
    int holes = checkChaseCoverage();
    std::printf("chase coverage: %d frames with holes\n", holes);
    return 0;
}
