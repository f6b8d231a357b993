// The real archive: every entry the program opens is there and decodes, images have the sizes OpenGL 1.1
// takes, the font names its page, the scenes load cleanly, and the whole stays under 10 MB.
#include "archive/archive.h"
#include "render_support.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

namespace {

const std::map<std::string, std::vector<uint8_t>>& entries() {
    static const std::map<std::string, std::vector<uint8_t>> byName = [] {
        std::vector<uint8_t> bytes = readFileBytes(TOMBLORA_ARCHIVE_PATH);
        std::vector<ArchiveFault> faults;
        std::map<std::string, std::vector<uint8_t>> out;
        for (DecodedEntry& e : readArchiveBytes(bytes.data(), bytes.size(), faults))
            out[e.name] = std::move(e.data);
        for (const ArchiveFault& f : faults)
            ADD_FAILURE() << describeArchiveFault(TOMBLORA_ARCHIVE_PATH, f);
        return out;
    }();
    return byName;
}

const std::vector<std::string> kImages{
    "default.png",        "bg1.png",       "bg2.png",  "bg3.png",    "sunglow.png", "cliffdark.png",
    "Terex_MainBody.png", "harvester.png", "Tire.png", "osprey.png", "grass.png"};
const std::vector<std::string> kScenes{"harvester.xsi", "ledge.xsi", "disks.xsi", "escape.xsi"};

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

TEST(ContentArchive, HoldsEveryEntryTheProgramOpensAndStaysSmall) {
    std::vector<uint8_t> bytes = readFileBytes(TOMBLORA_ARCHIVE_PATH);
    ASSERT_FALSE(bytes.empty()) << TOMBLORA_ARCHIVE_PATH;
    EXPECT_LT(bytes.size(), 10u * 1000 * 1000);
    std::vector<std::string> names = kImages;
    names.insert(names.end(), kScenes.begin(), kScenes.end());
    names.insert(names.end(), {"demo.fnt", "soundtrack.ogg"});
    for (const std::string& name : names) {
        auto found = entries().find(name);
        ASSERT_NE(found, entries().end()) << name;
        EXPECT_FALSE(found->second.empty()) << name;
    }
    const std::vector<uint8_t>& ogg = entries().at("soundtrack.ogg");
    EXPECT_EQ(std::string(ogg.begin(), ogg.begin() + 4), "OggS");
}

TEST(ContentArchive, ImagesDecodeAtPowerOfTwoSizes) {
    for (const std::string& name : kImages) {
        Rgba8Image image = decodePng(entries().at(name));
        ASSERT_FALSE(image.rgba.empty()) << name;
        EXPECT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height))
            << name << " is " << image.width << " x " << image.height;
    }
    // The grass is blended from its alpha: it must have both see-through and solid texels.
    Rgba8Image grass = decodePng(entries().at("grass.png"));
    EXPECT_EQ(grass.storedChannels, 4);
    size_t clear = 0, solid = 0;
    for (size_t i = 3; i < grass.rgba.size(); i += 4)
        clear += grass.rgba[i] == 0, solid += grass.rgba[i] == 255;
    EXPECT_GT(clear, grass.rgba.size() / 16);
    EXPECT_GT(solid, grass.rgba.size() / 64);
}

TEST(ContentArchive, FontNamesItsPageImage) {
    const std::vector<uint8_t>& fnt = entries().at("demo.fnt");
    std::string text(fnt.begin(), fnt.end());
    std::smatch page;
    ASSERT_TRUE(std::regex_search(text, page, std::regex("\\npage id=0 file=\"([^\"]+)\"")));
    ASSERT_EQ(entries().count(page[1].str()), 1u) << page[1].str();
    Rgba8Image image = decodePng(entries().at(page[1].str()));
    EXPECT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height));
}

TEST(ContentArchive, ScenesLoadWithoutComplaint) {
    for (const std::string& name : kScenes) {
        const std::vector<uint8_t>& text = entries().at(name);
        Scene scene;
        testing::internal::CaptureStdout();
        scene.loadFromText(name.c_str(), reinterpret_cast<const char*>(text.data()), text.size());
        std::istringstream output(testing::internal::GetCapturedStdout());
        for (std::string line; std::getline(output, line);) {
            bool normalsOnly = line.rfind("WARNING: ", 0) == 0 && line.size() > 15 &&
                               line.compare(line.size() - 15, 15, " has no normals") == 0;
            EXPECT_TRUE(normalsOnly) << name << ": " << line;
        }
        EXPECT_GT(scene.nodes.size(), 2u) << name;
    }
}

} // namespace
