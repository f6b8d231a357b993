// The generated scene files, read by the program's own loader, against the rules the parts rely on: names,
// key tracks, parenting, budgets, layout, and where the title logo and the trucks stand.
#include "content.h"
#include "kit/camera_rig.h"
#include "kit/xsi_writer.h"
#include "models.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>
#include <tuple>

namespace {

struct LoadedScene {
    std::string text;
    std::string loaderOutput; // what the loader printed while reading the text
    std::unique_ptr<Scene> scene;

    const SceneNode& node(const char* name) const {
        const SceneNode* found = scene->findNode(name);
        if (!found) throw std::runtime_error(std::string("no node ") + name);
        return *found;
    }
};

const std::map<std::string, LoadedScene>& scenesByFile() {
    static const std::map<std::string, LoadedScene> loaded = [] {
        std::map<std::string, LoadedScene> out;
        for (const ContentFile& f : buildScenes()) {
            LoadedScene& s = out[f.name];
            s.text.assign(f.data.begin(), f.data.end());
            s.scene = std::make_unique<Scene>();
            testing::internal::CaptureStdout();
            s.scene->loadFromText(f.name.c_str(), s.text.data(), s.text.size());
            s.loaderOutput = testing::internal::GetCapturedStdout();
        }
        return out;
    }();
    return loaded;
}

const LoadedScene& scene(const std::string& file) {
    return scenesByFile().at(file);
}

struct SceneRule {
    const char* file;
    size_t frames;
    std::vector<const char*> names; // every node the scene set-up looks up
};

const std::vector<SceneRule>& rules() {
    static const std::vector<SceneRule> table{
        {"harvester.xsi",
         1001,
         {"Terex_MainBody", "Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01", "Terex_FL_Wheel01",
          "Grass", "HarvesterMainBody", "HarvesterRoller", "Ground", "Camera_harvester"}},
        {"ledge.xsi",
         601,
         {"Skybox", "Terex_MainBody", "Terex_RL_Wheel", "Terex_FL_Wheel", "Lightbeam01", "Lightbeam02",
          "Ledge", "Sunbeams01", "Sunbeams02", "Trees", "Sun", "Camera_ledge"}},
        {"disks.xsi", 441, {"Kestrova", "Camera_disks"}},
        {"escape.xsi",
         1421,
         {"Plane01", "Terex_MainBody", "Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01",
          "Terex_FL_Wheel01", "Osprey_Hull", "Osprey_Hull01", "PropellerLeft", "PropellerRight",
          "PropellerLeft01", "PropellerRight01", "Kestrovalogo", "Sunbeams01", "Sun", "Camera_chase_01",
          "Camera_chase_02", "Camera_chase_03", "Camera_chase_04"}},
    };
    return table;
}

bool hangsFromRoot(const SceneNode& n) {
    return n.parent != nullptr && n.parent->isRoot;
}

double lowestVertexZ(const SceneNode& n) {
    double lowest = 1e9;
    for (const Vertex& v : n.vertices)
        lowest = std::min(lowest, double(v.z));
    return lowest;
}

TEST(SceneFiles, AllFourArePresentAndCompressed) {
    std::vector<ContentFile> files = buildScenes();
    ASSERT_EQ(files.size(), 4u);
    for (const ContentFile& f : files)
        EXPECT_TRUE(f.compress) << f.name;
    for (const SceneRule& rule : rules())
        EXPECT_EQ(scenesByFile().count(rule.file), 1u) << rule.file;
}

TEST(SceneFiles, TheLoaderReadsThemWithoutComplaint) {
    // Normals are never written (the light is baked), so that warning is the only line a scene may cause.
    for (const auto& [file, s] : scenesByFile()) {
        std::istringstream lines(s.loaderOutput);
        for (std::string line; std::getline(lines, line);) {
            bool normalsOnly = line.rfind("WARNING: ", 0) == 0 && line.size() > 15 &&
                               line.compare(line.size() - 15, 15, " has no normals") == 0;
            EXPECT_TRUE(normalsOnly) << file << ": " << line;
        }
    }
}

TEST(SceneFiles, LayoutIsTheExporterLayout) {
    for (const auto& [file, s] : scenesByFile()) {
        EXPECT_EQ(s.text.rfind("xsi 0500txt 0032\n", 0), 0u) << file;
        EXPECT_NE(s.text.find("\nSI_Model MDL-MAXSceneRoot {\n"), std::string::npos) << file;
        std::istringstream lines(s.text);
        int line = 0, open = 0;
        for (std::string text; std::getline(lines, text);) {
            ++line;
            ASSERT_LE(text.size(), 128u) << file << ":" << line;
            ASSERT_EQ(text.find("  "), std::string::npos) << file << ":" << line << " indents with blanks";
            for (char c : text)
                open += c == '{' ? 1 : c == '}' ? -1 : 0;
            ASSERT_GE(open, 0) << file << ":" << line;
        }
        EXPECT_EQ(open, 0) << file << ": unbalanced braces";
    }
}

TEST(SceneFiles, EveryLookedUpNodeExistsOnceAndHangsFromTheRoot) {
    for (const SceneRule& rule : rules()) {
        const Scene& s = *scene(rule.file).scene;
        std::map<std::string, int> seen;
        for (const auto& n : s.nodes)
            EXPECT_EQ(++seen[n->name], 1) << rule.file << ": duplicate " << n->name;
        for (const char* name : rule.names) {
            const SceneNode* n = s.findNode(name);
            ASSERT_NE(n, nullptr) << rule.file << " lacks " << name;
            // The reel rides on the harvester body on purpose, so that it bobs with it.
            if (std::string(name) == "HarvesterRoller") {
                EXPECT_EQ(std::string(n->parent->name), "HarvesterMainBody");
            } else {
                EXPECT_TRUE(hangsFromRoot(*n)) << rule.file << ": " << name;
            }
        }
    }
}

TEST(SceneFiles, HandAnimatedNodesCarryNoOverridingKeys) {
    enum Kind { Position, Rotation, Any };
    struct Forbidden {
        const char* file;
        const char* node;
        Kind kind;
    };
    const Forbidden table[] = {
        {"disks.xsi", "Kestrova", Any},
        {"harvester.xsi", "Grass", Rotation},
        {"harvester.xsi", "Camera_harvester", Rotation},
        {"ledge.xsi", "Ledge", Rotation},
        {"ledge.xsi", "Trees", Rotation},
        {"ledge.xsi", "Sunbeams01", Rotation},
        {"ledge.xsi", "Sunbeams02", Rotation},
        {"escape.xsi", "Sunbeams01", Rotation},
        {"escape.xsi", "PropellerLeft", Rotation},
        {"escape.xsi", "PropellerRight", Rotation},
        {"escape.xsi", "PropellerLeft01", Rotation},
        {"escape.xsi", "PropellerRight01", Rotation},
        {"escape.xsi", "Camera_chase_03", Rotation},
    };
    for (const Forbidden& f : table) {
        const SceneNode& n = scene(f.file).node(f.node);
        if (f.kind != Rotation) {
            EXPECT_TRUE(n.positionKeys.empty()) << f.file << ": " << f.node << " has position keys";
        }
        if (f.kind != Position) {
            EXPECT_TRUE(n.rotationKeys.empty()) << f.file << ": " << f.node << " has rotation keys";
        }
    }
    EXPECT_FALSE(scene("harvester.xsi").node("Camera_harvester").positionKeys.empty());
}

// Tracks start at frame 0 and end by the part's last frame; the writer leaves out the keys after a track's
// last change, which the loader holds.
TEST(SceneFiles, KeysCoverEachPartFromFrameZero) {
    for (const SceneRule& rule : rules()) {
        for (const auto& n : scene(rule.file).scene->nodes) {
            EXPECT_LE(n->positionKeys.size(), rule.frames) << rule.file << ": " << n->name;
            EXPECT_LE(n->rotationKeys.size(), rule.frames) << rule.file << ": " << n->name;
        }
    }
    for (const char* camera : {"Camera_chase_01", "Camera_chase_02", "Camera_chase_03", "Camera_chase_04"}) {
        EXPECT_FALSE(scene("escape.xsi").node(camera).positionKeys.empty()) << camera;
    }
}

// What the writer leaves out must not change a single evaluated transform: a path that changes and then
// holds, a component that never leaves its rest value, one that holds another value, a lone rotation curve.
TEST(SceneFiles, WrittenKeysEvaluateAsEveryKeyWould) {
    const int frames = 40;
    std::vector<kit::Vec3> path(frames), turn(frames);
    for (int i = 0; i < frames; ++i) {
        path[size_t(i)] = {i < 12 ? 0.25f * float(i) : 3.0f, 2.0f, -1.5f};
        turn[size_t(i)] = {0.5f, 0.0f, i < 30 ? 0.01f * float(i) : 0.3f};
    }
    kit::Model moving{"Moving", {0, 2, 7}, {0, 0, 0}, {}, kit::positionCurves(path), {}};
    for (const kit::Curve& c : kit::rotationCurves(turn)) moving.curves.push_back(c);
    std::vector<double> spin(frames, 0.0);
    spin[5] = 1.0;
    kit::Model spinner{"Spinner", {1, 1, 1}, {0, 0, 0}, {}, {kit::rotationCurve('y', spin)}, {}};
    const std::string text = kit::writeScene("keys", {moving, spinner}, frames - 1).text;
    Scene loaded;
    loaded.loadFromText("keys.xsi", text.data(), text.size());
    SceneNode& m = *loaded.findNode("Moving");
    SceneNode& s = *loaded.findNode("Spinner");
    for (uint32_t ms = 0; ms <= 2500; ms += 10) {
        const float f = std::fmin(float(ms) / 50.0f, float(frames - 1));
        const size_t i = size_t(f);
        const size_t j = std::min(i + 1, size_t(frames - 1));
        const float w = f - float(i);
        m.evaluate(ms);
        s.evaluate(ms);
        EXPECT_NEAR(m.position.x, (1 - w) * path[i].x + w * path[j].x, 1e-5) << ms;
        EXPECT_NEAR(m.position.y, 2.0f, 1e-6) << ms;
        EXPECT_NEAR(m.position.z, -1.5f, 1e-6) << ms;
        EXPECT_NEAR(m.rotation.x, 0.5f, 1e-5) << ms;
        EXPECT_NEAR(m.rotation.z, (1 - w) * turn[i].z + w * turn[j].z, 1e-5) << ms;
        EXPECT_NEAR(s.rotation.y, (1 - w) * float(spin[i]) + w * float(spin[j]), 1e-5) << ms;
    }
}

TEST(SceneFiles, AngleKeysNeverJumpByATurn) {
    for (const SceneRule& rule : rules()) {
        for (const auto& n : scene(rule.file).scene->nodes) {
            const std::vector<Vec3>& keys = n->rotationKeys;
            for (size_t i = 1; i < keys.size(); ++i) {
                // A chase camera may cut between two keys; no key step may wrap a whole turn.
                float step = std::fmax(
                    std::fabs(keys[i].x - keys[i - 1].x),
                    std::fmax(std::fabs(keys[i].y - keys[i - 1].y), std::fabs(keys[i].z - keys[i - 1].z)));
                ASSERT_LT(step, 5.0f) << rule.file << ": " << n->name << " key " << i;
            }
        }
    }
}

TEST(SceneFiles, MeshesAreCompleteAndWithinBudgets) {
    for (const SceneRule& rule : rules()) {
        uint32_t total = 0;
        for (const auto& n : scene(rule.file).scene->nodes) {
            if (n->isDummy) continue;
            EXPECT_LE(n->triangleCount, kMaxMeshTriangles) << rule.file << ": " << n->name;
            EXPECT_TRUE(n->hasColors)
                << rule.file << ": " << n->name; // texture coordinates: see the loader test
            EXPECT_EQ(n->vertices.size(), size_t(n->triangleCount) * 3) << rule.file << ": " << n->name;
            // A shape built from a curve can yield NaN (a root of a value just below zero): its triangles
            // vanish.
            size_t broken = size_t(std::count_if(n->vertices.begin(), n->vertices.end(), [](const Vertex& v) {
                return !std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z);
            }));
            EXPECT_EQ(broken, 0u) << rule.file << ": " << n->name;
            total += n->triangleCount;
        }
        EXPECT_GE(total, 2000u) << rule.file;
        EXPECT_LE(total, 20000u) << rule.file;
    }
}

