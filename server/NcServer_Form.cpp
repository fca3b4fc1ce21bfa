// Percent-decoding, UTF-8 checking and the report form's fields.
#include "server/NcServer_Form.h"

#include "KX_Platform/KXPlatform_Utf8.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool NcPercentDecode(const char* p, size_t n, bool bPlusIsSpace, std::string* pOut) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '%') {
            if (i + 2 >= n) return false;
            const int nHigh = HexValue(p[i + 1]);
            const int nLow = HexValue(p[i + 2]);
            if (nHigh < 0 || nLow < 0) return false;
            out += static_cast<char>(nHigh * 16 + nLow);
            i += 2;
        } else if (c == '+' && bPlusIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    *pOut = std::move(out);
    return true;
}

bool NcIsValidUtf8(const std::string& str) {
    return str.find('\0') == std::string::npos && KXPlatform::IsValidUtf8(str.data(), str.size());
}

NcFormResult NcParseReportForm(const std::string& strBody, NcReportForm* pForm) {
    NcReportForm form;
    struct Field {
        const char* szName;
        std::string* pValue;
        bool bSeen;
    } fields[] = {
        {"UserName", &form.strUserName, false},       {"QuestionType", &form.strQuestionType, false},
        {"ServerName", &form.strServerName, false},   {"NetType", &form.strNetType, false},
        {"Description", &form.strDescription, false}, {"CheckContent", &form.strCheckContent, false},
    };
    size_t uStart = 0;
    while (uStart <= strBody.size()) {
        size_t uEnd = strBody.find('&', uStart);
        if (uEnd == std::string::npos) uEnd = strBody.size();
        if (uEnd > uStart) {  // empty pairs ("a=1&&b=2", a trailing "&") carry nothing
            const size_t uEq = strBody.find('=', uStart);
            if (uEq == std::string::npos || uEq > uEnd) return NcFormResult::Malformed;
            std::string strName;
            std::string strValue;
            if (!NcPercentDecode(strBody.data() + uStart, uEq - uStart, true, &strName) ||
                !NcPercentDecode(strBody.data() + uEq + 1, uEnd - uEq - 1, true, &strValue)) {
                return NcFormResult::Malformed;
            }
            for (Field& field : fields) {
                if (strName != field.szName) continue;
                if (field.bSeen) return NcFormResult::DuplicateField;
                if (!NcIsValidUtf8(strValue)) return NcFormResult::InvalidUtf8;
                field.bSeen = true;
                *field.pValue = std::move(strValue);
                break;
            }
        }
        uStart = uEnd + 1;
    }
    for (const Field& field : fields) {
        if (!field.bSeen) return NcFormResult::MissingField;
    }
    *pForm = std::move(form);
    return NcFormResult::Ok;
}

const char* NcFormResultName(NcFormResult result) {
    switch (result) {
        case NcFormResult::Ok: return "ok";
        case NcFormResult::Malformed: return "malformed";
        case NcFormResult::MissingField: return "missing_field";
        case NcFormResult::DuplicateField: return "duplicate_field";
        case NcFormResult::InvalidUtf8: return "invalid_utf8";
    }
    return "?";
}
