// nctool crash KIND [--upload-url URL]: installs the crash handler as the program does and fails on
// purpose, so that the whole crash path (log report, dump, watchers, messages, upload) can be driven
// from outside. Dumps go to save/ under the current directory, the log to ./log/.
#include "NcTool_Command.h"

#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

const char* const kUsage = "crash segv|abort|fpe|throw|thread-segv|two-threads-segv|handler-segv|replaced-abort [--upload-url URL]";

// Each failure sits in a function of its own, kept out of line, so the report can name it.
// A store to the first page, which is never mapped; volatile so that the compiler keeps it.
__attribute__((noinline, no_sanitize("address", "undefined"))) void CrashBySegv() {
    volatile int* volatile pNowhere = reinterpret_cast<volatile int*>(static_cast<uintptr_t>(16));
    *pNowhere = 42;
}

__attribute__((noinline)) void CrashByAbort() { std::abort(); }

// A real integer division by zero; written in assembly where we can, because in C++ it is undefined and
// the sanitizers would report it before the processor does.
__attribute__((noinline)) void CrashByFpe() {
#if defined(__x86_64__)
    int nZero = 0;
    int nDividend = 1;
    __asm__ volatile("cltd\n\tidivl %1" : "+a"(nDividend) : "r"(nZero) : "edx");
#else
    std::raise(SIGFPE);
#endif
}

__attribute__((noinline)) void CrashByThrow() { throw std::runtime_error("nctool crash throw"); }

__attribute__((noinline)) void CrashWorkerThread() {
    KXPlatform::PrepareThreadForCrashGuard();
    CrashBySegv();
}

// Two workers that fail at the same moment: both are reported, one after the other.
std::atomic<int> g_nReadyWorkers{0};
__attribute__((noinline)) void CrashTogetherThread() {
    KXPlatform::PrepareThreadForCrashGuard();
    ++g_nReadyWorkers;
    while (g_nReadyWorkers.load() < 2) {
    }
    CrashBySegv();
}

// Waits until uCount workers are parked after their reports; a minute is far beyond any report.
int WaitForParkedWorkers(uint32_t uCount) {
    for (int i = 0; i < 600 && KXPlatform::GetParkedThreadCount() < uCount; ++i) KXPlatform::Sleep(100);
    if (KXPlatform::GetParkedThreadCount() < uCount) {
        std::fprintf(stderr, "nctool crash: the workers' reports did not finish\n");
        return 1;
    }
    std::printf("main thread alive\n");
    std::fflush(stdout);
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || (args.size() != 1 && args.size() != 3)) return nctool::Usage(kUsage);
    if (args.size() == 3 && args[1] != "--upload-url") return nctool::Usage(kUsage);
    const std::string& strKind = args[0];
    if (strKind != "segv" && strKind != "abort" && strKind != "fpe" && strKind != "throw" &&
        strKind != "thread-segv" && strKind != "two-threads-segv" && strKind != "handler-segv" &&
        strKind != "replaced-abort")
        return nctool::Usage(kUsage);

    KXPlatform::MakeDirectory("log");
    CArkLogger::Instance().Init("NetCheck");
    // handler-segv: the installer's own callback, which runs inside the crash handler, fails too.
    const CrashCallback pfnCallback = strKind == "handler-segv" ? &CrashBySegv : nullptr;
    if (!InstallCrashHandler("QVRTNetcheck", pfnCallback, "save/%s")) {
        std::fprintf(stderr, "nctool crash: the crash handler could not be installed\n");
        return 1;
    }
    SetCrashMainThreadId(KXPlatform::GetCurrentThreadId());
    if (args.size() == 3) SetUploadUrl(args[2].c_str());
    ArkLog(WL_INFO, M_Kernel, "nctool crash %s", strKind.c_str());
    AddCallRecord(("nctool crash " + strKind).c_str());

    if (strKind == "replaced-abort") {
        // A library that takes the abort signal for itself after start-up; the shell puts the handler back.
        std::signal(SIGABRT, SIG_IGN);
        const int nFirst = ReassertCrashHandler();
        const int nSecond = ReassertCrashHandler();
        std::printf("reasserted %d %d\n", nFirst, nSecond);
        std::fflush(stdout);
        CrashByAbort();
    }
    if (strKind == "segv" || strKind == "handler-segv") CrashBySegv();
    if (strKind == "abort") CrashByAbort();
    if (strKind == "fpe") CrashByFpe();
    if (strKind == "throw") CrashByThrow();
    if (strKind == "thread-segv") {
        std::thread(&CrashWorkerThread).detach();
        return WaitForParkedWorkers(1);
    }
    if (strKind == "two-threads-segv") {
        std::thread(&CrashTogetherThread).detach();
        std::thread(&CrashTogetherThread).detach();
        return WaitForParkedWorkers(2);
    }
    return 1;  // not reached: every other kind ends the process
}

nctool::CommandRegistrar reg("crash", &Run, kUsage);

}  // namespace