// The heavy nodes are thinned to what their cameras can see; a change that loses the thinning (a new camera
// path the views do not follow, a mesh built past it) shows here before it shows in the frame times.
TEST(SceneFiles, HeavyNodesStayThinnedToWhatTheCameraSees) {
    const struct {
        const char* file;
        const char* node;
        int most;
    } limits[] = {
        {"harvester.xsi", "Wheat", 1500}, {"harvester.xsi", "Stubble", 1000},
        {"harvester.xsi", "Ground", 40},  {"harvester.xsi", "HarvesterMainBody", 2000},
        {"ledge.xsi", "Skybox", 100},     {"ledge.xsi", "Trees", 1000},
        {"ledge.xsi", "Valley", 1000},    {"escape.xsi", "Plane01", 7800},
    };
    for (const auto& l : limits) {
        EXPECT_LE(scene(l.file).node(l.node).triangleCount, l.most) << l.file << ": " << l.node;
        // Still there: thinning must not empty a node the frames show.
        EXPECT_GE(scene(l.file).node(l.node).triangleCount, l.most / 10) << l.file << ": " << l.node;
    }
}

TEST(SceneFiles, LedgeTruckStandsAtThePartsHeights) {
    const LoadedScene& s = scene("ledge.xsi");
    EXPECT_NEAR(s.node("Terex_MainBody").basePosition.z, 41.573, 1e-4);
    EXPECT_NEAR(s.node("Terex_RL_Wheel").basePosition.z, 37.821, 1e-4);
    EXPECT_NEAR(s.node("Terex_FL_Wheel").basePosition.z, 37.821, 1e-4);
    EXPECT_NEAR(s.node("Lightbeam01").basePosition.z, 39.459, 1e-4);
    EXPECT_NEAR(s.node("Lightbeam02").basePosition.z, 39.459, 1e-4);
    // The tyres touch the ledge top.
    double lowest = 37.821 + lowestVertexZ(s.node("Terex_RL_Wheel"));
    EXPECT_NEAR(lowest, 37.821 - scenes::kWheelRadius, 1e-3);
    EXPECT_LE(std::fabs(lowest - 34.2), 0.1);
}

