// The production's content generator: every entry of tomblora.salad, made from source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ContentFile {
    std::string name; // archive entry name
    std::vector<uint8_t> data;
    bool compress = true; // false for data LZMA cannot shrink (PNG, Ogg)
};

// "default.png", "bg1.png", "bg2.png", "bg3.png", "sunglow.png", "cliffdark.png", "Terex_MainBody.png",
// "harvester.png", "Tire.png", "osprey.png", "grass.png".
std::vector<ContentFile> buildImages();
// "demo.fnt" and the page image it names.
std::vector<ContentFile> buildFont();
// "soundtrack.ogg".
ContentFile buildSoundtrack();
// "harvester.xsi", "ledge.xsi", "disks.xsi", "escape.xsi".
std::vector<ContentFile> buildScenes();
