// Keeps standard output quiet while a benchmark times code that prints (the loader's per-mesh lines).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

// Standard output goes to /dev/null for the life of the object.
class QuietStdout {
  public:
    QuietStdout() {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved = -1;
};
