// The run controller's costs: one poll while no child has ended, and whole checks of ten commands that
// end at once, paced at the program's 33 ms frames and unpaced.
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_RunHost.h"

#include <benchmark/benchmark.h>

#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class BenchHost : public INetChk_RunHost {
public:
    void SetAppState(int32_t nState) override { m_nState = nState; }
    void RequestQuit() override {}
    void FlashMainWindow() override {}
    int32_t m_nState = kAppIdle;
};

// A scratch working directory for the scripts and the result file, left again at destruction.
class ScratchDir {
public:
    ScratchDir() {
        m_strPrevious = KXPlatform::GetCurrentDir();
        static int s_nCount = 0;
        m_strPath = (std::filesystem::temp_directory_path() /
                     ("bench_run_" + std::to_string(KXPlatform::GetProcessId()) + "_" + std::to_string(++s_nCount)))
                        .string();
        std::filesystem::create_directories(m_strPath);
        KXPlatform::SetCurrentDir(m_strPath.c_str());
        CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
        KXPlatform::SetGraphicsAdapterName("bench");
    }
    ~ScratchDir() {
        KXPlatform::SetCurrentDir(m_strPrevious.c_str());
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::string m_strPrevious;
};

void FillTenQuickCommands(CNetChk_CommandMgr& mgr) {
    CNetChk_Catalogue& cat = mgr.GetCatalogue();
    cat.m_strTargetFile = "bench.txt";
    cat.m_vecCommands.clear();
    for (int i = 0; i < 10; ++i) cat.m_vecCommands.push_back(NetChkCommand{1, "echo step" + std::to_string(i), "step"});
}

// UpdateRun while both children of a group step are still running: two drains and two zero-wait polls.
void BM_UpdateRunWhileChildrenRun(benchmark::State& state) {
    ScratchDir dir;
    BenchHost host;
    CNetChk_CommandMgr mgr;
    mgr.Attach(nullptr, &host, nullptr);
    mgr.SetExeDir(dir.Path());
    CNetChk_Catalogue& cat = mgr.GetCatalogue();
    cat.m_strTargetFile = "bench.txt";
    cat.m_mapGroupedCommands[4] = {NetChkCommand{4, "sleep 600 # ping", "a"}, NetChkCommand{4, "sleep 600 # ping", "b"}};
    cat.m_mapGroupedCommands[5] = {NetChkCommand{5, "sleep 600 # ping", "c"}};
    mgr.SetGrouped(true);
    mgr.StartStep(0, true);
    for (auto _ : state) {
        mgr.UpdateRun();
    }
    if (host.m_nState != INetChk_RunHost::kAppChecking) state.SkipWithError("a child ended during the benchmark");
    mgr.StopCheck();
}
BENCHMARK(BM_UpdateRunWhileChildrenRun);

// A check of ten commands that exit at once, with the program's frame pacing: the frames it takes.
void BM_TenCommandCheckPaced(benchmark::State& state) {
    ScratchDir dir;
    BenchHost host;
    CNetChk_CommandMgr mgr;
    mgr.Attach(nullptr, &host, nullptr);
    mgr.SetExeDir(dir.Path());
    FillTenQuickCommands(mgr);
    int64_t frames = 0;
    for (auto _ : state) {
        mgr.StartStep(0, false);
        while (host.m_nState == INetChk_RunHost::kAppChecking) {
            const uint32_t uStart = KXPlatform::GetTickCount();
            mgr.UpdateRun();
            ++frames;
            const uint32_t uSpent = KXPlatform::GetTickCount() - uStart;
            if (uSpent < 33) KXPlatform::Sleep(33 - uSpent);
        }
    }
    state.counters["frames_per_check"] = benchmark::Counter(static_cast<double>(frames) / state.iterations());
}
BENCHMARK(BM_TenCommandCheckPaced)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same check polled back to back: the time per step is the engine's overhead plus process start-up.
void BM_TenCommandCheckUnpaced(benchmark::State& state) {
    ScratchDir dir;
    BenchHost host;
    CNetChk_CommandMgr mgr;
    mgr.Attach(nullptr, &host, nullptr);
    mgr.SetExeDir(dir.Path());
    FillTenQuickCommands(mgr);
    int64_t polls = 0;
    for (auto _ : state) {
        mgr.StartStep(0, false);
        while (host.m_nState == INetChk_RunHost::kAppChecking) {
            mgr.UpdateRun();
            ++polls;
        }
    }
    state.counters["ms_per_step"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 10.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["polls_per_check"] = benchmark::Counter(static_cast<double>(polls) / state.iterations());
}
BENCHMARK(BM_TenCommandCheckUnpaced)->Unit(benchmark::kMillisecond)->UseRealTime();

// The platform alone: start one script and poll until it has ended. Subtracted from the time per step
// above, this leaves the engine's own overhead per step.
void BM_ChildStartToEnd(benchmark::State& state) {
    ScratchDir dir;
    std::ofstream("bare.sh") << "echo step\nexit\n";
    KXPlatform::CChildProcess child;
    for (auto _ : state) {
        child.OpenPipe();
        child.StartScript("bare.sh");
        while (!child.PollEnded()) {
        }
        child.ReleaseProcess();
    }
    child.ClosePipe();
}
BENCHMARK(BM_ChildStartToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
