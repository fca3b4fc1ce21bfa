// CSV load and parse throughput over a generated 10 MB table shaped like the program's tables.
#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string MakeTable(size_t uBytes) {
    std::string text = "name,msg,value,\"quoted, header\"\r\n";
    for (unsigned row = 0; text.size() < uBytes; ++row) {
        text += "Ntc_Key_" + std::to_string(row) + ", 网络检测结果良好 ," + std::to_string(row * 7) +
                ",\"say \"\"hi\"\", twice\"\r\n";
        if (row % 50 == 0) text += "//comment line,x\r\n\r\n";
    }
    return text;
}

void BM_TableFileLoad(benchmark::State& state) {
    const std::string path = "/tmp/bench_tablefile_" + std::to_string(getpid()) + ".csv";
    const std::string table = MakeTable(10u << 20);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(table.data(), 1, table.size(), f);
    std::fclose(f);
    for (auto _ : state) {
        CTabFile file;
        benchmark::DoNotOptimize(file.Load(path.c_str(), ',', false));
        benchmark::DoNotOptimize(file.GetRowCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(table.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_TableFileLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
