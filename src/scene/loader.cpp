// The dotXSI loader: a line scanner for the seven templates the scenes use.
#include "scene/scene.h"

#include "archive/archive.h"
#include "scene/field_scan.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr size_t kLineChars = 128;
constexpr int32_t kNestingDepths = 5;
constexpr int32_t kMaxAttributes = 5;
constexpr size_t kAttributeNameChars = 31;
// No scene comes near this; it keeps a hostile count from allocating gigabytes.
constexpr int32_t kMaxRows = 1000000;
// The float nearest to pi/180, applied in double precision.
constexpr double kDegreesToRadians = static_cast<double>(0.017453292f);
// Every corner line holds four numbers: the position row and three attribute rows.
constexpr int32_t kCornerNumbers = 4;

const char* const kRootName = "MDL-MAXSceneRoot";

float toRadians(float degrees) {
    return static_cast<float>(static_cast<double>(degrees) * kDegreesToRadians);
}

bool startsWith(const char* text, const char* keyword) {
    return std::strncmp(text, keyword, std::strlen(keyword)) == 0;
}

enum class ListKind { Positions, TexCoords, Colors };

class XsiLoader {
  public:
    XsiLoader(Scene& scene, const char* fileName, const char* text, size_t size)
        : scene(scene), fileName(fileName), text(text), size(text ? size : 0) {}

    void run();

  private:
    bool readLine();
    bool skipLines(int32_t count);
    void report(const char* format, ...) __attribute__((format(TOMBLORA_PRINTF, 2, 3)));
    void reportEnd(const char* what) { report("the text ends inside the %s", what); }
    bool needNode(const char* what);
    int32_t readCount(const char* format, const char* what);

    void readModel(int32_t depth);
    void readTransform();
    void readCurve();
    void readList(ListKind kind);
    void readTriangles(int32_t depth);
    void readAttributeNames(int32_t depth, int32_t columns[3]);

    Scene& scene;
    const char* fileName;
    const char* text;
    size_t size;
    size_t position = 0;
    size_t lineFeeds = 0;
    size_t lineNumber = 0; // of the piece in `line`, counted in text lines from 1
    char line[kLineChars + 1] = {};
    SceneNode* node = nullptr;
    SceneNode* nesting[kNestingDepths] = {};
};

// A piece of at most 128 characters up to the next line feed, which is consumed but not stored. A line
// that fills the 128 characters leaves its line feed for the next piece. False once the text is used up.
bool XsiLoader::readLine() {
    line[0] = '\0';
    if (position >= size) {
        return false;
    }
    lineNumber = lineFeeds + 1;
    const size_t room = std::min(size - position, kLineChars);
    const char* start = text + position;
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', room));
    const size_t length = feed != nullptr ? static_cast<size_t>(feed - start) : room;
    std::memcpy(line, start, length);
    line[length] = '\0';
    position += length;
    if (feed != nullptr) {
        ++position;
        ++lineFeeds;
    }
    return true;
}

bool XsiLoader::skipLines(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (!readLine()) {
            return false;
        }
    }
    return true;
}

void XsiLoader::report(const char* format, ...) {
    std::printf("%s(%zu): ", fileName, lineNumber);
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::printf("\n");
}

bool XsiLoader::needNode(const char* what) {
    if (node == nullptr) {
        report("%s before the first SI_Model; passed over", what);
    }
    return node != nullptr;
}

// A count of rows or keys. One that does not scan or is negative counts 0; one above kMaxRows, or above
// the lines the rest of the text can hold (every line takes at least one byte), is cut down to fit.
int32_t XsiLoader::readCount(const char* format, const char* what) {
    if (!readLine()) {
        report("the text ends before the %s count", what);
        return 0;
    }
    int32_t count = 0;
    if (std::sscanf(line, format, &count) != 1) {
        report("the %s count \"%s\" does not scan; taken as 0", what, line);
        return 0;
    }
    if (count < 0) {
        report("the %s count %d is negative; taken as 0", what, count);
        return 0;
    }
    if (count > kMaxRows) {
        report("the %s count %d is more than %d; cut to %d", what, count, kMaxRows, kMaxRows);
        count = kMaxRows;
    }
    const size_t linesLeft = size - position;
    if (static_cast<size_t>(count) > linesLeft) {
        report("the %s count %d is more than the text can hold; cut to %zu", what, count, linesLeft);
        count = static_cast<int32_t>(linesLeft);
    }
    return count;
}

