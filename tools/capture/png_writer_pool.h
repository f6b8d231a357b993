// PNG files written on worker threads while the main thread renders the next frames.
#pragma once

#include "frame_image.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A bounded queue of (path, image) jobs drained by a few threads. Every file is complete once finish()
// returns; which thread wrote it does not change its bytes. Images are copied into buffers that the pool
// keeps for reuse, so a long sequence allocates only while the queue first fills.
class PngWriterPool {
  public:
    // workers threads (at least 1); write() blocks while maxQueued jobs wait (at least 1).
    PngWriterPool(int32_t workers, size_t maxQueued);
    ~PngWriterPool();
    PngWriterPool(const PngWriterPool&) = delete;
    PngWriterPool& operator=(const PngWriterPool&) = delete;

    // Queues a copy of image to be written to path. False once a file has failed (nothing is queued then).
    bool write(const std::string& path, const RgbImage& image);
    // Waits until every queued file is written and stops the threads. False with the first path that
    // could not be written.
    bool finish(std::string& failedPath);

    // Worker threads for this machine: the cores beside the one that renders, at least 1, at most 4.
    static int32_t defaultWorkers();

  private:
    struct Job {
        std::string path;
        RgbImage image;
    };

    void work();

    std::mutex lock;
    std::condition_variable jobQueued;
    std::condition_variable jobTaken;
    std::deque<Job> queue;
    std::vector<Job> spare; // written jobs whose buffers wait for reuse
    size_t maxQueued;
    bool stopping = false;
    std::string firstFailure;
    std::vector<std::thread> threads;
};
