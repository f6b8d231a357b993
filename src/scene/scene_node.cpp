// SceneNode: creation, building the draw buffers, animation tracks and per-frame evaluation.
#include "scene/scene.h"

#include "gfx/gfx.h"

#include <cstdio>
#include <cstring>

namespace {

// Beyond this many reports of bad indices per node only a count is printed, so that a hostile mesh cannot
// flood the console with tens of thousands of lines.
constexpr int32_t kMaxIndexReports = 8;

template <typename T> void release(std::vector<T>& list) {
    std::vector<T>().swap(list);
}

// Checks the index of one corner against the list it points into and reports a bad one.
class IndexChecker {
  public:
    IndexChecker(const char* sceneFile, const char* nodeName)
        : sceneFile(sceneFile ? sceneFile : "scene"), nodeName(nodeName) {}
    ~IndexChecker() {
        if (reports > kMaxIndexReports) {
            std::printf("ERROR: %s: %s: %i more triangle corners use rows outside their lists\n", sceneFile,
                        nodeName, reports - kMaxIndexReports);
        }
    }
    IndexChecker(const IndexChecker&) = delete;
    IndexChecker& operator=(const IndexChecker&) = delete;

    bool fits(size_t corner, const char* kind, int32_t row, size_t rows) {
        if (row >= 0 && static_cast<size_t>(row) < rows) {
            return true;
        }
        if (++reports <= kMaxIndexReports) {
            std::printf("ERROR: %s: %s: triangle corner %zu uses %s row %i of %zu\n", sceneFile, nodeName,
                        corner, kind, row, rows);
        }
        return false;
    }

  private:
    const char* sceneFile;
    const char* nodeName;
    int32_t reports = 0;
};

// Samples a key track at frame i + frac; past the end the last key holds.
Vec3 sampleTrack(const std::vector<Vec3>& keys, uint32_t i, float frac) {
    const size_t count = keys.size();
    if (static_cast<size_t>(i) + 1 < count) {
        const float w = 1.0f - frac;
        const Vec3& a = keys[i];
        const Vec3& b = keys[i + 1];
        return {w * a.x + frac * b.x, w * a.y + frac * b.y, w * a.z + frac * b.z};
    }
    return keys[count - 1];
}

Matrix4& rotationFromEuler(Matrix4& m, Quaternion& q, const Vec3& angles) {
    quaternionFromEuler(q, angles.x, angles.y, angles.z);
    return quaternionToMatrix(m, q);
}

} // namespace

SceneNode::SceneNode(const char* modelName) {
    if (std::strlen(modelName) > 4) {
        std::snprintf(name, sizeof(name), "%s", modelName + 4);
    }
    texture = gDefaultTexture;
    makeIdentity(worldMatrix);
    makeIdentity(rotationMatrix);
}

void SceneNode::finishMesh(const char* sceneFile) {
    if (totalTriangleCount == 0) {
        isDummy = true;
    } else if (finished) {
        return;
    } else if (triangleCount > kMaxMeshTriangles) {
        std::printf("ERROR: %s: %s: %u triangles, more than %u; the mesh is not drawn\n",
                    sceneFile ? sceneFile : "scene", name, triangleCount, kMaxMeshTriangles);
        finished = true;
        isDummy = true;
    } else {
        finished = true;
        isDummy = false;
        const size_t corners = 3 * static_cast<size_t>(triangleCount);
        vertices.assign(corners, Vertex{});
        indices.assign(corners, 0);
        const bool useTexCoords = hasTexCoords && hasTexCoordIndices;
        const bool useColors = hasColors && hasColorIndices;
        IndexChecker checker(sceneFile, name);
        for (size_t k = 0; k < corners; ++k) {
            Vertex& out = vertices[k];
            // A list shorter than 3 * triangleCount comes from a later triangle list with no such column.
            const int32_t p = k < positionIndices.size() ? positionIndices[k] : 0;
            if (checker.fits(k, "position", p, positions.size())) {
                out.x = positions[p].x;
                out.y = positions[p].y;
                out.z = positions[p].z;
            }
            out.u = 1.0f;
            out.v = 0.0f;
            if (useTexCoords) {
                const int32_t t = k < texCoordIndices.size() ? texCoordIndices[k] : 0;
                if (checker.fits(k, "texcoord", t, texCoords.size())) {
                    out.u = texCoords[t].u;
                    out.v = 1.0f - texCoords[t].v;
                }
            }
            out.r = out.g = out.b = out.a = 1.0f;
            if (useColors) {
                const int32_t c = k < colorIndices.size() ? colorIndices[k] : 0;
                if (checker.fits(k, "color", c, colors.size())) {
                    out.r = colors[c].r;
                    out.g = colors[c].g;
                    out.b = colors[c].b;
                    out.a = colors[c].a;
                }
            }
            indices[k] = static_cast<uint16_t>(k);
        }
        std::printf("WARNING: %s has no normals\n", name);
        if (!hasTexCoords) {
            std::printf("WARNING: %s has no texture coordinates\n", name);
        }
    }
    release(positions);
    release(texCoords);
    release(positionIndices);
    release(texCoordIndices);
    release(colorIndices);
    hasTexCoords = false;
    hasTexCoordIndices = false;
    hasColorIndices = false;
}

void SceneNode::dropAnimation() {
    release(positionKeys);
    release(rotationKeys);
}

void SceneNode::setColor(float r, float g, float b, float a) {
    for (Vertex& vertex : vertices) {
        vertex.r = r;
        vertex.g = g;
        vertex.b = b;
        vertex.a = a;
    }
}

void SceneNode::evaluate(uint32_t timeMs) {
    position = basePosition;
    rotation = baseRotation;
    const float frame = static_cast<float>(static_cast<double>(timeMs) / 1000.0 * kKeyFramesPerSecond);
    const uint32_t i = static_cast<uint32_t>(frame);
    const float frac = frame - static_cast<float>(i);

    if (!positionKeys.empty()) {
        position = sampleTrack(positionKeys, i, frac);
    }
    position.x += positionOffset.x;
    position.y += positionOffset.y;
    position.z += positionOffset.z;
    if (!rotationKeys.empty()) {
        rotation = sampleTrack(rotationKeys, i, frac);
    }
    rotationFromEuler(rotationMatrix, orientation, rotation);

    Matrix4 product;
    if (parent == nullptr || parent->isRoot) {
        makeIdentity(worldMatrix);
        translate(worldMatrix, position);
        rotationMatrix.multiply(product, worldMatrix);
        worldMatrix = product;
        return;
    }
    Quaternion parentOrientation;
    Matrix4 parentRotation;
    Matrix4 parentTranslation;
    Matrix4 ownTranslation;
    Matrix4 partial;
    rotationFromEuler(parentRotation, parentOrientation, parent->rotation);
    makeTranslation(parentTranslation, parent->position);
    makeTranslation(ownTranslation, position);
    rotationMatrix.multiply(product, ownTranslation);
    product.multiply(partial, parentRotation);
    partial.multiply(worldMatrix, parentTranslation);
}
