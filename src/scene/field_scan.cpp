// Number rows of the dotXSI text. Plain decimals ("-12.5", "7") are converted with std::from_chars, which
// rounds exactly as strtof does; a row holding anything else (exponents, hexadecimal, octal, inf, nan,
// leading points, long integers) goes to sscanf itself, so every row reads as sscanf would read it.
#include "scene/field_scan.h"

#include <charconv>
#include <cstdio>

namespace {

// The fast path cannot tell; sscanf decides.
constexpr int kAskSscanf = -2;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// isspace in the C locale.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// One plain decimal float at p: [+-]digits[.digits], not followed by anything that would make it longer.
bool plainFloat(const char*& p, float& value) {
    const char* start = *p == '+' ? p + 1 : p;
    const char* q = *p == '-' || *p == '+' ? p + 1 : p;
    if (!isDigit(*q)) {
        return false;
    }
    while (isDigit(*q)) {
        ++q;
    }
    if (*q == '.') {
        ++q;
        while (isDigit(*q)) {
            ++q;
        }
    }
    if (*q == 'e' || *q == 'E' || *q == 'x' || *q == 'X' || *q == 'p' || *q == 'P' || *q == '.') {
        return false;
    }
    const std::from_chars_result parsed = std::from_chars(start, q, value);
    if (parsed.ec != std::errc() || parsed.ptr != q) {
        return false;
    }
    p = q;
    return true;
}

// One plain decimal int at p as %i reads it: [+-]0 or [+-]1-9 and at most 8 more digits.
bool plainInt(const char*& p, int& value) {
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') {
        ++q;
    }
    if (*q == '0') {
        if (isDigit(q[1]) || q[1] == 'x' || q[1] == 'X') {
            return false;
        }
        value = 0;
        p = q + 1;
        return true;
    }
    int magnitude = 0;
    int digits = 0;
    while (isDigit(*q)) {
        if (++digits > 9) {
            return false;
        }
        magnitude = magnitude * 10 + (*q - '0');
        ++q;
    }
    if (digits == 0) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

// sscanf's walk over "%X,%X,...": whitespace skipped before each conversion, the input ending before the
// first one gives EOF, a missing comma ends the walk after the conversion it follows.
template <typename T, typename Plain> int scanFields(const char* line, int count, T* out, Plain plain) {
    const char* p = line;
    for (int i = 0; i < count; ++i) {
        while (isSpace(*p)) {
            ++p;
        }
        if (*p == '\0') {
            return i == 0 ? EOF : i;
        }
        if (!plain(p, out[i])) {
            return kAskSscanf;
        }
        if (*p != ',') {
            return i + 1;
        }
        ++p;
    }
    return count;
}

const char* const kFloatFormats[] = {"%f,", "%f,%f,", "%f,%f,%f,", "%f,%f,%f,%f,"};
const char* const kIntFormats[] = {"%i,", "%i,%i,", "%i,%i,%i,", "%i,%i,%i,%i,"};

} // namespace

int scanFloatFields(const char* line, int count, float* out) {
    const int fast = scanFields(line, count, out, plainFloat);
    if (fast != kAskSscanf) {
        return fast;
    }
    return std::sscanf(line, kFloatFormats[count - 1], &out[0], &out[1], &out[2], &out[3]);
}

int scanIntFields(const char* line, int count, int* out) {
    const int fast = scanFields(line, count, out, plainInt);
    if (fast != kAskSscanf) {
        return fast;
    }
    return std::sscanf(line, kIntFormats[count - 1], &out[0], &out[1], &out[2], &out[3]);
}

int scanKeyValue(const char* line, float* out) {
    // The frame is converted but not assigned, so an input that ends after it still gives EOF.
    const char* p = line;
    float frame = 0.0f;
    while (isSpace(*p)) {
        ++p;
    }
    if (*p == '\0') {
        return EOF;
    }
    if (!plainFloat(p, frame)) {
        return std::sscanf(line, "%*f,%f,", out);
    }
    if (*p != ',') {
        return *p == '\0' ? EOF : 0; // the end of the text is an input failure, another character a mismatch
    }
    ++p;
    while (isSpace(*p)) {
        ++p;
    }
    if (*p == '\0') {
        return EOF;
    }
    if (!plainFloat(p, *out)) {
        return std::sscanf(line, "%*f,%f,", out);
    }
    return 1;
}
