// Path normalisation.
#include "KX_Kernal/fileandpath/KXKernal_Path.h"

#include "KX_Kernal/KXKernal_Assert.h"

#include <cstring>
#include <string>

namespace {

// Runs of "/" and "\" become one "/", and "./" goes at the start and after every "/". The network
// prefix (uRoot bytes) is copied as it is.
std::string CollapseSeparators(const char* szFileName, uint32_t uRoot) {
    std::string str(szFileName, uRoot);
    const char* p = szFileName + uRoot;
    while (*p) {
        const bool bAtSegmentStart = str.size() == uRoot || str.back() == '/';
        if (bAtSegmentStart && p[0] == '.' && (p[1] == '/' || p[1] == '\\')) {
            p += 2;
            while (*p == '/' || *p == '\\') ++p;
            continue;
        }
        if (*p == '/' || *p == '\\') {
            if (str.size() == uRoot || str.back() != '/') str += '/';
            ++p;
            continue;
        }
        str += *p++;
    }
    return str;
}

// True when the component str[uBegin, uEnd) is a "../" that stays (part of the leading run of a
// relative path).
bool IsParentComponent(const std::string& str, size_t uBegin, size_t uEnd) {
    return uEnd - uBegin == 3 && str.compare(uBegin, 3, "../") == 0;
}

}  // namespace

bool NormalizePath(const char* szFileName, char* szBuffer, uint32_t uBufLen) {
    KXKernal_Assert(szFileName != NULL);
    KXKernal_Assert(szBuffer != NULL);
    KXKernal_Assert(uBufLen != 0);
    if (szFileName == NULL || szBuffer == NULL || uBufLen == 0) return false;

    const size_t uLen = std::strlen(szFileName);
    if (uLen >= uBufLen) {
        szBuffer[0] = '\0';
        return false;
    }

    const uint32_t uRoot = (szFileName[0] == '\\' && szFileName[1] == '\\') ? 2 : 0;
    std::string str = CollapseSeparators(szFileName, uRoot);

    size_t uSearch = uRoot;
    for (;;) {
        const size_t uPos = str.find("../", uSearch);
        if (uPos == std::string::npos) break;
        const size_t uEndPos = uPos + 3;
        if (uPos == uRoot) {  // a "../" at the very start stays
            uSearch = uEndPos;
            continue;
        }
        KXKernal_Assert(str[uPos-1] == '/');
        if (str[uPos - 1] != '/') {  // "x../" is part of a name
            uSearch = uPos + 1;
            continue;
        }
        // The component before "../" runs from just after the previous "/" (or the root) to uPos.
        size_t uPrev = uPos - 1;
        while (uPrev > uRoot && str[uPrev - 1] != '/') --uPrev;
        const bool bDriveRoot = uPrev == uRoot && uPos - uPrev == 3 && str[uPrev + 1] == ':';
        if (uPrev == uPos - 1 || bDriveRoot) {
            // Nothing left to remove: only a drive root such as "c:/../" may get here.
            KXKernal_Assert(uEndPos == 6);
            KXKernal_Assert(str[1] == ':');
            std::memcpy(szBuffer, szFileName, uLen + 1);
            return false;
        }
        if (IsParentComponent(str, uPrev, uPos)) {  // "../../": the leading run of a relative path
            uSearch = uEndPos;
            continue;
        }
        str.erase(uPrev, uEndPos - uPrev);
        uSearch = uPrev;
    }

    std::memcpy(szBuffer, str.c_str(), str.size() + 1);
    return true;
}
