// Archive open and decode throughput (decoded MB/s) against liblzma decoding the same blobs directly.
#include "archive/archive.h"

#include <benchmark/benchmark.h>
#include <lzma.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// About 5 MB in the mix the content has: text (scenes, font), smooth images and noisy ones.
std::vector<ArchiveInput> sampleInputs() {
    std::vector<ArchiveInput> inputs;
    uint32_t state = 12345;
    for (int i = 0; i < 10; ++i) {
        ArchiveInput input;
        input.name = "entry" + std::to_string(i);
        input.data.resize(512 * 1024);
        for (size_t j = 0; j < input.data.size(); ++j) {
            state = state * 1664525u + 1013904223u;
            switch (i % 3) {
            case 0:
                input.data[j] = uint8_t("SI_Mesh { 0.125, -3.5, 17.0; }\n"[(j + (state >> 28)) % 30]);
                break;
            case 1:
                input.data[j] = uint8_t((j % 640) / 3 + (j / 640) / 5 + ((state >> 30) & 1));
                break;
            default:
                input.data[j] = uint8_t(state >> 24);
                break;
            }
        }
        input.method = ArchiveMethod::Lzma;
        inputs.push_back(std::move(input));
    }
    return inputs;
}

struct Sample {
    std::vector<uint8_t> bytes;
    std::string path;
    int64_t decodedBytes = 0;
    std::vector<ArchiveRecord> table;

    Sample() {
        std::vector<ArchiveInput> inputs = sampleInputs();
        std::string error;
        if (!writeArchiveBytes(inputs, bytes, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        for (const ArchiveInput& input : inputs) {
            decodedBytes += int64_t(input.data.size());
        }
        ArchiveHeader header;
        std::vector<ArchiveFault> faults;
        parseArchiveLayout(bytes.data(), bytes.size(), header, table, faults);
        path = (std::filesystem::temp_directory_path() / "tomblora-bench-XXXXXX").string();
        int fd = mkstemp(path.data());
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
            std::exit(1);
        }
        close(fd);
    }
    ~Sample() { unlink(path.c_str()); }
};

Sample& sample() {
    static Sample instance;
    return instance;
}

void BM_ResourceArchiveOpen(benchmark::State& state) {
    sample();
    for (auto _ : state) {
        ResourceArchive archive;
        archive.open(sample().path.c_str());
        benchmark::DoNotOptimize(archive.entries);
        archive.release();
    }
    state.SetBytesProcessed(state.iterations() * sample().decodedBytes);
    state.counters["ratio"] = double(sample().bytes.size()) / double(sample().decodedBytes);
}

void BM_ReadArchiveBytes(benchmark::State& state) {
    sample();
    for (auto _ : state) {
        std::vector<ArchiveFault> faults;
        std::vector<DecodedEntry> entries =
            readArchiveBytes(sample().bytes.data(), sample().bytes.size(), faults);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetBytesProcessed(state.iterations() * sample().decodedBytes);
}

// The floor: liblzma's .lzma decoder on each blob into a buffer allocated beforehand.
void BM_LiblzmaAloneDecode(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> outputs;
    for (const ArchiveRecord& record : sample().table) {
        outputs.emplace_back(size_t(record.size));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < sample().table.size(); ++i) {
            const ArchiveRecord& record = sample().table[i];
            lzma_stream stream = LZMA_STREAM_INIT;
            if (lzma_alone_decoder(&stream, UINT64_MAX) != LZMA_OK) {
                state.SkipWithError("decoder cannot start");
                return;
            }
            stream.next_in = sample().bytes.data() + record.blobOffset;
            stream.avail_in = size_t(record.storedSize);
            stream.next_out = outputs[i].data();
            stream.avail_out = outputs[i].size();
            lzma_ret ret = lzma_code(&stream, LZMA_FINISH);
            benchmark::DoNotOptimize(ret);
            lzma_end(&stream);
        }
        benchmark::DoNotOptimize(outputs.data());
    }
    state.SetBytesProcessed(state.iterations() * sample().decodedBytes);
}

void BM_WriteArchiveBytes(benchmark::State& state) {
    sample();
    std::vector<ArchiveInput> inputs = sampleInputs();
    for (auto _ : state) {
        std::vector<uint8_t> out;
        std::string error;
        writeArchiveBytes(inputs, out, error);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * sample().decodedBytes);
}

} // namespace

BENCHMARK(BM_ResourceArchiveOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadArchiveBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiblzmaAloneDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteArchiveBytes)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
