// CNetChk_Aes256: the AES-256 block cipher (14 rounds, 32-byte key, 16-byte blocks) for the catalogue
// storage. One object is one key schedule; the storage sets one up per block and wipes it afterwards.
#pragma once

#include <cstdint>

class CNetChk_Aes256 {
public:
    static constexpr uint32_t kKeyBytes = 32;
    static constexpr uint32_t kBlockBytes = 16;
    static constexpr uint32_t kRounds = 14;

    // Expands the 32-byte key into the round keys.
    explicit CNetChk_Aes256(const uint8_t* pKey);
    // Overwrites the round keys with zeros, so no key material outlives the object.
    ~CNetChk_Aes256();
    CNetChk_Aes256(const CNetChk_Aes256&) = delete;
    CNetChk_Aes256& operator=(const CNetChk_Aes256&) = delete;

    // Encrypt or decrypt one 16-byte block in place.
    void EncryptBlock(uint8_t* pBlock) const;
    void DecryptBlock(uint8_t* pBlock) const;

private:
    // (rounds + 1) round keys of 16 bytes each.
    uint8_t m_aRoundKeys[(kRounds + 1) * kBlockBytes];
};
