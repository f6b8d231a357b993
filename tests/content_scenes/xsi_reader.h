// A small reader of the generated dotXSI text for the tests: models, rest transforms, curves and meshes.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ReadNode {
    std::string name; // without "MDL-"
    int depth = 0;    // tabs before its SI_Model line
    std::string parent;
    double position[3] = {0, 0, 0};
    double rotation[3] = {0, 0, 0}; // degrees
    std::map<std::string, std::vector<double>> curves; // parameter word -> key values
    int positionRows = -1, texCoordRows = -1, colorRows = -1;
    int triangles = 0;
    bool namesTexCoords = false, namesColors = false;
    bool indicesInRange = true;
    std::vector<double> vertexZ; // position rows' z
    bool hasKeys(const char* kind) const;
};

struct ReadScene {
    std::vector<ReadNode> nodes;
    std::vector<std::string> problems; // layout faults found while reading
    const ReadNode* find(const std::string& name) const;
    int totalTriangles() const;
};

ReadScene readScene(const std::string& text);
