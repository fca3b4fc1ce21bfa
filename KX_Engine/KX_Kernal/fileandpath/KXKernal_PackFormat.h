// The pack archive (.wdf) format.
//
// All integers are little-endian.
//
//   offset 0             16 bytes       header, scrambled
//   index offset         16 x count     index entries, scrambled
//   anywhere else        -              file contents, at the offsets the entries give
//
// Header (after descrambling):
//   0  u32  magic "PFDW" (0x57444650)
//   4  u8   contents scrambled (non-zero: every file's bytes are XORed with the content key)
//   5  3    unused
//   8  i32  entry count (the index is read only when it is above 0)
//   12 u32  index offset from the start of the archive
//
// Index entry (after descrambling):
//   0  u32  HashName of the inner path
//   4  u32  size in bytes
//   8  u32  offset of the contents from the start of the archive
//   12 u32  a third value, kept with the entry and not used for reading
//
// Names are not stored: an inner file is found by its hash alone, and of two entries with the same hash
// the later one wins. The header and all entries go through one index cipher (KXKernal_PackCipher.h)
// in file order, header first.
#pragma once

#include <cstdint>

constexpr uint32_t KXKERNAL_PACK_MAGIC = 0x57444650u;  // "PFDW"
constexpr uint32_t KXKERNAL_PACK_HEADER_SIZE = 16;
constexpr uint32_t KXKERNAL_PACK_ENTRY_SIZE = 16;

struct KXKernal_PackHeader {
    uint32_t uMagic = KXKERNAL_PACK_MAGIC;
    bool bScrambled = false;
    int32_t nCount = 0;
    uint32_t uIndexOffset = 0;
};

struct KXKernal_PackEntry {
    uint32_t uHash = 0;
    uint32_t uSize = 0;
    uint32_t uOffset = 0;
    uint32_t uExtra = 0;
};

// Plain 16-byte blocks <-> fields.
KXKernal_PackHeader KXKernal_DecodePackHeader(const uint8_t* pBlock);
void KXKernal_EncodePackHeader(const KXKernal_PackHeader& header, uint8_t* pBlock);
KXKernal_PackEntry KXKernal_DecodePackEntry(const uint8_t* pBlock);
void KXKernal_EncodePackEntry(const KXKernal_PackEntry& entry, uint8_t* pBlock);
