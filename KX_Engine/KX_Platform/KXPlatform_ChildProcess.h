// A hidden child process that runs one script file, with its standard output and standard error in one
// pipe. The check engine polls it once per frame and never waits on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace KXPlatform {

class CChildProcess {
public:
    // Output beyond this many bytes is read from the pipe (so the child never blocks on a full pipe) and
    // thrown away; the check engine reads at most 8192 bytes of a command's output.
    static constexpr uint32_t kGatherLimit = 65536;

    CChildProcess();
    ~CChildProcess();  // ends a running child and closes the pipe
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Closes whatever is held (ending a running child), then creates a fresh pipe. False (with the
    // system error in GetLastError) when no pipe could be made.
    bool OpenPipe();
    // Ends a running child, forgets an ended one and closes the pipe: the object is empty again.
    void ClosePipe();
    bool HasPipe() const;

    // Runs the script through the system shell in the current directory, in a process group of its
    // own, with its output going into the pipe. Needs an open pipe and no recorded child.
    bool StartScript(const char* szScriptPath);

    // True while a child is recorded, running or ended but not yet released.
    bool HasProcess() const;
    // Zero-wait poll: gathers what the child wrote so far and reports whether it has ended. Once it has,
    // whatever it left running in the background (its process group) is ended too and the child is
    // reaped, so no command outlives its step. False when no child is recorded.
    bool PollEnded();
    // Ends the recorded child's whole process group and reaps the child. Acts only on the child this
    // object started: its process id stays reserved until it is reaped here or in PollEnded. Returns
    // true when a running child was ended.
    bool Terminate();
    // Forgets an ended child; the pipe stays open.
    void ReleaseProcess();

    // Hands over what the child wrote, as program text (FromChildOutput), at most uMaxBytes, and drops
    // it from the gathered output. An empty text when nothing was written. False when there is no pipe.
    bool ReadOutput(uint32_t uMaxBytes, std::string& strOut);

    // The system error code of the last failure (0 when none).
    int32_t GetLastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

}  // namespace KXPlatform
