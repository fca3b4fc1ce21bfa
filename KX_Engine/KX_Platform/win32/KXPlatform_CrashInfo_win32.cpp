// What a crash report tells about the process and the machine, on Windows: PSAPI memory figures, the
// memory status, a Toolhelp survey of the processes, the regions and modules of the process.
#include "KX_Platform/KXPlatform_CrashInfo.h"

#include "KXPlatform_Win32.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <map>

namespace KXPlatform {

namespace {

uint64_t FileTimeOf(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// Kernel plus user time of a process in 100-ns units, and its working set in KB; false when not ours to see.
bool SampleProcess(uint32_t uPid, uint64_t& uTime, uint64_t& uMemoryKB) {
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, uPid);
    if (!hProcess) return false;
    FILETIME created, exited, kernel, user;
    PROCESS_MEMORY_COUNTERS counters{};
    const bool bTimes = ::GetProcessTimes(hProcess, &created, &exited, &kernel, &user) != 0;
    if (bTimes) uTime = FileTimeOf(kernel) + FileTimeOf(user);
    if (::GetProcessMemoryInfo(hProcess, &counters, sizeof(counters))) uMemoryKB = counters.WorkingSetSize / 1024;
    ::CloseHandle(hProcess);
    return bTimes;
}

}  // namespace

bool ReadProcessMemory(uint32_t uPid, ProcessMemory& out) {
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, uPid);
    if (!hProcess) return false;
    PROCESS_MEMORY_COUNTERS counters{};
    const bool bRead = ::GetProcessMemoryInfo(hProcess, &counters, sizeof(counters)) != 0;
    ::CloseHandle(hProcess);
    if (!bRead) return false;
    // Windows counts the working set (resident) and the committed private bytes (page file usage).
    out.uPeakResidentKB = counters.PeakWorkingSetSize / 1024;
    out.uResidentKB = counters.WorkingSetSize / 1024;
    out.uPeakVirtualKB = counters.PeakPagefileUsage / 1024;
    out.uVirtualKB = counters.PagefileUsage / 1024;
    return true;
}

bool ReadSystemMemory(SystemMemory& out) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!::GlobalMemoryStatusEx(&status)) return false;
    out.uTotalPhysicalKB = status.ullTotalPhys / 1024;
    out.uAvailablePhysicalKB = status.ullAvailPhys / 1024;
    out.uTotalSwapKB = status.ullTotalPageFile / 1024;
    out.uFreeSwapKB = status.ullAvailPageFile / 1024;
    return true;
}

std::string GetBasicSystemInfo() {
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExA(&version);
#pragma GCC diagnostic pop
    SystemMemory memory;
    ReadSystemMemory(memory);
    const char* szMachine = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "x86_64" : "x86";
    char szLine[512];
    std::snprintf(szLine, sizeof(szLine), "Windows %lu.%lu.%lu %s, %lu CPU, %llu MB", version.dwMajorVersion,
                  version.dwMinorVersion, version.dwBuildNumber, szMachine, info.dwNumberOfProcessors,
                  static_cast<unsigned long long>(memory.uTotalPhysicalKB / 1024));
    return szLine;
}

uint64_t GetSystemUptimeSeconds() { return ::GetTickCount64() / 1000u; }

bool SurveyProcesses(uint32_t uSampleMs, std::vector<SurveyedProcess>& vecOut, int& nCpuPercent) {
    vecOut.clear();
    nCpuPercent = 0;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return false;
    std::map<uint32_t, uint64_t> mapFirst;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore; bMore = ::Process32Next(hSnapshot, &entry)) {
        SurveyedProcess p;
        p.strName = entry.szExeFile;
        p.uPid = entry.th32ProcessID;
        uint64_t uTime = 0;
        if (SampleProcess(p.uPid, uTime, p.uMemoryKB)) mapFirst[p.uPid] = uTime;
        vecOut.push_back(p);
    }
    ::CloseHandle(hSnapshot);
    FILETIME idle0, kernel0, user0, idle1, kernel1, user1;
    ::GetSystemTimes(&idle0, &kernel0, &user0);
    ::Sleep(uSampleMs);
    ::GetSystemTimes(&idle1, &kernel1, &user1);
    const uint64_t uIdle = FileTimeOf(idle1) - FileTimeOf(idle0);
    const uint64_t uTotal = (FileTimeOf(kernel1) - FileTimeOf(kernel0)) + (FileTimeOf(user1) - FileTimeOf(user0));
    if (uTotal > 0) nCpuPercent = static_cast<int>((uTotal - std::min(uIdle, uTotal)) * 100 / uTotal);
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    const uint64_t uWindow = static_cast<uint64_t>(uSampleMs) * 10000u * std::max<DWORD>(1, info.dwNumberOfProcessors);
    for (SurveyedProcess& p : vecOut) {
        uint64_t uTime = 0;
        const auto it = mapFirst.find(p.uPid);
        if (it == mapFirst.end() || uWindow == 0 || !SampleProcess(p.uPid, uTime, p.uMemoryKB)) continue;
        p.nCpuPercent = static_cast<int>((uTime - std::min(uTime, it->second)) * 100 / uWindow);
    }
    return true;
}

std::string ReadProcessMemoryMap(uint32_t uPid) {
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, uPid);
    if (!hProcess) return std::string();
    std::string strMap;
    MEMORY_BASIC_INFORMATION info{};
    for (uint8_t* p = nullptr; ::VirtualQueryEx(hProcess, p, &info, sizeof(info)) == sizeof(info);
         p = static_cast<uint8_t*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT) {
            char szLine[128];
            std::snprintf(szLine, sizeof(szLine), "%016llx-%016llx protect=%08lx type=%08lx",
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info.BaseAddress)),
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize),
                          info.Protect, info.Type);
            strMap += szLine;
            char szFile[MAX_PATH] = {};
            if (info.Type == MEM_IMAGE && ::GetMappedFileNameA(hProcess, info.BaseAddress, szFile, sizeof(szFile)))
                strMap += std::string(" ") + szFile;
            strMap += "\n";
        }
        if (info.RegionSize == 0) break;
    }
    ::CloseHandle(hProcess);
    return strMap;
}

std::vector<LoadedModule> ListProcessModules(uint32_t uPid) {
    std::vector<LoadedModule> vecOut;
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, uPid);
    if (!hProcess) return vecOut;
    HMODULE aModules[512];
    DWORD uNeeded = 0;
    if (::EnumProcessModules(hProcess, aModules, sizeof(aModules), &uNeeded)) {
        const DWORD uCount = std::min<DWORD>(uNeeded / sizeof(HMODULE), 512);
        for (DWORD i = 0; i < uCount; ++i) {
            char szPath[MAX_PATH] = {};
            if (!::GetModuleFileNameExA(hProcess, aModules[i], szPath, sizeof(szPath))) continue;
            LoadedModule module;
            module.strPath = szPath;
            module.uBase = reinterpret_cast<uint64_t>(aModules[i]);
            vecOut.push_back(module);
        }
    }
    ::CloseHandle(hProcess);
    return vecOut;
}

// Windows executables carry no GNU build id.
std::string ReadBuildId(const char*) { return std::string(); }

std::string ModuleOfAddress(uint64_t uAddress) {
    HMODULE hModule = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(uAddress), &hModule))
        return std::string();
    char szPath[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(hModule, szPath, sizeof(szPath));
    return std::string(szPath, n);
}

// The report is written by the failing process itself on Windows, so only its own directory is ours.
bool AdoptCurrentDirOf(uint32_t uPid) { return uPid == ::GetCurrentProcessId(); }

}  // namespace KXPlatform
