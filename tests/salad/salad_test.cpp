// salad end to end: pack, list, extract and verify on real files, refusals and exit codes.
#include "archive/archive.h"
#include "raw_archive.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct SaladRun {
    int status;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

SaladRun salad(const std::vector<std::string>& args) {
    TempDir capture;
    std::string command = quoted(SALAD_PATH);
    for (const std::string& arg : args) {
        command += " " + quoted(arg);
    }
    command += " > " + quoted(capture.file("out")) + " 2> " + quoted(capture.file("err"));
    int status = std::system(command.c_str());
    std::vector<uint8_t> out = readFile(capture.file("out"));
    std::vector<uint8_t> err = readFile(capture.file("err"));
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> directoryNames(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(path)) {
        names.push_back(item.path().filename().string());
    }
    return names;
}

TEST(Salad, RoundTripsAFolderOfFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("in"));
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"demo.fnt", bytesOf("info face=\"demo\" size=16\n")},
        {"bg1.png", sampleBytes(150000, 5)},
        {"empty.xsi", {}},
        {std::string(32, 'k'), sampleBytes(3000, 6)},
    };
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files) {
        writeFile(dir.file("in/" + name), bytes);
        paths.push_back(dir.file("in/" + name));
    }
    for (bool store : {false, true}) {
        SCOPED_TRACE(store ? "stored" : "lzma");
        std::string archive = dir.file(store ? "stored.salad" : "packed.salad");
        std::vector<std::string> pack = {"pack", archive};
        pack.insert(pack.end(), paths.begin(), paths.end());
        if (store) {
            pack.push_back("--store");
        }
        SaladRun packed = salad(pack);
        ASSERT_EQ(packed.status, 0) << packed.err;

        SaladRun listed = salad({"list", archive});
        EXPECT_EQ(listed.status, 0) << listed.err;
        for (const auto& [name, bytes] : files) {
            EXPECT_TRUE(contains(listed.out, name + " ")) << listed.out;
        }
        EXPECT_TRUE(contains(listed.out, store ? "stored" : "lzma")) << listed.out;
        EXPECT_TRUE(contains(listed.out, "4 entries")) << listed.out;

        std::string outDir = dir.file(store ? "out-stored" : "out-lzma");
        SaladRun extracted = salad({"extract", archive, "-C", outDir});
        ASSERT_EQ(extracted.status, 0) << extracted.err;
        EXPECT_EQ(directoryNames(outDir).size(), files.size());
        for (const auto& [name, bytes] : files) {
            EXPECT_EQ(readFile(outDir + "/" + name), bytes) << name;
        }
        SaladRun verified = salad({"verify", archive});
        EXPECT_EQ(verified.status, 0) << verified.err;
    }

    SaladRun one = salad({"extract", dir.file("packed.salad"), "demo.fnt", "-C", dir.file("one")});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(directoryNames(dir.file("one")), std::vector<std::string>{"demo.fnt"});
}

TEST(Salad, ExtractRefusesNamesOutsideTheDirectory) {
    for (const std::string& name : std::vector<std::string>{"../x", "a/b", "/etc/x", ".", "..", "",
                                                            "bell\x07", std::string("nul\0x", 5)}) {
        SCOPED_TRACE(printableEntryName(name));
        TempDir dir;
        std::vector<uint8_t> bytes = rawArchive(2, bytesOf("goodbad"), {{4, 4, 0, "good"}, {3, 3, 0, name}});
        writeFile(dir.file("evil.salad"), bytes);
        std::filesystem::create_directory(dir.file("out"));
        SaladRun run = salad({"extract", dir.file("evil.salad"), "-C", dir.file("out")});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err, "nothing extracted")) << run.err;
        EXPECT_TRUE(directoryNames(dir.file("out")).empty());
        EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
    }
}

