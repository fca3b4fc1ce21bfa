// The stored catalogue on hostile bytes: decryption of a download or of the local copy, and the
// loading of whatever plain text comes out. Also the round trip of any bytes through the cipher.
#include "NcFuzz_Support.h"

#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <stdexcept>

namespace {

// Decrypts as the loader does: the out-of-range exception of a trailer beyond the data is the one
// failure that may leave DecryptString.
bool Decrypt(const std::string& strStored, const std::string& strKey, std::string& strPlain) {
    try {
        strPlain = NetChk_StorageCipher::DecryptString(strStored, strKey);
        return true;
    } catch (const std::out_of_range&) {
        return false;
    }
}

void CheckRoundTrip(const std::string& strPlain, const std::string& strKey) {
    const std::string strStored = NetChk_StorageCipher::EncryptString(strPlain, strKey);
    NCFUZZ_CHECK(strStored.size() == (strPlain.size() + 15) / 16 * 16 + 4);
    std::string strBack;
    NCFUZZ_CHECK(Decrypt(strStored, strKey, strBack));
    NCFUZZ_CHECK(strBack == strPlain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    // Bit 0: a short key of the input's choosing (zero-filled to 32 bytes) instead of the built-in one.
    // Bit 1: the local copy holds the rest encrypted, so that the loader sees text the fuzzer shaped.
    const uint8_t uKeyChoice = reader.Byte();
    std::string strKey = NetChk_CatalogueKey::kBuiltInKey;
    if (uKeyChoice & 1) {
        strKey.clear();
        for (int i = 0; i < (uKeyChoice >> 3); ++i) strKey.push_back(static_cast<char>(reader.Byte()));
    }
    const std::string strBytes = reader.Rest();

    // The bytes as a stored document: a wrong length gives "", a plain text never outgrows its blocks.
    std::string strPlain;
    const bool bDecrypted = Decrypt(strBytes, strKey, strPlain);
    if (strBytes.size() % 16 != 4) {
        NCFUZZ_CHECK(bDecrypted && strPlain.empty());
    } else if (bDecrypted) {
        NCFUZZ_CHECK(strPlain.size() <= strBytes.size() - 4);
        CheckRoundTrip(strPlain, strKey);
    }
    // The bytes as a plain text.
    CheckRoundTrip(strBytes, strKey);

    if (strKey != NetChk_CatalogueKey::kBuiltInKey) return 0;
    // The local copy beside the executable, read and loaded as start-up does.
    std::string strStoredCopy = strBytes;
    if (uKeyChoice & 2) {
        strStoredCopy = NetChk_StorageCipher::EncryptString(strBytes, strKey);
        Decrypt(strStoredCopy, strKey, strPlain);
    }
    ncfuzz::WriteScratchFile("net_check.xml", strStoredCopy);
    CNetChk_Catalogue catalogue;
    catalogue.SetExeDir(ncfuzz::ScratchDir());
    catalogue.SetServer("S1", "10.1.2.3");
    std::string strLocal;
    try {
        strLocal = catalogue.loadEncryptXml();
        NCFUZZ_CHECK((bDecrypted || (uKeyChoice & 2)) && strLocal == strPlain);
    } catch (const std::out_of_range&) {
        NCFUZZ_CHECK(!bDecrypted && !(uKeyChoice & 2));
        return 0;
    }
    if (!catalogue.loadNewCommandMgrXml(strLocal)) {
        NCFUZZ_CHECK(catalogue.m_vecCommands.empty() && catalogue.m_mapGroupedCommands.empty());
        return 0;
    }
    // Loaded: groups hold only types 4 and 5, and no placeholder survives (the inserted texts hold none).
    NCFUZZ_CHECK(catalogue.m_strTargetFile == "S1.txt");
    for (const NetChkCommand& command : catalogue.m_vecCommands) {
        NCFUZZ_CHECK(command.m_nType != 4 && command.m_nType != 5);
        NCFUZZ_CHECK(command.m_strContent.find("#IP#") == std::string::npos);
        NCFUZZ_CHECK(command.m_strContent.find("#FILE#") == std::string::npos);
    }
    for (const auto& group : catalogue.m_mapGroupedCommands) {
        NCFUZZ_CHECK(group.first == 4 || group.first == 5);
        for (const NetChkCommand& command : group.second) {
            NCFUZZ_CHECK(command.m_nType == group.first);
            NCFUZZ_CHECK(command.m_strContent.find("#IP#") == std::string::npos);
        }
    }
    return 0;
}
