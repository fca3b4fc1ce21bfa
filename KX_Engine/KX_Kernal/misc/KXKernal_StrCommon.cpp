// Small string helpers of the kernel.
#include "KX_Kernal/misc/KXKernal_StrCommon.h"

namespace KXKernal {

namespace {
inline unsigned char LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }
}  // namespace

int stricmp(const char* szLeft, const char* szRight) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(szLeft);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(szRight);
    for (;; ++a, ++b) {
        const int diff = LowerAscii(*a) - LowerAscii(*b);
        if (diff != 0 || *a == 0) return diff;
    }
}

}  // namespace KXKernal