// The link is replaced by the entry's file; its target stays as it was.
TEST(Salad, ExtractDoesNotFollowALinkPlantedInTheDirectory) {
    TempDir dir;
    writeFile(dir.file("a.salad"), rawArchive(1, bytesOf("new"), {{3, 3, 0, "a.txt"}}));
    writeFile(dir.file("precious"), bytesOf("old"));
    std::filesystem::create_directory(dir.file("out"));
    std::filesystem::create_symlink(dir.file("precious"), dir.file("out/a.txt"));
    SaladRun run = salad({"extract", dir.file("a.salad"), "-C", dir.file("out")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir.file("precious")), bytesOf("old"));
    EXPECT_EQ(readFile(dir.file("out/a.txt")), bytesOf("new"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("out/a.txt")));
}

TEST(Salad, VerifyReportsEveryFault) {
    TempDir dir;
    std::vector<uint8_t> bytes =
        rawArchive(3, bytesOf("okabxyz"), {{2, 2, 0, "ok"}, {2, 3, 0, "short.png"}, {13, 50, 1, "gone.ogg"}});
    writeFile(dir.file("bad.salad"), bytes);
    SaladRun run = salad({"verify", dir.file("bad.salad")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "bad.salad: entry \"short.png\": stored blob of 2 bytes")) << run.err;
    EXPECT_TRUE(contains(run.err, "bad.salad: entry \"gone.ogg\": blob of 13 bytes")) << run.err;
    EXPECT_TRUE(contains(run.out, "2 fault(s); 1 entries decoded")) << run.out;

    SaladRun listed = salad({"list", dir.file("bad.salad")});
    EXPECT_EQ(listed.status, 1);
    EXPECT_TRUE(contains(listed.out, "short.png")) << listed.out;
}

TEST(Salad, ExitCodesForUsageAndIoErrors) {
    TempDir dir;
    writeFile(dir.file("a.txt"), bytesOf("a"));
    std::filesystem::create_directory(dir.file("sub"));
    writeFile(dir.file("sub/a.txt"), bytesOf("b"));
    writeFile(dir.file(std::string(33, 'z')), bytesOf("z"));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message; // in standard error
    };
    std::vector<Case> cases = {
        {{}, 2, "no command given"},
        {{"shuffle"}, 2, "unknown command 'shuffle'"},
        {{"pack", dir.file("o.salad")}, 2, "needs OUT and at least one FILE"},
        {{"pack", dir.file("o.salad"), dir.file("a.txt"), dir.file("sub/a.txt")}, 2, "two files are named"},
        {{"pack", dir.file("o.salad"), dir.file(std::string(33, 'z'))}, 2, "longer than 32 bytes"},
        {{"pack", dir.file("o.salad"), dir.file("a.txt"), "--fast"}, 2, "unknown option '--fast'"},
        {{"list"}, 2, "needs exactly one ARCHIVE"},
        {{"extract", dir.file("o.salad"), "-C"}, 2, "-C needs a directory"},
        {{"verify", "a", "b"}, 2, "needs exactly one ARCHIVE"},
        {{"pack", dir.file("o.salad"), dir.file("missing.txt")},
         1,
         dir.file("missing.txt") + ": No such file"},
        {{"pack", dir.file("sub"), dir.file("a.txt")}, 1, dir.file("sub")},
        {{"list", dir.file("missing.salad")}, 1, dir.file("missing.salad") + ": No such file"},
        {{"verify", dir.file("sub")}, 1, dir.file("sub") + ": not a regular file"},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const std::string& arg : c.args) {
            label += arg + " ";
        }
        SCOPED_TRACE(label);
        SaladRun run = salad(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(contains(run.err, c.message)) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.salad")));
}

TEST(Salad, HelpForTheToolAndEachCommand) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{"--help"},
                                                                               {"pack", "--help"},
                                                                               {"list", "--help"},
                                                                               {"extract", "--help"},
                                                                               {"verify", "--help"}}) {
        SaladRun run = salad(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(contains(run.out, "Usage: salad")) << run.out;
    }
}

} // namespace
