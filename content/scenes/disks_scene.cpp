// Title scene: the group's logo, block letters on a ring of disks, and the camera that follows its flight.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 441;        // 0-22 s
constexpr float kRingRadius = 14.0f; // letters stand on this circle, facing outward
constexpr float kLetterScale = 1.4f;

kit::LightRig titleLight() {
    kit::LightRig rig;
    rig.toSun = {-0.3f, -0.6f, 0.75f};
    rig.sun = {0.55f, 0.45f, 0.35f};
    rig.sky = {0.75f, 0.65f, 0.75f};
    rig.ground = {0.35f, 0.2f, 0.3f};
    rig.creviceHeight = 2.0f;
    rig.creviceDarkness = 0.3f;
    return rig;
}

// One letter standing on the ring at angle `angle`, its face turned outward.
kit::Mesh ringLetter(char c, float angle) {
    float width = 0;
    kit::Mesh letter = blockText(std::string(1, c), 2.2f, 0.3f, width);
    kit::translate(letter, {-width / 2, 0, -1.1f});
    kit::scale(letter, {kLetterScale, kLetterScale, 1});
    kit::tintByHeight(letter, 0, 7 * kLetterScale, kit::rgb8(255, 110, 10), kit::rgb8(255, 235, 60));
    kit::Vec3 right{-std::sin(angle), std::cos(angle), 0}, outward{std::cos(angle), std::sin(angle), 0};
    for (kit::Vec3& p : letter.positions) {
        p = right * p.x + kit::Vec3{0, 0, p.y + 1.0f} + outward * (p.z + kRingRadius);
    }
    for (kit::Vec3& n : letter.normals) n = right * n.x + kit::Vec3{0, 0, n.y} + outward * n.z;
    return letter;
}

kit::Mesh logo() {
    const std::string name = "KESTROVA";
    kit::Mesh mesh;
    for (size_t i = 0; i < name.size(); ++i) {
        // Reading left to right from outside runs counter-clockwise seen from above.
        float angle = -kit::kPi / 2 + 2 * kit::kPi * float(i) / float(name.size());
        kit::merge(mesh, ringLetter(name[i], angle));
        kit::Mesh disc = kit::cylinder(5.2f, -0.4f, 1.2f, 24);
        kit::paint(disc, kit::rgb8(200, 40, 20));
        kit::tintByHeight(disc, -0.4f, 1.2f, kit::rgb8(150, 30, 40), kit::rgb8(255, 140, 40));
        kit::merge(mesh, kit::translate(disc, {std::cos(angle) * kRingRadius, std::sin(angle) * kRingRadius, 0}));
    }
    // The ring joining the disks and a stack of disks at the hub.
    kit::Mesh ring = kit::lathe({{8.5f, -1.4f}, {20.5f, -1.4f}, {20.5f, -0.2f}, {8.5f, -0.2f}, {8.5f, -1.4f}}, 48);
    kit::paint(ring, kit::rgb8(110, 30, 90));
    kit::merge(mesh, ring);
    float z = -1.4f;
    for (float radius : {7.0f, 5.5f, 4.0f, 2.5f}) {
        kit::Mesh disc = kit::cylinder(radius, z, z + 1.6f, 32);
        kit::paint(disc, radius > 5 ? kit::rgb8(240, 120, 20) : kit::rgb8(255, 200, 50));
        kit::merge(mesh, disc);
        z += 1.6f;
    }
    return kit::bakeLight(mesh, titleLight());
}

double logoX(double t) { return 120.0 - 10.0 * t; }

kit::Model camera() {
    auto eye = [](double t) {
        double s = t / 22.0;
        return kit::Vec3{float(logoX(t) - 18 + 30 * s), float(-105 + 20 * s - 8 * std::sin(t * 0.3)),
                         float(40 - 12 * s)};
    };
    // Aim below and beside the logo: it rides in the upper part of the frame, clear of the title text,
    // and drifts from right to left as the camera lags behind.
    auto target = [](double t) {
        double s = t / 22.0;
        return kit::Vec3{float(logoX(t) - 9 + 18 * s), 0, float(-16 + 3 * s)};
    };
    kit::CameraKeys keys = kit::rigCamera(kFrames, eye, target);
    kit::Model cam{"Camera_disks", keys.positions[0], {}, {}, kit::positionCurves(keys.positions), {}};
    for (kit::Curve& c : kit::rotationCurves(keys.rotations)) cam.curves.push_back(c);
    return cam;
}

} // namespace

SceneSource buildDisks() {
    SceneSource scene{"disks.xsi", {}, kFrames};
    scene.models.push_back({"Kestrova", {120, 0, 0}, {}, logo(), {}, {}});
    scene.models.push_back(camera());
    return scene;
}

} // namespace scenes
