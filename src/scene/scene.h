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
// Looks along +z; depth 0 at near, 1 at far. fovY in radians; width and height in pixels (only the ratio
// counts). near == far or fovY a multiple of 2*pi divides by zero.
Matrix4& makePerspective(Matrix4& m, float width, float height, float fovY, float nearZ, float farZ);
// Rz(az) * Ry(ay) * Rx(ax), radians: turns about X first, then the fixed Y, then the fixed Z.
Quaternion& quaternionFromEuler(Quaternion& q, float ax, float ay, float az);
// Divides by the squared length, so q need not be unit length (but must not be zero).
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

// 16-bit indices address at most 65535 corners; larger meshes are reported and left undrawn.
constexpr uint32_t kMaxMeshTriangles = 21845;
// Animation keys sit at this many frames per second.
constexpr double kKeyFramesPerSecond = 20.0;

class SceneNode {
  public:
    // modelName is the file's model name; `name` keeps it from its fifth character on ("MDL-" dropped),
    // or is empty when the model name is shorter than four characters.
    explicit SceneNode(const char* modelName);

    // Builds the draw buffers from the load-time lists and releases them. Index values outside their
    // lists and meshes over kMaxMeshTriangles are reported on standard output naming sceneFile (may be
    // null); a bad index takes the default of its kind: position (0, 0, 0), texcoord (1, 0), white.
    void finishMesh(const char* sceneFile = nullptr);
    void dropAnimation();
    // Samples keys (or base values) at timeMs and builds the world matrix (one level of parenting).
    // Past the last key the last key holds. Allocates nothing.
    void evaluate(uint32_t timeMs);
    const Vec3& getPosition() const { return position; }
    const Matrix4& getWorldMatrix() const { return worldMatrix; }
    // Overrides the colour of every draw record; nothing happens on a node without draw buffers.
    void setColor(float r, float g, float b, float a);
    // Issues the mesh with the current GL matrices and texture; a dummy only reports itself on stderr.
    void drawMesh();

    char name[256] = {};
    std::vector<Vertex> positions; // load-time only; x, y, z filled
    int32_t positionCount = 0;
    std::vector<int32_t> positionIndices; // load-time only, 3 per triangle
    std::vector<int32_t> texCoordIndices; // load-time only; exists when the list named texcoords0
    std::vector<int32_t> colorIndices;    // load-time only; exists when the list named vertexcolors
    bool hasTexCoordIndices = false;
    bool hasColorIndices = false;
    std::vector<Color4> colors;
    bool hasColors = false;
    std::vector<TexCoord> texCoords; // load-time only, v as written in the file
    bool hasTexCoords = false;
    std::vector<Vertex> vertices;  // 3 * triangleCount records
    std::vector<uint16_t> indices; // 3 * triangleCount entries, entry k holds k
    bool finished = false;
    uint32_t triangleCount = 0;     // of the last triangle list read
    int32_t totalTriangleCount = 0; // of every triangle list read; 0 makes a dummy
    int32_t colorCount = 0;
    int32_t texCoordCount = 0;
    bool isDummy = true;
    bool isRoot = false;
    bool visible = true;
    bool blended = false;
    bool textured = true;
    Vec3 basePosition = {0, 0, 0};
    Vec3 baseRotation = {0, 0, 0};  // radians
    std::vector<Vec3> positionKeys; // one per frame at 20 frames per second; empty = none
    std::vector<Vec3> rotationKeys; // radians; empty = none
    Vec3 position = {0, 0, 0};
    Vec3 rotation = {0, 0, 0}; // radians
    Vec3 positionOffset = {0, 0, 0};
    SceneNode* parent = nullptr; // not owned; same scene
    Matrix4 worldMatrix = {};
    Matrix4 rotationMatrix = {};
    Quaternion orientation = {0, 0, 0, 1};
    Texture* texture = nullptr; // not owned; gDefaultTexture at creation; may be null (binds texture 0)
};

class Scene {
  public:
    // An empty scene; both matrices start as the identity.
    Scene();
    ~Scene();
    // Reads the dotXSI entry `fileName` from the archive, appends its models and finishes every node.
    void load(const char* fileName);
    // The same from text in memory (no terminator needed); fileName names it in messages. Touches no GL.
    void loadFromText(const char* fileName, const char* text, size_t size);
    // The first node named `query` (an "MDL-" prefix is ignored), or null.
    SceneNode* findNode(const char* query) const;
    // Evaluates every visible node in load order (parents before their children).
    void evaluateAll(uint32_t timeMs);
    // Draws every visible non-dummy node in load order.
    void drawAll();
    // Loads the projection and view * world, binds the node's texture, draws; leaves GL_TEXTURE_2D off,
    // the client arrays off and the model-view matrix current.
    void drawNode(SceneNode& node);
    void setViewMatrix(Matrix4 matrix);
    void setProjectionMatrix(Matrix4 matrix);

    std::vector<std::unique_ptr<SceneNode>> nodes;
    Matrix4 viewMatrix = {};
    Matrix4 projectionMatrix = {};
};
