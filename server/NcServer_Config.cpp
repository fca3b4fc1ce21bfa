// The configuration file. Every key is optional; docs/server.md lists them with their defaults.
#include "server/NcServer_Config.h"

#include "KX_Kernal/fileandpath/KXKernal_IniFile.h"

#include <cstdio>
#include <type_traits>

namespace {

const char kSection[] = "ncserver";
const uint32_t kValueSize = 1u << 16;

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::vector<std::string> SplitList(const std::string& strText) {
    std::vector<std::string> items;
    size_t uStart = 0;
    while (uStart <= strText.size()) {
        size_t uEnd = strText.find(',', uStart);
        if (uEnd == std::string::npos) uEnd = strText.size();
        const std::string item = Trim(strText.substr(uStart, uEnd - uStart));
        if (!item.empty()) items.push_back(item);
        uStart = uEnd + 1;
    }
    return items;
}

bool ParseUnsigned(const std::string& strText, uint64_t uMin, uint64_t uMax, uint64_t* pValue) {
    if (strText.empty() || strText.size() > 19) return false;
    uint64_t u = 0;
    for (char c : strText) {
        if (c < '0' || c > '9') return false;
        u = u * 10 + static_cast<uint64_t>(c - '0');
    }
    if (u < uMin || u > uMax) return false;
    *pValue = u;
    return true;
}

}  // namespace

bool NcParseIpv4(const std::string& strText, uint32_t* pAddr) {
    uint32_t uAddr = 0;
    size_t uPos = 0;
    for (int nPart = 0; nPart < 4; ++nPart) {
        if (nPart > 0) {
            if (uPos >= strText.size() || strText[uPos] != '.') return false;
            ++uPos;
        }
        size_t uDigits = 0;
        uint32_t uValue = 0;
        while (uPos < strText.size() && strText[uPos] >= '0' && strText[uPos] <= '9' && uDigits < 3) {
            uValue = uValue * 10 + static_cast<uint32_t>(strText[uPos] - '0');
            ++uPos;
            ++uDigits;
        }
        if (uDigits == 0 || uValue > 255) return false;
        uAddr = (uAddr << 8) | uValue;
    }
    if (uPos != strText.size()) return false;
    *pAddr = uAddr;
    return true;
}

std::string NcFormatIpv4(uint32_t uAddr) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%u.%u.%u.%u", uAddr >> 24, (uAddr >> 16) & 0xFF, (uAddr >> 8) & 0xFF, uAddr & 0xFF);
    return buf;
}

bool NcParseListen(const std::string& strText, std::string* pHost, uint16_t* pPort) {
    const size_t uColon = strText.rfind(':');
    if (uColon == std::string::npos) return false;
    std::string strHost = strText.substr(0, uColon);
    if (strHost == "localhost") strHost = "127.0.0.1";
    uint32_t uAddr = 0;
    uint64_t uPort = 0;
    if (!NcParseIpv4(strHost, &uAddr) || !ParseUnsigned(strText.substr(uColon + 1), 0, 65535, &uPort)) return false;
    *pHost = strHost;
    *pPort = static_cast<uint16_t>(uPort);
    return true;
}

bool NcLoadServerConfig(const std::string& strPath, NcServerConfig* pConfig, std::string* pError) {
    CKXKernal_IniFile ini;
    if (!ini.Load(strPath.c_str())) {
        *pError = "cannot read the configuration file " + strPath;
        return false;
    }
    auto value = [&](const char* szKey, bool* pPresent) {
        static const char kAbsent[] = "\x01";
        std::string s = ini.GetString(kSection, szKey, kAbsent, kValueSize);
        *pPresent = s != kAbsent;
        return *pPresent ? s : std::string();
    };
    auto text = [&](const char* szKey, std::string* pValue) {
        bool bPresent = false;
        std::string s = value(szKey, &bPresent);
        if (bPresent && !s.empty()) *pValue = s;
    };
    bool bOk = true;
    auto number = [&](const char* szKey, uint64_t uMin, uint64_t uMax, auto* pValue) {
        bool bPresent = false;
        const std::string s = value(szKey, &bPresent);
        if (!bPresent || s.empty()) return;
        uint64_t u = 0;
        if (!ParseUnsigned(s, uMin, uMax, &u)) {
            *pError = std::string("configuration key ") + szKey + ": not a number in " + std::to_string(uMin) + ".." +
                      std::to_string(uMax) + ": " + s;
            bOk = false;
            return;
        }
        *pValue = static_cast<std::remove_pointer_t<decltype(pValue)>>(u);
    };

    bool bPresent = false;
    const std::string strListen = value("Listen", &bPresent);
    if (bPresent && !strListen.empty() && !NcParseListen(strListen, &pConfig->strListenHost, &pConfig->uPort)) {
        *pError = "configuration key Listen: not IPV4:PORT: " + strListen;
        return false;
    }
    text("Database", &pConfig->strDatabase);
    text("Catalogues", &pConfig->strCatalogueDir);
    text("Dumps", &pConfig->strDumpDir);
    text("Page", &pConfig->strPage);
    const std::string strPolicy = value("AccountPolicy", &bPresent);
    if (strPolicy == "table") {
        pConfig->bAccountTable = true;
    } else if (strPolicy == "any" || strPolicy.empty()) {
        pConfig->bAccountTable = false;
    } else {
        *pError = "configuration key AccountPolicy: any or table, not " + strPolicy;
        return false;
    }
    const std::string strServers = value("ServerNames", &bPresent);
    if (bPresent) pConfig->vecServerNames = SplitList(strServers);
    const std::string strProxies = value("TrustedProxies", &bPresent);
    if (bPresent) {
        pConfig->vecTrustedProxies.clear();
        for (const std::string& item : SplitList(strProxies)) {
            uint32_t uAddr = 0;
            if (!NcParseIpv4(item, &uAddr)) {
                *pError = "configuration key TrustedProxies: not an IPv4 address: " + item;
                return false;
            }
            pConfig->vecTrustedProxies.push_back(uAddr);
        }
    }
    number("RepeatWindowSec", 0, 86400u * 366, &pConfig->nRepeatWindowSec);
    number("MaxReportBytes", 1024, 1ull << 30, &pConfig->uMaxReportBytes);
    number("MaxDumpBytes", 1024, 1ull << 40, &pConfig->uMaxDumpBytes);
    number("Threads", 1, 256, &pConfig->uThreads);
    number("MaxConnections", 1, 100000, &pConfig->uMaxConnections);
    number("IdleTimeoutSec", 1, 3600, &pConfig->uIdleTimeoutSec);
    number("RequestTimeoutSec", 1, 3600, &pConfig->uRequestTimeoutSec);
    number("HeaderMemoryBytes", 4096, 1u << 24, &pConfig->uHeaderMemoryBytes);
    number("ShutdownGraceSec", 0, 3600, &pConfig->uShutdownGraceSec);
    number("SignInDelayMs", 0, 10000, &pConfig->nSignInDelayMs);
    return bOk;
}