TEST(SceneFiles, LedgeTruckDrivesInOnePieceOnTheTrack) {
    // The body, wheels and lamps have a key track each: they must move as one truck, on the ledge's flat
    // track (radius 30 to 50 about the mesa's axis) at every key.
    const LoadedScene& s = scene("ledge.xsi");
    const SceneNode& body = s.node("Terex_MainBody");
    for (const char* part : {"Sign", "GrainLoad", "DumpBed", "Terex_RL_Wheel", "Terex_FL_Wheel",
                             "Terex_RR_Wheel", "Terex_FR_Wheel", "Lightbeam01", "Lightbeam02"}) {
        const SceneNode& n = s.node(part);
        // The load slides off the tipped bed at the end; everything else keeps its place on the truck.
        const float slack = std::string(part) == "GrainLoad" ? 4.5f : 0.01f;
        // A track may end early (its last key holds) or be left out (its rest value holds).
        auto key = [](const std::vector<Vec3>& track, const Vec3& rest, size_t i) {
            return track.empty() ? rest : track[std::min(i, track.size() - 1)];
        };
        const Vec3 start = key(n.positionKeys, n.basePosition, 0), bodyStart = key(body.positionKeys, body.basePosition, 0);
        const float reach = std::hypot(start.x - bodyStart.x, start.y - bodyStart.y);
        const size_t keys = std::max({n.positionKeys.size(), n.rotationKeys.size(), body.positionKeys.size(),
                                      body.rotationKeys.size()});
        for (size_t i = 0; i < keys; ++i) {
            const Vec3 p = key(n.positionKeys, n.basePosition, i), b = key(body.positionKeys, body.basePosition, i);
            ASSERT_NEAR(std::hypot(p.x - b.x, p.y - b.y), reach, slack) << part << " key " << i;
            ASSERT_NEAR(key(n.rotationKeys, n.baseRotation, i).z, key(body.rotationKeys, body.baseRotation, i).z, 0.01)
                << part << " key " << i;
            if (std::string(part).find("Wheel") != std::string::npos) {
                EXPECT_GT(std::hypot(p.x, p.y), 30 + 1.5) << part << " key " << i;
                EXPECT_LT(std::hypot(p.x, p.y), 50 - 1.5) << part << " key " << i;
            }
        }
    }
}

