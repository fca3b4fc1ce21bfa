// The child process on Windows: the command interpreter runs the batch file hidden, its output goes into
// an anonymous pipe that is drained with PeekNamedPipe, and a job object holds the child together with
// everything it starts, so that ending the job ends the whole command.
#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include "KXPlatform_Win32.h"

#include <algorithm>

namespace KXPlatform {

namespace {

enum class ChildState { None, Running, Ended };

void CloseHandleOf(HANDLE& h) {
    if (h) {
        ::CloseHandle(h);
        h = nullptr;
    }
}

// The interpreter of %ComSpec%, else cmd.exe from the search path.
std::string CommandInterpreter() {
    char buffer[MAX_PATH + 1];
    const DWORD n = ::GetEnvironmentVariableA("ComSpec", buffer, sizeof(buffer));
    return n > 0 && n < sizeof(buffer) ? std::string(buffer, n) : std::string("cmd.exe");
}

}  // namespace

struct CChildProcess::Impl {
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;  // open only between OpenPipe and StartScript
    HANDLE hProcess = nullptr;
    HANDLE hJob = nullptr;
    ChildState eState = ChildState::None;
    std::string strGathered;
    int32_t nLastError = 0;

    // Reads what the pipe holds right now without blocking; keeps the first kGatherLimit bytes.
    void Drain() {
        if (!hRead) return;
        char buf[16384];
        for (;;) {
            DWORD uAvailable = 0;
            if (!::PeekNamedPipe(hRead, nullptr, 0, nullptr, &uAvailable, nullptr) || uAvailable == 0) return;
            DWORD uRead = 0;
            const DWORD uWant = std::min<DWORD>(uAvailable, sizeof(buf));
            if (!::ReadFile(hRead, buf, uWant, &uRead, nullptr) || uRead == 0) return;
            const size_t room = kGatherLimit - std::min<size_t>(strGathered.size(), kGatherLimit);
            strGathered.append(buf, std::min<size_t>(room, uRead));
        }
    }

    // Ends the job (the interpreter and whatever it started) and forgets the process.
    void EndJob() {
        if (hJob) ::TerminateJobObject(hJob, 1);
        else if (hProcess) ::TerminateProcess(hProcess, 1);
        if (hProcess) ::WaitForSingleObject(hProcess, 5000);
        CloseHandleOf(hProcess);
        CloseHandleOf(hJob);
    }
};

CChildProcess::CChildProcess() : m_pImpl(new Impl) {}

CChildProcess::~CChildProcess() { ClosePipe(); }

bool CChildProcess::OpenPipe() {
    ClosePipe();
    // Neither end is inheritable: the write end is duplicated as inheritable only while this child is
    // created, so the other slot's child never holds this pipe open.
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!::CreatePipe(&hRead, &hWrite, nullptr, 0)) {
        m_pImpl->nLastError = static_cast<int32_t>(::GetLastError());
        return false;
    }
    m_pImpl->hRead = hRead;
    m_pImpl->hWrite = hWrite;
    m_pImpl->strGathered.clear();
    m_pImpl->nLastError = 0;
    return true;
}

void CChildProcess::ClosePipe() {
    Terminate();
    m_pImpl->EndJob();
    m_pImpl->eState = ChildState::None;
    CloseHandleOf(m_pImpl->hRead);
    CloseHandleOf(m_pImpl->hWrite);
    m_pImpl->strGathered.clear();
}

bool CChildProcess::HasPipe() const { return m_pImpl->hRead != nullptr; }

bool CChildProcess::StartScript(const char* szScriptPath) {
    Impl& d = *m_pImpl;
    if (!d.hRead || !d.hWrite) {
        if (d.nLastError == 0) d.nLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    if (d.eState != ChildState::None || !szScriptPath) {
        d.nLastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    HANDLE hChildOut = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE hNul = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                0, nullptr);
    if (!::DuplicateHandle(::GetCurrentProcess(), d.hWrite, ::GetCurrentProcess(), &hChildOut, 0, TRUE,
                           DUPLICATE_SAME_ACCESS)) {
        d.nLastError = static_cast<int32_t>(::GetLastError());
        if (hNul != INVALID_HANDLE_VALUE) ::CloseHandle(hNul);
        return false;
    }
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = hNul != INVALID_HANDLE_VALUE ? hNul : nullptr;
    si.hStdOutput = hChildOut;
    si.hStdError = hChildOut;
    std::string strCommand = "\"" + CommandInterpreter() + "\" /c \"" + szScriptPath + "\"";
    PROCESS_INFORMATION pi{};
    const BOOL bStarted = ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, TRUE,
                                           CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
    const DWORD uError = ::GetLastError();
    ::CloseHandle(hChildOut);
    if (hNul != INVALID_HANDLE_VALUE) ::CloseHandle(hNul);
    // Our copy of the write end goes at once: the pipe reports its end when the child's copies close.
    CloseHandleOf(d.hWrite);
    if (!bStarted) {
        d.nLastError = static_cast<int32_t>(uError);
        return false;
    }
    d.hJob = ::CreateJobObjectA(nullptr, nullptr);
    if (d.hJob) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(d.hJob, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        if (!::AssignProcessToJobObject(d.hJob, pi.hProcess)) CloseHandleOf(d.hJob);
    }
    ::ResumeThread(pi.hThread);
    ::CloseHandle(pi.hThread);
    d.hProcess = pi.hProcess;
    d.eState = ChildState::Running;
    d.nLastError = 0;
    return true;
}

bool CChildProcess::HasProcess() const { return m_pImpl->eState != ChildState::None; }

bool CChildProcess::PollEnded() {
    Impl& d = *m_pImpl;
    d.Drain();
    if (d.eState == ChildState::Running && ::WaitForSingleObject(d.hProcess, 0) == WAIT_OBJECT_0) {
        d.Drain();  // what it wrote just before ending
        d.EndJob();  // whatever it left running in the background
        d.eState = ChildState::Ended;
    }
    return d.eState == ChildState::Ended;
}

bool CChildProcess::Terminate() {
    Impl& d = *m_pImpl;
    if (d.eState != ChildState::Running) return false;
    d.EndJob();
    d.Drain();
    d.eState = ChildState::None;
    return true;
}

void CChildProcess::ReleaseProcess() {
    Impl& d = *m_pImpl;
    if (d.eState == ChildState::Running) return;
    d.eState = ChildState::None;
}

bool CChildProcess::ReadOutput(uint32_t uMaxBytes, std::string& strOut) {
    Impl& d = *m_pImpl;
    strOut.clear();
    if (!d.hRead) {
        d.nLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    d.Drain();
    const size_t n = ChildOutputCut(d.strGathered, uMaxBytes);
    strOut = FromChildOutput(d.strGathered.substr(0, n));
    d.strGathered.erase(0, n);
    return true;
}

int32_t CChildProcess::GetLastError() const { return m_pImpl->nLastError; }

}  // namespace KXPlatform