void XsiLoader::run() {
    while (position < size) {
        readLine();
        int32_t depth = 0;
        while (line[depth] == '\t') {
            ++depth;
        }
        const char* rest = line + depth;
        if (startsWith(rest, "SI_Model")) {
            readModel(depth);
        } else if (startsWith(rest, "XSI_Transform")) {
            if (needNode("XSI_Transform")) {
                readTransform();
            }
        } else if (startsWith(rest, "SI_FCurve")) {
            if (needNode("SI_FCurve")) {
                readCurve();
            }
        } else if (startsWith(rest, "XSI_SubComponentAttributeList position")) {
            if (needNode("position list")) {
                readList(ListKind::Positions);
            }
        } else if (startsWith(rest, "XSI_TriangleList TriList")) {
            if (needNode("triangle list")) {
                readTriangles(depth);
            }
        } else if (startsWith(rest, "XSI_SubComponentAttributeList texcoords0")) {
            if (needNode("texture coordinate list")) {
                readList(ListKind::TexCoords);
            }
        } else if (startsWith(rest, "XSI_SubComponentAttributeList vertexcolors")) {
            if (needNode("vertex color list")) {
                readList(ListKind::Colors);
            }
        }
    }
}

void XsiLoader::readModel(int32_t depth) {
    char modelName[kLineChars + 1] = {};
    std::sscanf(line, "%*s %128s %*s", modelName);

    // Any leading part of the root's name counts as the root.
    const bool isRootName = std::strncmp(modelName, kRootName, std::strlen(modelName)) == 0;
    SceneNode* found = scene.findNode(modelName);
    if (isRootName && found != nullptr) {
        node = found;
    } else {
        if (found != nullptr) {
            std::printf("WARNING: scene already has %s\n", modelName);
        }
        scene.nodes.push_back(std::make_unique<SceneNode>(modelName));
        node = scene.nodes.back().get();
    }

    if (depth >= kNestingDepths) {
        report("model %s is indented by %d tabs, more than %d; taken as %d", modelName, depth,
               kNestingDepths - 1, kNestingDepths - 1);
        depth = kNestingDepths - 1;
    }
    nesting[depth] = node;
    if (depth >= 1) {
        node->parent = nesting[depth - 1];
    } else {
        node->isRoot = true;
    }
}

void XsiLoader::readTransform() {
    float* fields[6] = {&node->basePosition.x, &node->basePosition.y, &node->basePosition.z,
                        &node->baseRotation.x, &node->baseRotation.y, &node->baseRotation.z};
    for (float* field : fields) {
        if (!readLine()) {
            reportEnd("XSI_Transform");
            break;
        }
        float value[4] = {};
        if (scanFloatFields(line, 1, value) == 1) {
            *field = value[0];
        }
    }
    node->baseRotation.x = toRadians(node->baseRotation.x);
    node->baseRotation.y = toRadians(node->baseRotation.y);
    node->baseRotation.z = toRadians(node->baseRotation.z);
}

