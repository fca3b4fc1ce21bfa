// The running process: its identifier, its command line, and the debugger trap of the kernel's Retry
// answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KXPlatform {

uint32_t GetProcessId();

// The file name of a program's executable as the process list shows it: "QVRTNetcheck" on POSIX,
// "QVRTNetcheck.exe" on Windows.
std::string ExecutableFileName(const char* szBaseName);

// Stops in an attached debugger; without one the process receives the breakpoint trap.
void DebugBreak();

// The program's command line as GBK texts, the program itself first. POSIX hands over UTF-8, which is
// converted; an argument that is no valid UTF-8 keeps its bytes.
std::vector<std::string> GetCommandLineArgs(int argc, char** argv);

}  // namespace KXPlatform
