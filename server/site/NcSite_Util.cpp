#include "server/site/NcSite_Util.h"

#include "KX_Platform/KXPlatform_Utf8.h"
#include "server/NcServer_Form.h"

#include <sodium.h>

#include <ctime>

std::map<std::string, std::string> NcSiteParseForm(const std::string& strText) {
    std::map<std::string, std::string> mapOut;
    size_t uStart = 0;
    while (uStart <= strText.size()) {
        size_t uEnd = strText.find('&', uStart);
        if (uEnd == std::string::npos) uEnd = strText.size();
        const std::string strPair = strText.substr(uStart, uEnd - uStart);
        uStart = uEnd + 1;
        const size_t uEq = strPair.find('=');
        if (strPair.empty() || uEq == std::string::npos) continue;
        std::string strName, strValue;
        if (!NcPercentDecode(strPair.data(), uEq, true, &strName) ||
            !NcPercentDecode(strPair.data() + uEq + 1, strPair.size() - uEq - 1, true, &strValue) ||
            !NcIsValidUtf8(strName) || !NcIsValidUtf8(strValue))
            continue;
        mapOut.emplace(strName, strValue);
    }
    return mapOut;
}

std::string NcSiteCookie(const std::string& strHeader, const std::string& strName) {
    size_t uStart = 0;
    while (uStart < strHeader.size()) {
        size_t uEnd = strHeader.find(';', uStart);
        if (uEnd == std::string::npos) uEnd = strHeader.size();
        size_t b = uStart;
        while (b < uEnd && strHeader[b] == ' ') ++b;
        const size_t uEq = strHeader.find('=', b);
        if (uEq != std::string::npos && uEq < uEnd && strHeader.compare(b, uEq - b, strName) == 0 &&
            uEq - b == strName.size())
            return strHeader.substr(uEq + 1, uEnd - uEq - 1);
        uStart = uEnd + 1;
    }
    return std::string();
}

std::string NcSiteNewToken() {
    unsigned char aBytes[32];
    randombytes_buf(aBytes, sizeof(aBytes));
    char szHex[sizeof(aBytes) * 2 + 1];
    sodium_bin2hex(szHex, sizeof(szHex), aBytes, sizeof(aBytes));
    return szHex;
}

bool NcSiteSameToken(const std::string& a, const std::string& b) {
    if (a.empty() || a.size() != b.size()) return false;
    return sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string NcSiteCleanText(const std::string& str) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(str.size());
    size_t i = 0;
    while (i < str.size()) {
        const unsigned char c = static_cast<unsigned char>(str[i]);
        if (c < 0x80) {
            const bool bControl = (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F;
            if (bControl) {
                out += kReplacement;
            } else {
                out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const int nLen = KXPlatform::Utf8CharLength(reinterpret_cast<const unsigned char*>(str.data() + i), str.size() - i);
        if (nLen <= 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        const size_t uLen = static_cast<size_t>(nLen);
        out.append(str, i, uLen);
        i += uLen;
    }
    return out;
}

namespace {

std::string FormatUtc(int64_t nSec, const char* szFormat) {
    const time_t t = static_cast<time_t>(nSec);
    tm parts{};
    gmtime_r(&t, &parts);
    char sz[32];
    std::strftime(sz, sizeof(sz), szFormat, &parts);
    return sz;
}

}  // namespace

std::string NcSiteFormatTime(int64_t nSec) { return FormatUtc(nSec, "%Y-%m-%d %H:%M"); }

std::string NcSiteFormatDay(int64_t nSec) { return FormatUtc(nSec, "%Y-%m-%d"); }

bool NcSiteParseDay(const std::string& str, int64_t* pSec) {
    if (str.size() != 10 || str[4] != '-' || str[7] != '-') return false;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (str[i] < '0' || str[i] > '9') return false;
    }
    tm parts{};
    parts.tm_year = std::stoi(str.substr(0, 4)) - 1900;
    parts.tm_mon = std::stoi(str.substr(5, 2)) - 1;
    parts.tm_mday = std::stoi(str.substr(8, 2));
    if (parts.tm_year < 70 || parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > 31)
        return false;
    *pSec = static_cast<int64_t>(timegm(&parts));
    return true;
}

std::string NcSiteUrlEncode(const std::string& str) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : str) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}
