// Helpers of the production benchmarks: headless drivers, a steady clock, statistics and result lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Offscreen video, dummy audio and the software rasteriser, as the capture tool uses them. Call first.
void useHeadlessDrivers();

// Opens the archive named by the TOMBLORA_ARCHIVE environment variable, or tomblora.salad in the working
// directory, on the next request.
void chooseArchive();

// Seconds on the steady clock (an arbitrary origin), as a double.
double nowSeconds();
// Nanoseconds on CLOCK_MONOTONIC, which other processes of this machine share.
int64_t monotonicNanoseconds();

double median(std::vector<double> values);
double maximum(const std::vector<double>& values);

// Peak resident set of this process so far, in MiB.
double peakResidentMiB();

// Machine-readable result line "name value" on standard output.
void result(const char* name, double value);

// The whole archive file as bytes (empty when it cannot be read).
std::vector<uint8_t> readArchiveFile();
std::string archivePath();

// Runs this program again as `self mode [argument]` with its standard output in a pipe and returns what it
// printed (at most a short line); ok is false when it could not run or did not exit with 0.
std::string runSelf(const char* self, const char* mode, const char* argument, bool& ok);
