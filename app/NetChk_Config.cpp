// LoadConfig: where the program learns its game server and its report server.
#include "app/NetChk_Config.h"

#include "app/NetChk_AppDefs.h"
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_IniFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_OpenUrl.h"
#include "KX_Platform/KXPlatform_Sockets.h"
#include "netcheck/NetChk_DetailInfo.h"

#include <cstdio>
#include <string>

namespace NetChkApp {

namespace {

// printf into a string; the texts here are short, the values at most 259 bytes.
template <typename... Args>
std::string Format(const char* szFormat, Args... args) {
    const int n = std::snprintf(nullptr, 0, szFormat, args...);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    std::snprintf(&s[0], s.size() + 1, szFormat, args...);
    return s;
}

void RefuseWithoutLauncher() { ShowStartupMessage(kMsgUseLauncher); }

}  // namespace

bool LoadConfig(const std::vector<std::string>& vecArgs) {
    CKXKernal_IniFile ini;
    const std::string strIni = KXPlatform::GetCurrentDir() + "/" + kIniName;
    ini.Load(strIni.c_str());  // a missing file leaves every key at its default
    NetChk_DetailInfo& info = g_DetailInfo;

    if (vecArgs.size() >= 5) {
        // Started by the launcher; anything after the fourth argument is ignored.
        info.strUserName = vecArgs[1];
        info.strServerName = vecArgs[2];
        info.strServerIP = vecArgs[3];
        info.strGroupName = vecArgs[4];
        // The launcher passes the address as the account when the player has not logged in yet.
        if (info.strUserName == info.strServerIP) info.strUserName = "请输入游戏账号";
        ArkLog(WL_MUST, M_Logic, "从客户端传过来的，用户名[%s]，服务器名[%s]，服务器网段[%s]，大区名称[%s]",
               info.strUserName.c_str(), info.strServerName.c_str(), info.strServerIP.c_str(),
               info.strGroupName.c_str());
    } else {
        if (ini.GetInt(kIniSection, "Client", 1) != 0) {
            ArkLog(WL_ERROR, M_Logic, "要求用客户端启动！！");
            RefuseWithoutLauncher();
            return false;
        }
        info.strServerName = ini.GetString(kIniSection, "ServerName", "");
        info.strGroupName = ini.GetString(kIniSection, "GroupName", "");
        info.strServerIP = ini.GetString(kIniSection, "ServerIP", "");
        uint32_t uAddress = 0;
        if (!KXPlatform::ParseIPv4(info.strServerIP.c_str(), uAddress)) {
            ArkLog(WL_ERROR, M_Logic, "服务器ip[%s]配错了，错误码%d", info.strServerIP.c_str(),
                   KXPlatform::GetLastSocketError());
            RefuseWithoutLauncher();
            return false;
        }
    }

    info.strDomain = ini.GetString(kIniSection, "Domain", "");
    uint32_t uResolved = 0;
    if (!KXPlatform::ResolveHostIPv4(info.strDomain.c_str(), uResolved)) {
        const int nError = KXPlatform::GetLastSocketError();
        ArkLog(WL_ERROR, M_Logic, "无法获得平台ip，错误码%d", nError);
        ShowStartupMessage(Format(kMsgNoPlatformIp, nError).c_str());
        return false;
    }
    // Through the dotted text and back, as the report upload will connect to it.
    const std::string strDotted = KXPlatform::FormatIPv4(uResolved);
    uint32_t uPlatform = 0;
    if (!KXPlatform::ParseIPv4(strDotted.c_str(), uPlatform)) {
        const int nError = KXPlatform::GetLastSocketError();
        ArkLog(WL_ERROR, M_Logic, "解析平台ip[%s]出错，错误码%d", info.strDomain.c_str(), nError);
        ShowStartupMessage(Format(kMsgBadPlatformIp, info.strDomain.c_str(), nError).c_str());
        return false;
    }
    info.uPlatformAddress = uPlatform;

    info.strPage = ini.GetString(kIniSection, "Page", "");
    if (info.strPage.empty()) {
        ArkLog(WL_ERROR, M_Logic, "找不到平台服务器页面！！");
        ShowStartupMessage(kMsgNoPage);
        return false;
    }
    info.nPort = ini.GetInt(kIniSection, "Port", 80);
    info.nUploadLimitMs = ini.GetInt(kIniSection, "UploadLimitMs", 180000);
    // The public-address page; empty means the report server's own "/ip2city.asp".
    info.strIpPage = ini.GetString(kIniSection, "IpPage", "");
    // 0 (the default) looks in the pack archive first; any other value lets loose files win.
    SetReadPackFirst(ini.GetInt(kIniSection, "ReadPackFirst", 0) == 0);
    // The browser for web links when the system's opener fails (empty: none).
    KXPlatform::SetFallbackBrowser(ini.GetString(kIniSection, "Browser", ""));
    return true;
}

}  // namespace NetChkApp
