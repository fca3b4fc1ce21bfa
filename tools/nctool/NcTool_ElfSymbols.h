// The function an address of an executable or library file falls in, from the file's own symbol
// tables (.symtab, else .dynsym); for dumps of another process, so nothing is loaded.
#pragma once

#include <cstdint>
#include <string>

namespace nctool {

// uFileAddress is the address as the file lays it out (the process address less the load bias).
// Returns the demangled name with "+0x<offset>", or "" when no symbol covers it.
std::string FunctionInFile(const std::string& strPath, uint64_t uFileAddress);

}  // namespace nctool
