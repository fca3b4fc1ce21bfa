// The crash guard on POSIX: signal handlers on an alternate stack, and the forked crash agent that
// serves them over a socket pair.
#include "KX_Platform/KXPlatform_CrashGuard.h"

#include <execinfo.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace KXPlatform {

namespace {

constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr uint32_t kWireMagic = 0x31524351;  // "QCR1"
constexpr uint32_t kMaxRegions = 16;
constexpr size_t kAltStackBytes = 128 * 1024;
constexpr size_t kPageBytes = 4096;

struct Region {
    void* pAddress;
    uint64_t uSize;
};

Region g_aRegions[kMaxRegions];
uint32_t g_uRegionCount = 0;
CrashGuardHooks g_hooks;
bool g_bInstalled = false;
int g_nSocket = -1;                  // our end of the pair with the agent
int g_aProbe[2] = {-1, -1};          // the pipe through which the stack is copied without faulting
pid_t g_agentPid = 0;
std::atomic<long> g_nServingThread{0};
std::atomic<uint32_t> g_uParkedThreads{0};  // lock-free, so safe to touch in the handler  // the thread that talks to the agent now, 0 for none
unsigned char g_aStackCopy[kCrashMaxStackBytes];

long CurrentTid() { return syscall(SYS_gettid); }

const char* SignalName(int nSignal) {
    switch (nSignal) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGFPE: return "SIGFPE";
        case SIGILL: return "SIGILL";
        case SIGABRT: return "SIGABRT";
        default: return "SIGNAL";
    }
}