// The sun glow is added over a fixed place of the frame and the beams sink only behind what is drawn in front
// of them, so the valley's ridges must keep below the sun, on its side of the frame, from every point of the
// camera's path: a camera move that dips too low would lift them into the glow.
TEST(SceneFiles, LedgeValleyKeepsBelowTheSun) {
    const LoadedScene& s = scene("ledge.xsi");
    SceneNode camera = s.node("Camera_ledge");
    const SceneNode& land = s.node("Valley");
    float highest = -9;
    for (uint32_t t = 0; t <= 30000; t += 250) {
        camera.evaluate(t);
        const kit::Vec3 eye{camera.position.x, camera.position.y, camera.position.z};
        const kit::CameraAngles angles{camera.rotation.x, camera.rotation.y, camera.rotation.z};
        for (const Vertex& v : land.vertices) {
            float x = 0, y = 0, depth = 0;
            if (kit::projectPoint(eye, angles, 0.6f, {v.x, v.y, v.z}, x, y, depth) &&
                std::fabs(x - 0.24f) < 0.4f)
                highest = std::fmax(highest, y);
        }
    }
    EXPECT_LT(highest, 0.1f); // the sun's disc reaches down to about 0.13
}

TEST(SceneFiles, VehiclesStandOnTheGround) {
    // Harvester and escape scenes have their ground at z = 0: wheels rest on it, bodies stand above it.
    for (const char* file : {"harvester.xsi", "escape.xsi"}) {
        const LoadedScene& s = scene(file);
        for (const char* wheel :
             {"Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01", "Terex_FL_Wheel01"}) {
            const SceneNode& n = s.node(wheel);
            EXPECT_NEAR(n.basePosition.z + lowestVertexZ(n), 0.0, 0.01) << file << ": " << wheel;
        }
        EXPECT_GT(s.node("Terex_MainBody").basePosition.z, scenes::kWheelRadius) << file;
    }
    EXPECT_NEAR(lowestVertexZ(scene("harvester.xsi").node("HarvesterMainBody")), 0.0, 0.05);
}

TEST(SceneFiles, ReelAndGrassTurnAboutTheSameAxle) {
    const LoadedScene& s = scene("harvester.xsi");
    const SceneNode &body = s.node("HarvesterMainBody"), &reel = s.node("HarvesterRoller"),
                    &grass = s.node("Grass");
    // The reel's rest position is relative to the body, which stands at the origin.
    EXPECT_EQ(body.basePosition.x, 0.0f);
    EXPECT_EQ(body.basePosition.y, 0.0f);
    EXPECT_EQ(body.basePosition.z, 0.0f);
    EXPECT_EQ(reel.basePosition.y, grass.basePosition.y);
    EXPECT_EQ(reel.basePosition.z, grass.basePosition.z);
    // Turned by the part's steepest angle, the wheat stays in front of the reel and above the ground.
    const float a = -0.8f;
    for (const Vertex& v : grass.vertices) {
        float y = v.y * std::cos(a) - v.z * std::sin(a), z = v.y * std::sin(a) + v.z * std::cos(a);
        EXPECT_GT(y, 0.0f);
        EXPECT_GT(grass.basePosition.z + z, 0.0f);
    }
}

// Where the title logo lands on screen at time t (ms) of the title, as the part moves and spins it.
struct ScreenBox {
    float minX = 9, maxX = -9, minY = 9, maxY = -9;
};

