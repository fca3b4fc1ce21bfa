// Reading what clients send in URLs and form bodies: percent-decoding, UTF-8 checking, the report form.
#pragma once

#include <string>

// Percent-decodes p[0..n). With bPlusIsSpace a "+" reads as a space (form bodies); otherwise it stays.
// False on a "%" not followed by two hexadecimal digits.
bool NcPercentDecode(const char* p, size_t n, bool bPlusIsSpace, std::string* pOut);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. NUL bytes are refused too:
// no field of ours carries one.
bool NcIsValidUtf8(const std::string& str);

// The fields of the client's report form, decoded.
struct NcReportForm {
    std::string strUserName;
    std::string strQuestionType;
    std::string strServerName;
    std::string strNetType;
    std::string strDescription;
    std::string strCheckContent;
};

enum class NcFormResult {
    Ok,
    Malformed,       // a bad escape, a pair without "="
    MissingField,    // one of the six fields is absent
    DuplicateField,  // one of the six fields occurs twice
    InvalidUtf8,     // a decoded value is not UTF-8 text
};

// Parses an application/x-www-form-urlencoded body. Unknown fields are ignored. *pForm is only written
// on success.
NcFormResult NcParseReportForm(const std::string& strBody, NcReportForm* pForm);

const char* NcFormResultName(NcFormResult result);
