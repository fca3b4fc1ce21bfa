// The bytes of a report upload: the form body, the request around it, and the result read from the
// server's reply. Pure functions, shared by the upload worker, nctool and the tests.
#pragma once

#include <cstdint>
#include <string>

// What the form carries, all GBK as the program keeps it.
struct NetChkUploadForm {
    std::string strUserName;
    std::string strQuestionType;
    std::string strServerName;
    std::string strNetType;
    std::string strDescription;
    std::string strReportText;
};

// Result codes of one upload.
enum : int32_t {
    kUploadSuccess = 0,
    kUploadUnknownAccount = 1,
    kUploadFailed = 2,
    kUploadRepeated = 3,
};

// ASCII letters and digits stay, the six white-space bytes become "+", everything else "%XX".
std::string NetChk_URLEncode(const std::string& strBytes);

// The report text with every line (split at line feeds; a final line feed makes no empty last line)
// followed by "@@@".
std::string NetChk_JoinReportLines(const std::string& strReport);

// The form body: each value GBK -> UTF-8 -> URL-encoded, in the server's field order.
std::string NetChk_BuildUploadBody(const NetChkUploadForm& form);

// The whole request with line-feed line ends, as the report server expects it.
std::string NetChk_BuildUploadRequest(const std::string& strPage, const std::string& strDomain,
                                      const std::string& strBody);

// The result code a reply gives; nRet receives the number of a usable "{ret=N}" (0 without one).
// bBraces tells whether the braced part was found at all.
int32_t NetChk_ResultFromReply(const std::string& strReceived, int32_t& nRet, bool& bBraces);
