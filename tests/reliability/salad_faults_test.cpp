// salad on a full disk, on links and special files at its paths, and a few odd arguments: a clear message,
// a defined exit code, and no file destroyed or half written.
#include "program_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

ProgramRun salad(const ScratchFolder& folder, const std::vector<std::string>& args, long long fileSizeLimit = 0) {
    RunPlan plan;
    plan.args = args;
    plan.timeoutMs = 20000;
    plan.fileSizeLimit = fileSizeLimit;
    ProgramRun run = runProgram(SALAD_PATH, folder.path(), plan);
    EXPECT_FALSE(run.timedOut) << "salad hung on " << testing::PrintToString(args);
    return run;
}

// An archive of stored entries, written into the folder as name.
void writeStoredArchive(const ScratchFolder& folder, const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<ArchiveInput> inputs;
    for (const auto& [entry, text] : files) {
        inputs.push_back({entry, std::vector<uint8_t>(text.begin(), text.end()), ArchiveMethod::Stored});
    }
    std::string error;
    const std::vector<uint8_t> bytes = archiveBytes(inputs, error);
    ASSERT_EQ(error, "");
    folder.write(name, std::string(bytes.begin(), bytes.end()));
}

// Names in the folder other than the test's own and the runner's output files.
std::vector<std::string> leftovers(const std::string& dir, const std::vector<std::string>& expected) {
    std::vector<std::string> extra;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename();
        if (name != "stdout.txt" && name != "stderr.txt" &&
            std::find(expected.begin(), expected.end(), name) == expected.end()) {
            extra.push_back(name);
        }
    }
    return extra;
}

} // namespace

TEST(SaladFaults, AFullDiskLeavesTheOldFilesWhole) {
    ScratchFolder folder;
    const std::string big(256 * 1024, 'n');
    writeStoredArchive(folder, "in.salad", {{"big.bin", big}});
    folder.write("big.bin", "old contents");
    folder.write("out.salad", "old archive");
    folder.write("input.bin", big);
    // Writes past 64 KiB fail as they would on a full disk.
    ProgramRun extract = salad(folder, {"extract", "in.salad"}, 64 * 1024);
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(extract.err.rfind("salad: ./big.bin: ", 0), 0u) << extract.err;
    EXPECT_EQ(readFile(folder.path() + "/big.bin"), "old contents");
    ProgramRun pack = salad(folder, {"pack", "--store", "out.salad", "input.bin"}, 64 * 1024);
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_EQ(pack.err.rfind("salad: out.salad: ", 0), 0u) << "the message names OUT: " << pack.err;
    EXPECT_EQ(readFile(folder.path() + "/out.salad"), "old archive");
    EXPECT_EQ(leftovers(folder.path(), {"in.salad", "big.bin", "out.salad", "input.bin"}),
              std::vector<std::string>{});
}

TEST(SaladFaults, LinksAndFifosAtTheDestinationAreReplacedNotWrittenThrough) {
    ScratchFolder folder;
    writeStoredArchive(folder, "in.salad", {{"soft.txt", "new soft"}, {"hard.txt", "new hard"}, {"fifo.txt", "new"}});
    const std::string out = folder.path() + "/out";
    fs::create_directory(out);
    folder.write("soft-target.txt", "kept");
    folder.write("hard-target.txt", "kept");
    fs::create_symlink("../soft-target.txt", out + "/soft.txt");
    fs::create_hard_link(folder.path() + "/hard-target.txt", out + "/hard.txt");
    ASSERT_EQ(mkfifo((out + "/fifo.txt").c_str(), 0600), 0);
    ProgramRun run = salad(folder, {"extract", "in.salad", "-C", "out"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(folder.path() + "/soft-target.txt"), "kept");
    EXPECT_EQ(readFile(folder.path() + "/hard-target.txt"), "kept");
    for (const char* name : {"soft.txt", "hard.txt", "fifo.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(out + "/" + name))) << name;
    }
    EXPECT_EQ(readFile(out + "/soft.txt"), "new soft");
    EXPECT_EQ(readFile(out + "/hard.txt"), "new hard");
}

TEST(SaladFaults, SpecialFilesAreRefusedBeforeAByteIsRead) {
    ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder.path() + "/fifo.salad").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.path() + "/zero.salad");
    const std::vector<std::vector<std::string>> commands = {
        {"list", "fifo.salad"}, {"verify", "fifo.salad"}, {"extract", "fifo.salad"},
        {"pack", "out.salad", "fifo.salad"}, {"verify", "zero.salad"}};
    for (const std::vector<std::string>& args : commands) {
        SCOPED_TRACE(testing::PrintToString(args));
        ProgramRun run = salad(folder, args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "salad: " + args.back() + ": not a regular file\n");
    }
}

TEST(SaladFaults, ModesSizesFoldersAndNamesAsTheUserExpects) {
    ScratchFolder folder;
    folder.write("a.txt", "a");
    folder.write("out.salad", "old");
    chmod((folder.path() + "/out.salad").c_str(), 0600);
    // /proc files report a size of 0 but have contents.
    ProgramRun pack = salad(folder, {"pack", "out.salad", "a.txt", "/proc/self/status"});
    EXPECT_EQ(pack.exitCode, 0) << pack.err;
    struct stat info {};
    ASSERT_EQ(stat((folder.path() + "/out.salad").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string packed = readFile(folder.path() + "/out.salad");
    std::vector<ArchiveFault> faults;
    const std::vector<DecodedEntry> entries =
        readArchiveBytes(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), faults);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, "status");
    EXPECT_GT(entries[1].size, 100);

    ProgramRun underAFile = salad(folder, {"extract", "out.salad", "-C", "a.txt/sub"});
    EXPECT_EQ(underAFile.exitCode, 1);
    EXPECT_EQ(underAFile.err.rfind("salad: a.txt/sub: cannot make the folder: ", 0), 0u) << underAFile.err;

    ProgramRun option = salad(folder, {"pack", "--\x1b[2J", "x.salad", "a.txt"});
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_EQ(option.err.find('\x1b'), std::string::npos);
    EXPECT_NE(option.err.find("unknown option '--\\x1B[2J'"), std::string::npos) << option.err;
}
