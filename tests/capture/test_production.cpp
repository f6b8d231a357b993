// The capture tests' production, written as an exporter would write it, only much smaller.
#include "test_production.h"

#include <cstdio>
#include <sstream>

const uint8_t kTitleBackground[3] = {40, 90, 160};
const uint8_t kGroupBackground[3] = {150, 40, 120};
const uint8_t kChaseBackground[3] = {60, 140, 60};
const uint8_t kSunglow[3] = {16, 32, 48};

namespace {

// Every camera sits here and looks toward the origin (along -Y, 20 degrees up), where the models are.
const float kCameraPosition[3] = {0.0f, 60.0f, -22.0f};
const float kCameraRotationDegrees[3] = {429.718340f, 5.729578f, 180.0f};

struct Model {
    const char* name;
    bool camera;
};

void transform(std::ostringstream& out, const std::string& tabs, const float position[3],
               const float rotation[3]) {
    out << tabs << "XSI_Transform {\n";
    char line[64];
    for (int i = 0; i < 3; ++i) {
        std::snprintf(line, sizeof line, "%f,\n", position[i]);
        out << tabs << "\t" << line;
    }
    for (int i = 0; i < 3; ++i) {
        std::snprintf(line, sizeof line, "%f,\n", rotation[i]);
        out << tabs << "\t" << line;
    }
    out << tabs << "\t\"XYZ\",\n"
        << tabs << "\t1.000000,\n"
        << tabs << "\t1.000000,\n"
        << tabs << "\t1.000000,\n";
    out << tabs << "}\n";
}

// A tetrahedron of edge 12 around the origin, faces counter-clockwise from outside. Written with two spaces
// per nesting level (tabs in the file) and @ for the model name. Corner lines hold position, texture
// coordinate and colour rows; a fourth line closes each triangle.
const char kTetrahedron[] = R"(XSI_Mesh MSH-@ {
  XSI_Shape SHP-@-ORG {
    "ORDERED",
    XSI_SubComponentAttributeList position {
      "POSITION",
      "FLOAT3",
      4,
      "VALUES",
      -6.000000,-6.000000,-6.000000,
      6.000000,-6.000000,-6.000000,
      -6.000000,6.000000,-6.000000,
      -6.000000,-6.000000,6.000000,
    }
    XSI_SubComponentAttributeList texcoords0 {
      "TEXCOORD",
      "FLOAT2",
      3,
      "VALUES",
      0.000000,0.000000,
      1.000000,0.000000,
      0.000000,1.000000,
    }
    XSI_SubComponentAttributeList vertexcolors {
      "COLOR",
      "FLOAT4",
      4,
      "VALUES",
      0.900000,0.300000,0.200000,1.000000,
      0.300000,0.900000,0.200000,1.000000,
      0.200000,0.300000,0.900000,1.000000,
      0.900000,0.900000,0.900000,1.000000,
    }
  }
  XSI_TriangleList TriList {
    3,
    "texcoords0","vertexcolors",
    "@_material",
    4,
    "CORNERS",
    0,0,0, 2,1,2, 1,2,1, 0,
    0,0,0, 1,1,1, 3,2,3, 1,
    0,0,0, 3,1,3, 2,2,2, 2,
    1,0,1, 2,1,2, 3,2,3, 3,
  }
}
)";

void tetrahedron(std::ostringstream& out, const std::string& name) {
    std::istringstream text(kTetrahedron);
    std::string line;
    while (std::getline(text, line)) {
        size_t spaces = line.find_first_not_of(' ');
        std::string tabs(2 + spaces / 2, '\t');
        std::string body = line.substr(spaces);
        for (size_t at = body.find('@'); at != std::string::npos; at = body.find('@')) {
            body.replace(at, 1, name);
        }
        if (body.find(", ") == std::string::npos) {
            out << tabs << body << "\n";
            continue;
        }
        // A triangle row: one line per corner.
        std::istringstream corners(body);
        std::string corner;
        while (corners >> corner) {
            out << tabs << corner << "\n";
        }
    }
}

std::string scene(const std::string& title, const std::vector<Model>& models) {
    std::ostringstream out;
    out << "xsi 0500txt 0032\n\nSI_FileInfo {\n\t\"" << title
        << "\",\n\t\"tomblora capture tests\",\n\t\"\",\n\t\"\",\n}\n\n";
    out << "SI_Scene Scene {\n\t\"FRAMES\",\n\t0.000000,\n\t1.000000,\n\t20.000000,\n}\n\n";
    const float zero[3] = {0, 0, 0};
    out << "SI_Model MDL-MAXSceneRoot {\n";
    transform(out, "\t", zero, zero);
    for (const Model& model : models) {
        out << "\tSI_Model MDL-" << model.name << " {\n";
        if (model.camera) {
            transform(out, "\t\t", kCameraPosition, kCameraRotationDegrees);
        } else {
            transform(out, "\t\t", zero, zero);
            tetrahedron(out, model.name);
        }
        out << "\t}\n";
    }
    out << "}\n";
    return out.str();
}

std::vector<uint8_t> solidPng(int32_t size, const std::vector<uint8_t>& colour) {
    int32_t components = int32_t(colour.size());
    return encodePng(size, size, components, solidPixels(size, size, components, colour));
}

