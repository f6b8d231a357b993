// SIGINT and SIGTERM as a quit request: the handler only raises a flag, which the message pump turns into
// the quit message, so the run ends through the normal shutdown.
#include "platform/platform.h"

#include <SDL.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> gQuitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onQuitSignal(int) {
    gQuitSignalled.store(true, std::memory_order_relaxed);
}

} // namespace

void catchQuitSignals() {
    // SDL would install its own handlers when the video system starts; ours are the ones wanted.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool takeQuitSignal() {
    return gQuitSignalled.exchange(false, std::memory_order_relaxed);
}

bool quitSignalPending() {
    return gQuitSignalled.load(std::memory_order_relaxed);
}
