// Writing and reading the dump file (format in KXKernal_DumpFile.h).
#include "KX_Kernal/crash/KXKernal_DumpFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace KXKernal_Crash {

namespace {

constexpr char kMagic[8] = {'Q', 'V', 'R', 'T', 'D', 'U', 'M', 'P'};
constexpr uint32_t kVersion = 1;
enum : uint32_t { kFault = 1, kRegisters, kStack, kFrames, kMap, kModules, kReport };
constexpr uint32_t kMaxRecordBytes = 64 * 1024 * 1024;

template <typename T>
void Put(std::string& strOut, const T& value) {
    strOut.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

void PutRecord(std::string& strOut, uint32_t uTag, const std::string& strBody) {
    Put(strOut, uTag);
    Put(strOut, static_cast<uint32_t>(strBody.size()));
    strOut += strBody;
}

// Reads a T at uAt of strBody; false when it does not fit.
template <typename T>
bool Get(const std::string& strBody, size_t& uAt, T& value) {
    if (uAt > strBody.size() || strBody.size() - uAt < sizeof(T)) return false;
    std::memcpy(&value, strBody.data() + uAt, sizeof(T));
    uAt += sizeof(T);
    return true;
}

}  // namespace

bool WriteDumpFile(const char* szPath, const DumpContents& dump, int& nError) {
    std::string strOut(kMagic, sizeof(kMagic));
    Put(strOut, kVersion);

    std::string strBody;
    Put(strBody, dump.facts.nSignal);
    Put(strBody, dump.facts.nCode);
    Put(strBody, dump.facts.uAddress);
    Put(strBody, dump.facts.uProcessId);
    Put(strBody, dump.facts.uThreadId);
    Put(strBody, dump.facts.uProgramCounter);
    strBody.append(dump.facts.szSignalName, sizeof(dump.facts.szSignalName));
    PutRecord(strOut, kFault, strBody);

    strBody.clear();
    for (const auto& reg : dump.vecRegisters) {
        Put(strBody, static_cast<uint8_t>(reg.first.size() > 255 ? 255 : reg.first.size()));
        strBody.append(reg.first, 0, 255);
        Put(strBody, reg.second);
    }
    PutRecord(strOut, kRegisters, strBody);

    strBody.clear();
    Put(strBody, dump.uStackAddress);
    strBody += dump.strStack;
    PutRecord(strOut, kStack, strBody);

    strBody.clear();
    for (uint64_t uFrame : dump.vecFrames) Put(strBody, uFrame);
    PutRecord(strOut, kFrames, strBody);
    PutRecord(strOut, kMap, dump.strMemoryMap);
    PutRecord(strOut, kModules, dump.strModules);
    PutRecord(strOut, kReport, dump.strReport);

    std::FILE* pFile = std::fopen(szPath, "wb");
    if (!pFile) {
        nError = errno;
        return false;
    }
    const bool bWritten = std::fwrite(strOut.data(), 1, strOut.size(), pFile) == strOut.size();
    nError = bWritten ? 0 : errno;
    if (std::fclose(pFile) != 0 && bWritten) {
        nError = errno;
        return false;
    }
    return bWritten;
}

bool ReadDumpFile(const char* szPath, DumpContents& dump, std::string& strWhy) {
    std::ifstream file(szPath, std::ios::binary);
    if (!file) {
        strWhy = "cannot open";
        return false;
    }
    const std::string strAll((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t uAt = sizeof(kMagic);
    uint32_t uVersion = 0;
    if (strAll.size() < sizeof(kMagic) || std::memcmp(strAll.data(), kMagic, sizeof(kMagic)) != 0 ||
        !Get(strAll, uAt, uVersion)) {
        strWhy = "not a dump file";
        return false;
    }
    if (uVersion != kVersion) {
        strWhy = "unknown dump version " + std::to_string(uVersion);
        return false;
    }
    dump = DumpContents();
    bool bHaveFault = false;
    while (uAt < strAll.size()) {
        uint32_t uTag = 0, uLength = 0;
        if (!Get(strAll, uAt, uTag) || !Get(strAll, uAt, uLength) || uLength > kMaxRecordBytes ||
            uLength > strAll.size() - uAt) {
            strWhy = "cut short";
            return false;
        }
        const std::string strBody = strAll.substr(uAt, uLength);
        uAt += uLength;
        size_t uIn = 0;
        switch (uTag) {
            case kFault:
                if (!Get(strBody, uIn, dump.facts.nSignal) || !Get(strBody, uIn, dump.facts.nCode) ||
                    !Get(strBody, uIn, dump.facts.uAddress) || !Get(strBody, uIn, dump.facts.uProcessId) ||
                    !Get(strBody, uIn, dump.facts.uThreadId) || !Get(strBody, uIn, dump.facts.uProgramCounter) ||
                    !Get(strBody, uIn, dump.facts.szSignalName)) {
                    strWhy = "bad fault record";
                    return false;
                }
                dump.facts.szSignalName[sizeof(dump.facts.szSignalName) - 1] = '\0';
                bHaveFault = true;
                break;
            case kRegisters:
                while (uIn < strBody.size()) {
                    uint8_t uNameLength = 0;
                    uint64_t uValue = 0;
                    if (!Get(strBody, uIn, uNameLength) || strBody.size() - uIn < uNameLength) break;
                    std::string strName = strBody.substr(uIn, uNameLength);
                    uIn += uNameLength;
                    if (!Get(strBody, uIn, uValue)) break;
                    dump.vecRegisters.emplace_back(strName, uValue);
                }
                break;
            case kStack:
                if (Get(strBody, uIn, dump.uStackAddress)) dump.strStack = strBody.substr(uIn);
                break;
            case kFrames:
                for (uint64_t uFrame = 0; Get(strBody, uIn, uFrame);) dump.vecFrames.push_back(uFrame);
                break;
            case kMap: dump.strMemoryMap = strBody; break;
            case kModules: dump.strModules = strBody; break;
            case kReport: dump.strReport = strBody; break;
            default: break;  // a later record kind
        }
    }
    if (!bHaveFault) {
        strWhy = "no fault record";
        return false;
    }
    return true;
}

}  // namespace KXKernal_Crash
