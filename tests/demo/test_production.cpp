// The tiny test production: dotXSI scenes written in the exporter's layout, solid images and a block font.
#include "test_production.h"

#include "support/gl_test_context.h"

#include <cstdio>

namespace {

using namespace production;

struct Point {
    float x, y, z;
};

enum class Mesh { None, Quad };

// One model of a scene file, a child of the scene root.
struct ModelSpec {
    const char* name;
    Point position;
    Point rotationDegrees;
    Mesh mesh = Mesh::None;
    Point meshCentre = {0, 0, 0}; // in the model's own frame; the quad lies in its local XY plane
    float halfSize = 1.0f;
    float colour[4] = {1, 1, 1, 1};
    bool rollKey = false; // a one-key rotation-y curve of 0.1 rad, so that writes to baseRotation do not show
};

// 0.1 rad in degrees: the camera's own -0.1 yaw then cancels and the view has no roll.
constexpr float kCancelYawDegrees = 5.729578f;
constexpr Point kBehind = {0, 0, 1000};
constexpr Point kNoTurn = {0, 0, 0};
constexpr Point kCameraTurn = {0, kCancelYawDegrees, 0};

class XsiWriter {
  public:
    std::string text = "xsi 0500txt 0032\n\n"
                       "SI_FileInfo {\n\t\"test\",\n\t\"tomblora tests\",\n\t\"\",\n\t\"test scene\",\n}\n\n"
                       "SI_Scene Scene {\n\t\"FRAMES\",\n\t0.000000,\n\t2.000000,\n\t20.000000,\n}\n\n"
                       "SI_Model MDL-MAXSceneRoot {\n"
                       "\tXSI_Transform {\n\t\t0.000000,\n\t\t0.000000,\n\t\t0.000000,\n\t\t0.000000,\n"
                       "\t\t0.000000,\n\t\t0.000000,\n\t\t\"XYZ\",\n\t\t1.000000,\n\t\t1.000000,\n\t\t1.000000,\n\t}\n";

    void model(const ModelSpec& spec) {
        line(1, "SI_Model MDL-" + std::string(spec.name) + " {");
        transform(spec);
        if (spec.rollKey) rollCurve(spec.name);
        if (spec.mesh == Mesh::Quad) quad(spec);
        line(1, "}");
    }

    std::string finish() { return text + "}\n"; }

  private:
    void line(int tabs, const std::string& content) {
        text.append(static_cast<size_t>(tabs), '\t');
        text += content;
        text += '\n';
    }

    static std::string number(float value) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
        return buffer;
    }

    void transform(const ModelSpec& spec) {
        line(2, "XSI_Transform {");
        const float values[6] = {spec.position.x,        spec.position.y,        spec.position.z,
                                 spec.rotationDegrees.x, spec.rotationDegrees.y, spec.rotationDegrees.z};
        for (float value : values) line(3, number(value) + ",");
        line(3, "\"XYZ\",");
        for (int i = 0; i < 3; ++i) line(3, "1.000000,");
        line(2, "}");
    }

    void rollCurve(const char* name) {
        line(2, "SI_FCurve " + std::string(name) + "-rotation-y {");
        line(3, "\"MDL-" + std::string(name) + "\",");
        line(3, "\"rotation-y\",");
        line(3, "\"LINEAR\",");
        line(3, "1,");
        line(3, "1,");
        line(3, "1,");
        line(3, "0.000000," + number(kCancelYawDegrees) + ",");
        line(2, "}");
    }

