// Start-up timing on the real archive: the content start-up (first archive request to the end of the scene
// set-up, with the soundtrack opened) beside the work nobody can skip on the same archive in the same run
// (liblzma on every LZMA blob, stb on every PNG, the same texture uploads, opening the Ogg), its breakdown,
// scene loading beside liblzma on the scene entries, and the whole start-up of a fresh process.
#include "common/quiet_stdout.h"
#include "production_bench.h"

#include "app/app.h"
#include "archive/archive.h"
#include "demo/demo.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

#include <GL/gl.h>
#include <fcntl.h>
#include <lzma.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRepetitions = 7;
constexpr int kProcessRuns = 5;
const char* const kSceneNames[] = {"harvester.xsi", "ledge.xsi", "disks.xsi", "escape.xsi"};

// ---- the floor ----

struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t position;
};

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    size_t bytes = std::min(size * count, file->size - file->position);
    std::memcpy(out, file->data + file->position, bytes);
    file->position += bytes;
    return size == 0 ? 0 : bytes / size;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(source);
    int64_t base = whence == SEEK_SET   ? 0
                   : whence == SEEK_CUR ? int64_t(file->position)
                                        : int64_t(file->size);
    int64_t target = base + offset;
    if (target < 0 || target > int64_t(file->size)) {
        return -1;
    }
    file->position = size_t(target);
    return 0;
}

long tellMemory(void* source) {
    return long(static_cast<MemoryFile*>(source)->position);
}

// Opens a vorbisfile decoder on the bytes in place, as the sound layer does, and closes it again.
void openOgg(const uint8_t* data, size_t size) {
    MemoryFile file = {data, size, 0};
    ov_callbacks callbacks = {readMemory, seekMemory, nullptr, tellMemory};
    OggVorbis_File vorbis;
    if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) == 0) {
        ov_clear(&vorbis);
    }
}

struct Floor {
    std::vector<uint8_t> file;
    std::vector<ArchiveRecord> table;
    std::vector<std::vector<uint8_t>> outputs; // room for every LZMA entry, made before timing

    bool prepare() {
        file = readArchiveFile();
        ArchiveHeader header;
        std::vector<ArchiveFault> faults;
        if (!parseArchiveLayout(file.data(), file.size(), header, table, faults) || !faults.empty()) {
            std::fprintf(stderr, "bench_startup: %s is not a sound archive\n", archivePath().c_str());
            return false;
        }
        for (const ArchiveRecord& record : table) {
            outputs.emplace_back(size_t(record.size));
        }
        return true;
    }

    bool isLzma(const ArchiveRecord& record) const { return record.method == 1; }

    void decodeLzma(size_t i) {
        const ArchiveRecord& record = table[i];
        lzma_stream stream = LZMA_STREAM_INIT;
        if (lzma_alone_decoder(&stream, UINT64_MAX) != LZMA_OK) {
            std::abort();
        }
        stream.next_in = file.data() + record.blobOffset;
        stream.avail_in = size_t(record.storedSize);
        stream.next_out = outputs[i].data();
        stream.avail_out = outputs[i].size();
        while (stream.avail_out > 0 && lzma_code(&stream, LZMA_FINISH) == LZMA_OK) {
        }
        lzma_end(&stream);
    }

    // The entry's bytes: in the file when stored, else the decoded copy.
    const uint8_t* bytesOf(size_t i) const {
        return isLzma(table[i]) ? outputs[i].data() : file.data() + table[i].blobOffset;
    }

    static bool endsWith(const std::string& text, const char* tail) {
        size_t length = std::strlen(tail);
        return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
    }

    // The font page and the grass are the two RGBA textures of the production.
    static int32_t componentsOf(const std::string& name) {
        return name == "grass.png" || name == "demofont.png" ? 4 : 3;
    }

    void decodeAndUpload(size_t i) {
        const ArchiveRecord& record = table[i];
        const int32_t components = componentsOf(record.name);
        DecodedImage image;
        if (!decodePng(bytesOf(i), size_t(record.size), components, image)) {
            return;
        }
        const GLenum format = components == 4 ? GL_RGBA : GL_RGB;
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                     image.pixels);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        freeDecodedImage(image);
        glDeleteTextures(1, &id);
    }

    // Seconds for the whole floor.
    double run() {
        const double start = nowSeconds();
        for (size_t i = 0; i < table.size(); ++i) {
            if (isLzma(table[i])) {
                decodeLzma(i);
            }
        }
        for (size_t i = 0; i < table.size(); ++i) {
            if (endsWith(table[i].name, ".png")) {
                decodeAndUpload(i);
            } else if (endsWith(table[i].name, ".ogg")) {
                openOgg(bytesOf(i), size_t(table[i].size));
            }
        }
        glFinish();
        return nowSeconds() - start;
    }

    // Seconds for liblzma on the scene entries alone.
    double runSceneLzma() {
        const double start = nowSeconds();
        for (size_t i = 0; i < table.size(); ++i) {
            if (isLzma(table[i]) && endsWith(table[i].name, ".xsi")) {
                decodeLzma(i);
            }
        }
        return nowSeconds() - start;
    }
};

// ---- the program's own start-up ----

