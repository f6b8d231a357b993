// Writer layout, round trips, lookups and interoperability with .lzma blobs made elsewhere.
#include "archive/archive.h"
#include "raw_archive.h"
#include "test_files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <lzma.h>
#endif

#include <cstdlib>
#include <cstring>

namespace {

std::vector<uint8_t> writeOrFail(const std::vector<ArchiveInput>& inputs) {
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(writeArchiveBytes(inputs, out, error)) << error;
    return out;
}

std::vector<DecodedEntry> readClean(const std::vector<uint8_t>& bytes) {
    std::vector<ArchiveFault> faults;
    std::vector<DecodedEntry> entries = readArchiveBytes(bytes.data(), bytes.size(), faults);
    for (const ArchiveFault& fault : faults) {
        ADD_FAILURE() << describeArchiveFault("test", fault);
    }
    return entries;
}

// Opens hand-made bytes through the program's own path: file on disk, ResourceArchive::open.
struct OpenedArchive {
    TempDir dir;
    ResourceArchive archive;
    explicit OpenedArchive(const std::vector<uint8_t>& bytes) {
        writeFile(dir.file("test.salad"), bytes);
        archive.open(dir.file("test.salad").c_str());
    }
    ~OpenedArchive() { archive.release(); }
};

std::string entryText(const ResourceEntry* entry) {
    return std::string(reinterpret_cast<const char*>(entry->data), size_t(entry->size));
}

#ifndef _WIN32
// Blobs of other encoders (the xz program, liblzma); Linux only.
// The .lzma file the xz program makes of these bytes.
std::vector<uint8_t> xzLzma(const std::vector<uint8_t>& data) {
    TempDir dir;
    writeFile(dir.file("in"), data);
    std::string command = "xz --format=lzma -6 -c < '" + dir.file("in") + "' > '" + dir.file("out") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readFile(dir.file("out"));
}

// An LZMA blob without end marker, as a one-call encoder that knows the size writes it.
std::vector<uint8_t> rawLzmaWithoutEndMarker(const std::vector<uint8_t>& data) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.ext_flags = 0;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<uint8_t> blob(13);
    EXPECT_EQ(lzma_properties_encode(&filters[0], blob.data()), LZMA_OK);
    std::memset(blob.data() + 5, 0xFF, 8);
    std::vector<uint8_t> stream(data.size() * 2 + 1024);
    size_t written = 0;
    EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), stream.data(), &written,
                                     stream.size()),
              LZMA_OK);
    blob.insert(blob.end(), stream.begin(), stream.begin() + std::ptrdiff_t(written));
    return blob;
}

#endif

TEST(ArchiveWriter, WorkedLayoutIsByteExact) {
    std::vector<uint8_t> bytes = writeOrFail({{"a.txt", bytesOf("abc"), ArchiveMethod::Stored}});
    std::vector<uint8_t> expected = {0x53, 0x41, 0x4C, 0x41, 0x44, 0x01, 0x01, 0x00, 0x00, 0x00,
                                     0x00, 0x00, 0x61, 0x62, 0x63, 0x03, 0x00, 0x00, 0x00, 0x03,
                                     0x00, 0x00, 0x00, 0x00, 0x05, 0xE1, 0xAE, 0xF4, 0xF8, 0xF4};
    expected.resize(59, 0x00);
    EXPECT_EQ(bytes, expected);

    OpenedArchive opened(bytes);
    ASSERT_EQ(opened.archive.count, 1);
    ResourceEntry* entry = opened.archive.find("a.txt");
    EXPECT_EQ(entryText(entry), "abc");
    EXPECT_EQ(std::string(entry->name), "a.txt");
}

