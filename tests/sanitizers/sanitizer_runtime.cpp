// Linked only into sanitizer builds. Every program reads the leak suppressions kept beside this file, whoever
// starts it. The GL driver and the libraries SDL loads at run time stay loaded until exit: SDL unloads the
// driver (Mesa, and LLVM with it) when video shuts down, before the leak check runs at exit, and leaks of an
// unloaded library show as frames of unknown modules that no suppression can match.
#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// Libraries loaded at run time for video and GL: the GL dispatch and driver, LLVM, X11 and its helpers.
const char* const kKeptLibraries[] = {"/dri/",   "libgallium", "libLLVM",  "_mesa.so",     "libglapi",
                                      "libGL",   "libEGL",     "libOpenGL", "libGLdispatch", "libX",
                                      "libxcb",  "libdrm",     "libxshmfence", "libwayland"};

std::atomic<bool> gExiting{false};

bool isKept(const char* name) {
    for (const char* pattern : kKeptLibraries) {
        if (std::strstr(name, pattern) != nullptr) {
            return true;
        }
    }
    return false;
}

int pinModule(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name != nullptr && isKept(info->dlpi_name)) {
        // RTLD_NOLOAD: only a library that is loaded already; RTLD_NODELETE sticks to it from now on.
        dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

using DlcloseFunction = int (*)(void*);

// Runs before the libraries' own destructors; from then on nothing is pinned any more.
void markExiting() {
    gExiting = true;
}

[[maybe_unused]] const int gExitHook = std::atexit(markExiting);

} // namespace

extern "C" int dlclose(void* handle) {
    static DlcloseFunction next = reinterpret_cast<DlcloseFunction>(dlsym(RTLD_NEXT, "dlclose"));
    if (!gExiting) {
        dl_iterate_phdr(pinModule, nullptr);
    }
    return next != nullptr ? next(handle) : 0;
}

extern "C" const char* __lsan_default_options() {
    return "suppressions=" TOMBLORA_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
