// The portable half of opening a URL: validation, the order of attempts, the fallback and the test hook.
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <cstring>
#include <mutex>

#include "KX_Platform/KXPlatform_Encoding.h"

namespace KXPlatform {

// Implemented by the backend: starts the system's opener (strProgramSystem empty) or the named program
// with the address, both in the system's encoding; 0 when it started, else the error code of GetLastOpenUrlError.
int LaunchUrlProgram(const std::string& strProgramSystem, const std::string& strUrlSystem);

namespace {
std::mutex g_lock;
std::string g_strFallbackGbk;
UrlLaunchHook g_hook;
int g_nLastError = 0;

bool StartsWithNoCase(const char* szText, const char* szPrefix) {
    for (; *szPrefix; ++szText, ++szPrefix) {
        char c = *szText;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *szPrefix) return false;
    }
    return true;
}

int Launch(const UrlLaunchHook& hook, const std::string& strProgramGbk, const std::string& strUrlGbk) {
    if (hook) return hook(strProgramGbk, strUrlGbk);
    return LaunchUrlProgram(strProgramGbk.empty() ? std::string() : ToSystemText(strProgramGbk), ToSystemText(strUrlGbk));
}
}  // namespace

bool IsOpenableUrl(const char* szUrlGbk) {
    if (!szUrlGbk) return false;
    const size_t uLen = std::strlen(szUrlGbk);
    if (uLen > kMaxUrlBytes) return false;
    size_t uSchemeLen = 0;
    if (StartsWithNoCase(szUrlGbk, "http://")) uSchemeLen = 7;
    else if (StartsWithNoCase(szUrlGbk, "https://")) uSchemeLen = 8;
    else return false;
    if (uLen == uSchemeLen) return false;
    for (size_t i = 0; i < uLen; ++i) {
        const unsigned char c = static_cast<unsigned char>(szUrlGbk[i]);
        if (c <= 0x20 || c == 0x7F) return false;
    }
    return true;
}

bool OpenUrl(const char* szUrlGbk) {
    std::string strFallback;
    UrlLaunchHook hook;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        strFallback = g_strFallbackGbk;
        hook = g_hook;
    }
    int nError = -1;
    if (IsOpenableUrl(szUrlGbk)) {
        const std::string strUrl(szUrlGbk);
        nError = Launch(hook, std::string(), strUrl);
        if (nError != 0 && !strFallback.empty()) nError = Launch(hook, strFallback, strUrl);
    }
    std::lock_guard<std::mutex> guard(g_lock);
    g_nLastError = nError;
    return nError == 0;
}

void SetFallbackBrowser(const std::string& strPathGbk) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_strFallbackGbk = strPathGbk;
}

std::string GetFallbackBrowser() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_strFallbackGbk;
}

int GetLastOpenUrlError() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_nLastError;
}

UrlLaunchHook SetUrlLaunchHook(UrlLaunchHook hook) {
    std::lock_guard<std::mutex> guard(g_lock);
    UrlLaunchHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

}  // namespace KXPlatform
