// Crash-report facts from /proc and build ids from the ELF files.
#include "KX_Platform/KXPlatform_CrashInfo.h"

#include <dirent.h>
#include <dlfcn.h>
#include <elf.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace KXPlatform {

namespace {

std::string ReadWhole(const std::string& strPath, size_t uLimit = 4 * 1024 * 1024) {
    std::ifstream file(strPath, std::ios::binary);
    if (!file) return std::string();
    std::string strOut;
    char aBuffer[8192];
    while (strOut.size() < uLimit && file.read(aBuffer, sizeof(aBuffer)).gcount() > 0)
        strOut.append(aBuffer, static_cast<size_t>(file.gcount()));
    return strOut;
}

// "Key:   123 kB" lines of /proc/.../status and /proc/meminfo.
uint64_t FieldKB(const std::string& strText, const char* szKey) {
    const std::string strNeedle = std::string("\n") + szKey + ":";
    const size_t uAt = ("\n" + strText).find(strNeedle);
    if (uAt == std::string::npos) return 0;
    return std::strtoull(strText.c_str() + uAt + strNeedle.size() - 1, nullptr, 10);
}

struct CpuSample {
    uint64_t uMachineTotal = 0;
    uint64_t uMachineIdle = 0;
    std::map<uint32_t, std::pair<std::string, uint64_t>> mapTicks;  // pid -> (name, utime + stime)
};

void TakeSample(CpuSample& sample) {
    std::istringstream stat(ReadWhole("/proc/stat", 65536));
    std::string strCpu;
    uint64_t aField[8] = {};
    stat >> strCpu;
    for (uint64_t& u : aField) stat >> u;
    for (uint64_t u : aField) sample.uMachineTotal += u;
    sample.uMachineIdle = aField[3] + aField[4];
    DIR* pDir = opendir("/proc");
    if (!pDir) return;
    while (dirent* pEntry = readdir(pDir)) {
        char* pEnd = nullptr;
        const unsigned long uPid = std::strtoul(pEntry->d_name, &pEnd, 10);
        if (!pEnd || *pEnd || uPid == 0) continue;
        const std::string strStat = ReadWhole("/proc/" + std::string(pEntry->d_name) + "/stat", 4096);
        const size_t uOpen = strStat.find('('), uClose = strStat.rfind(')');
        if (uOpen == std::string::npos || uClose == std::string::npos || uClose < uOpen) continue;
        std::istringstream rest(strStat.substr(uClose + 2));
        std::string strField;
        uint64_t uUser = 0, uSystem = 0;
        for (int i = 3; i <= 15 && rest >> strField; ++i) {
            if (i == 14) uUser = std::strtoull(strField.c_str(), nullptr, 10);
            if (i == 15) uSystem = std::strtoull(strField.c_str(), nullptr, 10);
        }
        sample.mapTicks[static_cast<uint32_t>(uPid)] = {strStat.substr(uOpen + 1, uClose - uOpen - 1),
                                                         uUser + uSystem};
    }
    closedir(pDir);
}

}  // namespace

bool ReadProcessMemory(uint32_t uPid, ProcessMemory& out) {
    const std::string strStatus = ReadWhole("/proc/" + std::to_string(uPid) + "/status", 65536);
    if (strStatus.empty()) return false;
    out.uPeakResidentKB = FieldKB(strStatus, "VmHWM");
    out.uResidentKB = FieldKB(strStatus, "VmRSS");
    out.uPeakVirtualKB = FieldKB(strStatus, "VmPeak");
    out.uVirtualKB = FieldKB(strStatus, "VmSize");
    return true;
}

bool ReadSystemMemory(SystemMemory& out) {
    const std::string strInfo = ReadWhole("/proc/meminfo", 65536);
    if (strInfo.empty()) return false;
    out.uTotalPhysicalKB = FieldKB(strInfo, "MemTotal");
    out.uAvailablePhysicalKB = FieldKB(strInfo, "MemAvailable");
    out.uTotalSwapKB = FieldKB(strInfo, "SwapTotal");
    out.uFreeSwapKB = FieldKB(strInfo, "SwapFree");
    return true;
}

std::string GetBasicSystemInfo() {
    struct utsname name;
    if (uname(&name) != 0) return std::string();
    SystemMemory memory;
    ReadSystemMemory(memory);
    char szLine[512];
    std::snprintf(szLine, sizeof(szLine), "%s %s %s, %ld CPU, %llu MB", name.sysname, name.release,
                  name.machine, sysconf(_SC_NPROCESSORS_ONLN),
                  static_cast<unsigned long long>(memory.uTotalPhysicalKB / 1024));
    return szLine;
}

uint64_t GetSystemUptimeSeconds() {
    return std::strtoull(ReadWhole("/proc/uptime", 256).c_str(), nullptr, 10);
}

