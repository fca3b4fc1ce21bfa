// The crash guard on Windows: an unhandled-exception filter (and the abort signal) report the fault.
// Windows has no fork, so there is no clean copy of the process to hand the fault to: the report function
// runs in the failing process itself, inside the filter, on the failing thread. The mirror regions are
// therefore already current. A thread that overflowed its stack still has the guarantee set below.
#include "KX_Platform/KXPlatform_CrashGuard.h"

#include "KXPlatform_Win32.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace KXPlatform {

namespace {

CrashGuardHooks g_hooks;
std::atomic<bool> g_bInstalled{false};
std::atomic<uint32_t> g_uParked{0};
std::atomic<int> g_nMirrorRegions{0};
std::mutex g_reportMutex;  // two threads failing together are served one after the other
std::atomic<DWORD> g_uReportingThread{0};  // the thread whose report runs, 0 when none
constexpr ULONG kStackGuarantee = 64 * 1024;

const char* const kRegisterNames[] = {"rip", "rsp", "rbp", "rax", "rbx", "rcx", "rdx", "rsi", "rdi",
                                      "r8",  "r9",  "r10", "r11", "r12", "r13", "r14", "r15", "eflags"};

void NameOf(DWORD uCode, CrashFacts& facts) {
    const char* szName = "SIGSEGV";
    int nSignal = SIGSEGV;
    switch (uCode) {
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
            szName = "SIGFPE";
            nSignal = SIGFPE;
            break;
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
            szName = "SIGILL";
            nSignal = SIGILL;
            break;
        default:
            break;
    }
    facts.nSignal = nSignal;
    std::strncpy(facts.szSignalName, szName, sizeof(facts.szSignalName) - 1);
}

void FillRegisters(const CONTEXT& c, CrashFacts& facts) {
    const uint64_t aRegisters[] = {c.Rip, c.Rsp, c.Rbp, c.Rax, c.Rbx, c.Rcx, c.Rdx, c.Rsi, c.Rdi,
                                   c.R8,  c.R9,  c.R10, c.R11, c.R12, c.R13, c.R14, c.R15, c.EFlags};
    facts.uRegisterCount = sizeof(aRegisters) / sizeof(aRegisters[0]);
    std::memcpy(facts.aRegisters, aRegisters, sizeof(aRegisters));
    facts.uProgramCounter = c.Rip;
    facts.uStackAddress = c.Rsp;
}

// The frames from the faulting context outwards, by the unwind tables of x64 code.
void WalkFrames(CONTEXT context, CrashFacts& facts) {
    for (facts.uFrameCount = 0; facts.uFrameCount < kCrashMaxFrames && context.Rip != 0;) {
        facts.aFrames[facts.uFrameCount++] = context.Rip;
        DWORD64 uImageBase = 0;
        PRUNTIME_FUNCTION pFunction = ::RtlLookupFunctionEntry(context.Rip, &uImageBase, nullptr);
        if (!pFunction) {
            // A leaf function: the return address is on top of the stack.
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        PVOID pHandlerData = nullptr;
        DWORD64 uEstablisher = 0;
        ::RtlVirtualUnwind(UNW_FLAG_NHANDLER, uImageBase, context.Rip, pFunction, &context, &pHandlerData,
                           &uEstablisher, nullptr);
    }
}

// Up to kCrashMaxStackBytes from the stack pointer, within the committed part of the stack.
std::string CopyStack(uint64_t uStackPointer) {
    MEMORY_BASIC_INFORMATION info{};
    if (!::VirtualQuery(reinterpret_cast<void*>(uStackPointer), &info, sizeof(info)) || info.State != MEM_COMMIT)
        return std::string();
    const uint64_t uEnd = reinterpret_cast<uint64_t>(info.BaseAddress) + info.RegionSize;
    const uint64_t uSize = std::min<uint64_t>(uEnd - uStackPointer, kCrashMaxStackBytes);
    return std::string(reinterpret_cast<const char*>(uStackPointer), static_cast<size_t>(uSize));
}

// True when the calling thread failed again while its own report runs (a bad callback, a fault in the
// report): it must not wait for the lock it holds itself, the process ends at once instead.
bool IsNestedFault() { return g_uReportingThread.load() == ::GetCurrentThreadId(); }

CrashVerdict Report(CrashFacts& facts, const std::string& strStack) {
    std::lock_guard<std::mutex> lock(g_reportMutex);
    g_uReportingThread.store(::GetCurrentThreadId());
    if (g_hooks.pfnInHandler) g_hooks.pfnInHandler();
    const CrashVerdict eVerdict = g_hooks.pfnInAgent ? g_hooks.pfnInAgent(facts, strStack) : CrashVerdict::EndProcess;
    g_uReportingThread.store(0);
    return eVerdict;
}

void FillCommon(CrashFacts& facts) {
    facts.uProcessId = ::GetCurrentProcessId();
    facts.uThreadId = ::GetCurrentThreadId();
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo) {
    if (IsNestedFault()) return EXCEPTION_EXECUTE_HANDLER;
    CrashFacts facts;
    FillCommon(facts);
    const EXCEPTION_RECORD& record = *pInfo->ExceptionRecord;
    NameOf(record.ExceptionCode, facts);
    facts.nCode = static_cast<int32_t>(record.ExceptionCode);
    facts.uAddress = record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2
                         ? static_cast<uint64_t>(record.ExceptionInformation[1])
                         : reinterpret_cast<uint64_t>(record.ExceptionAddress);
    const CONTEXT& c = *pInfo->ContextRecord;
    FillRegisters(c, facts);
    WalkFrames(c, facts);
    const std::string strStack = CopyStack(c.Rsp);
    if (Report(facts, strStack) == CrashVerdict::ParkThread) {
        ++g_uParked;
        for (;;) ::Sleep(INFINITE);
    }
    // The process ends without the C library's exit: what the report wrote to buffered streams goes now.
    std::fflush(nullptr);
    return EXCEPTION_EXECUTE_HANDLER;  // the process ends with the exception's code
}

void OnAbort(int) {
    if (IsNestedFault()) ::TerminateProcess(::GetCurrentProcess(), 3);
    CrashFacts facts;
    FillCommon(facts);
    facts.nSignal = SIGABRT;
    std::strncpy(facts.szSignalName, "SIGABRT", sizeof(facts.szSignalName) - 1);
    CONTEXT context{};
    ::RtlCaptureContext(&context);
    FillRegisters(context, facts);
    WalkFrames(context, facts);
    if (Report(facts, CopyStack(context.Rsp)) == CrashVerdict::ParkThread) {
        ++g_uParked;
        for (;;) ::Sleep(INFINITE);
    }
    std::fflush(nullptr);
    ::TerminateProcess(::GetCurrentProcess(), 3);  // abort's exit code
}

}  // namespace

const char* CrashRegisterName(uint32_t uIndex) {
    return uIndex < sizeof(kRegisterNames) / sizeof(kRegisterNames[0]) ? kRegisterNames[uIndex] : "";
}

bool InstallCrashGuard(const CrashGuardHooks& hooks) {
    if (g_bInstalled.exchange(true)) return false;
    g_hooks = hooks;
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    std::signal(SIGABRT, &OnAbort);
    PrepareThreadForCrashGuard();
    return true;
}

bool AddCrashMirrorRegion(void* pAddress, size_t uSize) {
    // The report runs in this process, so the memory needs no copy; the limit stays the same.
    return pAddress && uSize > 0 && g_nMirrorRegions.fetch_add(1) < 16;
}

bool PrepareThreadForCrashGuard() {
    ULONG uGuarantee = kStackGuarantee;
    return ::SetThreadStackGuarantee(&uGuarantee) != 0;
}

int ReassertCrashGuard() {
    if (!g_bInstalled) return 0;
    int nReplaced = 0;
    if (::SetUnhandledExceptionFilter(&OnUnhandledException) != &OnUnhandledException) ++nReplaced;
    if (std::signal(SIGABRT, &OnAbort) != &OnAbort) ++nReplaced;
    return nReplaced;
}

uint32_t GetParkedThreadCount() { return g_uParked; }

uint32_t GetCrashAgentProcessId() { return 0; }

uint32_t GetCurrentThreadId() { return static_cast<uint32_t>(::GetCurrentThreadId()); }

// The watcher waits on a named event of that name; it is set once and let go.
bool SignalNamedWatcher(const char* szName) {
    if (!szName || !*szName) return false;
    HANDLE hEvent = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, szName);
    if (!hEvent) return false;
    const bool bSet = ::SetEvent(hEvent) != 0;
    ::CloseHandle(hEvent);
    return bSet;
}

}  // namespace KXPlatform
