// The child process on POSIX: posix_spawn of /bin/sh with a pipe, a process group per child, waitpid.
#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace KXPlatform {

namespace {

enum class ChildState { None, Running, Ended };

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

struct CChildProcess::Impl {
    int nReadFd = -1;
    int nWriteFd = -1;  // open only between OpenPipe and StartScript
    pid_t nPid = -1;
    ChildState eState = ChildState::None;
    std::string strGathered;
    int32_t nLastError = 0;

    // Reads everything the pipe holds right now without blocking; keeps the first kGatherLimit bytes.
    void Drain() {
        if (nReadFd < 0) return;
        char buf[16384];
        for (;;) {
            ssize_t n = ::read(nReadFd, buf, sizeof(buf));
            if (n > 0) {
                size_t room = kGatherLimit - std::min<size_t>(strGathered.size(), kGatherLimit);
                strGathered.append(buf, std::min(room, static_cast<size_t>(n)));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return;  // EAGAIN: nothing more for now; 0: every writer has closed its end
        }
    }

    void Reap() {
        int status = 0;
        for (;;) {
            pid_t r = ::waitpid(nPid, &status, 0);
            if (r < 0 && errno == EINTR) continue;
            if (r == nPid || r < 0) eState = ChildState::Ended;  // r < 0: it is no child of ours any more
            return;
        }
    }

    // True when the shell has ended. It is left unreaped (a zombie) while what it started in the
    // background is ended with its group: the unreaped leader keeps the group's id from being handed to
    // another process, so the signal cannot reach a stranger. Then the shell is reaped.
    bool EndGroupIfShellEnded() {
        siginfo_t info{};
        for (;;) {
            const int r = ::waitid(P_PID, static_cast<id_t>(nPid), &info, WEXITED | WNOHANG | WNOWAIT);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) {
                eState = ChildState::Ended;  // no child of ours any more: nothing may be signalled
                return true;
            }
            break;
        }
        if (info.si_pid != nPid) return false;  // still running
        ::kill(-nPid, SIGKILL);
        Reap();
        return true;
    }
};

CChildProcess::CChildProcess() : m_pImpl(new Impl) {}

CChildProcess::~CChildProcess() { ClosePipe(); }

bool CChildProcess::OpenPipe() {
    ClosePipe();
    int fds[2];
    // Close-on-exec so that the other slot's child never inherits this pipe: a second writer would keep
    // it open after this child has ended, and a leaked read end would never be closed.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        m_pImpl->nLastError = errno;
        return false;
    }
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    m_pImpl->nReadFd = fds[0];
    m_pImpl->nWriteFd = fds[1];
    m_pImpl->strGathered.clear();
    m_pImpl->nLastError = 0;
    return true;
}

void CChildProcess::ClosePipe() {
    Terminate();
    m_pImpl->nPid = -1;
    m_pImpl->eState = ChildState::None;
    CloseFd(m_pImpl->nReadFd);
    CloseFd(m_pImpl->nWriteFd);
    m_pImpl->strGathered.clear();
}

bool CChildProcess::HasPipe() const { return m_pImpl->nReadFd >= 0; }

bool CChildProcess::StartScript(const char* szScriptPath) {
    Impl& d = *m_pImpl;
    if (d.nReadFd < 0 || d.nWriteFd < 0) {
        // A pipe that could not be made keeps its error, so the caller's log line names the real cause.
        if (d.nLastError == 0) d.nLastError = EINVAL;
        return false;
    }
    if (d.eState != ChildState::None || !szScriptPath) {
        d.nLastError = EINVAL;
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, d.nWriteFd, 1);
    posix_spawn_file_actions_adddup2(&actions, d.nWriteFd, 2);
    // A group of its own, so that ending the child also ends what its shell started (ping and so on).
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attr, &noSignals);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char szShell[] = "/bin/sh";
    std::string strScript = szScriptPath;
    char* argv[] = {szShell, &strScript[0], nullptr};
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, szShell, &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    // Our copy of the write end goes at once: the pipe reports its end when the child's copies close.
    CloseFd(d.nWriteFd);
    if (rc != 0) {
        d.nLastError = rc;
        return false;
    }
    d.nPid = pid;
    d.eState = ChildState::Running;
    d.nLastError = 0;
    return true;
}

bool CChildProcess::HasProcess() const { return m_pImpl->eState != ChildState::None; }

bool CChildProcess::PollEnded() {
    Impl& d = *m_pImpl;
    d.Drain();
    if (d.eState == ChildState::Running && d.EndGroupIfShellEnded()) {
        d.Drain();  // what it wrote just before ending
    }
    return d.eState == ChildState::Ended;
}

bool CChildProcess::Terminate() {
    Impl& d = *m_pImpl;
    if (d.eState != ChildState::Running) return false;
    // The child is not reaped yet, so its id (and the group's) cannot belong to anybody else.
    ::kill(-d.nPid, SIGKILL);
    d.Reap();
    d.Drain();
    d.eState = ChildState::None;
    d.nPid = -1;
    return true;
}

void CChildProcess::ReleaseProcess() {
    Impl& d = *m_pImpl;
    if (d.eState == ChildState::Running) return;  // only an ended child is released
    d.eState = ChildState::None;
    d.nPid = -1;
}

bool CChildProcess::ReadOutput(uint32_t uMaxBytes, std::string& strOut) {
    Impl& d = *m_pImpl;
    strOut.clear();
    if (d.nReadFd < 0) {
        d.nLastError = EBADF;
        return false;
    }
    d.Drain();
    // Converting never lengthens the text, so the piece handed over stays within uMaxBytes.
    const size_t n = ChildOutputCut(d.strGathered, uMaxBytes);
    strOut = FromChildOutput(d.strGathered.substr(0, n));
    d.strGathered.erase(0, n);
    return true;
}

int32_t CChildProcess::GetLastError() const { return m_pImpl->nLastError; }

}  // namespace KXPlatform
