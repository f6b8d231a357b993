// The generated scene files against the rules the program relies on: names, key tracks, budgets, layout.
#include "content.h"
#include "models.h"
#include "xsi_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <sstream>

namespace {

const std::map<std::string, std::string>& sceneTexts() {
    static const std::map<std::string, std::string> texts = [] {
        std::map<std::string, std::string> out;
        for (const ContentFile& f : buildScenes()) out[f.name] = std::string(f.data.begin(), f.data.end());
        return out;
    }();
    return texts;
}

const ReadScene& scene(const std::string& name) {
    static std::map<std::string, ReadScene> cache;
    auto found = cache.find(name);
    if (found == cache.end()) found = cache.emplace(name, readScene(sceneTexts().at(name))).first;
    return found->second;
}

struct SceneRule {
    const char* file;
    int frames;
    std::vector<const char*> names; // every node the scene set-up looks up
};

const std::vector<SceneRule>& rules() {
    static const std::vector<SceneRule> table{
        {"harvester.xsi", 1001,
         {"Terex_MainBody", "Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01", "Terex_FL_Wheel01", "Grass",
          "HarvesterMainBody", "HarvesterRoller", "Ground", "Camera_harvester"}},
        {"ledge.xsi", 601,
         {"Skybox", "Terex_MainBody", "Terex_RL_Wheel", "Terex_FL_Wheel", "Lightbeam01", "Lightbeam02", "Ledge",
          "Sunbeams01", "Sunbeams02", "Trees", "Sun", "Camera_ledge"}},
        {"disks.xsi", 441, {"Kestrova", "Camera_disks"}},
        {"escape.xsi", 1421,
         {"Plane01", "Terex_MainBody", "Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01", "Terex_FL_Wheel01",
          "Osprey_Hull", "Osprey_Hull01", "PropellerLeft", "PropellerRight", "PropellerLeft01", "PropellerRight01",
          "Kestrovalogo", "Sunbeams01", "Sun", "Camera_chase_01", "Camera_chase_02", "Camera_chase_03",
          "Camera_chase_04"}},
    };
    return table;
}

TEST(SceneFiles, AllFourArePresentAndCompressed) {
    std::vector<ContentFile> files = buildScenes();
    ASSERT_EQ(files.size(), 4u);
    for (const ContentFile& f : files) EXPECT_TRUE(f.compress) << f.name;
    for (const SceneRule& rule : rules()) EXPECT_EQ(sceneTexts().count(rule.file), 1u) << rule.file;
}

TEST(SceneFiles, LayoutIsTheExporterLayout) {
    for (const auto& [name, text] : sceneTexts()) {
        EXPECT_EQ(text.rfind("xsi 0500txt 0032\n", 0), 0u) << name;
        EXPECT_NE(text.find("\nSI_Model MDL-MAXSceneRoot {\n"), std::string::npos) << name;
        std::istringstream lines(text);
        int line = 0, open = 0;
        for (std::string s; std::getline(lines, s);) {
            ++line;
            ASSERT_LE(s.size(), 128u) << name << ":" << line;
            ASSERT_EQ(s.find("  "), std::string::npos) << name << ":" << line << " indents with blanks";
            for (char c : s) open += c == '{' ? 1 : c == '}' ? -1 : 0;
            ASSERT_GE(open, 0) << name << ":" << line;
        }
        EXPECT_EQ(open, 0) << name << ": unbalanced braces";
        EXPECT_TRUE(scene(name).problems.empty()) << name << ": " << scene(name).problems.front();
    }
}

TEST(SceneFiles, EveryLookedUpNodeExistsOnceAndOthersHangFromTheRoot) {
    for (const SceneRule& rule : rules()) {
        const ReadScene& s = scene(rule.file);
        for (const char* name : rule.names) EXPECT_NE(s.find(name), nullptr) << rule.file << " lacks " << name;
        std::map<std::string, int> seen;
        for (const ReadNode& n : s.nodes) {
            EXPECT_EQ(++seen[n.name], 1) << rule.file << ": duplicate " << n.name;
            if (n.name == "MAXSceneRoot") {
                EXPECT_EQ(n.depth, 0);
            } else {
                EXPECT_GE(n.depth, 1) << n.name;
            }
        }
        for (const char* name : rule.names) {
            const ReadNode* n = s.find(name);
            if (n && std::string(name) != "HarvesterRoller") {
                EXPECT_EQ(n->depth, 1) << rule.file << ": " << name;
            }
        }
    }
}

TEST(SceneFiles, HandAnimatedNodesCarryNoOverridingKeys) {
    struct Forbidden {
        const char* file;
        const char* node;
        const char* kind; // "pos", "rot" or "" for any key
    };
    const Forbidden table[] = {
        {"disks.xsi", "Kestrova", ""},           {"harvester.xsi", "Grass", "rot"},
        {"harvester.xsi", "Camera_harvester", "rot"},
        {"ledge.xsi", "Ledge", "rot"},           {"ledge.xsi", "Trees", "rot"},
        {"ledge.xsi", "Sunbeams01", "rot"},      {"ledge.xsi", "Sunbeams02", "rot"},
        {"escape.xsi", "Sunbeams01", "rot"},     {"escape.xsi", "PropellerLeft", "rot"},
        {"escape.xsi", "PropellerRight", "rot"}, {"escape.xsi", "PropellerLeft01", "rot"},
        {"escape.xsi", "PropellerRight01", "rot"}, {"escape.xsi", "Camera_chase_03", "rot"},
        {"ledge.xsi", "Terex_MainBody", "pos"},  {"ledge.xsi", "Terex_RL_Wheel", "pos"},
        {"ledge.xsi", "Terex_FL_Wheel", "pos"},  {"ledge.xsi", "Lightbeam01", "pos"},
        {"ledge.xsi", "Lightbeam02", "pos"},
    };
    for (const Forbidden& f : table) {
        const ReadNode* n = scene(f.file).find(f.node);
        ASSERT_NE(n, nullptr) << f.node;
        if (*f.kind) {
            EXPECT_FALSE(n->hasKeys(f.kind)) << f.file << ": " << f.node << " has " << f.kind << " keys";
        } else {
            EXPECT_TRUE(n->curves.empty()) << f.file << ": " << f.node << " has keys";
        }
    }
    EXPECT_TRUE(scene("harvester.xsi").find("Camera_harvester")->hasKeys("pos"));
    // The ledge's truck parts are placed absolutely, and the escape sign is not carried by the truck.
    EXPECT_EQ(scene("escape.xsi").find("Kestrovalogo")->parent, "MAXSceneRoot");
}

TEST(SceneFiles, KeysCoverEachPartFromFrameZero) {
    for (const SceneRule& rule : rules()) {
        for (const ReadNode& n : scene(rule.file).nodes) {
            for (const auto& [word, keys] : n.curves) {
                EXPECT_EQ(int(keys.size()), rule.frames) << rule.file << ": " << n.name << " " << word;
            }
        }
    }
    for (const char* camera : {"Camera_chase_01", "Camera_chase_02", "Camera_chase_03", "Camera_chase_04"}) {
        EXPECT_TRUE(scene("escape.xsi").find(camera)->hasKeys("pos")) << camera;
    }
}

TEST(SceneFiles, AngleKeysNeverJumpByATurn) {
    for (const SceneRule& rule : rules()) {
        for (const ReadNode& n : scene(rule.file).nodes) {
            for (const auto& [word, keys] : n.curves) {
                if (word.find("rot") == std::string::npos) continue;
                for (size_t i = 1; i < keys.size(); ++i) {
                    // A chase camera may cut between two keys; no key step may wrap a whole turn.
                    ASSERT_LT(std::fabs(keys[i] - keys[i - 1]), 300.0) << rule.file << ": " << n.name << " " << word << " key " << i;
                }
            }
        }
    }
}

TEST(SceneFiles, MeshesAreCompleteAndWithinBudgets) {
    for (const SceneRule& rule : rules()) {
        const ReadScene& s = scene(rule.file);
        for (const ReadNode& n : s.nodes) {
            if (n.triangles == 0) continue;
            EXPECT_LE(n.triangles, 21845) << rule.file << ": " << n.name;
            EXPECT_TRUE(n.namesTexCoords && n.namesColors) << n.name;
            EXPECT_GT(n.texCoordRows, 0) << n.name;
            EXPECT_GT(n.colorRows, 0) << n.name;
            EXPECT_TRUE(n.indicesInRange) << rule.file << ": " << n.name;
        }
        EXPECT_GE(s.totalTriangles(), 2000) << rule.file;
        EXPECT_LE(s.totalTriangles(), 26000) << rule.file;
    }
}

TEST(SceneFiles, LedgeTruckStandsAtThePartsHeights) {
    const ReadScene& s = scene("ledge.xsi");
    EXPECT_NEAR(s.find("Terex_MainBody")->position[2], 41.573, 1e-5);
    EXPECT_NEAR(s.find("Terex_RL_Wheel")->position[2], 37.821, 1e-5);
    EXPECT_NEAR(s.find("Terex_FL_Wheel")->position[2], 37.821, 1e-5);
    EXPECT_NEAR(s.find("Lightbeam01")->position[2], 39.459, 1e-5);
    EXPECT_NEAR(s.find("Lightbeam02")->position[2], 39.459, 1e-5);
    // The tyres touch the ledge top: the lowest tyre point lies within a few hundredths of the track.
    double lowest = 1e9;
    for (double z : s.find("Terex_RL_Wheel")->vertexZ) lowest = std::min(lowest, z);
    EXPECT_NEAR(37.821 + lowest, 37.821 - scenes::kWheelRadius, 1e-3);
    EXPECT_LE(std::fabs((37.821 + lowest) - 34.2), 0.1);
}

TEST(SceneFiles, VehiclesStandOnTheGround) {
    // Harvester and escape scenes have their ground at z = 0: wheels rest on it, bodies stand above it.
    for (const char* file : {"harvester.xsi", "escape.xsi"}) {
        const ReadScene& s = scene(file);
        for (const char* wheel : {"Terex_FL_Wheel", "Terex_RL_Wheel", "Terex_RL_Wheel01", "Terex_FL_Wheel01"}) {
            const ReadNode* n = s.find(wheel);
            double lowest = 1e9;
            for (double z : n->vertexZ) lowest = std::min(lowest, z);
            EXPECT_NEAR(n->position[2] + lowest, 0.0, 0.01) << file << ": " << wheel;
        }
        EXPECT_GT(s.find("Terex_MainBody")->position[2], scenes::kWheelRadius) << file;
    }
    const ReadNode* body = scene("harvester.xsi").find("HarvesterMainBody");
    double lowest = 1e9;
    for (double z : body->vertexZ) lowest = std::min(lowest, z);
    EXPECT_NEAR(lowest, 0.0, 0.05);
}

TEST(SceneFiles, OutputIsIdenticalFromRunToRun) {
    std::vector<ContentFile> again = buildScenes();
    for (const ContentFile& f : again) {
        EXPECT_EQ(std::string(f.data.begin(), f.data.end()), sceneTexts().at(f.name)) << f.name;
    }
}

TEST(SceneFiles, BlockLettersAreClosedSolids) {
    float width = 0;
    kit::Mesh text = scenes::blockText("KESTROVA", 1.0f, 0.2f, width);
    EXPECT_GT(width, 40.0f);
    // Every directed edge appears once and is matched by its reverse.
    std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, int> edges;
    auto key = [&](uint32_t i) { return std::make_tuple(text.positions[i].x, text.positions[i].y, text.positions[i].z); };
    for (const auto& t : text.triangles) {
        for (int k = 0; k < 3; ++k) ++edges[{key(t[size_t(k)]), key(t[size_t((k + 1) % 3)])}];
    }
    int open = 0;
    for (const auto& [edge, count] : edges) open += count != 1 || !edges.count({edge.second, edge.first});
    EXPECT_EQ(open, 0);
}

} // namespace