void XsiLoader::readCurve() {
    char parameter[kLineChars + 1] = {};
    if (!readLine() || !readLine()) {
        reportEnd("SI_FCurve");
        return;
    }
    std::sscanf(line, "%128s", parameter);
    if (!skipLines(3)) {
        reportEnd("SI_FCurve");
        return;
    }
    const int32_t keyCount = readCount("%d,", "key");

    std::vector<Vec3>* track = nullptr;
    bool angles = false;
    if (std::strstr(parameter, "pos") != nullptr) {
        track = &node->positionKeys;
        if (track->empty()) {
            track->assign(static_cast<size_t>(keyCount), node->basePosition);
        }
    }
    if (std::strstr(parameter, "rot") != nullptr) {
        track = &node->rotationKeys;
        angles = true;
        if (track->empty()) {
            track->assign(static_cast<size_t>(keyCount), node->baseRotation);
        }
    }
    if (track == nullptr) {
        return;
    }

    float Vec3::*component = nullptr;
    if (std::strchr(parameter, 'x') != nullptr) {
        component = &Vec3::x;
    } else if (std::strchr(parameter, 'y') != nullptr) {
        component = &Vec3::y;
    } else if (std::strchr(parameter, 'z') != nullptr) {
        component = &Vec3::z;
    }
    if (static_cast<size_t>(keyCount) > track->size()) {
        report("curve %s has %d keys but its track only %zu; the later keys are dropped", parameter, keyCount,
               track->size());
    }
    for (int32_t i = 0; i < keyCount; ++i) {
        if (!readLine()) {
            reportEnd("SI_FCurve");
            return;
        }
        float value = 0.0f;
        // A key row that does not scan leaves its entry as it was.
        if (scanKeyValue(line, &value) != 1 || component == nullptr ||
            static_cast<size_t>(i) >= track->size()) {
            continue;
        }
        (*track)[static_cast<size_t>(i)].*component = angles ? toRadians(value) : value;
    }
}

void XsiLoader::readList(ListKind kind) {
    static const char* const kListNames[] = {"position list", "texture coordinate list", "vertex color list"};
    const char* listName = kListNames[static_cast<int>(kind)];
    if (!skipLines(2)) {
        reportEnd(listName);
        return;
    }
    const int32_t count = readCount("%i,", "row");
    const size_t rows = static_cast<size_t>(count);
    switch (kind) {
    case ListKind::Positions:
        node->positionCount = count;
        node->positions.assign(rows, Vertex{});
        break;
    case ListKind::TexCoords:
        node->texCoordCount = count;
        node->texCoords.assign(rows, TexCoord{});
        node->hasTexCoords = true;
        break;
    case ListKind::Colors:
        node->colorCount = count;
        node->colors.assign(rows, Color4{});
        node->hasColors = true;
        break;
    }
    if (!skipLines(1)) {
        if (count > 0) {
            reportEnd(listName);
        }
        return;
    }
    for (int32_t r = 0; r < count; ++r) {
        if (!readLine()) {
            reportEnd(listName);
            return;
        }
        const size_t row = static_cast<size_t>(r);
        float v[4];
        switch (kind) {
        case ListKind::Positions:
            if (scanFloatFields(line, 3, v) == 3) {
                node->positions[row].x = v[0];
                node->positions[row].y = v[1];
                node->positions[row].z = v[2];
            } else {
                std::printf("ERROR after processing %i rows of verts\n", r);
            }
            break;
        case ListKind::TexCoords:
            if (scanFloatFields(line, 2, v) == 2) {
                node->texCoords[row] = {v[0], v[1]};
            } else {
                std::printf("ERROR after processing %i rows of texcoords\n", r);
            }
            break;
        case ListKind::Colors:
            if (scanFloatFields(line, 4, v) == 4) {
                node->colors[row] = {v[0], v[1], v[2], v[3]};
            } else {
                std::printf("ERROR after processing %i rows of vertex colors\n", r);
            }
            break;
        }
    }
}

