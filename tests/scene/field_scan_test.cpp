// The loader's number rows: the fast reading gives what sscanf gives, on plain rows and on every odd one.
#include "scene/field_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

const char* const kFloatRows[] = {
    "-3.290001,-12.900000,1.420000,",
    "\t\t\t\t0.5,0.25,0.125,1.0,",
    "1,2,3,4,",
    "+1.5,-0.0,0.000001,",
    "3.4028235e38,1e-45,",
    "0x1p3,2.0,",
    "inf,nan,",
    ".5,5.,",
    "1.5 ,2.5,",
    "1.5, 2.5,",
    "1.5,abc,",
    "1.5",
    "1.5,",
    "",
    "   ",
    "-,1,",
    "12345678901234567890.5,1,",
    "0.1000000000000000055511151231257827,7,",
    "1.5e,2,",
    "1-2,3,",
    "16777217,16777219,",
    "340282366920938463463374607431768211456,1,",
};

const char* const kIntRows[] = {
    "11,11,1,",      "0,0,0,",         "-7,+8,9,10,", "010,0x1F,3,", "2147483647,1,",
    "2147483648,1,", "99999999999,2,", "5",           "5,",          "",
    " 3, 4,",        "3 ,4,",          "-,1,",        "0x,1,",       "08,1,",
    "1234567890,1,", "+0,-0,",
};

const char* const kFloatFormats[] = {"%f,", "%f,%f,", "%f,%f,%f,", "%f,%f,%f,%f,"};
const char* const kIntFormats[] = {"%i,", "%i,%i,", "%i,%i,%i,", "%i,%i,%i,%i,"};

TEST(FieldScan, FloatRowsReadAsSscanfReadsThem) {
    for (const char* row : kFloatRows) {
        for (int count = 1; count <= 4; ++count) {
            float fast[4] = {9, 9, 9, 9};
            float slow[4] = {9, 9, 9, 9};
            const int got = scanFloatFields(row, count, fast);
            const int want =
                std::sscanf(row, kFloatFormats[count - 1], &slow[0], &slow[1], &slow[2], &slow[3]);
            ASSERT_EQ(got, want) << '"' << row << "\" with " << count;
            for (int i = 0; i < want; ++i) {
                EXPECT_EQ(std::memcmp(&fast[i], &slow[i], sizeof(float)), 0)
                    << '"' << row << "\" value " << i << ": " << fast[i] << " against " << slow[i];
            }
        }
    }
}

TEST(FieldScan, IntRowsReadAsSscanfReadsThem) {
    for (const char* row : kIntRows) {
        for (int count = 1; count <= 4; ++count) {
            int fast[4] = {9, 9, 9, 9};
            int slow[4] = {9, 9, 9, 9};
            const int got = scanIntFields(row, count, fast);
            const int want = std::sscanf(row, kIntFormats[count - 1], &slow[0], &slow[1], &slow[2], &slow[3]);
            ASSERT_EQ(got, want) << '"' << row << "\" with " << count;
            for (int i = 0; i < want; ++i) {
                EXPECT_EQ(fast[i], slow[i]) << '"' << row << "\" value " << i;
            }
        }
    }
}

TEST(FieldScan, KeyRowsReadAsSscanfReadsThem) {
    const char* const extra[] = {"3.0,", "3.0, ", "3.0 ,1.0,", "3.0,x,", "x,1.0,", "7.000000,0.5,"};
    auto check = [](const char* row) {
        float fast = 9;
        float slow = 9;
        const int got = scanKeyValue(row, &fast);
        const int want = std::sscanf(row, "%*f,%f,", &slow);
        ASSERT_EQ(got, want) << '"' << row << '"';
        if (want == 1) {
            EXPECT_EQ(std::memcmp(&fast, &slow, sizeof(float)), 0) << '"' << row << '"';
        }
    };
    for (const char* row : kFloatRows) {
        check(row);
    }
    for (const char* row : extra) {
        check(row);
    }
}

} // namespace
