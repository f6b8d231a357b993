// Progress of a long capture on standard error, on a terminal only: written frames per second and the time left.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
  public:
    // Nothing is reported before the run has taken this long, so short captures stay quiet.
    static constexpr std::chrono::milliseconds kQuietStart{2000};

    // totalFrames: the frames the run writes (its pre-roll is part of each one's cost).
    explicit Progress(uint64_t totalFrames);
    // After written frame `done` (1-based), which showed demo time t.
    void update(uint64_t done, uint32_t t);
    void finish();

  private:
    uint64_t total;
    bool terminal;
    bool drawnBar = false;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};