// Cuts the quoted, comma-terminated names out of the attribute line and notes which place names the
// texture coordinates, normals and vertex colors (columns[0..2]; -1 when not named).
void XsiLoader::readAttributeNames(int32_t depth, int32_t columns[3]) {
    static const char* const kColumnNames[3] = {"texcoords0", "MAXNormal", "vertexcolors"};
    const size_t length = std::strlen(line);
    size_t start = static_cast<size_t>(depth) + 2;
    int32_t place = 0;
    for (size_t p = 0; p < length; ++p) {
        if (line[p] != ',') {
            continue;
        }
        const size_t end = p >= 1 ? p - 1 : 0;
        const size_t nameLength = end > start ? end - start : 0;
        const size_t nameStart = start;
        start = p + 2;
        ++place;
        if (place > kMaxAttributes) {
            report("attribute name %d of the triangle list is more than %d; passed over", place,
                   kMaxAttributes);
            continue;
        }
        if (nameLength > kAttributeNameChars) {
            report("attribute name %d of the triangle list has %zu characters, more than %zu; passed over",
                   place, nameLength, kAttributeNameChars);
            continue;
        }
        char name[kAttributeNameChars + 1] = {};
        std::memcpy(name, line + nameStart, nameLength);
        for (int32_t c = 0; c < 3; ++c) {
            if (std::strcmp(name, kColumnNames[c]) != 0) {
                continue;
            }
            if (place >= kCornerNumbers) {
                report("attribute %s at place %d is past the %d numbers of a corner line; passed over", name,
                       place, kCornerNumbers);
            } else {
                columns[c] = place;
            }
        }
    }
}

void XsiLoader::readTriangles(int32_t depth) {
    int32_t columns[3] = {-1, -1, -1};
    if (!skipLines(1) || !readLine()) {
        reportEnd("triangle list");
        return;
    }
    readAttributeNames(depth, columns);
    if (!skipLines(1)) {
        reportEnd("triangle list");
        return;
    }
    const int32_t count = readCount("%i,", "triangle");
    node->triangleCount = static_cast<uint32_t>(count);
    const int64_t total = static_cast<int64_t>(node->totalTriangleCount) + count;
    node->totalTriangleCount =
        static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
    if (count == 0) {
        return;
    }

    const size_t corners = 3 * static_cast<size_t>(count);
    const int32_t texColumn = columns[0];
    const int32_t colorColumn = columns[2];
    node->positionIndices.assign(corners, 0);
    node->hasTexCoordIndices = texColumn > 0;
    node->texCoordIndices.assign(texColumn > 0 ? corners : 0, 0);
    node->hasColorIndices = colorColumn > 0;
    node->colorIndices.assign(colorColumn > 0 ? corners : 0, 0);
    if (!skipLines(1)) {
        reportEnd("triangle list");
        return;
    }
    for (size_t corner = 0; corner < corners; ++corner) {
        if (!readLine()) {
            reportEnd("triangle list");
            return;
        }
        int32_t numbers[kCornerNumbers] = {};
        const int read = scanIntFields(line, kCornerNumbers, numbers);
        // Numbers a short line lacks leave their entries at 0; the normal column is read but not kept.
        if (read >= 1) {
            node->positionIndices[corner] = numbers[0];
        }
        if (texColumn > 0 && read > texColumn) {
            node->texCoordIndices[corner] = numbers[texColumn];
        }
        if (colorColumn > 0 && read > colorColumn) {
            node->colorIndices[corner] = numbers[colorColumn];
        }
        if (corner % 3 == 2 && !skipLines(1)) {
            if (corner + 1 < corners) {
                reportEnd("triangle list");
            }
            return;
        }
    }
}

} // namespace

void Scene::loadFromText(const char* fileName, const char* text, size_t size) {
    XsiLoader loader(*this, fileName, text, size);
    loader.run();
    for (std::unique_ptr<SceneNode>& node : nodes) {
        node->finishMesh(fileName);
    }
}

void Scene::load(const char* fileName) {
    const ResourceEntry* entry = ResourceArchive::instance()->find(fileName);
    const size_t size = entry->size > 0 ? static_cast<size_t>(entry->size) : 0;
    loadFromText(fileName, reinterpret_cast<const char*>(entry->data), size);
}
