// The support site's cleaning of player-supplied text on hostile bytes: what comes out is well-formed
// UTF-8 with no control character but line feed and tab, text that needed nothing comes out unchanged,
// and cleaning twice changes nothing more.
#include "NcFuzz_Support.h"

#include "KX_Platform/KXPlatform_Utf8.h"
#include "server/site/NcSite_Util.h"

namespace {

bool HasControl(const std::string& str) {
    for (const char c : str) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\n' && u != '\t') || u == 0x7F) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strIn(reinterpret_cast<const char*>(pData), uSize);
    const std::string strOut = NcSiteCleanText(strIn);
    NCFUZZ_CHECK(KXPlatform::IsValidUtf8(strOut.data(), strOut.size()));
    NCFUZZ_CHECK(!HasControl(strOut));
    if (KXPlatform::IsValidUtf8(strIn.data(), strIn.size()) && !HasControl(strIn)) NCFUZZ_CHECK(strOut == strIn);
    NCFUZZ_CHECK(NcSiteCleanText(strOut) == strOut);
    return 0;
}