ScreenBox titleLogoOnScreen(uint32_t t) {
    const LoadedScene& s = scene("disks.xsi");
    SceneNode camera = s.node("Camera_disks");
    camera.evaluate(t);
    const SceneNode& logo = s.node("Kestrova");
    const double turn = t / 1000.0, x = 120.0 - t / 100.0;
    const kit::Vec3 eye{camera.position.x, camera.position.y, camera.position.z};
    const kit::CameraAngles angles{camera.rotation.x, camera.rotation.y, camera.rotation.z};
    ScreenBox box;
    for (const Vertex& v : logo.vertices) {
        kit::Vec3 p{float(v.x * std::cos(turn) - v.y * std::sin(turn) + x),
                    float(v.x * std::sin(turn) + v.y * std::cos(turn) + logo.basePosition.y),
                    v.z + logo.basePosition.z};
        float sx = 0, sy = 0, depth = 0;
        if (!kit::projectPoint(eye, angles, 0.6f, p, sx, sy, depth)) return {-9, 9, -9, 9};
        box = {std::fmin(box.minX, sx), std::fmax(box.maxX, sx), std::fmin(box.minY, sy),
               std::fmax(box.maxY, sy)};
    }
    return box;
}

// The title's sign rides round with the camera and holds its face to the viewer. From 5.5 s, when the text
// comes up, to the cut it is the board the text stands on: it turns no further than 40 degrees from facing the
// camera, the two text lines (NDC x -0.353 to 0.397, y -0.30 to 0.167) lie within it, and no bulb of its frame
// crosses them.
TEST(SceneFiles, TitleSignFramesTheTextAndKeepsInFrame) {
    const LoadedScene& s = scene("disks.xsi");
    const SceneNode& logo = s.node("Kestrova");
    SceneNode camera = s.node("Camera_disks");
    for (uint32_t t = 0; t <= 22000; t += 50) {
        ScreenBox box = titleLogoOnScreen(t);
        // Over the last half second the camera plunges into the blazing board, which overfills the frame.
        if (t <= 21500) {
            EXPECT_GE(box.minX, -1.0f) << "t = " << t;
            EXPECT_LE(box.maxX, 1.0f) << "t = " << t;
            EXPECT_LE(box.maxY, 0.9f) << "t = " << t; // the bulbs keep 12 pixels from the top edge
        }
        camera.evaluate(t);
        const double turn = t / 1000.0, x = 120.0 - t / 100.0;
        const kit::Vec3 eye{camera.position.x, camera.position.y, camera.position.z};
        const kit::CameraAngles angles{camera.rotation.x, camera.rotation.y, camera.rotation.z};
        kit::Vec3 toEye = kit::normalize(eye - kit::Vec3{float(x), logo.basePosition.y, logo.basePosition.z});
        // The front face's normal: the sign leans back 28 degrees.
        const double lean = 28 * 3.14159265358979 / 180;
        float facing = float(std::cos(lean) * (toEye.x * std::sin(turn) - toEye.y * std::cos(turn)) +
                             std::sin(lean) * toEye.z);
        if (t < 5500) continue;
        EXPECT_GE(facing, std::cos(0.7f)) << "t = " << t;
        EXPECT_TRUE(box.minX < -0.45f && box.maxX > 0.5f && box.minY < -0.4f && box.maxY > 0.27f)
            << "t = " << t;
        for (const Vertex& v : logo.vertices) {
            // Only the front's lamps stand further off the front face than this (the back's bulbs, hidden
            // behind the board, may fall anywhere as the camera looks up or down at it).
            if (v.z * std::sin(lean) - v.y * std::cos(lean) < 2.6) continue;
            kit::Vec3 p{float(v.x * std::cos(turn) - v.y * std::sin(turn) + x),
                        float(v.x * std::sin(turn) + v.y * std::cos(turn) + logo.basePosition.y),
                        v.z + logo.basePosition.z};
            float sx = 0, sy = 0, depth = 0;
            kit::projectPoint(eye, angles, 0.6f, p, sx, sy, depth);
            ASSERT_FALSE(sx > -0.38f && sx < 0.42f && sy > -0.33f && sy < 0.2f) << "t = " << t;
        }
    }
}

// One shown stretch of a camera: the part's local times (ms) through which it looks through that node.
struct CameraShot {
    const char* file;
    const char* camera;
    uint32_t from, to;
};

// Each camera's frame as the viewer sees it at 60 frames a second: its position (the field's early lift
// included, as the part sets it) and its angles (the chase's third camera tilted as the part tilts it).
struct CameraFrame {
    Vec3 position, rotation;
};
CameraFrame cameraAt(const CameraShot& shot, uint32_t t) {
    SceneNode camera = scene(shot.file).node(shot.camera);
    camera.evaluate(t);
    CameraFrame f{camera.position, camera.rotation};
    if (std::string(shot.camera) == "Camera_harvester") {
        // The part lifts the camera over its first half second and leaves the last lift it wrote: at 60
        // frames a second that is the frame at 483 ms.
        f.position.z += t < 500 ? (500 - float(t)) / 10 : (500 - 483) / 10.0f;
    }
    if (std::string(shot.camera) == "Camera_chase_03") f.rotation.x = float((t - 13500) / 30000.0 + 25.8);
    return f;
}

