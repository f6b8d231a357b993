// Running the real program as a child process with its output in files.
#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

[[noreturn]] void execInFolder(const std::string& program, const std::string& folder, const RunPlan& plan) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (plan.fileSizeLimit > 0) {
        // Ignored, SIGXFSZ turns a write past the limit into a plain EFBIG failure.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {rlim_t(plan.fileSizeLimit), rlim_t(plan.fileSizeLimit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    for (const std::string& setting : plan.environment) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : plan.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// True once the process has a handler for the signal (its SigCgt mask in /proc).
bool catchesSignal(pid_t pid, int signalNumber) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signalNumber - 1) & 1) != 0;
        }
    }
    return false;
}

} // namespace

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/tomblora-reliability-XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

std::string ScratchFolder::write(const std::string& name, const std::string& text) const {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

bool ScratchFolder::writeArchive(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(folder + "/tomblora.salad", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

ProgramRun runProgram(const std::string& program, const std::string& folder, const RunPlan& plan) {
    ProgramRun run;
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) execInFolder(program, folder, plan);
    run.started = true;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    bool signalled = plan.signalNumber == 0;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
        const bool due = plan.signalOnceCaught ? catchesSignal(pid, plan.signalNumber) : elapsed >= plan.signalAfterMs;
        if (!signalled && due) {
            run.runningWhenSignalled = true;
            kill(pid, plan.signalNumber);
            signalled = true;
        }
        if (elapsed >= plan.timeoutMs) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(signalled ? 20 : 1));
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.termSignal = WTERMSIG(status);
    run.out = readFile(folder + "/stdout.txt");
    run.err = readFile(folder + "/stderr.txt");
    return run;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int partialFiles(const std::string& dir) {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        count += entry.path().filename().string().find(".partial-") != std::string::npos ? 1 : 0;
    }
    return count;
}

std::vector<uint8_t> archiveBytes(const std::vector<ArchiveInput>& entries, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!writeArchiveBytes(entries, bytes, error)) bytes.clear();
    return bytes;
}

bool hasLine(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    std::string each;
    while (std::getline(lines, each)) {
        if (each == line) return true;
    }
    return false;
}
