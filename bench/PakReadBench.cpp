// Reading a large archive entry through the file layer, beside a plain copy
// of the same number of bytes: what the unscrambling costs.
#include "framework/core/PakInterface.h"

#include "support/PakArchiveWriter.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t kEntrySize = 10 * 1024 * 1024;

// One archive with one 10 MB entry, added to a layer of its own.
struct BigArchive {
    BigArchive()
    {
        std::string bytes(kEntrySize, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 131 + 7) & 0xFF);
        path = folder.Write("bench.pak", PakArchiveWriter::Build({{"big.bin", bytes, 0, {}}}));
        added = pak.AddPakFile(path);
    }

    TempFolder folder;
    std::string path;
    PakInterface pak;
    bool added = false;
};

BigArchive& Archive()
{
    static BigArchive archive;
    return archive;
}

void BM_PakRead(benchmark::State& state)
{
    BigArchive& archive = Archive();
    PakFile* file = archive.pak.FOpen("big.bin", "rb");
    if (!archive.added || file == nullptr || file->entry == nullptr) {
        state.SkipWithError("archive not served");
        return;
    }
    std::vector<uint8_t> buffer(kEntrySize);
    for (auto _ : state) {
        archive.pak.FSeek(file, 0, SEEK_SET);
        const size_t got = archive.pak.FRead(buffer.data(), 1, buffer.size(), file);
        benchmark::DoNotOptimize(got);
        benchmark::ClobberMemory();
    }
    archive.pak.FClose(file);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kEntrySize));
}
BENCHMARK(BM_PakRead)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state)
{
    BigArchive& archive = Archive();
    PakFile* file = archive.pak.FOpen("big.bin", "rb");
    if (!archive.added || file == nullptr || file->entry == nullptr) {
        state.SkipWithError("archive not served");
        return;
    }
    // The same mapped bytes the layer reads from.
    const uint8_t* source = file->entry->archive->view.Data() + file->entry->start;
    std::vector<uint8_t> buffer(kEntrySize);
    for (auto _ : state) {
        std::memcpy(buffer.data(), source, buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    archive.pak.FClose(file);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kEntrySize));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

} // namespace
