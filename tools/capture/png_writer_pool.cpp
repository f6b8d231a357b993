// The worker threads that turn captured frames into PNG files.
#include "png_writer_pool.h"

#include <algorithm>

PngWriterPool::PngWriterPool(int32_t workers, size_t maxQueued) : maxQueued(std::max<size_t>(maxQueued, 1)) {
    for (int32_t i = 0; i < std::max(workers, 1); ++i) {
        threads.emplace_back(&PngWriterPool::work, this);
    }
}

PngWriterPool::~PngWriterPool() {
    std::string ignored;
    finish(ignored);
}

int32_t PngWriterPool::defaultWorkers() {
    const int32_t cores = int32_t(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, 4);
}

bool PngWriterPool::write(const std::string& path, const RgbImage& image) {
    std::unique_lock<std::mutex> guard(lock);
    jobTaken.wait(guard, [this] { return queue.size() < maxQueued || !firstFailure.empty(); });
    if (!firstFailure.empty() || threads.empty()) {
        return false;
    }
    Job job;
    if (!spare.empty()) {
        job = std::move(spare.back());
        spare.pop_back();
    }
    job.path = path;
    job.image.width = image.width;
    job.image.height = image.height;
    job.image.pixels.assign(image.pixels.begin(), image.pixels.end());
    queue.push_back(std::move(job));
    jobQueued.notify_one();
    return true;
}

bool PngWriterPool::finish(std::string& failedPath) {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    jobQueued.notify_all();
    for (std::thread& thread : threads) {
        thread.join();
    }
    threads.clear();
    failedPath = firstFailure;
    return firstFailure.empty();
}

void PngWriterPool::work() {
    std::vector<uint8_t> png;
    std::vector<uint8_t> scratch;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        jobQueued.wait(guard, [this] { return !queue.empty() || stopping; });
        if (queue.empty()) {
            return;
        }
        Job job = std::move(queue.front());
        queue.pop_front();
        jobTaken.notify_one();
        guard.unlock();
        const bool written = writePngFile(job.path, job.image, png, scratch);
        guard.lock();
        if (!written && firstFailure.empty()) {
            firstFailure = job.path;
            // The renderer stops at its next write; jobs still queued are not worth writing.
            queue.clear();
            jobTaken.notify_all();
        }
        spare.push_back(std::move(job));
    }
}