// showLoadingScreen and setupScenes as start-up runs them, then the soundtrack opened; seconds.
double runContentStartUp() {
    const double start = nowSeconds();
    {
        QuietStdout quiet;
        showLoadingScreen();
        setupScenes(&gScreen);
        ResourceEntry* soundtrack = ResourceArchive::instance()->find("soundtrack.ogg");
        openOgg(soundtrack->data, size_t(soundtrack->size));
        glFinish();
    }
    return nowSeconds() - start;
}

struct Breakdown {
    std::vector<double> archive, scenes, textures;
};

// The pieces of the content start-up timed one by one; the archive is open afterwards.
void measurePieces(Breakdown& pieces) {
    QuietStdout quiet;
    ResourceArchive::destroyInstance();
    double start = nowSeconds();
    ResourceArchive::instance();
    pieces.archive.push_back(nowSeconds() - start);

    start = nowSeconds();
    for (const char* name : kSceneNames) {
        Scene scene;
        scene.load(name);
    }
    pieces.scenes.push_back(nowSeconds() - start);

    static const char* const kTextures[][2] = {
        {"default.png", "0"},   {"demofont.png", "1"}, {"bg2.png", "0"},     {"Terex_MainBody.png", "0"},
        {"harvester.png", "0"}, {"Tire.png", "0"},     {"osprey.png", "0"},  {"bg1.png", "0"},
        {"bg3.png", "0"},       {"grass.png", "1"},    {"sunglow.png", "0"}, {"cliffdark.png", "0"}};
    start = nowSeconds();
    for (const auto& texture : kTextures) {
        delete Texture::loadFromArchive(texture[0], std::atoi(texture[1]));
    }
    glFinish();
    pieces.textures.push_back(nowSeconds() - start);
}

bool openWindowAndContext() {
    if (!platformInitVideo()) {
        return false;
    }
    PlatformWindow* window = createWindow("bench", 0, 0, 320, 240);
    if (window == nullptr || !GlContext::instance()->create(window)) {
        return false;
    }
    gDisplayWidth = 320;
    gDisplayHeight = 240;
    glViewport(0, 0, 320, 240);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gScreen = {320, 240};
    return true;
}

// ---- a fresh process up to its first frame ----

int firstFrameChild(int64_t parentStart) {
    consoleSetFrameLinesEnabled(false);
    int code;
    {
        QuietStdout quiet;
        code = startUp(StartupOptions{});
        if (code == 0) {
            startMusicAndClock();
            runFrame(0, &gScreen);
            glFinish();
        }
    }
    if (code != 0) {
        return code;
    }
    std::printf("%lld\n", (long long)(monotonicNanoseconds() - parentStart));
    std::fflush(stdout);
    shutDown();
    return 0;
}

// Seconds from spawning a fresh process to the end of its first timeline frame.
double timeFreshProcess(const char* self) {
    const std::string stamp = std::to_string(monotonicNanoseconds());
    bool ok = false;
    const std::string text = runSelf(self, "--first-frame", stamp.c_str(), ok);
    return ok ? double(std::atoll(text.c_str())) / 1e9 : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    useHeadlessDrivers();
    chooseArchive();
    if (argc == 3 && std::strcmp(argv[1], "--first-frame") == 0) {
        return firstFrameChild(std::atoll(argv[2]));
    }

    std::vector<double> processes;
    for (int i = 0; i < kProcessRuns; ++i) {
        double seconds = timeFreshProcess("/proc/self/exe");
        if (seconds < 0) {
            std::fprintf(stderr, "bench_startup: the first-frame child failed\n");
            return 1;
        }
        processes.push_back(seconds);
    }

    Floor floor;
    if (!floor.prepare() || !openWindowAndContext()) {
        return 1;
    }
    std::vector<double> content, floors, sceneLzma;
    Breakdown pieces;
    for (int i = 0; i < kRepetitions; ++i) {
        content.push_back(runContentStartUp());
        releaseResources();
        floors.push_back(floor.run());
        sceneLzma.push_back(floor.runSceneLzma());
        measurePieces(pieces);
        ResourceArchive::destroyInstance();
    }

    const double contentMs = 1000 * median(content);
    const double floorMs = 1000 * median(floors);
    const double archiveMs = 1000 * median(pieces.archive);
    const double scenesMs = 1000 * median(pieces.scenes);
    const double texturesMs = 1000 * median(pieces.textures);
    const double sceneLzmaMs = 1000 * median(sceneLzma);
    result("content_startup_ms", contentMs);
    result("content_startup_first_ms", 1000 * content.front());
    result("startup_floor_ms", floorMs);
    result("content_vs_floor", contentMs / floorMs);
    result("breakdown_archive_ms", archiveMs);
    result("breakdown_scenes_ms", scenesMs);
    result("breakdown_textures_ms", texturesMs);
    result("breakdown_rest_ms", contentMs - archiveMs - scenesMs - texturesMs);
    result("scene_loading_ms", scenesMs);
    result("scene_lzma_ms", sceneLzmaMs);
    result("scenes_vs_lzma", scenesMs / sceneLzmaMs);
    result("whole_startup_ms", 1000 * median(processes));
    result("whole_vs_content", 1000 * median(processes) / contentMs);
    return 0;
}
