// Benchmarks: dotXSI loading throughput on a generated scene, and evaluateAll per node.
#include "common/quiet_stdout.h"
#include "scene/scene.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void appendCurve(std::string& text, const char* parameter, int keys) {
    text += "\t\tSI_FCurve c {\n\t\t\t\"MDL-n\",\n\t\t\t\"";
    text += parameter;
    text += "\",\n\t\t\t\"LINEAR\",\n\t\t\t1,\n\t\t\t1,\n\t\t\t" + std::to_string(keys) + ",\n";
    for (int k = 0; k < keys; ++k) {
        text += "\t\t\t" + std::to_string(k) + ".000000," + std::to_string(k * 0.5) + ",\n";
    }
    text += "\t\t}\n";
}

void appendList(std::string& text, const char* kind, int rows, int columns) {
    text += std::string("\t\t\tXSI_SubComponentAttributeList ") + kind +
            " {\n\t\t\t\t\"V\",\n\t\t\t\t\"F\",\n\t\t\t\t" + std::to_string(rows) +
            ",\n\t\t\t\t\"VALUES\",\n";
    for (int r = 0; r < rows; ++r) {
        text += "\t\t\t\t";
        for (int c = 0; c < columns; ++c) {
            text += std::to_string((r * 7 + c) % 100 * 0.01) + ",";
        }
        text += "\n";
    }
    text += "\t\t\t}\n";
}

// A scene of animated meshes like the production's, grown until it holds about `bytes` characters.
std::string generateScene(size_t bytes) {
    std::string text = "xsi 0500txt 0032\n\nSI_Model MDL-MAXSceneRoot {\n";
    for (int model = 0; text.size() < bytes; ++model) {
        text += "\tSI_Model MDL-Mesh" + std::to_string(model) + " {\n";
        text += "\t\tXSI_Transform "
                "{\n\t\t\t1.0,\n\t\t\t2.0,\n\t\t\t3.0,\n\t\t\t10.0,\n\t\t\t20.0,\n\t\t\t30.0,\n\t\t}\n";
        for (const char* parameter :
             {"position-x", "position-y", "position-z", "rotation-x", "rotation-y", "rotation-z"}) {
            appendCurve(text, parameter, 60);
        }
        const int rows = 120;
        const int triangles = 200;
        text += "\t\tXSI_Mesh MSH {\n";
        appendList(text, "position", rows, 3);
        appendList(text, "texcoords0", rows, 2);
        appendList(text, "vertexcolors", rows, 4);
        text += "\t\t\tXSI_TriangleList TriList "
                "{\n\t\t\t\t3,\n\t\t\t\t\"texcoords0\",\"vertexcolors\",\n\t\t\t\t\"m\",\n\t\t\t\t" +
                std::to_string(triangles) + ",\n\t\t\t\t\"CORNERS\",\n";
        for (int t = 0; t < triangles; ++t) {
            for (int k = 0; k < 3; ++k) {
                const std::string row = std::to_string((t + k * 37) % rows);
                text += "\t\t\t\t" + row + "," + row + "," + row + ",\n";
            }
            text += "\t\t\t\t" + std::to_string(t) + ",\n";
        }
        text += "\t\t\t}\n\t\t}\n\t}\n";
    }
    return text + "}\n";
}

void loadScene(benchmark::State& state) {
    const std::string text = generateScene(5u << 20);
    size_t nodes = 0;
    {
        QuietStdout quiet;
        for (auto _ : state) {
            Scene scene;
            scene.loadFromText("bench.xsi", text.data(), text.size());
            nodes = scene.nodes.size();
            benchmark::DoNotOptimize(scene.nodes.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(loadScene)->Unit(benchmark::kMillisecond);

// Half the nodes animated by key tracks, half by base values; every node but the first has a parent.
void evaluateAll(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Scene scene;
    for (int i = 0; i < count; ++i) {
        auto node = std::make_unique<SceneNode>(("MDL-N" + std::to_string(i)).c_str());
        node->isRoot = i == 0;
        node->parent = i == 0 ? nullptr : scene.nodes[static_cast<size_t>(i - 1)].get();
        node->baseRotation = {0.1f * static_cast<float>(i), 0.2f, 0.3f};
        if (i % 2 == 1) {
            node->positionKeys.assign(2000, Vec3{1, 2, 3});
            node->rotationKeys.assign(2000, Vec3{0.5f, 0.25f, 0.125f});
        }
        scene.nodes.push_back(std::move(node));
    }
    uint32_t timeMs = 0;
    for (auto _ : state) {
        scene.evaluateAll(timeMs);
        timeMs = (timeMs + 17) % 90000;
        benchmark::DoNotOptimize(scene.nodes.back()->worldMatrix);
    }
    state.counters["per_node"] =
        benchmark::Counter(static_cast<double>(count),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(evaluateAll)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
