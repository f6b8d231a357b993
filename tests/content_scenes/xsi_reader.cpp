// Test-side dotXSI reader: follows the file's own layout strictly and records every deviation.
#include "xsi_reader.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

struct Lines {
    std::vector<std::string> all;
    size_t next = 0;
    bool more() const { return next < all.size(); }
    const std::string& take() { return all[next++]; }
};

int tabs(const std::string& line) {
    int n = 0;
    while (size_t(n) < line.size() && line[size_t(n)] == '\t') ++n;
    return n;
}

std::string body(const std::string& line) { return line.substr(size_t(tabs(line))); }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

void readList(Lines& in, ReadNode& node, int& rows, int columns, std::vector<std::string>& problems) {
    in.take();
    in.take();
    rows = std::atoi(body(in.take()).c_str());
    in.take();
    for (int r = 0; r < rows && in.more(); ++r) {
        std::string row = body(in.take());
        int commas = 0;
        for (char c : row) commas += c == ',';
        if (commas != columns) problems.push_back(node.name + ": bad row '" + row + "'");
        if (columns == 3) {
            double x, y, z;
            if (std::sscanf(row.c_str(), "%lf,%lf,%lf,", &x, &y, &z) == 3) node.vertexZ.push_back(z);
        }
    }
}

void readTriangles(Lines& in, ReadNode& node, int headerDepth, std::vector<std::string>& problems) {
    in.take();
    std::string attributes = in.take();
    if (tabs(attributes) != headerDepth + 1) problems.push_back(node.name + ": attribute line indentation");
    node.namesTexCoords = body(attributes) == "\"texcoords0\",\"vertexcolors\",";
    node.namesColors = node.namesTexCoords;
    in.take();
    int count = std::atoi(body(in.take()).c_str());
    node.triangles = count;
    in.take();
    for (int t = 0; t < count && in.more(); ++t) {
        for (int k = 0; k < 3; ++k) {
            int p = -1, u = -1, c = -1;
            if (std::sscanf(body(in.take()).c_str(), "%d,%d,%d,", &p, &u, &c) != 3) {
                problems.push_back(node.name + ": bad corner line");
            }
            if (p < 0 || p >= node.positionRows || u < 0 || u >= node.texCoordRows || c < 0 || c >= node.colorRows) {
                node.indicesInRange = false;
            }
        }
        in.take();
    }
}

} // namespace

bool ReadNode::hasKeys(const char* kind) const {
    for (const auto& [word, keys] : curves) {
        if (word.find(kind) != std::string::npos) return true;
    }
    return false;
}

const ReadNode* ReadScene::find(const std::string& name) const {
    for (const ReadNode& n : nodes) {
        if (n.name == name) return &n;
    }
    return nullptr;
}

int ReadScene::totalTriangles() const {
    int sum = 0;
    for (const ReadNode& n : nodes) sum += n.triangles;
    return sum;
}

ReadScene readScene(const std::string& text) {
    ReadScene scene;
    Lines in;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) in.all.push_back(line);
    std::vector<std::string> byDepth(8);
    ReadNode* current = nullptr;
    while (in.more()) {
        const std::string& line = in.take();
        std::string b = body(line);
        int depth = tabs(line);
        if (startsWith(b, "SI_Model MDL-")) {
            ReadNode node;
            node.name = b.substr(13, b.find(' ', 13) - 13);
            node.depth = depth;
            if (depth >= 1 && depth < 8) node.parent = byDepth[size_t(depth - 1)];
            if (depth < 8) byDepth[size_t(depth)] = node.name;
            scene.nodes.push_back(node);
            current = &scene.nodes.back();
        } else if (!current) {
            continue;
        } else if (startsWith(b, "XSI_Transform")) {
            for (int i = 0; i < 6; ++i) {
                double v = std::atof(body(in.take()).c_str());
                (i < 3 ? current->position[i] : current->rotation[i - 3]) = v;
            }
        } else if (startsWith(b, "SI_FCurve")) {
            in.take();
            std::string word = body(in.take());
            word = word.substr(1, word.size() - 3);
            in.take();
            in.take();
            in.take();
            int count = std::atoi(body(in.take()).c_str());
            std::vector<double>& keys = current->curves[word];
            for (int i = 0; i < count && in.more(); ++i) {
                double frame = 0, value = 0;
                if (std::sscanf(body(in.take()).c_str(), "%lf,%lf,", &frame, &value) != 2 || int(frame) != i) {
                    scene.problems.push_back(current->name + ": bad key row in " + word);
                }
                keys.push_back(value);
            }
        } else if (startsWith(b, "XSI_SubComponentAttributeList position")) {
            readList(in, *current, current->positionRows, 3, scene.problems);
        } else if (startsWith(b, "XSI_SubComponentAttributeList texcoords0")) {
            readList(in, *current, current->texCoordRows, 2, scene.problems);
        } else if (startsWith(b, "XSI_SubComponentAttributeList vertexcolors")) {
            readList(in, *current, current->colorRows, 4, scene.problems);
        } else if (startsWith(b, "XSI_TriangleList TriList")) {
            readTriangles(in, *current, depth, scene.problems);
        }
    }
    return scene;
}
