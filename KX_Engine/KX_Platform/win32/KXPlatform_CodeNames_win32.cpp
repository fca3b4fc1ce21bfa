// Names of code addresses on Windows, through the debug help library: the module holding the address is
// loaded into its symbol handler on first use, and its debug information names function, file and line.
// The library is not thread-safe, so every call holds one lock.
#include "KX_Platform/KXPlatform_CrashInfo.h"

#include "KXPlatform_Win32.h"

#include <dbghelp.h>

#include <mutex>

namespace KXPlatform {

namespace {
std::mutex g_symbolLock;
bool g_bSymbolsStarted = false;
}  // namespace

bool DescribeCodeAddress(uint64_t uAddress, std::string& strFunction, std::string& strFile, uint32_t& uLine) {
    HMODULE hModule = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(uAddress), &hModule))
        return false;
    char szModule[MAX_PATH] = {};
    const DWORD uLen = ::GetModuleFileNameA(hModule, szModule, sizeof(szModule));
    if (uLen == 0 || uLen >= sizeof(szModule)) return false;

    std::lock_guard<std::mutex> lock(g_symbolLock);
    const HANDLE hProcess = ::GetCurrentProcess();
    if (!g_bSymbolsStarted) {
        ::SymSetOptions(SYMOPT_UNDNAME | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
        if (!::SymInitialize(hProcess, nullptr, FALSE)) return false;
        g_bSymbolsStarted = true;
    }
    // 0 also when the module is loaded already; SymFromAddr then tells.
    ::SymLoadModuleEx(hProcess, nullptr, szModule, nullptr, reinterpret_cast<DWORD64>(hModule), 0, nullptr, 0);

    alignas(SYMBOL_INFO) char aBuffer[sizeof(SYMBOL_INFO) + 1024] = {};
    SYMBOL_INFO* pSymbol = reinterpret_cast<SYMBOL_INFO*>(aBuffer);
    pSymbol->SizeOfStruct = sizeof(SYMBOL_INFO);
    pSymbol->MaxNameLen = 1024;
    DWORD64 uDisplacement = 0;
    if (!::SymFromAddr(hProcess, uAddress, &uDisplacement, pSymbol)) return false;
    strFunction.assign(pSymbol->Name, pSymbol->NameLen < 1024 ? pSymbol->NameLen : 1023);
    IMAGEHLP_LINE64 line{};
    line.SizeOfStruct = sizeof(line);
    DWORD uLineDisplacement = 0;
    if (::SymGetLineFromAddr64(hProcess, uAddress, &uLineDisplacement, &line) && line.FileName) {
        strFile = line.FileName;
        uLine = line.LineNumber;
    }
    return true;
}

}  // namespace KXPlatform
