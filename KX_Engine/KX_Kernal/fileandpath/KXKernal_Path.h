// Path normalisation: every path the kernel opens is brought into one form before it is hashed or opened.
#pragma once

#include <cstdint>

// The longest path the kernel handles, terminator included (the Win32 MAX_PATH).
constexpr uint32_t KXKERNAL_MAX_PATH = 260;

// Writes the normalised form of szFileName into szBuffer (uBufLen bytes, terminator included):
// - a leading "\\" pair (a network path) is kept as it is;
// - every run of "/" and "\" becomes one "/";
// - "./" is dropped at the start and after every "/";
// - "name/../" is removed; "../" at the start of a relative path stays ("../../a" stays as it is).
// Returns false, with an empty buffer, when the path does not fit (its length is at least uBufLen), and
// false, with the path copied unchanged, when a "../" climbs above its root (such as "c:/../").
bool NormalizePath(const char* szFileName, char* szBuffer, uint32_t uBufLen);
