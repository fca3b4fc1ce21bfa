// Running the real QVRTNetcheck: a throw-away installation beside a copy of the staged executable, the
// program started with its own environment, and what it left behind (exit code, standard error, log).
#pragma once

#include "common/NcTest_TempDir.h"

#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A copy of the staged program with the staged data tree (fonts, interface, tables linked in), its own
// netcheck.ini and an old-format catalogue of recorded pings for the server segment 10.1.2.
class ProgramPlace {
public:
    ProgramPlace();
    const std::string& ExeDir() const { return m_strExe; }
    std::string DataPath(const std::string& strRelative) const { return m_strExe + "/data/" + strRelative; }
    // Replaces netcheck.ini (the text is GBK, as the literals compile).
    void WriteIni(const std::string& strBody) const;
    // Everything the program's log files under data/log hold, GBK.
    std::string ReadLogs() const;

private:
    ScopedTempDir m_dir;
    std::string m_strExe;
};

class RunningProgram {
public:
    // Starts exe/QVRTNetcheck in the exe directory with the arguments (UTF-8 as a shell passes them);
    // vecEnv adds to (or replaces in) the test's own environment.
    RunningProgram(const ProgramPlace& place, const std::vector<std::string>& vecArgs,
                   const std::vector<std::pair<std::string, std::string>>& vecEnv);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return m_pid; }
    // Waits up to nTimeoutMs for the end; the exit code, or -1 (killed or still running: then killed).
    int Wait(int nTimeoutMs);
    bool Running();
    // Ends it as closing its window does (SIGTERM reaches the window as a close).
    void Close();
    std::string Stderr() const;

private:
    ScopedTempDir m_io;
    pid_t m_pid = -1;
    int m_nExit = -1;
    bool m_bReaped = false;
};

// The SDL offscreen driver and scripted message boxes: a run without display or person.
std::vector<std::pair<std::string, std::string>> HeadlessEnv();

// Polls until the predicate holds or the time is up.
template <typename Pred>
bool WaitFor(Pred pred, int nTimeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// True when no QVRTNetcheck other than our children runs (another tester's copy on the same machine
// would make ours refuse to start); waits up to a minute for one to end.
bool NoForeignInstance();

bool FileExists(const std::string& strPath);

// "msgbox: <caption> | <text>" for a start-up box, UTF-8 as standard error has it.
std::string StartupBoxLine(const char* szTextGbk);