// Writes all bytes or fails; MSG_NOSIGNAL so a dead agent gives EPIPE instead of SIGPIPE.
bool SendAll(int nFd, const void* pData, size_t uSize) {
    const char* p = static_cast<const char*>(pData);
    while (uSize > 0) {
        const ssize_t n = send(nFd, p, uSize, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        uSize -= static_cast<size_t>(n);
    }
    return true;
}

bool ReceiveAll(int nFd, void* pData, size_t uSize) {
    char* p = static_cast<char*>(pData);
    while (uSize > 0) {
        const ssize_t n = recv(nFd, p, uSize, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        uSize -= static_cast<size_t>(n);
    }
    return true;
}

// Copies up to kCrashMaxStackBytes from the stack pointer upwards, a page at a time through the probe
// pipe: write() reports an unmapped page as EFAULT where a plain read would fault again.
uint32_t CopyStack(uint64_t uStackPointer) {
    if (g_aProbe[1] < 0 || uStackPointer == 0) return 0;
    uint32_t uCopied = 0;
    uint64_t uAt = uStackPointer;
    while (uCopied < kCrashMaxStackBytes) {
        size_t uChunk = kPageBytes - (uAt % kPageBytes);
        if (uChunk > kCrashMaxStackBytes - uCopied) uChunk = kCrashMaxStackBytes - uCopied;
        // The raw system call: a checking write() wrapper (the address sanitizer's) would object to
        // reading the stack's guard zones, which is exactly what a stack copy does.
        const ssize_t nWritten = syscall(SYS_write, g_aProbe[1], reinterpret_cast<const void*>(uAt), uChunk);
        if (nWritten != static_cast<ssize_t>(uChunk)) {
            if (nWritten > 0) {  // drain what got in, and stop
                (void)!read(g_aProbe[0], g_aStackCopy + uCopied, static_cast<size_t>(nWritten));
                uCopied += static_cast<uint32_t>(nWritten);
            }
            break;
        }
        if (read(g_aProbe[0], g_aStackCopy + uCopied, uChunk) != static_cast<ssize_t>(uChunk)) break;
        uCopied += static_cast<uint32_t>(uChunk);
        uAt += uChunk;
    }
    return uCopied;
}

void ReadMachineState(void* pContext, CrashFacts& facts, uint64_t& uStackPointer) {
    uStackPointer = 0;
#if defined(__x86_64__)
    const ucontext_t* pUc = static_cast<const ucontext_t*>(pContext);
    static const int kOrder[] = {REG_RAX, REG_RBX, REG_RCX, REG_RDX, REG_RSI, REG_RDI, REG_RBP, REG_RSP,
                                 REG_R8,  REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15,
                                 REG_RIP, REG_EFL};
    facts.uRegisterCount = sizeof(kOrder) / sizeof(kOrder[0]);
    for (uint32_t i = 0; i < facts.uRegisterCount; ++i)
        facts.aRegisters[i] = static_cast<uint64_t>(pUc->uc_mcontext.gregs[kOrder[i]]);
    facts.uProgramCounter = static_cast<uint64_t>(pUc->uc_mcontext.gregs[REG_RIP]);
    uStackPointer = static_cast<uint64_t>(pUc->uc_mcontext.gregs[REG_RSP]);
#else
    (void)pContext;
    facts.uRegisterCount = 0;
#endif
}

// The frames from the faulting one outwards: backtrace() passes through the signal trampoline, and the
// unwinder reports the interrupted frame with its exact program counter, which marks where to start.
void ReadFrames(CrashFacts& facts) {
    void* aRaw[kCrashMaxFrames + 8];
    const int nRaw = backtrace(aRaw, static_cast<int>(kCrashMaxFrames + 8));
    int nStart = -1;
    for (int i = 0; i < nRaw; ++i) {
        if (reinterpret_cast<uint64_t>(aRaw[i]) == facts.uProgramCounter) {
            nStart = i;
            break;
        }
    }
    if (nStart < 0) nStart = nRaw > 2 ? 2 : 0;  // the handler and the trampoline
    facts.uFrameCount = 0;
    for (int i = nStart; i < nRaw && facts.uFrameCount < kCrashMaxFrames; ++i)
        facts.aFrames[facts.uFrameCount++] = reinterpret_cast<uint64_t>(aRaw[i]);
}

// The signal's default action: the signal stays blocked until the handler returns, so the raised copy
// lands right after, and a fault raised by the kernel (not by kill) ends the process the same way.
void TakeDefaultAction(int nSignal) {
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(nSignal, &action, nullptr);
    syscall(SYS_tgkill, getpid(), CurrentTid(), nSignal);
}

[[noreturn]] void ParkForever() {
    sigset_t all;
    sigfillset(&all);
    for (;;) sigsuspend(&all);
}

CrashVerdict AskAgent(const CrashFacts& facts, uint32_t uStackBytes) {
    const uint32_t uMagic = kWireMagic;
    if (!SendAll(g_nSocket, &uMagic, sizeof(uMagic)) || !SendAll(g_nSocket, &facts, sizeof(facts)) ||
        !SendAll(g_nSocket, &uStackBytes, sizeof(uStackBytes)) ||
        !SendAll(g_nSocket, g_aStackCopy, uStackBytes) ||
        !SendAll(g_nSocket, &g_uRegionCount, sizeof(g_uRegionCount)))
        return CrashVerdict::EndProcess;
    for (uint32_t i = 0; i < g_uRegionCount; ++i) {
        if (!SendAll(g_nSocket, &g_aRegions[i], sizeof(Region)) ||
            !SendAll(g_nSocket, g_aRegions[i].pAddress, g_aRegions[i].uSize))
            return CrashVerdict::EndProcess;
    }
    int32_t nVerdict = 0;
    if (!ReceiveAll(g_nSocket, &nVerdict, sizeof(nVerdict))) return CrashVerdict::EndProcess;
    return nVerdict == static_cast<int32_t>(CrashVerdict::ParkThread) ? CrashVerdict::ParkThread
                                                                      : CrashVerdict::EndProcess;
}

void OnCrashSignal(int nSignal, siginfo_t* pInfo, void* pContext) {
    const int nSavedErrno = errno;
    CrashFacts facts;
    facts.nSignal = nSignal;
    std::strncpy(facts.szSignalName, SignalName(nSignal), sizeof(facts.szSignalName) - 1);
    facts.nCode = pInfo ? pInfo->si_code : 0;
    if (pInfo && nSignal != SIGABRT) facts.uAddress = reinterpret_cast<uint64_t>(pInfo->si_addr);
    facts.uProcessId = static_cast<uint32_t>(getpid());
    const long nTid = CurrentTid();
    facts.uThreadId = static_cast<uint32_t>(nTid);
    uint64_t uStackPointer = 0;
    ReadMachineState(pContext, facts, uStackPointer);
    ReadFrames(facts);

    if (g_hooks.pfnInHandler) g_hooks.pfnInHandler();

    // One thread at a time talks to the agent; the crash signals are blocked in here, so the owner can
    // never be this thread again.
    long nFree = 0;
    while (!g_nServingThread.compare_exchange_strong(nFree, nTid)) {
        nFree = 0;
        const struct timespec wait = {0, 10 * 1000 * 1000};
        nanosleep(&wait, nullptr);
    }
    const uint32_t uStackBytes = CopyStack(uStackPointer);
    facts.uStackAddress = uStackPointer;
    const CrashVerdict verdict = AskAgent(facts, uStackBytes);
    g_nServingThread.store(0);

    if (verdict == CrashVerdict::ParkThread) {
        g_uParkedThreads.fetch_add(1);
        ParkForever();
    }
    TakeDefaultAction(nSignal);
    errno = nSavedErrno;
}

bool InstallHandler(int nSignal) {
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = OnCrashSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int nOther : kGuardedSignals) sigaddset(&action.sa_mask, nOther);
    return sigaction(nSignal, &action, nullptr) == 0;
}

[[noreturn]] void AgentMain(int nSocket) {
    prctl(PR_SET_NAME, "QVRTCrashAgent", 0, 0, 0);
    signal(SIGINT, SIG_IGN);  // a Ctrl+C meant for the program must not take its agent away first
    signal(SIGPIPE, SIG_IGN);
    for (;;) {
        uint32_t uMagic = 0;
        CrashFacts facts;
        uint32_t uStackBytes = 0;
        if (!ReceiveAll(nSocket, &uMagic, sizeof(uMagic)) || uMagic != kWireMagic ||
            !ReceiveAll(nSocket, &facts, sizeof(facts)) ||
            !ReceiveAll(nSocket, &uStackBytes, sizeof(uStackBytes)) || uStackBytes > kCrashMaxStackBytes)
            _exit(0);  // the process ended (or spoke nonsense): nothing left to guard
        std::string strStack(uStackBytes, '\0');
        uint32_t uRegions = 0;
        if (!ReceiveAll(nSocket, &strStack[0], uStackBytes) ||
            !ReceiveAll(nSocket, &uRegions, sizeof(uRegions)) || uRegions > kMaxRegions)
            _exit(0);
        for (uint32_t i = 0; i < uRegions; ++i) {
            Region region;
            if (!ReceiveAll(nSocket, &region, sizeof(region))) _exit(0);
            // Only a region this copy of the process registered too may be written to.
            bool bKnown = false;
            for (uint32_t k = 0; k < g_uRegionCount; ++k)
                bKnown |= g_aRegions[k].pAddress == region.pAddress && g_aRegions[k].uSize == region.uSize;
            if (!bKnown) _exit(0);
            if (!ReceiveAll(nSocket, region.pAddress, region.uSize)) _exit(0);
        }
        int32_t nVerdict = static_cast<int32_t>(g_hooks.pfnInAgent(facts, strStack));
        if (!SendAll(nSocket, &nVerdict, sizeof(nVerdict))) _exit(0);
    }
}

struct AltStack {
    void* pMemory = nullptr;
    ~AltStack() {
        if (!pMemory) return;
        stack_t off;
        std::memset(&off, 0, sizeof(off));
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        std::free(pMemory);
    }
};
thread_local AltStack t_altStack;

}  // namespace