    // A square seen from both sides: four triangles over four corners.
    void quad(const ModelSpec& spec) {
        const std::string name = spec.name;
        const float h = spec.halfSize;
        const Point& c = spec.meshCentre;
        line(2, "XSI_Mesh MSH-" + name + " {");
        line(3, "XSI_Shape SHP-" + name + "-ORG {");
        line(4, "\"ORDERED\",");
        line(4, "XSI_SubComponentAttributeList position {");
        line(5, "\"POSITION\",");
        line(5, "\"FLOAT3\",");
        line(5, "4,");
        line(5, "\"VALUES\",");
        const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
        for (const auto& corner : corners) {
            line(5, number(c.x + corner[0]) + "," + number(c.y + corner[1]) + "," + number(c.z) + ",");
        }
        line(4, "}");
        line(4, "XSI_SubComponentAttributeList texcoords0 {");
        line(5, "\"TEXCOORD\",");
        line(5, "\"FLOAT2\",");
        line(5, "4,");
        line(5, "\"VALUES\",");
        line(5, "0.000000,0.000000,");
        line(5, "1.000000,0.000000,");
        line(5, "1.000000,1.000000,");
        line(5, "0.000000,1.000000,");
        line(4, "}");
        line(4, "XSI_SubComponentAttributeList vertexcolors {");
        line(5, "\"COLOR\",");
        line(5, "\"FLOAT4\",");
        line(5, "1,");
        line(5, "\"VALUES\",");
        line(5, number(spec.colour[0]) + "," + number(spec.colour[1]) + "," + number(spec.colour[2]) + "," +
                    number(spec.colour[3]) + ",");
        line(4, "}");
        line(3, "}");
        line(3, "XSI_TriangleList TriList {");
        line(4, "3,");
        line(4, "\"texcoords0\",\"vertexcolors\",");
        line(4, "\"" + name + "_material\",");
        line(4, "4,");
        line(4, "\"CORNERS\",");
        const int triangles[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 2, 1}, {0, 3, 2}};
        for (int t = 0; t < 4; ++t) {
            for (int k : triangles[t]) line(4, std::to_string(k) + "," + std::to_string(k) + ",0,");
            line(4, std::to_string(t) + ",");
        }
        line(3, "}");
        line(2, "}");
    }
};

ModelSpec hiddenBox(const char* name) {
    ModelSpec spec{name, kBehind, kNoTurn};
    spec.mesh = Mesh::Quad;
    return spec;
}

ModelSpec camera(const char* name, bool rollKey) {
    ModelSpec spec{name, {0, 0, 0}, rollKey ? kNoTurn : kCameraTurn};
    spec.rollKey = rollKey;
    return spec;
}

ModelSpec flatQuad(const char* name, Point position, float halfSize, float r, float g, float b) {
    ModelSpec spec{name, position, kNoTurn};
    spec.mesh = Mesh::Quad;
    spec.halfSize = halfSize;
    spec.colour[0] = r;
    spec.colour[1] = g;
    spec.colour[2] = b;
    return spec;
}

std::vector<ModelSpec> harvesterModels() {
    ModelSpec grass{"Grass", {0, 0, kGrassDepth}, kNoTurn};
    grass.mesh = Mesh::Quad;
    grass.meshCentre = {0, kGrassRadius, 0};
    grass.halfSize = kGrassHalfSize;
    return {hiddenBox("Terex_MainBody"),   hiddenBox("Terex_FL_Wheel"),   hiddenBox("Terex_RL_Wheel"),
            hiddenBox("Terex_RL_Wheel01"), hiddenBox("Terex_FL_Wheel01"), grass,
            hiddenBox("HarvesterMainBody"), hiddenBox("HarvesterRoller"), hiddenBox("Ground"),
            camera("Camera_harvester", true)};
}

std::vector<ModelSpec> ledgeModels() {
    const float d = kLedgeDepth;
    const float s = kLedgeHalfSize;
    ModelSpec terex = hiddenBox("Terex_MainBody");
    terex.position.z = kLedgeTerexRestZ;
    ModelSpec wheelRL = hiddenBox("Terex_RL_Wheel");
    wheelRL.position.z = kLedgeWheelRestZ;
    ModelSpec wheelFL = hiddenBox("Terex_FL_Wheel");
    wheelFL.position.z = kLedgeWheelRestZ;
    return {flatQuad("Skybox", {0, 0, -900}, 5000, kSkyLevel, kSkyLevel, kSkyLevel),
            terex,
            wheelRL,
            wheelFL,
            flatQuad("Lightbeam01", {-10, -10, d}, s, kBeamRed, 0, kBeamRed),
            flatQuad("Lightbeam02", {0, -10, d}, s, kBeamRed, 0, kBeamRed),
            flatQuad("Ledge", {0, 10, d}, s, 1, 1, 1),
            flatQuad("Sunbeams01", {10, -10, d}, s, kBeamRed, 0, kBeamRed),
            flatQuad("Sunbeams02", {-10, 10, d}, s, kBeamRed, 0, kBeamRed),
            flatQuad("Trees", {-10, 0, d}, s, 1, 0, 1),
            flatQuad("Sun", {10, 0, d}, s, 1, 0, 1),
            camera("Camera_ledge", false)};
}

std::vector<ModelSpec> disksModels() {
    return {flatQuad("Kestrova", {0, kLogoRestY, kLogoRestZ}, 2, 1, 0, 0), camera("Camera_disks", false)};
}

