// salad on a full disk, on links and special files at its paths, and odd arguments: a clear message, a
// defined exit code, no file destroyed or half written.
#include "program_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

ProgramRun salad(const ScratchFolder& folder, const std::vector<std::string>& args, long long fileSizeLimit = 0) {
    RunPlan plan;
    plan.args = args;
    plan.timeoutMs = 20000;
    plan.fileSizeLimit = fileSizeLimit;
    ProgramRun run = runProgram(SALAD_PATH, folder.path(), plan);
    EXPECT_FALSE(run.timedOut) << testing::PrintToString(args);
    return run;
}

void writeStoredArchive(const ScratchFolder& folder, const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<ArchiveInput> inputs;
    for (const auto& [entry, text] : files) inputs.push_back({entry, {text.begin(), text.end()}, ArchiveMethod::Stored});
    std::string error;
    const std::vector<uint8_t> bytes = archiveBytes(inputs, error);
    folder.write(name, std::string(bytes.begin(), bytes.end()));
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
    ProgramRun pack = salad(folder, {"pack", "--store", "out.salad", "input.bin"}, 64 * 1024);
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_EQ(pack.err.rfind("salad: out.salad: ", 0), 0u) << "the message names OUT: " << pack.err;
    EXPECT_EQ(readFile(folder.path() + "/big.bin"), "old contents");
    EXPECT_EQ(readFile(folder.path() + "/out.salad"), "old archive");
    EXPECT_EQ(partialFiles(folder.path()), 0);
}

TEST(SaladFaults, LinksAndFifosAtTheDestinationAreReplacedNotWrittenThrough) {
    ScratchFolder folder;
    writeStoredArchive(folder, "in.salad", {{"soft.txt", "new soft"}, {"hard.txt", "new hard"}, {"fifo.txt", "new"}});
    const std::string out = folder.path() + "/out";
    fs::create_directory(out);
    folder.write("target.txt", "kept");
    fs::create_symlink("../target.txt", out + "/soft.txt");
    fs::create_hard_link(folder.path() + "/target.txt", out + "/hard.txt");
    ASSERT_EQ(mkfifo((out + "/fifo.txt").c_str(), 0600), 0);
    ProgramRun run = salad(folder, {"extract", "in.salad", "-C", "out"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(folder.path() + "/target.txt"), "kept");
    EXPECT_EQ(readFile(out + "/soft.txt") + readFile(out + "/hard.txt"), "new softnew hard");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(out + "/soft.txt")) && fs::is_regular_file(out + "/fifo.txt"));
}

TEST(SaladFaults, SpecialFilesAreRefusedBeforeAByteIsRead) {
    ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder.path() + "/fifo.salad").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.path() + "/zero.salad");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list", "fifo.salad"}, {"verify", "fifo.salad"}, {"extract", "fifo.salad"},
             {"pack", "out.salad", "fifo.salad"}, {"verify", "zero.salad"}}) {
        ProgramRun run = salad(folder, args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "salad: " + args.back() + ": not a regular file\n");
    }
}

TEST(SaladFaults, ModesSizesFoldersAndNamesAsTheUserExpects) {
    ScratchFolder folder;
    folder.write("a.txt", "a");
    chmod(folder.write("out.salad", "old").c_str(), 0600);
    // /proc files report a size of 0 but have contents.
    EXPECT_EQ(salad(folder, {"pack", "out.salad", "a.txt", "/proc/self/status"}).exitCode, 0);
    struct stat info {};
    ASSERT_EQ(stat((folder.path() + "/out.salad").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string packed = readFile(folder.path() + "/out.salad");
    std::vector<ArchiveFault> faults;
    const auto entries = readArchiveBytes(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), faults);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_GT(entries[1].size, 100);

    ProgramRun underAFile = salad(folder, {"extract", "out.salad", "-C", "a.txt/sub"});
    EXPECT_EQ(underAFile.err.rfind("salad: a.txt/sub: cannot make the folder: ", 0), 0u) << underAFile.err;
    ProgramRun option = salad(folder, {"pack", "--\x1b[2J", "x.salad", "a.txt"});
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_NE(option.err.find("unknown option '--\\x1B[2J'"), std::string::npos) << option.err;
}
