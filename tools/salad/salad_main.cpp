// salad: entry point, command dispatch and help texts.
#include "salad.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"pack", runPack},
    {"list", runList},
    {"extract", runExtract},
    {"verify", runVerify},
};

const char kToolHelp[] = "Usage: salad COMMAND [ARGS]\n"
                         "Packs, lists, extracts and checks .salad resource archives.\n"
                         "\n"
                         "Commands:\n"
                         "  pack OUT FILE... [--store]          write an archive holding the files\n"
                         "  list ARCHIVE                        show every entry's sizes and method\n"
                         "  extract ARCHIVE [NAME...] [-C DIR]  write entries out as files\n"
                         "  verify ARCHIVE                      decode everything, report every fault\n"
                         "\n"
                         "'salad COMMAND --help' describes a command.\n"
                         "Exit status: 0 done, 1 I/O error or faulty archive, 2 usage error.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usageError("", "no command given");
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(kToolHelp, stdout);
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    return usageError("", std::string("unknown command '") + argv[1] + "'");
}
