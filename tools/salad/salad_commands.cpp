// The four salad commands: pack, list, extract and verify.
#include "salad.h"

#include "archive/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

// Archives may exceed their 1 GiB of decoded data a little when stored blobs grow under LZMA.
constexpr int64_t kMaxArchiveFileBytes = int64_t(2) << 30;

const char kPackHelp[] = "Usage: salad pack OUT FILE... [--store]\n"
                         "Writes the archive OUT holding each FILE as one entry named by its file name\n"
                         "(without directories; at most 32 bytes; no two alike).\n"
                         "  --store   keep the files as they are instead of compressing them with LZMA\n";
const char kListHelp[] = "Usage: salad list ARCHIVE\n"
                         "Shows every entry's name, size, stored size, method and stored/size ratio,\n"
                         "without decoding. Faults of the table are reported on standard error.\n";
const char kExtractHelp[] = "Usage: salad extract ARCHIVE [NAME...] [-C DIR]\n"
                            "Decodes the named entries (all when none is named) into files in DIR\n"
                            "(default: the working directory, created when missing). Refuses, before\n"
                            "writing anything, entry names that would land outside DIR.\n";
const char kVerifyHelp[] = "Usage: salad verify ARCHIVE\n"
                           "Reads and decodes every entry and reports every fault found; exit status 1\n"
                           "when there is any.\n";

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printFaults(const std::string& archive, const std::vector<ArchiveFault>& faults) {
    for (const ArchiveFault& fault : faults) {
        std::fprintf(stderr, "%s\n", describeArchiveFault(archive, fault).c_str());
    }
}

// The shared start of the commands that take one ARCHIVE: help, usage checks, then the whole file read.
// Returns -1 when the command goes on with `bytes`, else the exit status to end with.
int readArchiveArgument(const char* command, const char* help, const std::vector<std::string>& args,
                        std::string& path, std::vector<uint8_t>& bytes) {
    SaladArguments parsed = parseSaladArguments(args, false, false);
    if (parsed.help) {
        std::fputs(help, stdout);
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        return usageError(command, parsed.error);
    }
    if (parsed.positional.size() != 1) {
        return usageError(command, "needs exactly one ARCHIVE");
    }
    path = parsed.positional[0];
    std::string error;
    if (!readWholeFile(path, kMaxArchiveFileBytes, bytes, error)) {
        return failure(error);
    }
    return -1;
}

std::string ratioText(int64_t stored, int64_t size) {
    if (size <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * double(stored) / double(size));
    return text;
}

} // namespace

int runPack(const std::vector<std::string>& args) {
    SaladArguments parsed = parseSaladArguments(args, true, false);
    if (parsed.help) {
        std::fputs(kPackHelp, stdout);
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        return usageError("pack", parsed.error);
    }
    if (parsed.positional.size() < 2) {
        return usageError("pack", "needs OUT and at least one FILE");
    }
    std::vector<ArchiveInput> inputs;
    std::set<std::string> names;
    for (size_t i = 1; i < parsed.positional.size(); ++i) {
        const std::string& path = parsed.positional[i];
        std::string name = baseName(path);
        std::string unsafe = unsafeEntryNameReason(name);
        if (!unsafe.empty()) {
            return usageError("pack",
                              "entry name \"" + printableEntryName(name) + "\" of " + path + " " + unsafe);
        }
        if (name.size() > size_t(kArchiveNameBytes)) {
            return usageError("pack", "entry name \"" + name + "\" is longer than 32 bytes");
        }
        if (!names.insert(name).second) {
            return usageError("pack", "two files are named \"" + name + "\"");
        }
        ArchiveInput input;
        input.name = name;
        input.method = parsed.store ? ArchiveMethod::Stored : ArchiveMethod::Lzma;
        std::string error;
        if (!readWholeFile(path, kMaxDecodedBytes, input.data, error)) {
            return failure(error);
        }
        inputs.push_back(std::move(input));
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!writeArchiveBytes(inputs, bytes, error)) {
        return failure(parsed.positional[0] + ": " + error);
    }
    if (!writeWholeFile(parsed.positional[0], bytes, error)) {
        return failure(error);
    }
    return kExitOk;
}

