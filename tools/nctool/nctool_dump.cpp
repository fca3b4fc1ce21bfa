// nctool dump FILE.dmp: prints a crash dump readably. Frames are given as module+offset, named by the
// function they fall in when the binary on disk has the build id the dump recorded ("addr2line -e
// MODULE OFFSET" then names the source line); the report lines hold the frames as the crashed program
// named them.
#include "NcTool_Command.h"
#include "NcTool_ElfSymbols.h"

#include "KX_Kernal/crash/KXKernal_DumpFile.h"
#include "KX_Platform/KXPlatform_CrashInfo.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

namespace {

const char* const kUsage = "dump FILE.dmp";

struct Mapping {
    uint64_t uStart = 0, uEnd = 0, uOffset = 0;
    std::string strPath;
};

std::vector<Mapping> ParseMap(const std::string& strMap) {
    std::vector<Mapping> vecOut;
    std::istringstream lines(strMap);
    std::string strLine;
    while (std::getline(lines, strLine)) {
        Mapping m;
        char szPerms[8] = {};
        unsigned long long uStart = 0, uEnd = 0, uOffset = 0;
        int nPathAt = 0;
        if (std::sscanf(strLine.c_str(), "%llx-%llx %7s %llx %*s %*s %n", &uStart, &uEnd, szPerms, &uOffset,
                        &nPathAt) < 4)
            continue;
        m.uStart = uStart;
        m.uEnd = uEnd;
        m.uOffset = uOffset;
        if (nPathAt > 0 && static_cast<size_t>(nPathAt) < strLine.size()) m.strPath = strLine.substr(nPathAt);
        if (!m.strPath.empty() && m.strPath[0] == '/') vecOut.push_back(m);
    }
    return vecOut;
}

// Module path -> build id, from the dump's module list.
std::string BuildIdOf(const std::string& strModules, const std::string& strPath) {
    std::istringstream lines(strModules);
    std::string strBase, strId, strRest;
    while (lines >> strBase >> strId && std::getline(lines, strRest)) {
        if (!strRest.empty() && strRest[0] == ' ') strRest.erase(0, 1);
        if (strRest == strPath) return strId;
    }
    return "-";
}

// "module+0xoffset", and the source when the same binary is at hand.
std::string DescribeFrame(const KXKernal_Crash::DumpContents& dump, const std::vector<Mapping>& vecMap,
                          uint64_t uAddress, bool bReturnAddress) {
    char szText[64];
    for (const Mapping& m : vecMap) {
        if (uAddress < m.uStart || uAddress >= m.uEnd) continue;
        // The load bias: the lowest mapping of the same file, less its file offset.
        uint64_t uBias = m.uStart - m.uOffset;
        for (const Mapping& other : vecMap)
            if (other.strPath == m.strPath && other.uStart - other.uOffset < uBias) uBias = other.uStart - other.uOffset;
        std::snprintf(szText, sizeof(szText), "+0x%" PRIx64, uAddress - uBias);
        std::string strOut = m.strPath + szText;
        const std::string strId = BuildIdOf(dump.strModules, m.strPath);
        if (strId == "-")
            strOut += "  (no build id)";
        else if (KXPlatform::ReadBuildId(m.strPath.c_str()) == strId) {
            // A return address points after the call; one byte back lies inside the calling function.
            const std::string strFunction =
                nctool::FunctionInFile(m.strPath, uAddress - uBias - (bReturnAddress ? 1 : 0));
            strOut += "  " + (strFunction.empty() ? std::string("(same binary on disk, no symbol)") : strFunction);
        }
        else
            strOut += "  (binary with this build id not at hand)";
        return strOut;
    }
    return "(no module)";
}

int Run(const std::vector<std::string>& args) {
    if (args.size() != 1) return nctool::Usage(kUsage);
    KXKernal_Crash::DumpContents dump;
    std::string strWhy;
    if (!KXKernal_Crash::ReadDumpFile(args[0].c_str(), dump, strWhy)) {
        std::fprintf(stderr, "nctool dump: %s: %s\n", args[0].c_str(), strWhy.c_str());
        return 1;
    }
    const KXPlatform::CrashFacts& f = dump.facts;
    std::printf("signal: %s (%d) code %d address 0x%" PRIx64 "\n", f.szSignalName, f.nSignal, f.nCode, f.uAddress);
    std::printf("process: %u thread: %u pc: 0x%" PRIx64 "\n", f.uProcessId, f.uThreadId, f.uProgramCounter);
    std::printf("registers:\n");
    for (const auto& reg : dump.vecRegisters) std::printf("  %-6s 0x%016" PRIx64 "\n", reg.first.c_str(), reg.second);
    const std::vector<Mapping> vecMap = ParseMap(dump.strMemoryMap);
    std::printf("frames:\n");
    for (size_t i = 0; i < dump.vecFrames.size(); ++i)
        std::printf("  #%-2zu 0x%016" PRIx64 " %s\n", i, dump.vecFrames[i],
                    DescribeFrame(dump, vecMap, dump.vecFrames[i], i > 0).c_str());
    std::printf("stack: %zu bytes from 0x%" PRIx64 "\n", dump.strStack.size(), dump.uStackAddress);
    for (size_t i = 0; i + 8 <= dump.strStack.size() && i < 256; i += 8) {
        uint64_t uWord = 0;
        dump.strStack.copy(reinterpret_cast<char*>(&uWord), 8, i);
        std::printf("  0x%016" PRIx64 ": 0x%016" PRIx64 "\n", dump.uStackAddress + i, uWord);
    }
    std::printf("modules:\n");
    std::istringstream modules(dump.strModules);
    for (std::string strLine; std::getline(modules, strLine);) std::printf("  %s\n", strLine.c_str());
    std::printf("report:\n");
    std::istringstream report(dump.strReport);
    for (std::string strLine; std::getline(report, strLine);) nctool::WriteUtf8(stdout, "  " + strLine + "\n");
    return 0;
}

nctool::CommandRegistrar reg("dump", &Run, kUsage);

}  // namespace
