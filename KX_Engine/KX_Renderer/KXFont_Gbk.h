// Walking GBK text character by character as Unicode code points, for the font code.
#pragma once

#include <cstdint>

namespace KXRenderer {

// The code point drawn for bytes that are no valid GBK.
constexpr uint32_t kInvalidCodePoint = '?';

// Decodes the character at szGbk[nPos] (nLen bytes in all): sets uCodePoint and returns how many bytes
// it takes (1 or 2). A lead byte without a valid trail byte inside nLen is one invalid byte.
int DecodeGbkChar(const char* szGbk, int nLen, int nPos, uint32_t& uCodePoint);

}  // namespace KXRenderer
