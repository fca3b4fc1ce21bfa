// Opening a URL on POSIX: xdg-open, or the given browser, started detached with an argument vector.
//
// The program is started by a short-lived middle process, so that nothing is left for us to reap: the
// middle process forks the program, learns through a close-on-exec pipe whether exec succeeded, waits
// a moment for an opener that fails at once (xdg-open without any browser ends with a status), reports
// one number to us and exits; the program itself is then adopted by init.
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace KXPlatform {

namespace {

// How long the middle process waits for the program to fail before it counts as started.
constexpr int kSettleMs = 1000;
constexpr int kPollMs = 20;

bool IsExecutableFile(const std::string& strPath) {
    struct stat st;
    return ::stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(strPath.c_str(), X_OK) == 0;
}

// The program's path: as given when it names a directory, else the first match along PATH.
bool ResolveProgram(const std::string& strProgram, std::string& strPath) {
    if (strProgram.find('/') != std::string::npos) {
        strPath = strProgram;
        return IsExecutableFile(strPath);
    }
    const char* szPath = std::getenv("PATH");
    std::string strDirs = szPath && *szPath ? szPath : "/usr/local/bin:/usr/bin:/bin";
    size_t uStart = 0;
    for (;;) {
        size_t uEnd = strDirs.find(':', uStart);
        std::string strDir = strDirs.substr(uStart, uEnd == std::string::npos ? std::string::npos : uEnd - uStart);
        if (strDir.empty()) strDir = ".";
        strPath = strDir + "/" + strProgram;
        if (IsExecutableFile(strPath)) return true;
        if (uEnd == std::string::npos) return false;
        uStart = uEnd + 1;
    }
}

bool WriteAll(int fd, const void* pData, size_t uLen) {
    const char* p = static_cast<const char*>(pData);
    while (uLen > 0) {
        ssize_t n = ::write(fd, p, uLen);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        uLen -= static_cast<size_t>(n);
    }
    return true;
}

// Reads exactly uLen bytes; false at end of file or on an error.
bool ReadAll(int fd, void* pData, size_t uLen) {
    char* p = static_cast<char*>(pData);
    while (uLen > 0) {
        ssize_t n = ::read(fd, p, uLen);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        uLen -= static_cast<size_t>(n);
    }
    return true;
}

// The middle process. Only async-signal-safe calls from here on: the parent may have other threads.
[[noreturn]] void RunMiddle(const char* szPath, char* const* argv, int nReportFd) {
    int nResult = 0;
    int execPipe[2];
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        nResult = errno;
        WriteAll(nReportFd, &nResult, sizeof(nResult));
        ::_exit(0);
    }
    const pid_t nPid = ::fork();
    if (nPid < 0) {
        nResult = errno;
        WriteAll(nReportFd, &nResult, sizeof(nResult));
        ::_exit(0);
    }
    if (nPid == 0) {
        ::close(execPipe[0]);
        ::close(nReportFd);
        // Its own session, so that a terminal's Ctrl+C aimed at us does not close the user's browser.
        ::setsid();
        int nNull = ::open("/dev/null", O_RDONLY);
        if (nNull >= 0) {
            ::dup2(nNull, STDIN_FILENO);
            if (nNull != STDIN_FILENO) ::close(nNull);
        }
        ::execv(szPath, argv);
        int nError = errno;
        WriteAll(execPipe[1], &nError, sizeof(nError));
        ::_exit(127);
    }
    ::close(execPipe[1]);
    int nExecError = 0;
    if (ReadAll(execPipe[0], &nExecError, sizeof(nExecError))) {
        nResult = nExecError;
        ::waitpid(nPid, nullptr, 0);
    } else {
        // exec succeeded; give a failing opener a moment to say so.
        for (int nWaited = 0; nWaited < kSettleMs; nWaited += kPollMs) {
            int nStatus = 0;
            pid_t r = ::waitpid(nPid, &nStatus, WNOHANG);
            if (r == nPid) {
                if (WIFEXITED(nStatus) && WEXITSTATUS(nStatus) != 0) nResult = 256 + WEXITSTATUS(nStatus);
                if (WIFSIGNALED(nStatus)) nResult = 256 + 128 + WTERMSIG(nStatus);
                break;
            }
            if (r < 0 && errno != EINTR) break;
            struct timespec ts = {0, kPollMs * 1000000L};
            ::nanosleep(&ts, nullptr);
        }
    }
    ::close(execPipe[0]);
    WriteAll(nReportFd, &nResult, sizeof(nResult));
    ::_exit(0);
}

}  // namespace

int LaunchUrlProgram(const std::string& strProgramUtf8, const std::string& strUrlUtf8) {
    const std::string strProgram = strProgramUtf8.empty() ? std::string("xdg-open") : strProgramUtf8;
    std::string strPath;
    if (!ResolveProgram(strProgram, strPath)) return ENOENT;

    // Everything the children need is made before fork: they may not allocate.
    std::vector<char> vecArg0(strProgram.begin(), strProgram.end());
    vecArg0.push_back('\0');
    std::vector<char> vecUrl(strUrlUtf8.begin(), strUrlUtf8.end());
    vecUrl.push_back('\0');
    char* argv[] = {vecArg0.data(), vecUrl.data(), nullptr};

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) return errno;
    const pid_t nMiddle = ::fork();
    if (nMiddle < 0) {
        int nError = errno;
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        return nError;
    }
    if (nMiddle == 0) {
        ::close(reportPipe[0]);
        RunMiddle(strPath.c_str(), argv, reportPipe[1]);
    }
    ::close(reportPipe[1]);
    int nResult = 0;
    if (!ReadAll(reportPipe[0], &nResult, sizeof(nResult))) nResult = ECHILD;
    ::close(reportPipe[0]);
    while (::waitpid(nMiddle, nullptr, 0) < 0 && errno == EINTR) {
    }
    return nResult;
}

}  // namespace KXPlatform
