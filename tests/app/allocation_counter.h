// Counts the calls of the global operator new made on the calling thread while counting is on.
#pragma once

#include <cstdint>

void startCountingAllocations();
// Stops counting and returns the calls seen since the start.
int64_t stopCountingAllocations();
