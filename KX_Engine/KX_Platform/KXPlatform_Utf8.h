// Well-formed UTF-8, as the encodings of both backends and the platform server judge it: no overlong
// forms, no surrogates (U+D800 to U+DFFF), nothing past U+10FFFF.
#pragma once

#include <cstddef>

namespace KXPlatform {

// The length of the well-formed UTF-8 character at p, of which n bytes (at least one) are available:
// 1 to 4; 0 when the bytes are no character; -1 when they start one that the end cuts off (the bytes
// that follow could still complete it).
int Utf8CharLength(const unsigned char* p, size_t n);

// True when all n bytes at p are well-formed UTF-8 (NUL bytes included, as the plain ASCII they are).
bool IsValidUtf8(const char* p, size_t n);

}  // namespace KXPlatform
