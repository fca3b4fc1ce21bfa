// Pack archive header and index entries as 16-byte little-endian blocks.
#include "KX_Kernal/fileandpath/KXKernal_PackFormat.h"

#include <cstring>

namespace {

uint32_t GetU32(const uint8_t* p) {
    return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void PutU32(uint8_t* p, uint32_t u) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace

KXKernal_PackHeader KXKernal_DecodePackHeader(const uint8_t* pBlock) {
    KXKernal_PackHeader header;
    header.uMagic = GetU32(pBlock);
    header.bScrambled = pBlock[4] != 0;
    header.nCount = static_cast<int32_t>(GetU32(pBlock + 8));
    header.uIndexOffset = GetU32(pBlock + 12);
    return header;
}

void KXKernal_EncodePackHeader(const KXKernal_PackHeader& header, uint8_t* pBlock) {
    std::memset(pBlock, 0, KXKERNAL_PACK_HEADER_SIZE);
    PutU32(pBlock, header.uMagic);
    pBlock[4] = header.bScrambled ? 1 : 0;
    PutU32(pBlock + 8, static_cast<uint32_t>(header.nCount));
    PutU32(pBlock + 12, header.uIndexOffset);
}

KXKernal_PackEntry KXKernal_DecodePackEntry(const uint8_t* pBlock) {
    KXKernal_PackEntry entry;
    entry.uHash = GetU32(pBlock);
    entry.uSize = GetU32(pBlock + 4);
    entry.uOffset = GetU32(pBlock + 8);
    entry.uExtra = GetU32(pBlock + 12);
    return entry;
}

void KXKernal_EncodePackEntry(const KXKernal_PackEntry& entry, uint8_t* pBlock) {
    PutU32(pBlock, entry.uHash);
    PutU32(pBlock + 4, entry.uSize);
    PutU32(pBlock + 8, entry.uOffset);
    PutU32(pBlock + 12, entry.uExtra);
}
