// The pack archive scramblers.
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"

#include "KX_Kernal/fileandpath/KXKernal_PackKeys.h"

CKXKernal_PackIndexCipher::CKXKernal_PackIndexCipher()
    : CKXKernal_PackIndexCipher(KXKERNAL_PACK_INDEX_KEY, KXKERNAL_PACK_INDEX_SEED) {}

CKXKernal_PackIndexCipher::CKXKernal_PackIndexCipher(uint32_t uKeyWord, uint32_t uSeed) : m_uSeed(uSeed) {
    for (int i = 0; i < 4; ++i) m_aKey[i] = static_cast<uint8_t>(uKeyWord >> (8 * i));
}

// The generator is the classic C runtime rand() step; the mask adds the current key byte.
uint8_t CKXKernal_PackIndexCipher::NextMask() {
    m_uSeed = m_uSeed * 214013u + 2531011u;
    return static_cast<uint8_t>((m_uSeed >> 16) + m_aKey[m_uIndex]);
}

void CKXKernal_PackIndexCipher::Descramble(uint8_t* pBlock) {
    for (uint32_t i = 0; i + 1 < kBlockSize; ++i) {
        const uint8_t c = pBlock[i];
        pBlock[i] = static_cast<uint8_t>(c ^ NextMask());
        // The key evolves with the stored byte, so both directions see the same key stream.
        m_aKey[m_uIndex] = static_cast<uint8_t>(m_aKey[m_uIndex] + c);
        m_uIndex = (m_uIndex + 1) % 4;
    }
}

void CKXKernal_PackIndexCipher::Scramble(uint8_t* pBlock) {
    for (uint32_t i = 0; i + 1 < kBlockSize; ++i) {
        const uint8_t c = static_cast<uint8_t>(pBlock[i] ^ NextMask());
        pBlock[i] = c;
        m_aKey[m_uIndex] = static_cast<uint8_t>(m_aKey[m_uIndex] + c);
        m_uIndex = (m_uIndex + 1) % 4;
    }
}

void KXKernal_PackScrambleContents(uint8_t* pData, uint32_t uLength, int32_t nKeyStart) {
    // nKeyStart is a non-negative file offset; the unsigned cast keeps "mod 16" well defined regardless.
    const uint32_t uStart = static_cast<uint32_t>(nKeyStart);
    for (uint32_t i = 0; i < uLength; ++i) pData[i] ^= KXKERNAL_PACK_CONTENT_KEY[(uStart + i) % 16];
}