bool SurveyProcesses(uint32_t uSampleMs, std::vector<SurveyedProcess>& vecOut, int& nCpuPercent) {
    CpuSample first, second;
    TakeSample(first);
    usleep(uSampleMs * 1000);
    TakeSample(second);
    const uint64_t uTotal = second.uMachineTotal - first.uMachineTotal;
    const uint64_t uIdle = second.uMachineIdle - first.uMachineIdle;
    nCpuPercent = uTotal ? static_cast<int>(100 * (uTotal - uIdle) / uTotal) : 0;
    vecOut.clear();
    for (const auto& item : second.mapTicks) {
        SurveyedProcess p;
        p.uPid = item.first;
        p.strName = item.second.first;
        const auto it = first.mapTicks.find(item.first);
        const uint64_t uBefore = it == first.mapTicks.end() ? item.second.second : it->second.second;
        p.nCpuPercent = uTotal ? static_cast<int>(100 * (item.second.second - uBefore) / uTotal) : 0;
        ProcessMemory memory;
        if (ReadProcessMemory(p.uPid, memory)) p.uMemoryKB = memory.uResidentKB;
        vecOut.push_back(p);
    }
    return !second.mapTicks.empty();
}

std::string ReadProcessMemoryMap(uint32_t uPid) {
    return ReadWhole("/proc/" + std::to_string(uPid) + "/maps");
}

std::string ReadBuildId(const char* szPath) {
    const std::string strFile = ReadWhole(szPath, 64 * 1024 * 1024);
    if (strFile.size() < sizeof(Elf64_Ehdr) || std::memcmp(strFile.data(), ELFMAG, SELFMAG) != 0 ||
        strFile[EI_CLASS] != ELFCLASS64)
        return std::string();
    Elf64_Ehdr header;
    std::memcpy(&header, strFile.data(), sizeof(header));
    for (uint32_t i = 0; i < header.e_phnum; ++i) {
        const uint64_t uAt = header.e_phoff + uint64_t(i) * header.e_phentsize;
        if (header.e_phentsize < sizeof(Elf64_Phdr) || uAt + sizeof(Elf64_Phdr) > strFile.size()) break;
        Elf64_Phdr program;
        std::memcpy(&program, strFile.data() + uAt, sizeof(program));
        if (program.p_type != PT_NOTE || program.p_offset > strFile.size() ||
            program.p_filesz > strFile.size() - program.p_offset)
            continue;
        uint64_t uNote = program.p_offset;
        const uint64_t uEnd = program.p_offset + program.p_filesz;
        while (uNote + sizeof(Elf64_Nhdr) <= uEnd) {
            Elf64_Nhdr note;
            std::memcpy(&note, strFile.data() + uNote, sizeof(note));
            const uint64_t uName = uNote + sizeof(note);
            const uint64_t uDesc = uName + ((note.n_namesz + 3ull) & ~3ull);
            const uint64_t uNext = uDesc + ((note.n_descsz + 3ull) & ~3ull);
            if (uNext > uEnd) break;
            if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 &&
                std::memcmp(strFile.data() + uName, "GNU", 4) == 0) {
                std::string strHex;
                char aByte[3];
                for (uint32_t k = 0; k < note.n_descsz; ++k) {
                    std::snprintf(aByte, sizeof(aByte), "%02x",
                                  static_cast<unsigned char>(strFile[uDesc + k]));
                    strHex += aByte;
                }
                return strHex;
            }
            uNote = uNext;
        }
    }
    return std::string();
}

std::vector<LoadedModule> ListProcessModules(uint32_t uPid) {
    std::vector<LoadedModule> vecOut;
    std::istringstream maps(ReadProcessMemoryMap(uPid));
    std::string strLine;
    while (std::getline(maps, strLine)) {
        const size_t uPath = strLine.find('/');
        if (uPath == std::string::npos) continue;
        const std::string strPath = strLine.substr(uPath);
        bool bSeen = false;
        for (const LoadedModule& m : vecOut) bSeen |= m.strPath == strPath;
        if (bSeen) continue;
        LoadedModule module;
        module.strPath = strPath;
        module.uBase = std::strtoull(strLine.c_str(), nullptr, 16);
        module.strBuildId = ReadBuildId(strPath.c_str());
        vecOut.push_back(module);
    }
    return vecOut;
}

std::string ModuleOfAddress(uint64_t uAddress) {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(uAddress), &info) == 0 || !info.dli_fname) return std::string();
    return info.dli_fname;
}

bool AdoptCurrentDirOf(uint32_t uPid) {
    return chdir(("/proc/" + std::to_string(uPid) + "/cwd").c_str()) == 0;
}

}  // namespace KXPlatform
