// dotXSI text output in the layout the scene loader reads: tabs for nesting, one value per line.
#include "kit/xsi_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace kit {
namespace {

constexpr double kDegrees = 180.0 / 3.14159265358979323846;

std::string number(double value) {
    if (std::fabs(value) < 5e-7) value = 0; // no "-0.000000"
    char text[64];
    int length = std::snprintf(text, sizeof text, "%f", value);
    // The same decimal without its trailing zeros ("1.5", "3") reads back as the same float and loads faster.
    while (length > 1 && text[length - 1] == '0') --length;
    if (text[length - 1] == '.') --length;
    return std::string(text, size_t(length));
}

class Lines {
  public:
    void add(int depth, const std::string& line) {
        out.append(size_t(depth), '\t');
        out += line;
        out += '\n';
    }
    std::string out;
};

void writeTransform(Lines& l, int d, const Model& m) {
    l.add(d, "XSI_Transform {");
    for (float v : {m.position.x, m.position.y, m.position.z, m.rotationDegrees.x, m.rotationDegrees.y,
                    m.rotationDegrees.z}) {
        l.add(d + 1, number(v) + ",");
    }
    l.add(d + 1, "\"XYZ\",");
    for (int i = 0; i < 3; ++i) l.add(d + 1, "1.000000,");
    l.add(d, "}");
}

void writeCurve(Lines& l, int d, const std::string& name, const std::string& parameter,
                const std::vector<std::string>& keys, size_t count) {
    l.add(d, "SI_FCurve " + name + "-" + parameter + " {");
    l.add(d + 1, "\"MDL-" + name + "\",");
    l.add(d + 1, "\"" + parameter + "\",");
    l.add(d + 1, "\"LINEAR\",");
    l.add(d + 1, "1,");
    l.add(d + 1, "1,");
    l.add(d + 1, std::to_string(count) + ",");
    for (size_t i = 0; i < count; ++i) l.add(d + 1, std::to_string(i) + "," + keys[i] + ",");
    l.add(d, "}");
}

// The loader holds a track's last key past its end and gives a component without a curve its rest value,
// so the keys that change nothing are left out: a track ends after its last change (all its curves as long
// as the longest, since the first curve read sizes the track), and a curve that never leaves the rest value
// is not written. Particles parked until their moment and rigs that stop early load far less text.
void writeCurves(Lines& l, int d, const Model& m) {
    const float rest[6] = {m.position.x, m.position.y, m.position.z, m.rotationDegrees.x, m.rotationDegrees.y,
                           m.rotationDegrees.z};
    for (const char* track : {"position-", "rotation-"}) {
        struct Written {
            const Curve* curve;
            std::vector<std::string> keys;
        };
        std::vector<Written> curves;
        size_t length = 0;
        for (const Curve& c : m.curves) {
            if (c.parameter.rfind(track, 0) != 0 || c.values.empty()) continue;
            Written w{&c, {}};
            for (double v : c.values) w.keys.push_back(number(v));
            size_t last = w.keys.size() - 1;
            while (last > 0 && w.keys[last - 1] == w.keys.back()) --last;
            const size_t axis = size_t(c.parameter.back() - 'x') + (track[0] == 'r' ? 3 : 0);
            if (last == 0 && axis < 6 && w.keys[0] == number(rest[axis])) continue;
            length = std::max(length, last + 1);
            curves.push_back(std::move(w));
        }
        for (const Written& w : curves) writeCurve(l, d, m.name, w.curve->parameter, w.keys, length);
    }
}

// Rows of one attribute list with repeated rows shared; `index` receives each vertex's row.
template <typename Format>
std::vector<std::string> uniqueRows(size_t count, Format format, std::vector<uint32_t>& index) {
    std::vector<std::string> rows;
    std::map<std::string, uint32_t> seen;
    index.resize(count);
    for (size_t i = 0; i < count; ++i) {
        std::string row = format(i);
        auto found = seen.find(row);
        if (found == seen.end()) {
            found = seen.emplace(row, uint32_t(rows.size())).first;
            rows.push_back(row);
        }
        index[i] = found->second;
    }
    return rows;
}

void writeList(Lines& l, int d, const char* name, const char* kind, const char* type,
               const std::vector<std::string>& rows) {
    l.add(d, std::string("XSI_SubComponentAttributeList ") + name + " {");
    l.add(d + 1, std::string("\"") + kind + "\",");
    l.add(d + 1, std::string("\"") + type + "\",");
    l.add(d + 1, std::to_string(rows.size()) + ",");
    l.add(d + 1, "\"VALUES\",");
    for (const std::string& row : rows) l.add(d + 1, row);
    l.add(d, "}");
}

void writeMesh(Lines& l, int d, const std::string& name, const Mesh& mesh) {
    size_t n = mesh.positions.size();
    std::vector<uint32_t> pi, ti, ci;
    auto positions = uniqueRows(n, [&](size_t i) {
        const Vec3& p = mesh.positions[i];
        return number(p.x) + "," + number(p.y) + "," + number(p.z) + ",";
    }, pi);
    auto uvs = uniqueRows(n, [&](size_t i) {
        const Vec2& t = mesh.uvs[i];
        return number(t.u) + "," + number(t.v) + ",";
    }, ti);
    auto colors = uniqueRows(n, [&](size_t i) {
        const Color& c = mesh.colors[i];
        return number(c.r) + "," + number(c.g) + "," + number(c.b) + "," + number(c.a) + ",";
    }, ci);
    l.add(d, "XSI_Mesh MSH-" + name + " {");
    l.add(d + 1, "XSI_Shape SHP-" + name + "-ORG {");
    l.add(d + 2, "\"ORDERED\",");
    writeList(l, d + 2, "position", "POSITION", "FLOAT3", positions);
    writeList(l, d + 2, "texcoords0", "TEXCOORD", "FLOAT2", uvs);
    writeList(l, d + 2, "vertexcolors", "COLOR", "FLOAT4", colors);
    l.add(d + 1, "}");
    l.add(d + 1, "XSI_TriangleList TriList {");
    l.add(d + 2, "3,");
    l.add(d + 2, "\"texcoords0\",\"vertexcolors\",");
    l.add(d + 2, "\"" + name + "_material\",");
    l.add(d + 2, std::to_string(mesh.triangles.size()) + ",");
    l.add(d + 2, "\"CORNERS\",");
    for (size_t t = 0; t < mesh.triangles.size(); ++t) {
        for (uint32_t v : mesh.triangles[t]) {
            l.add(d + 2, std::to_string(pi[v]) + "," + std::to_string(ti[v]) + "," + std::to_string(ci[v]) + ",");
        }
        l.add(d + 2, std::to_string(t) + ",");
    }
    l.add(d + 1, "}");
    l.add(d, "}");
}

size_t writeModel(Lines& l, int d, const Model& m) {
    l.add(d, "SI_Model MDL-" + m.name + " {");
    writeTransform(l, d + 1, m);
    writeCurves(l, d + 1, m);
    size_t triangles = m.mesh.triangles.size();
    if (triangles > 0) writeMesh(l, d + 1, m.name, m.mesh);
    for (const Model& child : m.children) triangles += writeModel(l, d + 1, child);
    l.add(d, "}");
    return triangles;
}

} // namespace

