// Progress of a long capture on standard error: a bar on a terminal, a line every tenth otherwise.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
  public:
    // Nothing is reported before the run has taken this long, so short captures stay quiet.
    static constexpr std::chrono::milliseconds kQuietStart{2000};

    explicit Progress(uint64_t totalFrames);
    // After frame `done` (1-based), which showed demo time t.
    void update(uint64_t done, uint32_t t);
    void finish();

  private:
    uint64_t total;
    bool terminal;
    bool drawnBar = false;
    int32_t lastTenth = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};
