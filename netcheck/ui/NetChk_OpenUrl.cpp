// OpenUrl: the platform's opener plus the failure log line.
#include "netcheck/ui/NetChk_OpenUrl.h"

#include <string>

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_OpenUrl.h"

bool OpenUrl(const char* szUrl) {
    if (KXPlatform::OpenUrl(szUrl)) return true;
    // The address may come from a server: control bytes would forge further log lines.
    std::string strShown = szUrl ? szUrl : "";
    if (strShown.size() > KXPlatform::kMaxUrlBytes) strShown.resize(KXPlatform::kMaxUrlBytes);
    for (char& c : strShown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    ArkLog(WL_ERROR, M_Logic, "打开url[%s]失败，错误码[%d]", strShown.c_str(), KXPlatform::GetLastOpenUrlError());
    return false;
}
