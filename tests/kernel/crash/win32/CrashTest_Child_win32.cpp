// The crashing child on Windows: nctool.exe started suspended, so that its two watcher events exist
// before it runs; its output goes to files in its directory.
#include "kernel/crash/CrashTest_Child.h"

#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <csignal>
#include <cstdio>

namespace {

HANDLE CreateWatcher(const char* szFormat, DWORD uPid) {
    char szName[128];
    std::snprintf(szName, sizeof(szName), szFormat, static_cast<unsigned>(uPid));
    return ::CreateEventA(nullptr, TRUE, FALSE, szName);
}

bool TakePost(HANDLE hEvent) { return hEvent && ::WaitForSingleObject(hEvent, 0) == WAIT_OBJECT_0; }

HANDLE CreateOutputFile(const std::string& strPath) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The words as one command line, each in double quotes (the words of these tests hold none).
std::string CommandLine(const std::string& strProgram, const std::vector<std::string>& words) {
    std::string strLine = "\"" + strProgram + "\"";
    for (const std::string& w : words) strLine += " \"" + w + "\"";
    return strLine;
}

void NameTheEnd(DWORD uExitCode, CrashRun& run) {
    run.nExitCode = static_cast<int>(uExitCode);
    switch (uExitCode) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_STACK_OVERFLOW:
            run.nSignal = SIGSEGV;
            break;
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
            run.nSignal = SIGFPE;
            break;
        case 3:  // abort
            run.nSignal = SIGABRT;
            break;
        default:
            return;
    }
    run.bSignalled = true;
}

}  // namespace

CrashRun RunCrashingTool(const std::string& strDir, const std::vector<std::string>& words, int nLimitSeconds) {
    CrashRun run;
    const std::string strTool = NcTestToolsDir() + "/nctool.exe";
    HANDLE hOut = CreateOutputFile(strDir + "/stdout.txt");
    HANDLE hErr = CreateOutputFile(strDir + "/stderr.txt");
    std::string strLine = CommandLine(strTool, words);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = hOut;
    startup.hStdError = hErr;
    PROCESS_INFORMATION process{};
    const BOOL bStarted = ::CreateProcessA(strTool.c_str(), &strLine[0], nullptr, nullptr, TRUE,
                                           CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, strDir.c_str(), &startup,
                                           &process);
    ::CloseHandle(hOut);
    ::CloseHandle(hErr);
    if (!bStarted) return run;

    HANDLE hPid = CreateWatcher("QVRTClientCrashPID:%u", process.dwProcessId);
    HANDLE hDump = CreateWatcher("QVRTClientCrashDMPFile:%u", process.dwProcessId);
    ::ResumeThread(process.hThread);
    if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(nLimitSeconds) * 1000u) == WAIT_OBJECT_0) {
        run.bFinished = true;
    } else {
        ::TerminateProcess(process.hProcess, 255);
        ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD uExitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &uExitCode);
    NameTheEnd(uExitCode, run);
    run.bPidWatcherPosted = TakePost(hPid);
    run.bDumpWatcherPosted = TakePost(hDump);
    for (HANDLE h : {hPid, hDump, process.hThread, process.hProcess}) {
        if (h) ::CloseHandle(h);
    }
    run.strOut = ReadTestFile(strDir + "/stdout.txt");
    run.strErr = ReadTestFile(strDir + "/stderr.txt");
    return run;
}