const std::vector<CameraShot>& cameraShots() {
    static const std::vector<CameraShot> shots{
        {"harvester.xsi", "Camera_harvester", 0, 27999}, {"harvester.xsi", "Camera_harvester", 29000, 49999},
        {"disks.xsi", "Camera_disks", 0, 21999},         {"escape.xsi", "Camera_chase_01", 0, 5000},
        {"escape.xsi", "Camera_chase_04", 5001, 8999},   {"escape.xsi", "Camera_chase_01", 9000, 13499},
        {"escape.xsi", "Camera_chase_03", 13500, 27999}, {"escape.xsi", "Camera_chase_02", 28000, 70999},
        {"ledge.xsi", "Camera_ledge", 0, 30000},
    };
    return shots;
}

// Keys come 20 a second and are blended in between, so a jump inside a camera's track would show as frames
// in between the two framings (as a swoop through the scene) rather than as a cut. No shown stretch of any
// camera may move it further in one frame than a fast, deliberate move would.
TEST(SceneFiles, NoCameraJumpsWhileItIsShown) {
    for (const CameraShot& shot : cameraShots()) {
        CameraFrame last = cameraAt(shot, shot.from);
        for (uint32_t k = uint32_t(std::ceil(shot.from * 0.06)) + 1; k * 1000 / 60 <= shot.to; ++k) {
            uint32_t t = k * 1000 / 60;
            CameraFrame now = cameraAt(shot, t);
            float moved = std::hypot(now.position.x - last.position.x, now.position.y - last.position.y,
                                     now.position.z - last.position.z);
            // How far the view turned, whatever the angles that describe it.
            kit::CameraBasis a = kit::cameraBasis({last.rotation.x, last.rotation.y, last.rotation.z});
            kit::CameraBasis b = kit::cameraBasis({now.rotation.x, now.rotation.y, now.rotation.z});
            auto between = [](kit::Vec3 u, kit::Vec3 v) {
                return std::acos(std::fmin(1.0f, kit::dot(u, v)));
            };
            float turned = std::fmax(between(a.forward, b.forward),
                                     std::fmax(between(a.up, b.up), between(a.right, b.right)));
            // The field's scene is three times larger: its crane at the start moves up to ~1.7 units a frame.
            float most = std::string(shot.file) == "harvester.xsi" ? 4.0f : 2.0f;
            // The title's camera rides round the spinning sign and whips round it as it turns the sign's
            // front to the text at 3.5-5.5 s of the part, then rocks round it and jumps at it on the beats:
            // up to 5.5 units and 2.9 degrees a frame. The background does not move, so this shows only as
            // the sign dancing.
            bool whip = std::string(shot.camera) == "Camera_disks" && t >= 3500;
            if (whip) most = 5.5f;
            ASSERT_LT(moved, most) << shot.file << " " << shot.camera << " at " << t << " ms";
            // The chase's second camera swings round the truck's front at 44-48 s of the part: a deliberate
            // whip of up to 2.4 degrees a frame.
            bool swing = std::string(shot.camera) == "Camera_chase_02" && t >= 44000 && t <= 48000;
            ASSERT_LT(turned, whip    ? 0.05f
                              : swing ? 0.042f
                                      : 0.035f)
                << shot.file << " " << shot.camera << " at " << t << " ms";
            last = now;
        }
    }
}

// The part bobs the field's truck by up to 2 units and the harvester by up to 1, whatever their size: seen
// from where the camera is, at every frame, neither may move more than 8 pixels of the 240-pixel height.
TEST(SceneFiles, FieldVehiclesBobByAFewPixelsAtMost) {
    const LoadedScene& s = scene("harvester.xsi");
    const kit::CameraAngles angles{7.5, 0.1, 3.14159265358979};
    float worst = 0;
    std::string where;
    for (const auto& [name, bob] :
         {std::pair{"Terex_MainBody", 2.0f}, std::pair{"HarvesterMainBody", 1.0f}}) {
        const SceneNode& n = s.node(name);
        for (uint32_t k = 0; k * 1000 / 60 < 50000; k += 3) {
            uint32_t t = k * 1000 / 60;
            if (t >= 28000 && t < 29000) continue;
            CameraFrame eye = cameraAt({"harvester.xsi", "Camera_harvester", 0, 0}, t);
            // Every twentieth vertex is plenty: the nearest parts move the most, and they are large.
            for (size_t i = 0; i < n.vertices.size(); i += 20) {
                const Vertex& v = n.vertices[i];
                float y[2] = {}, x = 0, depth = 0;
                for (int side = 0; side < 2; ++side) {
                    kit::Vec3 p{n.basePosition.x + v.x, n.basePosition.y + v.y,
                                n.basePosition.z + v.z + (side ? bob : -bob)};
                    ASSERT_TRUE(kit::projectPoint({eye.position.x, eye.position.y, eye.position.z}, angles,
                                                  0.8f, p, x, y[side], depth));
                }
                if (std::fabs(x) <= 1 && std::fabs(y[0]) <= 1 && (y[1] - y[0]) * 120 > worst) {
                    worst = (y[1] - y[0]) * 120;
                    where = std::string(name) + " at " + std::to_string(t) + " ms";
                }
            }
        }
    }
    EXPECT_LE(worst, 8.0f) << where;
    EXPECT_GT(worst, 1.0f); // and it still shows as an engine's shake
}

