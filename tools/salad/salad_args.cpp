// Argument parsing of the salad commands and the check that keeps entry names inside the output folder.
#include "salad.h"

#include <cstdint>

SaladArguments parseSaladArguments(const std::vector<std::string>& args, bool takesStore, bool takesDirectory) {
    SaladArguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (takesStore && arg == "--store") {
            parsed.store = true;
        } else if (takesDirectory && arg == "-C") {
            if (i + 1 == args.size()) {
                parsed.error = "-C needs a directory";
                return parsed;
            }
            parsed.directory = args[++i];
        } else {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
    }
    return parsed;
}

std::string unsafeEntryNameReason(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return "is not a file name";
    }
    for (char c : name) {
        if (c == '/') {
            return "holds a '/'";
        }
#ifdef _WIN32
        // Separators and drive or stream names there.
        if (c == '\\' || c == ':') {
            return std::string("holds a '") + c + "'";
        }
#endif
        if (uint8_t(c) < 0x20 || c == 0x7F) {
            return "holds a control byte";
        }
    }
    return "";
}
