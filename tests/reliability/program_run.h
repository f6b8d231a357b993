// Runs the real tomblora in a folder of its own, headless (offscreen video, dummy audio, llvmpipe), and
// collects what it wrote and how it ended.
#pragma once

#include "archive/archive.h"

#include <cstdint>
#include <string>
#include <vector>

struct ProgramRun {
    bool started = false;
    bool timedOut = false;
    bool runningWhenSignalled = false; // still running when the signal was sent
    int exitCode = -1;                 // -1 unless the program exited by itself
    int termSignal = 0;                // the signal that killed it, 0 if none did
    std::string out;
    std::string err;
};

// A fresh temporary folder, deleted with the object.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return folder; }
    // Writes bytes as tomblora.salad in the folder.
    bool writeArchive(const std::vector<uint8_t>& bytes) const;
    // Writes text into the folder as name; the full path.
    std::string write(const std::string& name, const std::string& text) const;

  private:
    std::string folder;
};

struct RunPlan {
    std::vector<std::string> args;  // after the program name
    int signalNumber = 0;           // sent after signalAfterMs when non-zero
    int signalAfterMs = 0;
    bool signalOnceCaught = false;  // send it instead as soon as the program has a handler for it
    int timeoutMs = 60000;          // the program is killed after this
    std::vector<std::string> environment; // NAME=VALUE settings, applied after the headless defaults
    long long fileSizeLimit = 0;    // when non-zero, writes past this many bytes fail (EFBIG), as on a full disk
};

// Runs program in folder (standard output and error go to stdout.txt and stderr.txt there); waits for it to
// end.
ProgramRun runProgram(const std::string& program, const std::string& folder, const RunPlan& plan);

// Archive bytes of the entries, or a failed assertion's message in error.
std::vector<uint8_t> archiveBytes(const std::vector<ArchiveInput>& entries, std::string& error);

// The whole file; "" when there is none.
std::string readFile(const std::string& path);
// Temporary ".partial-" files left anywhere under dir.
int partialFiles(const std::string& dir);

// True when text holds this exact line.
bool hasLine(const std::string& text, const std::string& line);