// The chase's pursuers fly near misses: at every frame of their flight no vertex of a hull or a rotor may
// enter the truck (with its sign at the top of its bob), a telegraph pole or the rock arch, which ride on the
// ground streaming past at 24 units a second. The one crash is deliberate: the first pursuer clips the arch's
// crown at 60.95 s of the part (its nose reaches the crown from 60.5 s) and tumbles down behind it until 62 s.
// While the first pair's aircraft hang beside the truck (until 10 s, and 13.5-30 s) they keep out of them.
// Nor does any aircraft pass through the lens: seen from the shown camera, its rotor tips (20 units from the
// hull's centre) keep 8 units away, a fly-by rather than a slab filling the frame.
TEST(SceneFiles, PursuersMissTheTruckThePolesAndTheArch) {
    const LoadedScene& s = scene("escape.xsi");
    const Vec3 pair[] = {s.node("Osprey_Hull").basePosition, s.node("Osprey_Hull01").basePosition};
    for (const CameraShot& shot : cameraShots()) {
        if (std::string(shot.file) != "escape.xsi") continue;
        std::vector<SceneNode> crafts{s.node("Pursuer"), s.node("Pursuer01")};
        for (uint32_t k = uint32_t(std::ceil(shot.from * 0.06)); k * 1000 / 60 <= shot.to; ++k) {
            uint32_t t = k * 1000 / 60;
            Vec3 eye = cameraAt(shot, t).position;
            std::vector<Vec3> centres;
            if (t <= 10000 || (t >= 13500 && t <= 30000)) centres.assign(std::begin(pair), std::end(pair));
            for (SceneNode& craft : crafts) {
                craft.evaluate(t);
                centres.push_back(craft.position);
            }
            for (const Vec3& c : centres) {
                ASSERT_GT(std::hypot(c.x - eye.x, c.y - eye.y, c.z - eye.z), 28.0f)
                    << shot.camera << " at " << t << " ms, aircraft at " << c.x << " " << c.y << " " << c.z;
            }
        }
    }
    for (const char* craft : {"Pursuer", "Pursuer01"}) {
        std::string left = std::string(craft) + "_RotorLeft", right = std::string(craft) + "_RotorRight";
        std::vector<SceneNode> parts{s.node(craft), s.node(left.c_str()), s.node(right.c_str())};
        parts[1].parent = parts[2].parent = &parts[0];
        for (uint32_t k = 240; k * 1000 / 60 <= 70999; ++k) { // from 4 s of the part
            uint32_t t = k * 1000 / 60;
            for (SceneNode& part : parts)
                part.evaluate(t);
            float shift = -24.0f * float(t) / 1000, archY = 24 * 61 + shift;
            for (const SceneNode& part : parts) {
                const float* m = part.worldMatrix.m;
                for (const Vertex& v : part.vertices) {
                    float x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12];
                    float y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13];
                    float z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14];
                    std::string at = std::string(part.name) + " at " + std::to_string(t) + " ms";
                    ASSERT_FALSE(std::fabs(x) < 7.5f && y > -13 && y < 15 && z < 18) << "truck: " << at;
                    float pole = std::remainder(y - (-480 + shift), 80.0f);
                    ASSERT_FALSE(x > -20.8f && x < -15.2f && std::fabs(pole) < 1 && z < 20.2f)
                        << "pole: " << at;
                    float r = std::hypot(x / 30, z / 34);
                    bool crash = std::string(craft) == "Pursuer" && t >= 60500 && t <= 62000;
                    ASSERT_FALSE(!crash && std::fabs(y - archY) < 7 && z > 0 && r > 0.6f && r < 1.15f)
                        << "arch: " << at;
                    for (const Vec3& c : pair) {
                        ASSERT_FALSE((t <= 10000 || (t >= 13500 && t <= 30000)) && std::fabs(x - c.x) < 19.6f && std::fabs(y - c.y) < 15.2f &&
                                     z > c.z - 3.1f && z < c.z + 8.1f)
                            << "first pair: " << at;
                    }
                }
            }
        }
    }
}

// A ridge of the crop passing within a few units of the eye fills the frame's corner with huge flat
// polygons for a few frames. Over the field the camera keeps at least 2 units above every ridge top near it.
TEST(SceneFiles, FieldCameraKeepsClearOfTheCrop) {
    const LoadedScene& s = scene("harvester.xsi");
    for (const char* name : {"Wheat", "Stubble"}) {
        SceneNode crop = s.node(name);
        for (uint32_t k = 0; k * 1000 / 60 < 50000; ++k) {
            uint32_t t = k * 1000 / 60;
            if (t >= 28000 && t < 29000) continue;
            Vec3 eye = cameraAt({"harvester.xsi", "Camera_harvester", 0, 0}, t).position;
            crop.evaluate(t);
            for (const Vertex& v : crop.vertices) {
                float x = crop.position.x + v.x - eye.x, y = crop.position.y + v.y - eye.y;
                if (std::hypot(x, y) > 40) continue;
                ASSERT_LT(crop.position.z + v.z, eye.z - 2) << name << " at " << t << " ms";
            }
        }
    }
}

