// The dump file: a compact format of our own that support reads with "nctool dump".
//
// Layout (little-endian): the 8 bytes "QVRTDUMP", u32 version (1), then records up to the end of the
// file, each u32 tag, u32 length and that many bytes:
//   1 fault     i32 signal, i32 code, u64 fault address, u32 process id, u32 thread id,
//               u64 program counter, char[16] signal name (NUL-padded)
//   2 registers per register: u8 name length, the name, u64 value
//   3 stack     u64 address of the first byte, then the bytes upwards from the stack pointer
//   4 frames    u64 per frame, innermost first
//   5 map       the process's memory map as text
//   6 modules   text, one line per module: base address (hex), build id (hex or "-"), path
//   7 report    the report lines as logged (GBK), one per line
// Unknown tags are skipped by readers, so records can be added later.
#pragma once

#include "KX_Platform/KXPlatform_CrashGuard.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace KXKernal_Crash {

struct DumpContents {
    KXPlatform::CrashFacts facts;
    std::vector<std::pair<std::string, uint64_t>> vecRegisters;
    uint64_t uStackAddress = 0;
    std::string strStack;
    std::vector<uint64_t> vecFrames;
    std::string strMemoryMap;
    std::string strModules;
    std::string strReport;
};

// Writes the whole dump; false (with errno-style code in nError) when the file could not be written.
bool WriteDumpFile(const char* szPath, const DumpContents& dump, int& nError);

// Reads a dump; false with a reason when the file is not one or is cut short.
bool ReadDumpFile(const char* szPath, DumpContents& dump, std::string& strWhy);

}  // namespace KXKernal_Crash