TEST(ArchiveWriter, RoundTripsEveryMethodAndSize) {
    std::vector<ArchiveInput> inputs = {
        {"empty.lzma", {}, ArchiveMethod::Lzma},
        {"empty.raw", {}, ArchiveMethod::Stored},
        {"one", {0x2A}, ArchiveMethod::Lzma},
        {"mixed.bin", sampleBytes(200000, 1), ArchiveMethod::Lzma},
        {"stored.bin", sampleBytes(5000, 2), ArchiveMethod::Stored},
        {std::string(32, 'n'), bytesOf("thirty-two"), ArchiveMethod::Lzma},
        {"", bytesOf("nameless"), ArchiveMethod::Stored},
    };
    std::vector<uint8_t> bytes = writeOrFail(inputs);
    EXPECT_EQ(bytes, writeOrFail(inputs)) << "identical input must give identical bytes";

    std::vector<DecodedEntry> entries = readClean(bytes);
    ASSERT_EQ(entries.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(inputs[i].name);
        EXPECT_EQ(entries[i].name, inputs[i].name);
        EXPECT_EQ(entries[i].data, inputs[i].data);
        EXPECT_EQ(entries[i].method, uint8_t(inputs[i].method));
        if (inputs[i].method == ArchiveMethod::Stored) {
            EXPECT_EQ(entries[i].storedSize, entries[i].size);
        } else {
            EXPECT_GE(entries[i].storedSize, 13);
        }
    }
    EXPECT_LT(entries[3].storedSize, entries[3].size / 2) << "mixed data should compress";

    OpenedArchive opened(bytes);
    ASSERT_EQ(opened.archive.count, int32_t(inputs.size()));
    for (const char* name : {"empty.lzma", "empty.raw"}) {
        ResourceEntry* entry = opened.archive.find(name);
        EXPECT_EQ(entry->size, 0);
        EXPECT_NE(entry->data, nullptr) << "an empty entry still has a data block";
    }
    EXPECT_EQ(entryText(opened.archive.find(std::string(32, 'n').c_str())), "thirty-two");
    EXPECT_EQ(entryText(opened.archive.find("")), "nameless");
}

