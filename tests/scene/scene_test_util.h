// Helpers shared by the scene tests: loading text with captured output, and dotXSI snippets.
#pragma once

#include "scene/scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct LoadedScene {
    std::unique_ptr<Scene> scene;
    std::string output; // everything the loader wrote on standard output
};

// Loads `text` from an exact-size heap copy (no terminator), so a read past the end shows under ASan.
inline LoadedScene loadText(const std::string& text, const char* fileName = "t.xsi") {
    LoadedScene loaded{std::make_unique<Scene>(), {}};
    const std::vector<char> bytes(text.begin(), text.end());
    testing::internal::CaptureStdout();
    loaded.scene->loadFromText(fileName, bytes.data(), bytes.size());
    loaded.output = testing::internal::GetCapturedStdout();
    return loaded;
}

inline std::string tabs(int count) {
    return std::string(static_cast<size_t>(count), '\t');
}

inline std::string modelLine(int depth, const std::string& name) {
    return tabs(depth) + "SI_Model " + name + " {\n";
}

// An SI_FCurve whose parameter line holds `parameter`, with one "time,value," row per value.
inline std::string curve(int depth, const std::string& parameter, const std::vector<float>& values,
                         const std::string& countText = "") {
    std::string t = tabs(depth) + "SI_FCurve c {\n" + tabs(depth + 1) + "\"MDL-x\",\n" + tabs(depth + 1) +
                    "\"" + parameter + "\",\n" + tabs(depth + 1) + "\"LINEAR\",\n" + tabs(depth + 1) +
                    "1,\n" + tabs(depth + 1) + "1,\n" + tabs(depth + 1) +
                    (countText.empty() ? std::to_string(values.size()) : countText) + ",\n";
    for (size_t i = 0; i < values.size(); ++i) {
        t += tabs(depth + 1) + std::to_string(i) + ".000000," + std::to_string(values[i]) + ",\n";
    }
    return t + tabs(depth) + "}\n";
}

// An attribute list ("position", "texcoords0", "vertexcolors") with the given count line and rows.
inline std::string attributeList(const std::string& kind, const std::string& countText,
                                 const std::vector<std::string>& rows) {
    std::string t = "\t\tXSI_SubComponentAttributeList " + kind + " {\n\t\t\t\"X\",\n\t\t\t\"F\",\n\t\t\t" +
                    countText + ",\n\t\t\t\"VALUES\",\n";
    for (const std::string& row : rows) {
        t += "\t\t\t" + row + "\n";
    }
    return t + "\t\t}\n";
}

// A triangle list at one tab: attribute line, count line, then corner lines (three per triangle).
inline std::string triangleList(const std::string& attributes, const std::string& countText,
                                const std::vector<std::string>& corners) {
    std::string t = "\tXSI_TriangleList TriList {\n\t\t3,\n\t\t" + attributes + "\n\t\t\"m\",\n\t\t" +
                    countText + ",\n\t\t\"CORNERS\",\n";
    for (size_t i = 0; i < corners.size(); ++i) {
        t += "\t\t" + corners[i] + "\n";
        if (i % 3 == 2) {
            t += "\t\t" + std::to_string(i / 3) + ",\n";
        }
    }
    return t + "\t}\n";
}
