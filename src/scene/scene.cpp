// Scene: node list, lookup by name, per-frame evaluation and the scene's matrices.
#include "scene/scene.h"

#include <cstring>

Scene::Scene() {
    makeIdentity(viewMatrix);
    makeIdentity(projectionMatrix);
}

Scene::~Scene() {
    for (std::unique_ptr<SceneNode>& node : nodes) {
        node.reset();
    }
}

SceneNode* Scene::findNode(const char* query) const {
    const char* key = std::strncmp(query, "MDL-", 4) == 0 ? query + 4 : query;
    for (const std::unique_ptr<SceneNode>& node : nodes) {
        if (std::strcmp(node->name, key) == 0) {
            return node.get();
        }
    }
    return nullptr;
}

void Scene::evaluateAll(uint32_t timeMs) {
    for (const std::unique_ptr<SceneNode>& node : nodes) {
        if (node->visible) {
            node->evaluate(timeMs);
        }
    }
}

void Scene::setViewMatrix(Matrix4 matrix) {
    viewMatrix = matrix;
}

void Scene::setProjectionMatrix(Matrix4 matrix) {
    projectionMatrix = matrix;
}
