// Private to the scene module: the loader's comma-terminated number rows read without sscanf where the
// text is plain decimal, with exactly sscanf's results.
#pragma once

// What sscanf(line, "%f,%f,...", ...) with `count` conversions (1 to 4) returns and stores; out has room
// for 4 values whatever the count.
int scanFloatFields(const char* line, int count, float* out);
// What sscanf(line, "%*f,%f,", out) returns and stores (a key row: frame, value).
int scanKeyValue(const char* line, float* out);
// What sscanf(line, "%i,%i,...", ...) with `count` conversions (1 to 4) returns and stores; out has room
// for 4 values.
int scanIntFields(const char* line, int count, int* out);
