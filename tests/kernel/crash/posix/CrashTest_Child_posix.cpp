// The crashing child and its watcher (see CrashTest_Child.h).
#include "kernel/crash/CrashTest_Child.h"

#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"

#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Opens (creates) the semaphore a crash of pid would post, before the child may crash.
sem_t* OpenWatcher(const char* szFormat, pid_t pid) {
    char szName[128];
    std::snprintf(szName, sizeof(szName), szFormat, static_cast<int>(pid));
    sem_t* pSem = sem_open(szName, O_CREAT, 0600, 0);
    return pSem == SEM_FAILED ? nullptr : pSem;
}

bool TakePost(sem_t* pSem) { return pSem && sem_trywait(pSem) == 0; }

CrashRun Run(const std::string& strDir, const std::function<void()>& fnInChild, int nLimitSeconds) {
    CrashRun run;
    int aGo[2];
    if (pipe(aGo) != 0) return run;
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        close(aGo[1]);
        char c;
        (void)!read(aGo[0], &c, 1);  // until the watcher waits
        close(aGo[0]);
        if (chdir(strDir.c_str()) != 0) _exit(120);
        const int nOut = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int nErr = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(nOut, 1);
        dup2(nErr, 2);
        fnInChild();
        _exit(121);
    }
    close(aGo[0]);
    sem_t* pPid = OpenWatcher("/QVRTClientCrashPID:%d", pid);
    sem_t* pDump = OpenWatcher("/QVRTClientCrashDMPFile:%d", pid);
    close(aGo[1]);
    int nStatus = 0;
    for (int i = 0; i < nLimitSeconds * 20; ++i) {
        if (waitpid(pid, &nStatus, WNOHANG) == pid) {
            run.bFinished = true;
            break;
        }
        usleep(50 * 1000);
    }
    if (!run.bFinished) {
        kill(pid, SIGKILL);
        waitpid(pid, &nStatus, 0);
    }
    run.bSignalled = WIFSIGNALED(nStatus);
    run.nSignal = run.bSignalled ? WTERMSIG(nStatus) : 0;
    run.nExitCode = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    run.bPidWatcherPosted = TakePost(pPid);
    run.bDumpWatcherPosted = TakePost(pDump);
    for (sem_t* pSem : {pPid, pDump})
        if (pSem) sem_close(pSem);
    char szName[128];
    std::snprintf(szName, sizeof(szName), "/QVRTClientCrashPID:%d", static_cast<int>(pid));
    sem_unlink(szName);
    std::snprintf(szName, sizeof(szName), "/QVRTClientCrashDMPFile:%d", static_cast<int>(pid));
    sem_unlink(szName);
    run.strOut = ReadTestFile(strDir + "/stdout.txt");
    run.strErr = ReadTestFile(strDir + "/stderr.txt");
    return run;
}

}  // namespace

CrashRun RunCrashingTool(const std::string& strDir, const std::vector<std::string>& words, int nLimitSeconds) {
    // The argument vector is made before the fork: the child only calls exec.
    const std::string strTool = NcTestToolsDir() + "/nctool";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(strTool.c_str()));
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    return Run(strDir, [&] { execv(strTool.c_str(), argv.data()); }, nLimitSeconds);
}

CrashRun RunCrashingChild(const std::string& strDir, const std::function<int()>& fnBody, int nLimitSeconds) {
    return Run(strDir, [&] { _exit(fnBody()); }, nLimitSeconds);
}
