// The keys of the pack archive (.wdf) format.
//
// The header and the index entries of an archive are stored scrambled by a stream cipher whose state
// starts from two 32-bit key words; the contents of an archive whose "scrambled" flag is set are XORed
// with a 16-byte key. Neither is a secret worth the name: they only keep casual readers from pulling
// files out of the shipped archive. An archive can be read only with the values it was written with,
// so changing any of them makes every archive built before unreadable (its magic no longer decodes and
// the archive is refused); the data build and nctool take them from here, so rebuild the archives after
// a change.
#pragma once

#include <cstdint>

// Initial four key bytes of the index scrambler, low byte first.
constexpr uint32_t KXKERNAL_PACK_INDEX_KEY = 0x5A3C96E1u;
// Initial seed of the index scrambler's linear congruential generator.
constexpr uint32_t KXKERNAL_PACK_INDEX_SEED = 0x2F6B1D07u;

// Content key: byte ((range start + position in the read buffer) mod 16) scrambles each content byte.
constexpr uint8_t KXKERNAL_PACK_CONTENT_KEY[16] = {0x7C, 0x13, 0xE5, 0x4A, 0x9B, 0x22, 0xD0, 0x68,
                                                   0x31, 0xAF, 0x56, 0xC4, 0x0E, 0x87, 0xF9, 0x3D};
