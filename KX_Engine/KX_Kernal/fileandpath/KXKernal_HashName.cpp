// The name hash: lookup2 over a lower-cased path with "/" separators.
#include "KX_Kernal/fileandpath/KXKernal_HashName.h"

#include "KX_Kernal/KXKernal_Assert.h"

#include <cstring>

namespace {

constexpr uint32_t kGoldenRatio = 0x9e3779b9u;

// lookup2's reversible mix of three 32-bit words.
inline void Mix(uint32_t& a, uint32_t& b, uint32_t& c) {
    a -= b; a -= c; a ^= (c >> 13);
    b -= c; b -= a; b ^= (a << 8);
    c -= a; c -= b; c ^= (b >> 13);
    a -= b; a -= c; a ^= (c >> 12);
    b -= c; b -= a; b ^= (a << 16);
    c -= a; c -= b; c ^= (b >> 5);
    a -= b; a -= c; a ^= (c >> 3);
    b -= c; b -= a; b ^= (a << 10);
    c -= a; c -= b; c ^= (b >> 15);
}

inline uint32_t Word(const uint8_t* k) {
    return k[0] | (static_cast<uint32_t>(k[1]) << 8) | (static_cast<uint32_t>(k[2]) << 16) |
           (static_cast<uint32_t>(k[3]) << 24);
}

}  // namespace

uint32_t KXKernal_Lookup2(const uint8_t* pKey, uint32_t uLength, uint32_t uInitVal) {
    uint32_t a = kGoldenRatio;
    uint32_t b = kGoldenRatio;
    uint32_t c = uInitVal;
    const uint8_t* k = pKey;
    uint32_t uLeft = uLength;
    while (uLeft >= 12) {
        a += Word(k);
        b += Word(k + 4);
        c += Word(k + 8);
        Mix(a, b, c);
        k += 12;
        uLeft -= 12;
    }
    // The low byte of c is reserved for the length, so the tail's bytes 8-10 go into its upper bytes.
    c += uLength;
    switch (uLeft) {
        case 11: c += static_cast<uint32_t>(k[10]) << 24; [[fallthrough]];
        case 10: c += static_cast<uint32_t>(k[9]) << 16; [[fallthrough]];
        case 9: c += static_cast<uint32_t>(k[8]) << 8; [[fallthrough]];
        case 8: b += static_cast<uint32_t>(k[7]) << 24; [[fallthrough]];
        case 7: b += static_cast<uint32_t>(k[6]) << 16; [[fallthrough]];
        case 6: b += static_cast<uint32_t>(k[5]) << 8; [[fallthrough]];
        case 5: b += k[4]; [[fallthrough]];
        case 4: a += static_cast<uint32_t>(k[3]) << 24; [[fallthrough]];
        case 3: a += static_cast<uint32_t>(k[2]) << 16; [[fallthrough]];
        case 2: a += static_cast<uint32_t>(k[1]) << 8; [[fallthrough]];
        case 1: a += k[0]; [[fallthrough]];
        default: break;
    }
    Mix(a, b, c);
    return c;
}

uint32_t HashName(const char* szPath) {
    uint8_t aName[256];
    size_t nLen = szPath ? std::strlen(szPath) : 0;
    KXKernal_Assert(nLen <= 255);
    if (nLen > 255) nLen = 255;
    for (size_t i = 0; i < nLen; ++i) {
        uint8_t ch = static_cast<uint8_t>(szPath[i]);
        // Byte by byte, GBK trail bytes included (they may fall in 'A'-'Z' or be 0x5C): the archive
        // builder hashes the same way, so lookups still match.
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<uint8_t>(ch - 'A' + 'a');
        else if (ch == '\\') ch = '/';
        aName[i] = ch;
    }
    return KXKernal_Lookup2(aName, static_cast<uint32_t>(nLen), 0);
}