SceneText writeScene(const std::string& title, const std::vector<Model>& models, int frames) {
    Lines l;
    SceneText result;
    l.add(0, "xsi 0500txt 0032");
    l.add(0, "");
    l.add(0, "SI_FileInfo {");
    l.add(1, "\"" + title + "\",");
    l.add(1, "\"tomblora content\",");
    l.add(1, "\"\",");
    l.add(1, "\"generated\",");
    l.add(0, "}");
    l.add(0, "");
    l.add(0, "SI_Scene Scene {");
    l.add(1, "\"FRAMES\",");
    l.add(1, "0.000000,");
    l.add(1, number(frames) + ",");
    l.add(1, "20.000000,");
    l.add(0, "}");
    l.add(0, "");
    Model root;
    root.name = "MAXSceneRoot";
    l.add(0, "SI_Model MDL-MAXSceneRoot {");
    writeTransform(l, 1, root);
    for (const Model& m : models) result.triangles += writeModel(l, 1, m);
    l.add(0, "}");
    result.text = std::move(l.out);
    return result;
}

std::vector<Curve> positionCurves(const std::vector<Vec3>& path) {
    std::vector<Curve> curves{{"position-x", {}}, {"position-y", {}}, {"position-z", {}}};
    for (const Vec3& p : path) {
        curves[0].values.push_back(p.x);
        curves[1].values.push_back(p.y);
        curves[2].values.push_back(p.z);
    }
    return curves;
}

std::vector<Curve> rotationCurves(const std::vector<Vec3>& angles) {
    std::vector<Curve> curves{{"rotation-x", {}}, {"rotation-y", {}}, {"rotation-z", {}}};
    for (const Vec3& a : angles) {
        curves[0].values.push_back(a.x * kDegrees);
        curves[1].values.push_back(a.y * kDegrees);
        curves[2].values.push_back(a.z * kDegrees);
    }
    return curves;
}

Curve rotationCurve(char axis, const std::vector<double>& radians) {
    Curve c{std::string("rotation-") + axis, {}};
    for (double r : radians) c.values.push_back(r * kDegrees);
    return c;
}

} // namespace kit
