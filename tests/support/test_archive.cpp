// Archives written to a temporary folder for the tests that read entries.
#include "support/gl_test_context.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

const char kArchiveName[] = "test.salad";

std::string makeTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/tomblora-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        return {};
    }
    return buffer.data();
}

} // namespace

TestArchive::TestArchive(const std::vector<ArchiveInput>& entries) {
    std::memcpy(savedBaseDir, archiveBaseDir, sizeof savedBaseDir);
    std::memcpy(savedFileName, archiveFileName, sizeof savedFileName);
    ResourceArchive::destroyInstance();
    directory = makeTempFolder();
    if (directory.empty() || directory.size() + 2 > sizeof archiveBaseDir) {
        failure = "no temporary folder";
        return;
    }
    std::vector<uint8_t> bytes;
    if (!writeArchiveBytes(entries, bytes, failure)) {
        return;
    }
    std::string path = directory + "/" + kArchiveName;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        failure = "cannot write " + path;
        return;
    }
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        failure = "cannot write " + path;
        return;
    }
    std::snprintf(archiveBaseDir, sizeof archiveBaseDir, "%s/", directory.c_str());
    std::snprintf(archiveFileName, sizeof archiveFileName, "%s", kArchiveName);
    written = true;
}

TestArchive::~TestArchive() {
    ResourceArchive::destroyInstance();
    std::memcpy(archiveBaseDir, savedBaseDir, sizeof savedBaseDir);
    std::memcpy(archiveFileName, savedFileName, sizeof savedFileName);
    if (!directory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
}

ArchiveInput storedEntry(const std::string& name, const std::vector<uint8_t>& data) {
    ArchiveInput input;
    input.name = name;
    input.data = data;
    input.method = ArchiveMethod::Stored;
    return input;
}

ArchiveInput storedEntry(const std::string& name, const std::string& text) {
    return storedEntry(name, std::vector<uint8_t>(text.begin(), text.end()));
}
