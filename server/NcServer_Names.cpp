// Request names and the caller's address.
#include "server/NcServer_Names.h"

#include "server/NcServer_Config.h"
#include "server/NcServer_Form.h"

#include <algorithm>

bool NcIsSafeName(const std::string& strName) {
    if (strName.empty() || strName.size() > 128 || strName[0] == '.') return false;
    for (const char c : strName) {
        const bool bOk = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                         c == '-' || c == '.';
        if (!bOk) return false;
    }
    return true;
}

bool NcNameFromTarget(const std::string& strTarget, const char* szPrefix, std::string* pName) {
    const size_t uPrefix = std::char_traits<char>::length(szPrefix);
    if (strTarget.compare(0, uPrefix, szPrefix) != 0) return false;
    size_t uEnd = strTarget.find('?', uPrefix);
    if (uEnd == std::string::npos) uEnd = strTarget.size();
    std::string strName;
    if (!NcPercentDecode(strTarget.data() + uPrefix, uEnd - uPrefix, false, &strName)) return false;
    if (!NcIsSafeName(strName)) return false;
    *pName = std::move(strName);
    return true;
}

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

bool IsTrusted(uint32_t uAddr, const std::vector<uint32_t>& vecTrusted) {
    return std::find(vecTrusted.begin(), vecTrusted.end(), uAddr) != vecTrusted.end();
}

}  // namespace

uint32_t NcClientAddress(uint32_t uPeer, const char* szRealIp, const char* szForwardedFor,
                         const std::vector<uint32_t>& vecTrusted) {
    if (!IsTrusted(uPeer, vecTrusted)) return uPeer;
    uint32_t uAddr = 0;
    if (szRealIp && NcParseIpv4(Trim(szRealIp), &uAddr)) return uAddr;
    if (!szForwardedFor) return uPeer;
    // Each proxy appends the address it saw, so the list is read from the right: entries left of the
    // first untrusted one were written by the client and prove nothing.
    std::vector<std::string> vecEntries;
    const std::string strList = szForwardedFor;
    size_t uStart = 0;
    for (;;) {
        const size_t uComma = strList.find(',', uStart);
        vecEntries.push_back(Trim(strList.substr(uStart, uComma == std::string::npos ? std::string::npos : uComma - uStart)));
        if (uComma == std::string::npos) break;
        uStart = uComma + 1;
    }
    for (size_t i = vecEntries.size(); i-- > 0;) {
        if (!NcParseIpv4(vecEntries[i], &uAddr)) return uPeer;
        if (!IsTrusted(uAddr, vecTrusted) || i == 0) return uAddr;
    }
    return uPeer;
}

std::string NcLogValue(const std::string& strValue) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : strValue.substr(0, 256)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7F && c != '"' && c != '%' && c != '=') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out.empty() ? "-" : out;
}
