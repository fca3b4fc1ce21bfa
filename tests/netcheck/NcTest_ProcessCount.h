// What the process holds, read from /proc: open file descriptors and live child processes.
#pragma once

#include "KX_Platform/KXPlatform_Process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace proccount {

inline size_t OpenFileDescriptors() {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++n;
    }
    return n;
}

// Field 3 of /proc/PID/stat is the state, field 4 the parent; the command name may hold spaces, so the
// fields are read after its closing parenthesis.
inline bool ReadStat(const std::string& strPid, char& cState, long& nParent) {
    std::ifstream in("/proc/" + strPid + "/stat");
    std::string line;
    if (!std::getline(in, line)) return false;
    size_t close = line.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream rest(line.substr(close + 1));
    return static_cast<bool>(rest >> cState >> nParent);
}

// Children of this process, zombies included.
inline size_t ChildProcesses() {
    const long self = static_cast<long>(KXPlatform::GetProcessId());
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        char cState = 0;
        long nParent = 0;
        if (ReadStat(name, cState, nParent) && nParent == self) ++n;
    }
    return n;
}

// Children of this process that have ended and wait to be reaped.
inline size_t EndedChildProcesses() {
    const long self = static_cast<long>(KXPlatform::GetProcessId());
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        char cState = 0;
        long nParent = 0;
        if (ReadStat(name, cState, nParent) && nParent == self && cState == 'Z') ++n;
    }
    return n;
}

// True when the process is gone or only a zombie (ended, waiting for a parent that is not us).
inline bool ProcessEnded(long nPid) {
    char cState = 0;
    long nParent = 0;
    if (!ReadStat(std::to_string(nPid), cState, nParent)) return true;
    return cState == 'Z' || cState == 'X';
}

// Polls a condition every millisecond until it holds or the time runs out.
inline bool WaitFor(const std::function<bool()>& condition, int nTimeoutMs = 10000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

}  // namespace proccount
