// The crash guard: catches a fatal fault of any thread and hands it to a clean helper process, the
// crash agent, which writes the report while the failing thread waits.
//
// Why an agent: after a fault the failing process may hold any lock (the heap's, the logger's, stdio's)
// and its heap may be corrupt, so the signal context may only do async-signal-safe work. The agent is a
// copy of the process made when the guard is installed (during static construction, while the process
// is still single-threaded), so its heap and locks are clean and its code and data sit at the same
// addresses. It waits on a socket until a fault arrives.
//
// What runs where:
// - In the failing thread (signal handler on the alternate stack, async-signal-safe only): the facts of
//   the fault (signal, code, address, thread id, registers), the raw frame addresses, a bounded copy of
//   the thread's stack (page by page through a pipe, so an unmapped page ends the copy instead of
//   faulting), the bytes of every registered mirror region, and the installer's in-handler callback.
//   This goes to the agent over a pre-opened socket; then the thread waits for the agent's verdict.
// - In the agent (ordinary code): the installer's report function, which first gets the mirror
//   regions copied to the same addresses in its own memory, so the failing process's settings and
//   call records are current there. It may log, allocate, symbolise, show message boxes and upload.
// - Verdict: EndProcess makes the failing thread take the signal's default action (the process ends
//   with that signal); ParkThread stops only the failing thread for good, the others go on.
//
// Faults while the handler runs (a corrupt stack, a bad callback): the crash signals are blocked while
// it runs, so the kernel ends the process at once instead of re-entering. Two threads failing together
// are served one after the other. When the agent is gone, the failing thread takes the default action.
//
// Sanitizer builds: the address sanitizer lets a program's own fatal-signal handlers replace its
// reports, so there too a crash goes through this guard (and the stack copy bypasses its checks, as
// reading the stack's guard zones is the point of the copy); no sanitizer options are needed.
//
// Replacement: a later sigaction for our signals by other code would silently take over; there is no
// way to refuse it from outside libc. ReassertCrashGuard puts ours back and says which were replaced;
// the shell calls it once start-up (and every library it initialises) is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace KXPlatform {

constexpr uint32_t kCrashMaxFrames = 64;
constexpr uint32_t kCrashMaxRegisters = 24;
constexpr uint32_t kCrashMaxStackBytes = 64 * 1024;

struct CrashFacts {
    int32_t nSignal = 0;         // the system's signal number
    char szSignalName[16] = {};  // "SIGSEGV", "SIGABRT" ...
    int32_t nCode = 0;           // the signal's code (why the fault happened)
    uint64_t uAddress = 0;       // the faulting address, 0 when the signal carries none
    uint32_t uProcessId = 0;
    uint32_t uThreadId = 0;
    uint32_t uRegisterCount = 0;
    uint64_t aRegisters[kCrashMaxRegisters] = {};
    uint64_t uProgramCounter = 0;
    uint32_t uFrameCount = 0;  // innermost first, starting at the faulting frame
    uint64_t aFrames[kCrashMaxFrames] = {};
    uint64_t uStackAddress = 0;  // where the stack copy starts (the stack pointer)
};

// The name of register i of CrashFacts::aRegisters on this machine ("rip", "rsp" ...).
const char* CrashRegisterName(uint32_t uIndex);

enum class CrashVerdict { EndProcess = 0, ParkThread = 1 };

struct CrashGuardHooks {
    // In the failing thread, inside the signal handler: must be async-signal-safe. May be null.
    void (*pfnInHandler)() = nullptr;
    // In the agent, with the facts and the stack copy; the mirror regions are already current.
    CrashVerdict (*pfnInAgent)(const CrashFacts& facts, const std::string& strStack) = nullptr;
};

// Starts the agent and installs the handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT with an
// alternate stack for the calling thread. Once per process; false (and nothing installed) on failure.
bool InstallCrashGuard(const CrashGuardHooks& hooks);

// Memory (no pointers inside, fixed size) that the agent mirrors from the failing process. Up to 16
// regions, registered before InstallCrashGuard (the agent only accepts regions it knows itself).
bool AddCrashMirrorRegion(void* pAddress, size_t uSize);

// Gives the calling thread its own alternate signal stack, so that a stack overflow in it is still
// reported. The thread that installs the guard has one already.
bool PrepareThreadForCrashGuard();

// Re-installs every handler of ours that other code replaced since; returns how many it put back.
int ReassertCrashGuard();

// How many threads the guard has parked for good so far (a thread that failed and was reported).
uint32_t GetParkedThreadCount();

// The agent's process id (0 without one), so that process lists can leave it out.
uint32_t GetCrashAgentProcessId();

// The system's id of the calling thread.
uint32_t GetCurrentThreadId();

// Posts the named semaphore NAME once and lets it go, for a watcher that already waits on it.
bool SignalNamedWatcher(const char* szName);

}  // namespace KXPlatform