std::vector<ModelSpec> escapeModels() {
    const float level = kEscapeBeamLevel;
    return {hiddenBox("Plane01"),
            hiddenBox("Terex_MainBody"),
            hiddenBox("Terex_FL_Wheel"),
            hiddenBox("Terex_RL_Wheel"),
            hiddenBox("Terex_RL_Wheel01"),
            hiddenBox("Terex_FL_Wheel01"),
            hiddenBox("Osprey_Hull"),
            hiddenBox("Osprey_Hull01"),
            hiddenBox("PropellerLeft"),
            hiddenBox("PropellerRight"),
            hiddenBox("PropellerLeft01"),
            hiddenBox("PropellerRight01"),
            hiddenBox("Kestrovalogo"),
            flatQuad("Sunbeams01", {0, 0, kEscapeSunbeamsDepth}, 3, level, level, level),
            hiddenBox("Sun"),
            camera("Camera_chase_01", false),
            camera("Camera_chase_02", false),
            camera("Camera_chase_03", false),
            camera("Camera_chase_04", false)};
}

std::vector<uint8_t> solidPng(const uint8_t (&colour)[3]) {
    return encodePng(4, 4, 3, solidPixels(4, 4, 3, {colour[0], colour[1], colour[2]}));
}

// Every upper-case letter is an 8 x 8 block of the whole (white, opaque) page.
std::string fontDescriptor() {
    std::string text = "info face=\"test\" size=8\n"
                       "common lineHeight=8 base=8 scaleW=8 scaleH=8 pages=1 packed=0 alphaChnl=0 redChnl=0 "
                       "greenChnl=0 blueChnl=0\n"
                       "page id=0 file=\"testfont.png\"\n"
                       "chars count=26\n";
    for (int c = 'A'; c <= 'Z'; ++c) {
        text += "char id=" + std::to_string(c) +
                " x=0 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=8 page=0 chnl=15\n";
    }
    return text;
}

} // namespace

std::string testSceneText(const std::string& fileName, const TestProductionOptions& options) {
    std::vector<ModelSpec> models;
    if (fileName == "harvester.xsi") models = harvesterModels();
    if (fileName == "ledge.xsi") models = ledgeModels();
    if (fileName == "disks.xsi") models = disksModels();
    if (fileName == "escape.xsi") models = escapeModels();
    XsiWriter writer;
    for (const ModelSpec& model : models) {
        if (fileName == options.omitScene && model.name == options.omitNode) continue;
        writer.model(model);
    }
    return writer.finish();
}

std::vector<ArchiveInput> testProductionEntries(const TestProductionOptions& options) {
    std::vector<ArchiveInput> entries;
    for (const char* scene : {"harvester.xsi", "ledge.xsi", "disks.xsi", "escape.xsi"}) {
        entries.push_back(storedEntry(scene, testSceneText(scene, options)));
    }
    const uint8_t red[3] = {200, 40, 40};
    const uint8_t brown[3] = {90, 60, 30};
    const uint8_t dark[3] = {20, 20, 20};
    const uint8_t olive[3] = {100, 100, 0};
    entries.push_back(storedEntry("default.png", solidPng(kDefault)));
    entries.push_back(storedEntry("bg1.png", solidPng(kBg1)));
    entries.push_back(storedEntry("bg2.png", solidPng(kBg2)));
    entries.push_back(storedEntry("bg3.png", solidPng(kBg3)));
    entries.push_back(storedEntry("sunglow.png", solidPng(kSunglow)));
    entries.push_back(storedEntry("cliffdark.png", solidPng(kCliff)));
    entries.push_back(storedEntry("Terex_MainBody.png", solidPng(red)));
    entries.push_back(storedEntry("harvester.png", solidPng(olive)));
    entries.push_back(storedEntry("Tire.png", solidPng(dark)));
    entries.push_back(storedEntry("osprey.png", solidPng(brown)));
    entries.push_back(storedEntry(
        "grass.png", encodePng(4, 4, 4, solidPixels(4, 4, 4, {kGrass[0], kGrass[1], kGrass[2], 255}))));
    entries.push_back(storedEntry("demo.fnt", fontDescriptor()));
    entries.push_back(storedEntry("testfont.png", encodePng(8, 8, 4, solidPixels(8, 8, 4, {255, 255, 255, 255}))));
    std::vector<uint8_t> soundtrack = options.soundtrack;
    if (soundtrack.empty()) {
        const std::string notOgg = "not an Ogg stream";
        soundtrack.assign(notOgg.begin(), notOgg.end());
    }
    entries.push_back(storedEntry("soundtrack.ogg", soundtrack));
    return entries;
}
