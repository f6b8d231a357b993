// Scene engine: math, the scene data model, the dotXSI loader, node evaluation and drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Texture;

// ---- math (single precision; matrices in the order glLoadMatrixf takes) ----

struct Vec3 {
    float x, y, z;
};

struct Quaternion {
    float x, y, z, w; // w is the scalar part
};

struct Matrix4 {
    float m[16]; // element 4*c + r is row r, column c; translation in 12..14

    // out = this then b (the product b * this in column-vector terms). out must differ from both operands.
    Matrix4& multiply(Matrix4& out, const Matrix4& b) const;
};

Matrix4& makeIdentity(Matrix4& m);
Matrix4& makeTranslation(Matrix4& m, const Vec3& v);
// m := m * T(v): the translation acts first, inside the frame of m.
Matrix4& translate(Matrix4& m, const Vec3& v);
// Gauss-Jordan without row exchange; stops and returns m as it stands at a zero pivot.
Matrix4& invert(Matrix4& m);
// Looks along +z; depth 0 at near, 1 at far. fovY in radians.
Matrix4& makePerspective(Matrix4& m, float width, float height, float fovY, float nearZ, float farZ);
// Rz(az) * Ry(ay) * Rx(ax), radians.
Quaternion& quaternionFromEuler(Quaternion& q, float ax, float ay, float az);
Matrix4& quaternionToMatrix(Matrix4& m, const Quaternion& q);

// ---- data model ----

// The interleaved draw record: position, texture coordinate, colour; 36 bytes.
struct Vertex {
    float x, y, z;
    float u, v;
    float r, g, b, a;
};
static_assert(sizeof(Vertex) == 36, "the vertex arrays use a stride of 36 bytes");

struct TexCoord {
    float u, v;
};
struct Color4 {
    float r, g, b, a;
};

class SceneNode {
  public:
    explicit SceneNode(const char* modelName);

    void finishMesh();
    void dropAnimation();
    // Samples keys (or base values) at timeMs and builds the world matrix (one level of parenting).
    void evaluate(uint32_t timeMs);
    const Vec3& getPosition() const { return position; }
    const Matrix4& getWorldMatrix() const { return worldMatrix; }
    void setColor(float r, float g, float b, float a);
    void drawMesh();

    char name[256] = {};
    std::vector<Vertex> positions; // load-time only
    int32_t positionCount = 0;
    std::vector<int32_t> positionIndices; // load-time only
    std::vector<int32_t> texCoordIndices; // load-time only; empty when the list named no texcoords0
    std::vector<int32_t> colorIndices;    // load-time only; empty when the list named no vertexcolors
    bool hasTexCoordIndices = false;
    bool hasColorIndices = false;
    std::vector<Color4> colors;
    bool hasColors = false;
    std::vector<TexCoord> texCoords; // load-time only
    bool hasTexCoords = false;
    std::vector<Vertex> vertices;  // 3 * triangleCount records
    std::vector<uint16_t> indices; // 3 * triangleCount entries, entry k holds k
    bool finished = false;
    uint32_t triangleCount = 0;
    int32_t totalTriangleCount = 0;
    int32_t colorCount = 0;
    int32_t texCoordCount = 0;
    bool isDummy = true;
    bool isRoot = false;
    bool visible = true;
    bool blended = false;
    bool textured = true;
    Vec3 basePosition = {0, 0, 0};
    Vec3 baseRotation = {0, 0, 0}; // radians
    std::vector<Vec3> positionKeys; // one per frame at 20 frames per second; empty = none
    std::vector<Vec3> rotationKeys; // radians
    Vec3 position = {0, 0, 0};
    Vec3 rotation = {0, 0, 0};
    Vec3 positionOffset = {0, 0, 0};
    SceneNode* parent = nullptr; // not owned
    Matrix4 worldMatrix = {};
    Matrix4 rotationMatrix = {};
    Quaternion orientation = {0, 0, 0, 1};
    Texture* texture = nullptr; // not owned; gDefaultTexture at creation
};

class Scene {
  public:
    Scene();
    ~Scene();
    // Reads the dotXSI entry `fileName` from the archive, appends its models and finishes every node.
    void load(const char* fileName);
    // The same from text in memory; fileName names it in messages.
    void loadFromText(const char* fileName, const char* text, size_t size);
    // The first node named `query` (an "MDL-" prefix is ignored), or null.
    SceneNode* findNode(const char* query) const;
    void evaluateAll(uint32_t timeMs);
    void drawAll();
    void drawNode(SceneNode& node);
    void setViewMatrix(Matrix4 matrix);
    void setProjectionMatrix(Matrix4 matrix);

    std::vector<std::unique_ptr<SceneNode>> nodes;
    Matrix4 viewMatrix = {};
    Matrix4 projectionMatrix = {};
};
