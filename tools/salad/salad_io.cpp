// File reading and writing for salad, every failure worded with the file's name, and the error reports.
#include "salad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <windows.h>
// Files are bytes, never text with line ends translated; handles are not inherited by default.
#define O_CLOEXEC O_BINARY
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += size_t(written);
    }
    return true;
}

std::string reason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

} // namespace

bool readWholeFile(const std::string& path, int64_t limit, std::vector<uint8_t>& bytes, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = reason(path);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        error = reason(path);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        ::close(fd);
        return false;
    }
    if (int64_t(info.st_size) > limit) {
        error = path + ": larger than " + std::to_string(limit >> 20) + " MiB";
        ::close(fd);
        return false;
    }
    bytes.resize(size_t(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? reason(path) : path + ": file shrank while being read";
            ::close(fd);
            return false;
        }
        done += size_t(got);
    }
    ::close(fd);
    return true;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::string temporary = path + ".partial-" + std::to_string(getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = reason(temporary);
        return false;
    }
    bool written = writeAll(fd, bytes);
    int savedErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        errno = savedErrno;
        error = reason(path);
        return false;
    }
#ifdef _WIN32
    // The C library's rename does not replace an existing file there.
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        errno = EACCES;
#else
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
#endif
        error = reason(path);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool writeFileInDirectory(int dirFd, const std::string& dirPath, const std::string& name,
                          const std::vector<uint8_t>& bytes, std::string& error) {
    std::string shown = dirPath + "/" + name;
#ifdef _WIN32
    // No directory handles to open under; the name was checked to be a plain file name.
    (void)dirFd;
    int fd = ::open(shown.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0666);
#else
    int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
        error = reason(shown);
        return false;
    }
    bool written = writeAll(fd, bytes);
    if (::close(fd) != 0) {
        written = false;
    }
    if (!written) {
        error = reason(shown);
    }
    return written;
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
