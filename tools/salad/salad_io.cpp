// File reading and writing for salad, every failure worded with the file's name, and the error reports.
#include "salad.h"

#include "whole_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool readWholeFile(const std::string& path, int64_t limit, std::vector<uint8_t>& bytes, std::string& error) {
    const int fd = openRegularFile(path, error);
    if (fd < 0) {
        return false;
    }
    // Read to the end: the size a file reports can be wrong (0 for the files of /proc), or change.
    bytes.clear();
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0) {
            break;
        }
        if (int64_t(bytes.size()) + got > limit) {
            error = path + ": larger than " + std::to_string(limit >> 20) + " MiB";
            ::close(fd);
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return true;
}

int usageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "salad: %s%s%s\nTry 'salad %s%s--help'.\n", command, *command ? ": " : "",
                 message.c_str(), command, *command ? " " : "");
    return kExitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "salad: %s\n", message.c_str());
    return kExitFault;
}