TEST(ArchiveWriter, RefusesWhatTheFormatCannotHold) {
    struct Case {
        const char* label;
        std::vector<ArchiveInput> inputs;
        const char* reason;
    };
    std::vector<ArchiveInput> tooMany(101);
    for (size_t i = 0; i < tooMany.size(); ++i) {
        tooMany[i].name = "e" + std::to_string(i);
    }
    std::vector<Case> cases = {
        {"33-byte name", {{std::string(33, 'x'), {}, ArchiveMethod::Stored}}, "longer than 32 bytes"},
        {"duplicate", {{"a", {}, ArchiveMethod::Stored}, {"a", {1}, ArchiveMethod::Lzma}}, "appears twice"},
        {"NUL in name", {{std::string("a\0b", 3), {}, ArchiveMethod::Stored}}, "NUL"},
        {"101 entries", tooMany, "at most 100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<uint8_t> out;
        std::string error;
        EXPECT_FALSE(writeArchiveBytes(c.inputs, out, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ArchiveLookup, MatchesFirstThirtyTwoCharactersInTableOrder) {
    std::string stem(32, 'q');
    std::vector<uint8_t> data = bytesOf("first"
                                        "second"
                                        "upper"
                                        "empty");
    std::vector<uint8_t> bytes = rawArchive(
        4, data,
        {{5, 5, 0, stem + "1"}, {6, 6, 0, stem + "2"}, {5, 5, 0, "Demo.fnt", 8}, {5, 5, 0, "ignored", 0}});
    OpenedArchive opened(bytes);
    ASSERT_EQ(opened.archive.count, 4);
    EXPECT_EQ(std::memcmp(opened.archive.entries[0].name, stem.data(), 32), 0);

    struct Lookup {
        std::string query;
        std::string text;
    };
    for (const Lookup& lookup : std::vector<Lookup>{{stem, "first"},
                                                    {stem + "2", "first"},
                                                    {stem + "anything", "first"},
                                                    {"Demo.fnt", "upper"},
                                                    {"", "empty"}}) {
        SCOPED_TRACE(lookup.query);
        EXPECT_EQ(entryText(opened.archive.find(lookup.query.c_str())), lookup.text);
    }
    EXPECT_EXIT(opened.archive.find("demo.fnt"), testing::ExitedWithCode(kFatalExitCode),
                "Resource \"demo.fnt\" not found");
    EXPECT_EXIT(opened.archive.find(stem.substr(0, 31).c_str()), testing::ExitedWithCode(kFatalExitCode), "not found");
}

TEST(ArchiveLookup, EmptyArchiveFindsNothing) {
    OpenedArchive opened(rawArchive(0, {}, {}));
    EXPECT_EQ(opened.archive.count, 0);
    EXPECT_EXIT(opened.archive.find("demo.fnt"), testing::ExitedWithCode(kFatalExitCode),
                "^Resource \"demo.fnt\" not found\n$");
}

TEST(ArchiveOpen, MissingFileShowsBothMessagesAndExits255) {
    TempDir dir;
    std::string path = dir.file("absent.salad");
    EXPECT_EXIT(
        {
            ResourceArchive archive;
            archive.open(path.c_str());
            if (archive.count == 0) {
                archive.find("default.png");
            }
        },
        testing::ExitedWithCode(kFatalExitCode),
        "^Resource file \"" + path + "\" not found\nResource \"default.png\" not found\n$");
}

TEST(ArchiveOpen, InstanceJoinsBaseDirAndFileName) {
    TempDir dir;
    writeFile(dir.file("other.salad"),
              writeOrFail({{"soundtrack.ogg", bytesOf("OggS"), ArchiveMethod::Lzma}}));
    std::snprintf(archiveBaseDir, sizeof archiveBaseDir, "%s/", dir.path().c_str());
    std::snprintf(archiveFileName, sizeof archiveFileName, "other.salad");
    ResourceArchive* archive = ResourceArchive::instance();
    EXPECT_EQ(archive, ResourceArchive::instance());
    EXPECT_EQ(entryText(archive->find("soundtrack.ogg")), "OggS");
    ResourceArchive::destroyInstance();
    archiveBaseDir[0] = '\0';
    std::snprintf(archiveFileName, sizeof archiveFileName, "tomblora.salad");
}

#ifndef _WIN32
TEST(ArchiveInterop, DecodesBlobsMadeElsewhere) {
    std::vector<uint8_t> original = sampleBytes(70000, 9);
    std::vector<uint8_t> fromXz = xzLzma(original);
    ASSERT_GT(fromXz.size(), 13u);
    std::vector<uint8_t> hugeDictionary = fromXz;
    std::memset(hugeDictionary.data() + 1, 0xFF, 4); // claims a 4 GiB dictionary
    std::vector<uint8_t> noEndMarker = rawLzmaWithoutEndMarker(original);

    struct Case {
        const char* label;
        std::vector<uint8_t> blob;
    };
    for (const Case& c : std::vector<Case>{{"xz --format=lzma", fromXz},
                                           {"4 GiB dictionary", hugeDictionary},
                                           {"no end marker", noEndMarker}}) {
        SCOPED_TRACE(c.label);
        std::vector<uint8_t> bytes =
            rawArchive(1, c.blob, {{int32_t(c.blob.size()), int32_t(original.size()), 1, "blob.bin"}});
        std::vector<DecodedEntry> entries = readClean(bytes);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].data, original);
        OpenedArchive opened(bytes);
        ResourceEntry* entry = opened.archive.find("blob.bin");
        ASSERT_EQ(entry->size, int32_t(original.size()));
        EXPECT_EQ(std::memcmp(entry->data, original.data(), original.size()), 0);
    }
}

TEST(ArchiveInterop, StopsAtTheTableSizeEvenWithMoreInTheStream) {
    std::vector<uint8_t> original = bytesOf("abcdefghij");
    std::vector<uint8_t> blob = xzLzma(original);
    std::vector<uint8_t> bytes = rawArchive(1, blob, {{int32_t(blob.size()), 4, 1, "part"}});
    std::vector<DecodedEntry> entries = readClean(bytes);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].data, bytesOf("abcd"));
}

#endif

} // namespace