// The chase's dust puffs live again and again: between two lives each returns to the tyre underground, and a
// puff that would come near the lens of the camera shown settles before it does. A puff that showed on its
// way back, or passed through the lens, would sweep across the frame.
TEST(SceneFiles, ChaseDustReturnsUnseenAndKeepsOutOfTheLens) {
    const LoadedScene& s = scene("escape.xsi");
    // The shown camera's eye at every 60 fps frame.
    std::vector<std::pair<uint32_t, Vec3>> frames;
    for (const CameraShot& shot : cameraShots()) {
        if (std::string(shot.file) != "escape.xsi") continue;
        SceneNode camera = s.node(shot.camera);
        for (uint32_t k = uint32_t(std::ceil(shot.from * 0.06)); k * 1000 / 60 <= shot.to; ++k) {
            camera.evaluate(k * 1000 / 60);
            frames.emplace_back(k * 1000 / 60, camera.position);
        }
    }
    int puffs = 0;
    for (const auto& n : s.scene->nodes) {
        if (std::string(n->name).rfind("Dust", 0) != 0) continue;
        ++puffs;
        float reach = 0, top = -1e9f;
        for (const Vertex& v : n->vertices) {
            reach = std::fmax(reach, std::hypot(v.x, v.y, v.z));
            top = std::fmax(top, v.z);
        }
        SceneNode puff = *n;
        bool shownBefore = false;
        Vec3 last{};
        for (const auto& [t, eye] : frames) {
            puff.evaluate(t);
            Vec3 p = puff.position;
            bool shown = p.z + top > 0;
            if (shown) {
                ASSERT_GT(std::hypot(p.x - eye.x, p.y - eye.y, p.z - eye.z), reach + 2)
                    << n->name << " at " << t;
            }
            if (shown && shownBefore) {
                ASSERT_LT(std::hypot(p.x - last.x, p.y - last.y, p.z - last.z), 1.5f)
                    << n->name << " at " << t;
            }
            shownBefore = shown;
            last = p;
        }
    }
    EXPECT_GE(puffs, 20);
}

// The grain stream (on the harvester) and the heap (on the truck) wait sunk inside the truck's solid bed
// until the unloading: above its top they would show as grain hanging in the air. The heap's rim, risen,
// lies on the bed's top. The machines bob against each other by up to 3 units: the stream keeps that far
// under.
TEST(SceneFiles, FieldGrainHidesInTheBedUntilItPours) {
    const LoadedScene& s = scene("harvester.xsi");
    const float truckZ = s.node("Terex_MainBody").basePosition.z,
                bodyZ = s.node("HarvesterMainBody").basePosition.z;
    SceneNode upper = s.node("GrainStream"), lower = s.node("GrainStreamLow"), heap = s.node("GrainHeap"),
              load = s.node("GrainLoad");
    auto extent = [](const SceneNode& n, float base, bool highest) {
        float z = highest ? -1e9f : 1e9f;
        for (const Vertex& v : n.vertices) {
            float at = base + n.position.z + v.z;
            z = highest ? std::fmax(z, at) : std::fmin(z, at);
        }
        return z;
    };
    heap.evaluate(44000);
    const float rim = extent(heap, truckZ, false), risen = extent(heap, truckZ, true);
    EXPECT_GT(risen, rim + 10); // a heap, not a film
    // After the pour the heap settles into the bed as the strapped load rises out of it.
    heap.evaluate(49999);
    load.evaluate(49999);
    EXPECT_LT(extent(heap, truckZ, true), rim);
    EXPECT_GT(extent(load, truckZ, true), rim + 5);
    for (uint32_t t = 0; t < 50000; t += 50) {
        heap.evaluate(t);
        for (SceneNode* stream : {&upper, &lower}) {
            stream->evaluate(t);
            if (t < 33000 || t >= 45000) {
                ASSERT_LT(extent(*stream, bodyZ, true), rim - 3) << stream->name << " at " << t << " ms";
            }
        }
        load.evaluate(t);
        if (t < 33000) {
            ASSERT_LT(extent(heap, truckZ, true), rim) << t << " ms";
        }
        if (t < 44000) {
            ASSERT_LT(extent(load, truckZ, true), rim) << t << " ms";
        }
    }
}

TEST(SceneFiles, OutputIsIdenticalFromRunToRun) {
    for (const ContentFile& f : buildScenes()) {
        EXPECT_EQ(std::string(f.data.begin(), f.data.end()), scene(f.name).text) << f.name;
    }
}

TEST(SceneFiles, BlockLettersAreClosedSolids) {
    float width = 0;
    kit::Mesh text = scenes::blockText("KESTROVA", 1.0f, 0.2f, width);
    EXPECT_GT(width, 40.0f);
    // Every directed edge appears once and is matched by its reverse.
    std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, int> edges;
    auto key = [&](uint32_t i) {
        return std::make_tuple(text.positions[i].x, text.positions[i].y, text.positions[i].z);
    };
    for (const auto& t : text.triangles) {
        for (int k = 0; k < 3; ++k)
            ++edges[{key(t[size_t(k)]), key(t[size_t((k + 1) % 3)])}];
    }
    int open = 0;
    for (const auto& [edge, count] : edges)
        open += count != 1 || !edges.count({edge.second, edge.first});
    EXPECT_EQ(open, 0);
}

} // namespace