// Glyphs 32 to 126 as solid white 6 x 8 blocks on a 16-column grid of 8 x 8 cells.
std::string fontDescriptor() {
    std::ostringstream out;
    out << "info face=\"Blocks\" size=8 bold=0 italic=0 charset=\"\" unicode=0 stretchH=100 smooth=0 aa=1 "
           "padding=0,0,0,0 spacing=1,1\n";
    out << "common lineHeight=10 base=8 scaleW=128 scaleH=64 pages=1 packed=0 alphaChnl=0 redChnl=0 "
           "greenChnl=0 blueChnl=0\n";
    out << "page id=0 file=\"blocks.png\"\n";
    out << "chars count=95\n";
    for (int code = 32; code <= 126; ++code) {
        int cell = code - 32;
        int size = code == 32 ? 0 : 1;
        out << "char id=" << code << " x=" << (cell % 16) * 8 << " y=" << (cell / 16) * 8
            << " width=" << 6 * size << " height=" << 8 * size
            << " xoffset=0 yoffset=0 xadvance=7 page=0 chnl=15\n";
    }
    return out.str();
}

std::vector<uint8_t> fontPage() {
    std::vector<uint8_t> pixels(128 * 64 * 4, 0);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            if (x % 8 < 6) {
                uint8_t* texel = &pixels[size_t(y * 128 + x) * 4];
                texel[0] = texel[1] = texel[2] = texel[3] = 255;
            }
        }
    }
    return encodePng(128, 64, 4, pixels);
}

std::vector<uint8_t> rgb(const uint8_t colour[3]) {
    return {colour[0], colour[1], colour[2]};
}

} // namespace

std::vector<ArchiveInput> testProductionEntries(const std::vector<uint8_t>& soundtrack) {
    std::vector<ArchiveInput> entries = {
        storedEntry("default.png", solidPng(4, {255, 255, 255})),
        storedEntry("demo.fnt", fontDescriptor()),
        storedEntry("blocks.png", fontPage()),
        storedEntry("bg1.png", solidPng(64, rgb(kGroupBackground))),
        storedEntry("bg2.png", solidPng(64, rgb(kTitleBackground))),
        storedEntry("bg3.png", solidPng(64, rgb(kChaseBackground))),
        storedEntry("sunglow.png", solidPng(8, rgb(kSunglow))),
        storedEntry("cliffdark.png", solidPng(8, {70, 60, 55})),
        storedEntry("Terex_MainBody.png", solidPng(8, {230, 190, 30})),
        storedEntry("harvester.png", solidPng(8, {200, 40, 30})),
        storedEntry("Tire.png", solidPng(8, {30, 30, 30})),
        storedEntry("osprey.png", solidPng(8, {90, 100, 80})),
        storedEntry("grass.png", solidPng(8, {120, 200, 60, 128})),
        storedEntry("soundtrack.ogg", soundtrack),
        storedEntry("harvester.xsi", scene("harvester", {{"Ground", false},
                                                         {"HarvesterMainBody", false},
                                                         {"HarvesterRoller", false},
                                                         {"Terex_MainBody", false},
                                                         {"Terex_FL_Wheel", false},
                                                         {"Terex_RL_Wheel", false},
                                                         {"Terex_RL_Wheel01", false},
                                                         {"Terex_FL_Wheel01", false},
                                                         {"Grass", false},
                                                         {"Camera_harvester", true}})),
        storedEntry("ledge.xsi", scene("ledge", {{"Skybox", false},
                                                 {"Ledge", false},
                                                 {"Terex_MainBody", false},
                                                 {"Terex_RL_Wheel", false},
                                                 {"Terex_FL_Wheel", false},
                                                 {"Lightbeam01", false},
                                                 {"Lightbeam02", false},
                                                 {"Sunbeams01", false},
                                                 {"Sunbeams02", false},
                                                 {"Trees", false},
                                                 {"Sun", false},
                                                 {"Camera_ledge", true}})),
        storedEntry("disks.xsi", scene("disks", {{"Kestrova", false}, {"Camera_disks", true}})),
        storedEntry("escape.xsi", scene("escape", {{"Plane01", false},
                                                   {"Terex_MainBody", false},
                                                   {"Terex_FL_Wheel", false},
                                                   {"Terex_RL_Wheel", false},
                                                   {"Terex_RL_Wheel01", false},
                                                   {"Terex_FL_Wheel01", false},
                                                   {"Osprey_Hull", false},
                                                   {"Osprey_Hull01", false},
                                                   {"PropellerLeft", false},
                                                   {"PropellerRight", false},
                                                   {"PropellerLeft01", false},
                                                   {"PropellerRight01", false},
                                                   {"Kestrovalogo", false},
                                                   {"Sunbeams01", false},
                                                   {"Sun", false},
                                                   {"Camera_chase_01", true},
                                                   {"Camera_chase_02", true},
                                                   {"Camera_chase_03", true},
                                                   {"Camera_chase_04", true}})),
    };
    return entries;
}

bool writeTestProduction(const std::string& path, const std::vector<uint8_t>& soundtrack,
                         std::string& error) {
    std::vector<uint8_t> bytes;
    if (!writeArchiveBytes(testProductionEntries(soundtrack), bytes, error)) {
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path;
        return false;
    }
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        error = "cannot write " + path;
    }
    return complete;
}
