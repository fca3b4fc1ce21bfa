// Path normalisation and the name hash on hostile paths: a normalised path fits its buffer, has none
// of the forms normalisation removes and normalises to itself; the hash ignores case and slash kind.
#include "NcFuzz_Support.h"

#include "KX_Kernal/fileandpath/KXKernal_HashName.h"
#include "KX_Kernal/fileandpath/KXKernal_Path.h"

#include <cstring>
#include <vector>

namespace {

void CheckNormalized(const char* szOut, size_t uLen) {
    // Only a leading "\\" pair survives as backslashes.
    const size_t uFrom = std::strncmp(szOut, "\\\\", 2) == 0 ? 2 : 0;
    for (size_t i = uFrom; i < uLen; ++i) {
        NCFUZZ_CHECK(szOut[i] != '\\');
        if (i > uFrom) NCFUZZ_CHECK(!(szOut[i] == '/' && szOut[i - 1] == '/'));
    }
    NCFUZZ_CHECK(std::strncmp(szOut + uFrom, "./", 2) != 0);
    NCFUZZ_CHECK(std::strstr(szOut + uFrom, "/./") == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    // Buffers from 1 byte to a little more than the kernel's own.
    const uint32_t uBufLen = 1 + reader.Byte() % (KXKERNAL_MAX_PATH + 20);
    const std::string strPath = reader.Rest();
    const char* szPath = strPath.c_str();
    const size_t uPathLen = std::strlen(szPath);

    std::vector<char> vecOut(uBufLen, '\x7f');
    const bool bOk = NormalizePath(szPath, vecOut.data(), uBufLen);
    const size_t uOutLen = strnlen(vecOut.data(), uBufLen);
    NCFUZZ_CHECK(uOutLen < uBufLen);
    if (uPathLen >= uBufLen) {
        NCFUZZ_CHECK(!bOk && uOutLen == 0);
    } else if (!bOk) {
        NCFUZZ_CHECK(std::strcmp(vecOut.data(), szPath) == 0);  // climbed above its root: copied unchanged
    } else {
        NCFUZZ_CHECK(uOutLen <= uPathLen);
        CheckNormalized(vecOut.data(), uOutLen);
        std::vector<char> vecAgain(uBufLen, '\x7f');
        NCFUZZ_CHECK(NormalizePath(vecOut.data(), vecAgain.data(), uBufLen));
        NCFUZZ_CHECK(std::strcmp(vecAgain.data(), vecOut.data()) == 0);
    }

    // The hash sees lower case and "/" alike (paths past 255 bytes assert and hash their first 255).
    std::string strFolded(szPath, uPathLen);
    for (char& c : strFolded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '\\') c = '/';
    }
    const uint32_t uHash = HashName(szPath);
    NCFUZZ_CHECK(uHash == HashName(strFolded.c_str()));
    NCFUZZ_CHECK(uHash == KXKernal_Lookup2(reinterpret_cast<const uint8_t*>(strFolded.data()),
                                           static_cast<uint32_t>(std::min<size_t>(uPathLen, 255)), 0));
    return 0;
}
