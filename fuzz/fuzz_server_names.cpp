// ncserver's request names and caller addresses on hostile bytes: a name it accepts stays inside its
// folder (no separator, no NUL, no leading dot, only the allowed bytes), and the address headers of a
// caller that is not a trusted proxy never change the address.
#include "NcFuzz_Support.h"

#include "server/NcServer_Names.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    const uint8_t uChoice = reader.Byte();
    const uint32_t uPeer = 0x0A000000u | reader.Byte();
    const std::string strRest = reader.Rest();

    const char* szPrefix = (uChoice & 1) ? "/dumps/" : "/netcheck/";
    std::string strName;
    if (NcNameFromTarget(szPrefix + strRest, szPrefix, &strName)) {
        NCFUZZ_CHECK(!strName.empty() && strName.size() <= 128 && strName[0] != '.');
        for (const char c : strName) {
            NCFUZZ_CHECK(c != '/' && c != '\0' && c != '\\');
            NCFUZZ_CHECK(std::strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.", c) != nullptr);
        }
    }

    // The rest split at the first NUL into the two header values.
    const std::string strRealIp = strRest.substr(0, strRest.find('\0'));
    const std::string strForwarded = strRest.size() > strRealIp.size() ? strRest.substr(strRealIp.size() + 1) : std::string();
    const char* szReal = (uChoice & 2) ? strRealIp.c_str() : nullptr;
    const char* szForwarded = (uChoice & 4) ? strForwarded.c_str() : nullptr;
    NCFUZZ_CHECK(NcClientAddress(uPeer, szReal, szForwarded, {}) == uPeer);
    NCFUZZ_CHECK(NcClientAddress(uPeer, szReal, szForwarded, {0x0A0000FFu}) == uPeer || uPeer == 0x0A0000FFu);
    // A trusted peer without usable headers stays itself.
    if (!szReal && !szForwarded) NCFUZZ_CHECK(NcClientAddress(uPeer, nullptr, nullptr, {uPeer}) == uPeer);
    return 0;
}
