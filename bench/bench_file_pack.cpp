// OpenFile of an inner file of a generated 10,000-entry archive, the name hash and the index lookup.
// The archive is opened once and then deleted from the disk, and every timed open must still succeed
// with the count of disk opens unchanged: the timed loop never touches the disk.
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 10000;

// Builds "pack.wdf" in a fresh directory, registers it through one OpenFile, deletes it from the disk
// and leaves the directory when the program ends.
struct BenchPack {
    std::filesystem::path dir;
    std::string strPreviousDir;
    std::vector<std::string> vecNames;  // "pack/..." paths in a shuffled order
    bool bReady = false;

    BenchPack() {
        std::random_device seed;
        dir = std::filesystem::temp_directory_path() / ("bench_file_pack_" + std::to_string(seed()));
        std::filesystem::create_directories(dir);
        strPreviousDir = KXPlatform::GetCurrentDir();
        if (!KXPlatform::SetCurrentDir(dir.c_str())) return;

        CKXKernal_PackWriter writer;
        for (int i = 0; i < kEntries; ++i) {
            const std::string strInner = "config/sys/table_" + std::to_string(i) + ".csv";
            writer.AddBytes(strInner, "key,value\r\nrow," + std::to_string(i) + "\r\n");
            vecNames.push_back("pack/" + strInner);
        }
        if (!writer.Write("pack.wdf", true)) return;
        std::shuffle(vecNames.begin(), vecNames.end(), std::mt19937(1));
        if (!OpenFile(vecNames[0].c_str(), true)) return;
        bReady = std::remove("pack.wdf") == 0;
    }
    ~BenchPack() {
        KXPlatform::SetCurrentDir(strPreviousDir.c_str());
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
};

BenchPack& Pack() {
    static BenchPack pack;
    return pack;
}

void BM_OpenFileInPack(benchmark::State& state) {
    BenchPack& pack = Pack();
    if (!pack.bReady) {
        state.SkipWithError("the archive could not be prepared");
        return;
    }
    SetReadPackFirst(true);
    const uint64_t uDiskOpens = KXKernal_GetDiskOpenCount();
    size_t uNext = 0;
    int64_t nMissing = 0;
    for (auto _ : state) {
        std::unique_ptr<CKXKernal_File> pFile = OpenFile(pack.vecNames[uNext].c_str(), true);
        nMissing += pFile == nullptr;
        benchmark::DoNotOptimize(pFile.get());
        if (++uNext == pack.vecNames.size()) uNext = 0;
    }
    const uint64_t uTouched = KXKernal_GetDiskOpenCount() - uDiskOpens;
    state.counters["disk_opens"] = static_cast<double>(uTouched);
    if (uTouched != 0 || nMissing != 0) state.SkipWithError("the timed loop touched the disk or missed a file");
}
BENCHMARK(BM_OpenFileInPack)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_FindInPack(benchmark::State& state) {
    BenchPack& pack = Pack();
    CKXKernal_File_Pack* pPack = pack.bReady ? CKXKernal_File_Pack::Open("pack.wdf") : nullptr;
    if (!pPack) {
        state.SkipWithError("the archive could not be prepared");
        return;
    }
    size_t uNext = 0;
    for (auto _ : state) {
        // Skip the "pack/" prefix: Find takes the inner path.
        benchmark::DoNotOptimize(pPack->Find(pack.vecNames[uNext].c_str() + 5));
        if (++uNext == pack.vecNames.size()) uNext = 0;
    }
}
BENCHMARK(BM_FindInPack);

void BM_HashName(benchmark::State& state) {
    const char* szPath = "interface/netchkroot.auf";
    for (auto _ : state) {
        benchmark::DoNotOptimize(szPath);
        benchmark::DoNotOptimize(HashName(szPath));
    }
}
BENCHMARK(BM_HashName);

}  // namespace