int runList(const std::vector<std::string>& args) {
    std::string path;
    std::vector<uint8_t> bytes;
    const int status = readArchiveArgument("list", kListHelp, args, path, bytes);
    if (status >= 0) {
        return status;
    }
    ArchiveHeader header;
    std::vector<ArchiveRecord> table;
    std::vector<ArchiveFault> faults;
    parseArchiveLayout(bytes.data(), bytes.size(), header, table, faults);
    std::printf("%-34s %11s %11s %-7s %s\n", "name", "size", "stored", "method", "ratio");
    int64_t totalSize = 0;
    int64_t totalStored = 0;
    for (const ArchiveRecord& record : table) {
        std::printf("%-34s %11d %11d %-7s %s\n", printableEntryName(record.name).c_str(), record.size,
                    record.storedSize, record.method == 1 ? "lzma" : "stored",
                    ratioText(record.storedSize, record.size).c_str());
        totalSize += record.size;
        totalStored += record.storedSize;
    }
    std::printf("%-34s %11lld %11lld %-7s %s\n", (std::to_string(table.size()) + " entries").c_str(),
                (long long)totalSize, (long long)totalStored, "", ratioText(totalStored, totalSize).c_str());
    printFaults(path, faults);
    return faults.empty() ? kExitOk : kExitFault;
}

int runExtract(const std::vector<std::string>& args) {
    SaladArguments parsed = parseSaladArguments(args, false, true);
    if (parsed.help) {
        std::fputs(kExtractHelp, stdout);
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        return usageError("extract", parsed.error);
    }
    if (parsed.positional.empty()) {
        return usageError("extract", "needs an ARCHIVE");
    }
    const std::string& path = parsed.positional[0];
    std::set<std::string> wanted(parsed.positional.begin() + 1, parsed.positional.end());
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWholeFile(path, kMaxArchiveFileBytes, bytes, error)) {
        return failure(error);
    }
    std::vector<ArchiveFault> faults;
    std::vector<DecodedEntry> entries = readArchiveBytes(bytes.data(), bytes.size(), faults);

    // The program sees the first of equal names, so that is the one written.
    std::vector<const DecodedEntry*> chosen;
    std::set<std::string> seen;
    for (const DecodedEntry& entry : entries) {
        if ((wanted.empty() || wanted.count(entry.name)) && seen.insert(entry.name).second) {
            chosen.push_back(&entry);
        }
    }
    bool faulty = false;
    for (const ArchiveFault& fault : faults) {
        if (fault.index < 0 || wanted.empty() || wanted.count(fault.entry)) {
            std::fprintf(stderr, "%s\n", describeArchiveFault(path, fault).c_str());
            faulty = true;
            seen.insert(fault.entry);
        }
    }
    for (const std::string& name : wanted) {
        if (!seen.count(name)) {
            faulty = failure(path + ": no entry named \"" + printableEntryName(name) + "\"");
        }
    }
    for (const DecodedEntry* entry : chosen) {
        std::string unsafe = unsafeEntryNameReason(entry->name);
        if (!unsafe.empty()) {
            return failure(path + ": entry \"" + printableEntryName(entry->name) + "\" " + unsafe +
                           " and would be written outside " + parsed.directory + "; nothing extracted");
        }
    }

    std::error_code ignored;
    std::filesystem::create_directories(parsed.directory, ignored);
#ifdef _WIN32
    if (!std::filesystem::is_directory(parsed.directory, ignored)) {
        return failure(parsed.directory + ": not a directory that can be made");
    }
    const int dirFd = -1;
#else
    int dirFd = ::open(parsed.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return failure(parsed.directory + ": " + std::strerror(errno));
    }
#endif
    for (const DecodedEntry* entry : chosen) {
        if (!writeFileInDirectory(dirFd, parsed.directory, entry->name, entry->data, error)) {
#ifndef _WIN32
            ::close(dirFd);
#endif
            return failure(error);
        }
    }
#ifndef _WIN32
    ::close(dirFd);
#endif
    return faulty ? kExitFault : kExitOk;
}

int runVerify(const std::vector<std::string>& args) {
    std::string path;
    std::vector<uint8_t> bytes;
    const int status = readArchiveArgument("verify", kVerifyHelp, args, path, bytes);
    if (status >= 0) {
        return status;
    }
    std::vector<ArchiveFault> faults;
    std::vector<DecodedEntry> entries = readArchiveBytes(bytes.data(), bytes.size(), faults);
    int64_t decoded = 0;
    for (const DecodedEntry& entry : entries) {
        decoded += entry.size;
    }
    printFaults(path, faults);
    if (!faults.empty()) {
        std::printf("%s: %zu fault(s); %zu entries decoded\n", path.c_str(), faults.size(), entries.size());
        return kExitFault;
    }
    std::printf("%s: ok, %zu entries, %lld bytes decoded\n", path.c_str(), entries.size(),
                (long long)decoded);
    return kExitOk;
}
