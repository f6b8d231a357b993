// Temporary file, then rename: the one way the tools put a file in place.
#include "whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool writeAll(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, data + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += size_t(written);
    }
    return true;
}

// Unique among the threads and processes that may write beside each other.
std::string partialName(const std::string& name) {
    static std::atomic<unsigned> serial{0};
    const size_t slash = name.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    return folder + "." + stem + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(serial++) +
           extension;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

#ifdef _WIN32
// No folder handles and no links to guard against: the file is written beside shown, which is its whole path,
// and moved over it (the C library's rename does not replace a file there).
bool writeWholeFileAt(int, const std::string&, const std::string& shown, const uint8_t* data, size_t size,
                      std::string& error) {
    const std::string temporary = partialName(shown);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
    if (fd < 0) {
        error = shown + ": " + std::strerror(errno);
        return false;
    }
    bool written = writeAll(fd, data, size);
    int savedErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (written && !MoveFileExA(temporary.c_str(), shown.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        written = false;
        savedErrno = EACCES;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        error = shown + ": " + std::strerror(savedErrno);
    }
    return written;
}

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size, std::string& error) {
    return writeWholeFileAt(-1, path, path, data, size, error);
}
#else
bool writeWholeFileAt(int dirFd, const std::string& name, const std::string& shown, const uint8_t* data,
                      size_t size, std::string& error) {
    const std::string temporary = partialName(name);
    const int fd = ::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = shown + ": " + std::strerror(errno);
        return false;
    }
    struct stat old {};
    if (::fstatat(dirFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
    bool written = writeAll(fd, data, size);
    int savedErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (written && ::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        written = false;
        savedErrno = errno;
    }
    if (!written) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        error = shown + ": " + std::strerror(savedErrno);
    }
    return written;
}

bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size, std::string& error) {
    return writeWholeFileAt(AT_FDCWD, path, path, data, size, error);
}
#endif

std::string partialPathBeside(const std::string& path) {
    const std::string partial = partialName(path);
    return partial[0] == '/' || partial[0] == '.' ? partial : "./" + partial;
}

std::string destinationFault(const std::string& path) {
    const std::string folder = folderOf(path);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return "the folder " + folder + " does not exist";
    }
    if (!S_ISDIR(info.st_mode)) {
        return folder + " is not a folder";
    }
#ifdef _WIN32
    if (::access(folder.c_str(), W_OK) != 0) {
#else
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
#endif
        return "the folder " + folder + " is not writable";
    }
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return path + " is a folder";
    }
    return "";
}

int openRegularFile(const std::string& path, std::string& error) {
#ifdef _WIN32
    const int fd = ::open(path.c_str(), O_RDONLY | O_BINARY);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        ::close(fd);
        return -1;
    }
#ifndef _WIN32
    // Reads of a regular file never block; plain blocking mode keeps EAGAIN out of the readers.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    return fd;
}
