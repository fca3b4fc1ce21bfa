// Walking GBK text character by character as Unicode code points, for the font code.
//
// Double-byte characters are converted through the platform's GBK conversion once each and then
// remembered, so text drawn every frame costs a table look-up per character, not a conversion.
#include "KX_Renderer/KXFont_Gbk.h"

#include <string>
#include <vector>

#include "KX_Platform/KXPlatform_Encoding.h"

namespace KXRenderer {

namespace {

constexpr uint32_t kNotLooked = 0xFFFFFFFFu;

// Decodes the first UTF-8 character of a converted double-byte character; the replacement character
// (the conversion's answer for invalid input) and anything malformed give 0.
uint32_t FirstCodePoint(const std::string& strUtf8) {
    if (strUtf8.empty()) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strUtf8.data());
    uint32_t cp = 0;
    size_t n = 0;
    if (p[0] < 0x80) { cp = p[0]; n = 1; }
    else if ((p[0] & 0xE0) == 0xC0) { cp = p[0] & 0x1F; n = 2; }
    else if ((p[0] & 0xF0) == 0xE0) { cp = p[0] & 0x0F; n = 3; }
    else if ((p[0] & 0xF8) == 0xF0) { cp = p[0] & 0x07; n = 4; }
    else return 0;
    if (strUtf8.size() != n) return 0;  // two GBK bytes must be exactly one character
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    return cp == 0xFFFD ? 0 : cp;
}

uint32_t LookUpDoubleByte(unsigned char cLead, unsigned char cTrail) {
    // Indexed by (lead - 0x81) * 256 + trail; one thread only, as everything that draws.
    static std::vector<uint32_t> s_vecTable((0xFE - 0x81 + 1) * 256, kNotLooked);
    uint32_t& uEntry = s_vecTable[static_cast<size_t>(cLead - 0x81) * 256 + cTrail];
    if (uEntry == kNotLooked) {
        const char bytes[2] = {static_cast<char>(cLead), static_cast<char>(cTrail)};
        uEntry = FirstCodePoint(KXPlatform::GbkToUtf8(std::string(bytes, 2)));
    }
    return uEntry;
}

}  // namespace

int DecodeGbkChar(const char* szGbk, int nLen, int nPos, uint32_t& uCodePoint) {
    const unsigned char c = static_cast<unsigned char>(szGbk[nPos]);
    if (c < 0x80) {
        uCodePoint = c;
        return 1;
    }
    if (c >= 0x81 && c <= 0xFE && nPos + 1 < nLen) {
        const unsigned char t = static_cast<unsigned char>(szGbk[nPos + 1]);
        if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
            uint32_t cp = LookUpDoubleByte(c, t);
            if (cp != 0) {
                uCodePoint = cp;
                return 2;
            }
        }
    }
    uCodePoint = kInvalidCodePoint;
    return 1;
}

}  // namespace KXRenderer
