// Replaces the global operator new and delete of the test program with counting versions.
#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

// Only the test's own thread counts: the GL driver's worker threads are not the program's frame code.
thread_local bool tCounting = false;
thread_local int64_t tCalls = 0;

void* allocate(std::size_t size) {
    if (tCounting) ++tCalls;
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void startCountingAllocations() {
    tCalls = 0;
    tCounting = true;
}

int64_t stopCountingAllocations() {
    tCounting = false;
    return tCalls;
}

void* operator new(std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
