// Fuzz target: arbitrary bytes as a dotXSI scene text, then evaluation of every node it made.
#include "scene/scene.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader reports every fault on standard output; that would slow the run to a crawl.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 0;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scene scene;
    scene.loadFromText("fuzz.xsi", reinterpret_cast<const char*>(data), size);
    for (uint32_t timeMs : {0u, 25u, 70999u}) {
        scene.evaluateAll(timeMs);
    }
    for (const auto& node : scene.nodes) {
        node->setColor(1, 0, 0, 1);
    }
    return 0;
}
