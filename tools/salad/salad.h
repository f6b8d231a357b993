// The salad tool's commands and the file helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitFault = 1; // I/O error, format fault, refused entry
constexpr int kExitUsage = 2;

int runPack(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runExtract(const std::vector<std::string>& args);
int runVerify(const std::vector<std::string>& args);

// Prints "salad: COMMAND: MESSAGE" and a pointer to the command's help; returns kExitUsage.
int usageError(const char* command, const std::string& message);
// Prints "salad: MESSAGE" on standard error; returns kExitFault.
int failure(const std::string& message);

// Reads a regular file whole; false with "PATH: reason" when it cannot, or when it exceeds limit bytes.
bool readWholeFile(const std::string& path, int64_t limit, std::vector<uint8_t>& bytes, std::string& error);
// Writes through a temporary file beside path and renames it, so a failure leaves no half-written file.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
// Creates path inside the open directory dirFd, never following a symbolic link at that name.
bool writeFileInDirectory(int dirFd, const std::string& dirPath, const std::string& name,
                          const std::vector<uint8_t>& bytes, std::string& error);
