// What a crash report tells about the failing process and the machine: memory figures, uptime, a survey
// of the running processes, the memory map and loaded modules, and the upload of its files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KXPlatform {

// A process's memory in KB: peak and current resident set, peak and current virtual size.
struct ProcessMemory {
    uint64_t uPeakResidentKB = 0;
    uint64_t uResidentKB = 0;
    uint64_t uPeakVirtualKB = 0;
    uint64_t uVirtualKB = 0;
};
bool ReadProcessMemory(uint32_t uPid, ProcessMemory& out);

// The machine's memory in KB; swap stands for the page file.
struct SystemMemory {
    uint64_t uTotalPhysicalKB = 0;
    uint64_t uAvailablePhysicalKB = 0;
    uint64_t uTotalSwapKB = 0;
    uint64_t uFreeSwapKB = 0;
};
bool ReadSystemMemory(SystemMemory& out);

// One line on the machine: system, release, architecture, processors and memory.
std::string GetBasicSystemInfo();

// Seconds since the machine started.
uint64_t GetSystemUptimeSeconds();

struct SurveyedProcess {
    std::string strName;  // the command name
    uint32_t uPid = 0;
    int nCpuPercent = 0;  // of one sampling window, over all cores
    uint64_t uMemoryKB = 0;
};
// Samples every process twice, uSampleMs apart; nCpuPercent gets the machine's total CPU use.
bool SurveyProcesses(uint32_t uSampleMs, std::vector<SurveyedProcess>& vecOut, int& nCpuPercent);

// The process's memory map in the system's own text form ("" when unreadable).
std::string ReadProcessMemoryMap(uint32_t uPid);

struct LoadedModule {
    std::string strPath;
    uint64_t uBase = 0;        // where its first mapping starts
    std::string strBuildId;    // hex, "" when the file carries none
};
std::vector<LoadedModule> ListProcessModules(uint32_t uPid);
// The build id (hex) of an executable or library file, "" when none.
std::string ReadBuildId(const char* szPath);

// The file of the module that holds an address of this process, "" when none does.
std::string ModuleOfAddress(uint64_t uAddress);

// The function, source file and line of an address of this process, from the system's own symbol
// service; false when it has none for the address (on POSIX the report names frames without it).
bool DescribeCodeAddress(uint64_t uAddress, std::string& strFunction, std::string& strFile, uint32_t& uLine);

// Makes another process's current directory our own.
bool AdoptCurrentDirOf(uint32_t uPid);

// Sends a file with an HTTP PUT to the URL; false unless the server took it (a 2xx answer).
bool UploadFile(const char* szUrl, const char* szPath);

}  // namespace KXPlatform
