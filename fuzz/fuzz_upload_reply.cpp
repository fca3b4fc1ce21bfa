// The report server's reply on hostile bytes: the result is always one of the codes the client shows,
// a reply without a "{…}" pair is a failure without a number, and the number agrees with the code.
#include "NcFuzz_Support.h"

#include "netcheck/report/NetChk_UploadForm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strReply(reinterpret_cast<const char*>(pData), uSize);
    int32_t nRet = 12345;
    bool bBraces = true;
    const int32_t nCode = NetChk_ResultFromReply(strReply, nRet, bBraces);
    NCFUZZ_CHECK(nCode == kUploadSuccess || nCode == kUploadUnknownAccount || nCode == kUploadFailed ||
                 nCode == kUploadRepeated);
    if (!bBraces) {
        NCFUZZ_CHECK(nCode == kUploadFailed && nRet == 0);
        NCFUZZ_CHECK(strReply.find('{') == std::string::npos || strReply.find('}') == std::string::npos ||
                     strReply.find('}') < strReply.find('{'));
        return 0;
    }
    if (nRet == -3) NCFUZZ_CHECK(nCode == kUploadRepeated);
    if (nRet == -2) NCFUZZ_CHECK(nCode == kUploadUnknownAccount);
    if (nRet == -1) NCFUZZ_CHECK(nCode == kUploadFailed);
    if (nRet < -3 || nRet >= 0) NCFUZZ_CHECK(nCode == kUploadSuccess);
    return 0;
}
