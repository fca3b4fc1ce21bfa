// The crash guard under stress, in forked children: a fault inside the handler itself, two threads
// failing at once, and handlers replaced by other code after installation.
#include "kernel/crash/CrashTest_Child.h"

#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_MessageBox.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <thread>

namespace {

__attribute__((noinline, no_sanitize("address", "undefined"))) void TouchFirstPage() {
    volatile int* volatile pNowhere = reinterpret_cast<volatile int*>(static_cast<uintptr_t>(16));
    *pNowhere = 1;
}

// What the program does before anything can fail: a log, boxes that answer themselves, the handler.
bool SetUpChild(CrashCallback pfnCallback) {
    KXPlatform::SetMessageBoxHook([](const KXPlatform::MsgBoxRequest&) { return KXPlatform::MsgBoxAnswer::Ok; });
    KXPlatform::MakeDirectory("log");
    CArkLogger::Instance().Init("NetCheck");
    CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
    ArkLog(WL_INFO, M_Kernel, "child up");
    if (!InstallCrashHandler("QVRTNetcheck", pfnCallback, "save/%s")) return false;
    SetCrashMainThreadId(KXPlatform::GetCurrentThreadId());
    return true;
}

size_t Count(const std::string& strText, const std::string& strNeedle) {
    size_t uCount = 0;
    for (size_t uAt = strText.find(strNeedle); uAt != std::string::npos; uAt = strText.find(strNeedle, uAt + 1))
        ++uCount;
    return uCount;
}

}  // namespace

TEST(CrashGuard, AFaultInsideTheHandlerEndsTheProcessWithoutHanging) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingChild(tmp.Path(), [] {
        if (!SetUpChild(&TouchFirstPage)) return 3;  // the callback itself faults in the handler
        TouchFirstPage();
        return 4;
    }, 30);
    ASSERT_TRUE(run.bFinished) << "the crash path hung";
    EXPECT_TRUE(run.bSignalled);
    EXPECT_EQ(run.nSignal, SIGSEGV);
}

TEST(CrashGuard, TwoWorkerThreadsFailingAtOnceAreBothReported) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingChild(tmp.Path(), [] {
        if (!SetUpChild(nullptr)) return 3;
        std::atomic<int> nReady{0};
        auto fnWorker = [&nReady] {
            KXPlatform::PrepareThreadForCrashGuard();
            ++nReady;
            while (nReady.load() < 2) {
            }
            TouchFirstPage();
        };
        std::thread(fnWorker).detach();
        std::thread(fnWorker).detach();
        for (int i = 0; i < 600 && KXPlatform::GetParkedThreadCount() < 2; ++i) KXPlatform::Sleep(100);
        return KXPlatform::GetParkedThreadCount() == 2 ? 0 : 5;
    });
    ASSERT_TRUE(run.bFinished);
    EXPECT_FALSE(run.bSignalled) << run.nSignal;
    EXPECT_EQ(run.nExitCode, 0);
    const std::string strLog = ReadCrashLog(tmp.Path());
    EXPECT_EQ(Count(strLog, "Lumo：线程宕机"), 2u) << strLog;
    EXPECT_EQ(Count(strLog, "成功保存到"), 2u);
}

TEST(CrashGuard, HandlersReplacedLaterArePutBack) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingChild(tmp.Path(), [] {
        if (!SetUpChild(nullptr)) return 3;
        std::signal(SIGSEGV, SIG_DFL);  // a library taking the signal for itself
        std::signal(SIGABRT, SIG_IGN);
        if (ReassertCrashHandler() != 2) return 6;
        if (ReassertCrashHandler() != 0) return 7;
        TouchFirstPage();
        return 4;
    });
    ASSERT_TRUE(run.bFinished);
    EXPECT_EQ(run.nSignal, SIGSEGV) << run.nExitCode;
    EXPECT_TRUE(run.bDumpWatcherPosted);
    EXPECT_EQ(ListFiles(tmp / "save").size(), 1u);
}
