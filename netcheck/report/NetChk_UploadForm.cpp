// The report upload's request bytes and the reading of the server's answer.
#include "netcheck/report/NetChk_UploadForm.h"

#include "KX_Platform/KXPlatform_Encoding.h"

#include <cstdint>
#include <cstdlib>

std::string NetChk_URLEncode(const std::string& strBytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(strBytes.size() * 3);
    for (const char ch : strBytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (c == ' ' || (c >= '\t' && c <= '\r')) {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string NetChk_JoinReportLines(const std::string& strReport) {
    std::string out;
    out.reserve(strReport.size() + strReport.size() / 16 + 3);
    size_t uStart = 0;
    while (uStart < strReport.size()) {
        const size_t uEnd = strReport.find('\n', uStart);
        if (uEnd == std::string::npos) {
            out.append(strReport, uStart, std::string::npos);
            out += "@@@";
            break;
        }
        out.append(strReport, uStart, uEnd - uStart);
        out += "@@@";
        uStart = uEnd + 1;
    }
    return out;
}

namespace {
std::string FormValue(const std::string& strGbk) { return NetChk_URLEncode(KXPlatform::GbkToUtf8(strGbk)); }
}  // namespace

std::string NetChk_BuildUploadBody(const NetChkUploadForm& form) {
    std::string body;
    body += "UserName=" + FormValue(form.strUserName);
    body += "&QuestionType=" + FormValue(form.strQuestionType);
    body += "&ServerName=" + FormValue(form.strServerName);
    body += "&NetType=" + FormValue(form.strNetType);
    body += "&Description=" + FormValue(form.strDescription);
    body += "&CheckContent=" + FormValue(NetChk_JoinReportLines(form.strReportText));
    return body;
}

std::string NetChk_BuildUploadRequest(const std::string& strPage, const std::string& strDomain,
                                      const std::string& strBody) {
    std::string req;
    req.reserve(strBody.size() + strPage.size() + strDomain.size() + 160);
    req += "POST " + strPage + "  HTTP/1.1\n";
    req += "HOST: " + strDomain + "\n";
    req += "Pragma: no-cache\n";
    req += "Content-Type: application/x-www-form-urlencoded\n";
    req += "Content-Length: " + std::to_string(strBody.size()) + "\n";
    req += "Connection: Close\n\n";
    req += strBody;
    return req;
}

int32_t NetChk_ResultFromReply(const std::string& strReceived, int32_t& nRet, bool& bBraces) {
    nRet = 0;
    const size_t uOpen = strReceived.find('{');
    const size_t uClose = strReceived.find('}');
    bBraces = uOpen != std::string::npos && uClose != std::string::npos && uClose > uOpen;
    if (!bBraces) return kUploadFailed;
    std::string inner = strReceived.substr(uOpen, uClose - uOpen);
    const size_t uEq = inner.find('=');
    if (uEq != std::string::npos) inner.erase(0, uEq + 1);
    // atoi's reading, with a number out of range held at the int32 limits instead of undefined.
    long long llValue = std::strtoll(inner.c_str(), nullptr, 10);
    if (llValue > INT32_MAX) llValue = INT32_MAX;
    if (llValue < INT32_MIN) llValue = INT32_MIN;
    nRet = static_cast<int32_t>(llValue);
    switch (nRet) {
        case -3: return kUploadRepeated;
        case -2: return kUploadUnknownAccount;
        case -1: return kUploadFailed;
        default: return kUploadSuccess;
    }
}
