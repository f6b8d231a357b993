// Fuzz target: salad's argument parsing and its check of entry names before they become file names.
#include "archive/archive.h"
#include "salad.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Arguments are the input split at NUL bytes, as the kernel hands them over.
std::vector<std::string> splitArguments(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(char(data[i]));
        }
    }
    return args;
}

void checkParse(const std::vector<std::string>& args, bool takesStore, bool takesDirectory) {
    SaladArguments parsed = parseSaladArguments(args, takesStore, takesDirectory);
    if (parsed.positional.size() > args.size() || (parsed.store && !takesStore) ||
        (parsed.directory != "." && !takesDirectory)) {
        std::abort();
    }
    if (!parsed.error.empty()) {
        return;
    }
    // Every positional argument is one of the arguments, in order.
    size_t next = 0;
    for (const std::string& positional : parsed.positional) {
        while (next < args.size() && args[next] != positional) {
            ++next;
        }
        if (next == args.size()) {
            std::abort();
        }
        ++next;
    }
}

// A name the check lets through, joined to an output folder, must name a file directly inside it.
void checkName(const std::string& name) {
    std::string printable = printableEntryName(name);
    for (char c : printable) {
        if (uint8_t(c) < 0x20 || uint8_t(c) >= 0x7F) {
            std::abort();
        }
    }
    if (!unsafeEntryNameReason(name).empty()) {
        return;
    }
    const std::filesystem::path folder = "/out/dir";
    const std::filesystem::path joined = (folder / name).lexically_normal();
    if (joined.parent_path() != folder || joined.filename() != name) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args = splitArguments(data, size);
    for (int flags = 0; flags < 4; ++flags) {
        checkParse(args, (flags & 1) != 0, (flags & 2) != 0);
    }
    for (const std::string& arg : args) {
        checkName(arg);
    }
    return 0;
}
