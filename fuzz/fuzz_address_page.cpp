// The public-address page on hostile bytes (the download is capped at 64 KB): an address is taken only
// from between brackets, and never the broadcast address the client treats as "none".
#include "NcFuzz_Support.h"

#include "netcheck/report/NetChk_Carrier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strPage(reinterpret_cast<const char*>(pData), uSize < 65536 ? uSize : 65536);
    uint32_t uAddress = 0;
    if (NetChk_AddressFromPage(strPage, uAddress)) {
        NCFUZZ_CHECK(strPage.find(']') != std::string::npos);
        NCFUZZ_CHECK(uAddress != 0xFFFFFFFFu);
    }
    return 0;
}
