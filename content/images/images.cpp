// The archive's pictures: every image entry, built and encoded as PNG.
#include "builders.h"
#include "content.h"
#include "png.h"

namespace {

struct ImageEntry {
    const char* name;
    Image (*build)();
    int channels; // 3 for RGB, 4 where alpha is used
};

const ImageEntry kImageEntries[] = {
    {"default.png", makeDefaultWhite, 3},
    {"bg1.png", makeTitleBackdrop, 3},
    {"bg2.png", makeFieldSky, 3},
    {"bg3.png", makeChaseSky, 3},
    {"sunglow.png", makeSunGlow, 3},
    {"cliffdark.png", makeCliffRock, 3},
    {"Terex_MainBody.png", makeTerexBody, 3},
    {"harvester.png", makeHarvesterLivery, 3},
    {"Tire.png", makeTireAtlas, 3},
    {"osprey.png", makeOspreySkin, 3},
    {"grass.png", makeGrassStrip, 4},
};

} // namespace

std::vector<ContentFile> buildImages() {
    std::vector<ContentFile> files;
    for (const ImageEntry& entry : kImageEntries)
        files.push_back({entry.name, encodePng(entry.build(), entry.channels), false});
    return files;
}
