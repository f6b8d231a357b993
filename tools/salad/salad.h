// The salad tool's commands and the file helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitFault = 1; // I/O error, format fault, refused entry
constexpr int kExitUsage = 2;

// A command's arguments: options taken out, the rest in order. "--" ends the options; "-" alone is
// positional.
struct SaladArguments {
    std::vector<std::string> positional;
    bool store = false;         // --store, for commands that take it
    std::string directory = "."; // -C DIR, for commands that take it
    bool help = false;
    std::string error; // the first usage fault; parsing stops there
};
SaladArguments parseSaladArguments(const std::vector<std::string>& args, bool takesStore, bool takesDirectory);

// Why an entry name must not become a file name in the output folder ("" when it may): empty, "." or
// "..", a '/', or a control byte.
std::string unsafeEntryNameReason(const std::string& name);

int runPack(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runExtract(const std::vector<std::string>& args);
int runVerify(const std::vector<std::string>& args);

// Prints "salad: COMMAND: MESSAGE" and a pointer to the command's help; returns kExitUsage.
int usageError(const char* command, const std::string& message);
// Prints "salad: MESSAGE" on standard error; returns kExitFault.
int failure(const std::string& message);

// Reads a regular file whole, to its end whatever size it reports; false with "PATH: reason" when it cannot,
// when it is not a regular file (refused before reading) or when it exceeds limit bytes.
bool readWholeFile(const std::string& path, int64_t limit, std::vector<uint8_t>& bytes, std::string& error);
