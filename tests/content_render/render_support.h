// Helpers of the archive and render tests: files, running the tools, decoding PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> readFileBytes(const std::string& path);
// Runs a shell command with its output sent to `logPath`; the exit status, or -1.
int runTool(const std::string& command, const std::string& logPath);
std::string readTextFile(const std::string& path);
// A fresh, empty folder under the tests' work folder.
std::string freshWorkDir(const std::string& name);

struct Rgba8Image {
    int width = 0, height = 0, storedChannels = 0;
    std::vector<uint8_t> rgba; // 4 bytes per pixel; empty when decoding failed
};
Rgba8Image decodePng(const std::vector<uint8_t>& data);