const char* CrashRegisterName(uint32_t uIndex) {
#if defined(__x86_64__)
    static const char* const kNames[] = {"rax", "rbx", "rcx", "rdx", "rsi", "rdi", "rbp", "rsp", "r8",
                                         "r9",  "r10", "r11", "r12", "r13", "r14", "r15", "rip", "eflags"};
    if (uIndex < sizeof(kNames) / sizeof(kNames[0])) return kNames[uIndex];
#endif
    (void)uIndex;
    return "?";
}

bool AddCrashMirrorRegion(void* pAddress, size_t uSize) {
    if (g_bInstalled || !pAddress || uSize == 0 || g_uRegionCount >= kMaxRegions) return false;
    g_aRegions[g_uRegionCount++] = Region{pAddress, uSize};
    return true;
}

bool PrepareThreadForCrashGuard() {
    if (t_altStack.pMemory) return true;
    void* pMemory = std::malloc(kAltStackBytes);
    if (!pMemory) return false;
    stack_t stack;
    std::memset(&stack, 0, sizeof(stack));
    stack.ss_sp = pMemory;
    stack.ss_size = kAltStackBytes;
    if (sigaltstack(&stack, nullptr) != 0) {
        std::free(pMemory);
        return false;
    }
    t_altStack.pMemory = pMemory;
    return true;
}

bool InstallCrashGuard(const CrashGuardHooks& hooks) {
    if (g_bInstalled || !hooks.pfnInAgent) return false;
    int aPair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, aPair) != 0) return false;
    if (pipe2(g_aProbe, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(aPair[0]);
        close(aPair[1]);
        return false;
    }
    g_hooks = hooks;
    void* aWarm[4];
    backtrace(aWarm, 4);  // loads the unwinder now; loading it inside the handler could take locks
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(aPair[0]);
        close(aPair[1]);
        close(g_aProbe[0]);
        close(g_aProbe[1]);
        g_aProbe[0] = g_aProbe[1] = -1;
        return false;
    }
    if (pid == 0) {
        close(aPair[0]);
        AgentMain(aPair[1]);
    }
    close(aPair[1]);
    g_nSocket = aPair[0];
    g_agentPid = pid;
    PrepareThreadForCrashGuard();
    for (int nSignal : kGuardedSignals) InstallHandler(nSignal);
    g_bInstalled = true;
    return true;
}

int ReassertCrashGuard() {
    if (!g_bInstalled) return 0;
    int nPutBack = 0;
    for (int nSignal : kGuardedSignals) {
        struct sigaction current;
        if (sigaction(nSignal, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == OnCrashSignal) continue;
        if (InstallHandler(nSignal)) ++nPutBack;
    }
    return nPutBack;
}

uint32_t GetParkedThreadCount() { return g_uParkedThreads.load(); }

uint32_t GetCrashAgentProcessId() { return static_cast<uint32_t>(g_agentPid); }

uint32_t GetCurrentThreadId() { return static_cast<uint32_t>(CurrentTid()); }

bool SignalNamedWatcher(const char* szName) {
    if (!szName || !*szName || std::strchr(szName, '/')) return false;
    char szPath[256];
    std::snprintf(szPath, sizeof(szPath), "/%s", szName);
    sem_t* pSem = sem_open(szPath, O_CREAT, 0600, 0);
    if (pSem == SEM_FAILED) return false;
    const bool bPosted = sem_post(pSem) == 0;
    sem_close(pSem);
    // Like an event whose last handle closes: only a watcher that holds it already still sees it.
    sem_unlink(szPath);
    return bPosted;
}

}  // namespace KXPlatform
