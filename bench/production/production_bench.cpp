// Helpers shared by the production benchmarks.
#include "production_bench.h"

#include <unistd.h>

#include <sys/wait.h>

#include "archive/archive.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

void useHeadlessDrivers() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

std::string archivePath() {
    const char* chosen = std::getenv("TOMBLORA_ARCHIVE");
    return chosen != nullptr && chosen[0] != '\0' ? chosen : "tomblora.salad";
}

void chooseArchive() {
    archiveBaseDir[0] = '\0';
    std::snprintf(archiveFileName, sizeof archiveFileName, "%s", archivePath().c_str());
}

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int64_t monotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + long(middle), values.end());
    double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    double lower = *std::max_element(values.begin(), values.begin() + long(middle));
    return (lower + upper) / 2.0;
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

double peakResidentMiB() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void result(const char* name, double value) {
    std::printf("%s %.4f\n", name, value);
    std::fflush(stdout);
}

std::vector<uint8_t> readArchiveFile() {
    std::ifstream file(archivePath(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string runSelf(const char* self, const char* mode, const char* argument, bool& ok) {
    ok = false;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execl(self, self, mode, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = read(pipeEnds[0], text, sizeof text - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ok = child > 0 && got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return got > 0 ? std::string(text, size_t(got)) : std::string();
}
