// Well-formed UTF-8: the allowed range of each byte after the lead byte.
#include "KX_Platform/KXPlatform_Utf8.h"

namespace KXPlatform {

int Utf8CharLength(const unsigned char* p, size_t n) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    int nLen = 0;
    // The second byte's range is narrowed after E0 and F0 (overlong forms), ED (surrogates) and F4
    // (past U+10FFFF); C0, C1 and F5 to FF never start a character.
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) nLen = 2;
    else if (c == 0xE0) { nLen = 3; lo = 0xA0; }
    else if (c == 0xED) { nLen = 3; hi = 0x9F; }
    else if (c >= 0xE1 && c <= 0xEF) nLen = 3;
    else if (c == 0xF0) { nLen = 4; lo = 0x90; }
    else if (c == 0xF4) { nLen = 4; hi = 0x8F; }
    else if (c >= 0xF1 && c <= 0xF3) nLen = 4;
    else return 0;
    for (int i = 1; i < nLen; ++i) {
        if (static_cast<size_t>(i) >= n) return -1;
        const unsigned char lower = i == 1 ? lo : 0x80, upper = i == 1 ? hi : 0xBF;
        if (p[i] < lower || p[i] > upper) return 0;
    }
    return nLen;
}

bool IsValidUtf8(const char* p, size_t n) {
    const unsigned char* q = reinterpret_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n;) {
        const int nLen = Utf8CharLength(q + i, n - i);
        if (nLen <= 0) return false;
        i += static_cast<size_t>(nLen);
    }
    return true;
}

}  // namespace KXPlatform
