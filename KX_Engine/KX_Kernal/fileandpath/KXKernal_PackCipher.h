// The two scramblers of the pack archive format: the stream cipher over the header and index blocks,
// and the XOR of the contents with the 16-byte content key.
#pragma once

#include <cstdint>

// The index scrambler. One instance runs over the header and then every index entry in file order,
// keeping its state from block to block. Of each 16-byte block the first 15 bytes are scrambled and the
// 16th is stored plain.
class CKXKernal_PackIndexCipher {
public:
    static constexpr uint32_t kBlockSize = 16;

    // Starts from the format's key words (KXKernal_PackKeys.h).
    CKXKernal_PackIndexCipher();
    // Starts from chosen key words; the key bytes are taken low byte first.
    CKXKernal_PackIndexCipher(uint32_t uKeyWord, uint32_t uSeed);

    // Stored block -> plain block, in place.
    void Descramble(uint8_t* pBlock);
    // Plain block -> stored block, in place; the exact inverse of Descramble with the same state.
    void Scramble(uint8_t* pBlock);

private:
    uint8_t NextMask();

    uint8_t m_aKey[4];
    uint32_t m_uSeed;
    uint32_t m_uIndex = 0;
};

// XORs uLength bytes with the content key, starting at key byte (nKeyStart mod 16). Its own inverse.
void KXKernal_PackScrambleContents(uint8_t* pData, uint32_t uLength, int32_t nKeyStart);
