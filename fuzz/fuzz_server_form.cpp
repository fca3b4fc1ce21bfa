// ncserver's reading of a report body on hostile bytes: a body it accepts has six UTF-8 fields without
// NUL, and those fields, encoded again the way the client encodes, read back the same.
#include "NcFuzz_Support.h"

#include "server/NcServer_Form.h"

namespace {

std::string Encode(const std::string& strValue) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : strValue) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strBody(reinterpret_cast<const char*>(pData), uSize);

    // Decoding never grows the text, and what a valid escape decodes to encodes back to the same bytes.
    std::string strDecoded;
    if (NcPercentDecode(strBody.data(), strBody.size(), false, &strDecoded)) {
        NCFUZZ_CHECK(strDecoded.size() <= strBody.size());
        std::string strAgain;
        NCFUZZ_CHECK(NcPercentDecode(Encode(strDecoded).data(), Encode(strDecoded).size(), true, &strAgain));
        NCFUZZ_CHECK(strAgain == strDecoded);
    }

    NcReportForm form;
    if (NcParseReportForm(strBody, &form) != NcFormResult::Ok) return 0;
    const std::string* fields[] = {&form.strUserName, &form.strQuestionType, &form.strServerName,
                                   &form.strNetType, &form.strDescription, &form.strCheckContent};
    for (const std::string* p : fields) {
        NCFUZZ_CHECK(NcIsValidUtf8(*p));
        NCFUZZ_CHECK(p->find('\0') == std::string::npos);
    }
    const std::string strAgain = "UserName=" + Encode(form.strUserName) + "&QuestionType=" + Encode(form.strQuestionType) +
                                 "&ServerName=" + Encode(form.strServerName) + "&NetType=" + Encode(form.strNetType) +
                                 "&Description=" + Encode(form.strDescription) + "&CheckContent=" + Encode(form.strCheckContent);
    NcReportForm again;
    NCFUZZ_CHECK(NcParseReportForm(strAgain, &again) == NcFormResult::Ok);
    NCFUZZ_CHECK(again.strUserName == form.strUserName && again.strQuestionType == form.strQuestionType &&
                 again.strServerName == form.strServerName && again.strNetType == form.strNetType &&
                 again.strDescription == form.strDescription && again.strCheckContent == form.strCheckContent);
    return 0;
}
