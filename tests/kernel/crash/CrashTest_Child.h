// Runs a process that is meant to crash, in its own temporary directory, with a watcher already
// waiting on its two named crash watchers (semaphores on POSIX, events on Windows); bounded, so a
// hanging crash path fails the test instead of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct CrashRun {
    bool bFinished = false;   // ended within the time limit (otherwise it was killed)
    // Ended by the fault: the signal on POSIX. On Windows the exit code tells it, and nSignal is the
    // signal the crash report names (an access violation SIGSEGV, a division by zero SIGFPE, abort's
    // exit code 3 SIGABRT).
    bool bSignalled = false;
    int nSignal = 0;
    int nExitCode = -1;
    bool bPidWatcherPosted = false;
    bool bDumpWatcherPosted = false;
    std::string strOut;
    std::string strErr;
};

// Starts the built nctool with the words in szDir, its output captured.
CrashRun RunCrashingTool(const std::string& strDir, const std::vector<std::string>& words, int nLimitSeconds = 60);

// Runs fnBody in a forked child in strDir; the child's exit code is fnBody's result. POSIX only.
CrashRun RunCrashingChild(const std::string& strDir, const std::function<int()>& fnBody, int nLimitSeconds = 60);

// The log files the crash left in strDir/log, joined in the order they were written; "" when none.
std::string ReadCrashLog(const std::string& strDir);
// Names of the plain files in a directory, sorted.
std::vector<std::string> ListFiles(const std::string& strDir);
