// Opening a URL on Windows: ShellExecuteA "open" of the address, then Internet Explorer, which every
// Windows has; or the given browser with the address as its one (quoted) argument.
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include "KXPlatform_Win32.h"

#include <shellapi.h>

namespace KXPlatform {

int LaunchUrlProgram(const std::string& strProgramSystem, const std::string& strUrlSystem) {
    // The address has no blank or control byte (IsOpenableUrl); without a double quote either, quoting it
    // keeps it one argument.
    if (strUrlSystem.find('"') != std::string::npos) return ERROR_INVALID_PARAMETER;
    const std::string strParameters = "\"" + strUrlSystem + "\"";
    HINSTANCE hResult = nullptr;
    if (strProgramSystem.empty()) {
        hResult = ::ShellExecuteA(nullptr, "open", strUrlSystem.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (reinterpret_cast<intptr_t>(hResult) <= 32)
            hResult = ::ShellExecuteA(nullptr, "open", "iexplore.exe", strParameters.c_str(), nullptr, SW_SHOWNORMAL);
    } else {
        hResult = ::ShellExecuteA(nullptr, "open", strProgramSystem.c_str(), strParameters.c_str(), nullptr,
                                  SW_SHOWNORMAL);
    }
    // Values above 32 mean success; the others are the old error numbers (2 file not found ...).
    const intptr_t nResult = reinterpret_cast<intptr_t>(hResult);
    return nResult > 32 ? 0 : static_cast<int>(nResult == 0 ? ERROR_OUTOFMEMORY : nResult);
}

}  // namespace KXPlatform
