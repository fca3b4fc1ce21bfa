// One synchronous ArkLog line written to the log file (console off), as the program logs.
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void BM_ArkLogToFile(benchmark::State& state) {
    const std::filesystem::path dir = "/tmp/bench_logger_" + std::to_string(getpid());
    std::filesystem::create_directories(dir / "log");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);

    CArkLogger& logger = CArkLogger::Instance();
    logger.Init("Bench");
    for (int m = 0; m < M_MODULE_COUNT; ++m) logger.SetModuleConsoleLevel(m, WL_LEVEL_COUNT);
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ArkLog(WL_ERROR, M_Logic, "%s 开始执行批处理命令，目前是第 %d 条", "CNetChk_CommandMgr::StartStep", ++n));
    }
    logger.CloseLogFile();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ArkLogToFile);

}  // namespace
