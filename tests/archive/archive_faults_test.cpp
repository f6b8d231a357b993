// Archives that break the format: each is one clear fault, fatal when the program opens it.
#include "archive/archive.h"
#include "raw_archive.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// The blob the writer makes for these bytes (13-byte header, stream with end marker).
std::vector<uint8_t> lzmaBlob(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> archive;
    std::string error;
    EXPECT_TRUE(writeArchiveBytes({{"x", data, ArchiveMethod::Lzma}}, archive, error)) << error;
    return std::vector<uint8_t>(archive.begin() + 12, archive.end() - 44);
}

struct FaultCase {
    const char* label;
    std::vector<uint8_t> bytes;
    std::string fault; // regex for the first fault, after "ARCHIVE: "
};

std::vector<FaultCase> faultCases() {
    std::vector<uint8_t> abc = lzmaBlob(bytesOf("abc"));
    std::vector<uint8_t> long1 = sampleBytes(20000, 3);
    std::vector<uint8_t> blob1 = lzmaBlob(long1);
    std::vector<uint8_t> truncated(blob1.begin(), blob1.begin() + std::ptrdiff_t(blob1.size() / 2));
    std::vector<uint8_t> badProps = abc;
    badProps[0] = 0xFF;
    int32_t abcSize = int32_t(abc.size());
    int32_t halfSize = int32_t(truncated.size());
    return {
        {"header cut short", bytesOf("SALA"), "file of 4 bytes ends inside the 12-byte header"},
        {"wrong magic", rawArchive(0, {}, {}, "SALTY"), "not an archive"},
        {"negative entry count", rawArchive(-1, {}, {}), "entry count -1 is outside 0 to 100"},
        {"101 entries", rawArchive(101, {}, {}), "entry count 101 is outside 0 to 100"},
        {"table past the file", rawArchive(2, bytesOf("abc"), {{3, 3, 0, "a"}}),
         "entry table of 2 records \\(88 bytes\\) does not fit in the file of 59 bytes"},
        {"name length 34", rawArchive(1, bytesOf("abc"), {{3, 3, 0, "a.txt", 34}}),
         "entry \"a\\.txt[^\"]*\": name length 34 exceeds 33"},
        {"LZMA blob of 12 bytes", rawArchive(1, std::vector<uint8_t>(12, 0x5D), {{12, 5, 1, "x.png"}}),
         "entry \"x\\.png\": LZMA blob of 12 bytes is shorter than its 13-byte header"},
        {"stored blob short", rawArchive(1, bytesOf("ab"), {{2, 3, 0, "t.xsi"}}),
         "entry \"t\\.xsi\": stored blob of 2 bytes is shorter than its size 3"},
        {"negative size", rawArchive(1, bytesOf("abc"), {{3, -1, 0, "n"}}),
         "entry \"n\": size -1 is negative"},
        {"negative stored size", rawArchive(1, bytesOf("abc"), {{-3, 3, 0, "n"}}),
         "entry \"n\": stored size -3 is negative"},
        {"implausible size", rawArchive(1, abc, {{abcSize, 0x7FFFFFFF, 1, "big"}}),
         "entry \"big\": size 2147483647 brings the decoded total past the 1 GiB limit"},
        {"total past 1 GiB",
         rawArchive(2, joined(abc, abc), {{abcSize, 600 << 20, 1, "a"}, {abcSize, 600 << 20, 1, "b"}}),
         "entry \"b\": size 629145600 brings the decoded total past the 1 GiB limit"},
        {"blob runs into the table", rawArchive(1, bytesOf("abc"), {{100, 100, 0, "bg1.png"}}),
         "entry \"bg1\\.png\": blob of 100 bytes at offset 12 runs past the data area, which ends at offset "
         "15"},
        {"second blob runs into the table", rawArchive(2, bytesOf("abcd"), {{3, 3, 0, "a"}, {2, 2, 0, "b"}}),
         "entry \"b\": blob of 2 bytes at offset 15 runs past the data area, which ends at offset 16"},
        {"truncated LZMA stream", rawArchive(1, truncated, {{halfSize, 20000, 1, "bg1.png"}}),
         "entry \"bg1\\.png\": LZMA stream ends after [0-9]+ of 20000 bytes"},
        {"end marker before size", rawArchive(1, abc, {{abcSize, 10, 1, "s.ogg"}}),
         "entry \"s\\.ogg\": LZMA stream is damaged after 3 of 10 bytes"},
        {"invalid LZMA properties", rawArchive(1, badProps, {{abcSize, 3, 1, "p"}}),
         "entry \"p\": LZMA properties are invalid"},
    };
}

TEST(ArchiveFaults, ReaderReportsEachFault) {
    for (const FaultCase& c : faultCases()) {
        SCOPED_TRACE(c.label);
        std::vector<ArchiveFault> faults;
        std::vector<DecodedEntry> entries = readArchiveBytes(c.bytes.data(), c.bytes.size(), faults);
        ASSERT_FALSE(faults.empty());
        std::string text = describeArchiveFault("t.salad", faults.front());
        EXPECT_TRUE(std::regex_search(text, std::regex("^t\\.salad: " + c.fault))) << text;
    }
}

TEST(ArchiveFaults, OpenEndsTheProgramAtTheFirstFault) {
    TempDir dir;
    std::string path = dir.file("tomblora.salad");
    for (const FaultCase& c : faultCases()) {
        SCOPED_TRACE(c.label);
        writeFile(path, c.bytes);
        EXPECT_EXIT(
            {
                ResourceArchive archive;
                archive.open(path.c_str());
            },
            testing::ExitedWithCode(kFatalExitCode), "^" + path + ": " + c.fault);
    }
}

TEST(ArchiveFaults, ReaderKeepsGoodEntriesAndCollectsEveryFault) {
    std::vector<uint8_t> good = lzmaBlob(bytesOf("good entry"));
    std::vector<uint8_t> data = joined(joined(good, bytesOf("ab")), bytesOf("xyz"));
    std::vector<uint8_t> bytes = rawArchive(4, data,
                                            {{int32_t(good.size()), 10, 1, "good"},
                                             {2, 3, 0, "short"},
                                             {3, 3, 0, "name", 40},
                                             {3, 3, 0, "late"}});
    std::vector<ArchiveFault> faults;
    std::vector<DecodedEntry> entries = readArchiveBytes(bytes.data(), bytes.size(), faults);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "good");
    EXPECT_EQ(entries[0].data, bytesOf("good entry"));
    std::vector<std::string> faulty;
    for (const ArchiveFault& fault : faults) {
        faulty.push_back(std::to_string(fault.index) + ":" + fault.message.substr(0, 11));
    }
    EXPECT_EQ(faulty, (std::vector<std::string>{"1:stored blob", "2:name length", "3:blob of 3 b"}));
}

TEST(ArchiveFaults, NamesWithControlBytesAreEscapedInMessages) {
    ArchiveFault fault{std::string("a\x1b[2J\"b", 7), 0, "size -1 is negative"};
    EXPECT_EQ(describeArchiveFault("t.salad", fault),
              "t.salad: entry \"a\\x1B[2J\\x22b\": size -1 is negative");
}

} // namespace
