// AES-256 after FIPS-197. The substitution box is derived arithmetically (inverse in GF(2^8) modulo
// x^8 + x^4 + x^3 + x + 1, then the affine map with 0x63) once per process instead of being typed in,
// so there is no hand-copied table that could hold a wrong byte.
#include "netcheck/catalogue/NetChk_Aes256.h"

#include <cstring>

namespace {

// Multiplication by x in GF(2^8) modulo the AES polynomial.
inline uint8_t XTime(uint8_t b) { return static_cast<uint8_t>((b << 1) ^ ((b & 0x80) ? 0x1B : 0x00)); }

inline uint8_t RotL8(uint8_t b, int n) { return static_cast<uint8_t>((b << n) | (b >> (8 - n))); }

struct SubstitutionBoxes {
    uint8_t aForward[256];
    uint8_t aInverse[256];

    SubstitutionBoxes() {
        // Walk the field with the generator 3 (p) and its inverse (q) together: p * q == 1 at every step.
        uint8_t p = 1, q = 1;
        do {
            p = static_cast<uint8_t>(p ^ XTime(p));  // p * 3
            q ^= static_cast<uint8_t>(q << 1);       // q / 3
            q ^= static_cast<uint8_t>(q << 2);
            q ^= static_cast<uint8_t>(q << 4);
            if (q & 0x80) q ^= 0x09;
            const uint8_t s = static_cast<uint8_t>(q ^ RotL8(q, 1) ^ RotL8(q, 2) ^ RotL8(q, 3) ^ RotL8(q, 4) ^ 0x63);
            aForward[p] = s;
        } while (p != 1);
        aForward[0] = 0x63;  // 0 has no inverse; the affine map of 0
        for (int i = 0; i < 256; ++i) aInverse[aForward[i]] = static_cast<uint8_t>(i);
    }
};

const SubstitutionBoxes& Boxes() {
    static const SubstitutionBoxes boxes;
    return boxes;
}

void AddRoundKey(uint8_t* s, const uint8_t* k) {
    for (int i = 0; i < 16; ++i) s[i] ^= k[i];
}

// The state is column-major as in FIPS-197: byte r + 4c is row r of column c.
void ShiftRows(uint8_t* s) {
    uint8_t t[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) t[r + 4 * c] = s[r + 4 * ((c + r) % 4)];
    std::memcpy(s, t, 16);
}

void InvShiftRows(uint8_t* s) {
    uint8_t t[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) t[r + 4 * ((c + r) % 4)] = s[r + 4 * c];
    std::memcpy(s, t, 16);
}

void MixColumns(uint8_t* s) {
    for (int c = 0; c < 4; ++c) {
        uint8_t* col = s + 4 * c;
        const uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        const uint8_t all = static_cast<uint8_t>(a0 ^ a1 ^ a2 ^ a3);
        col[0] = static_cast<uint8_t>(a0 ^ all ^ XTime(static_cast<uint8_t>(a0 ^ a1)));
        col[1] = static_cast<uint8_t>(a1 ^ all ^ XTime(static_cast<uint8_t>(a1 ^ a2)));
        col[2] = static_cast<uint8_t>(a2 ^ all ^ XTime(static_cast<uint8_t>(a2 ^ a3)));
        col[3] = static_cast<uint8_t>(a3 ^ all ^ XTime(static_cast<uint8_t>(a3 ^ a0)));
    }
}

// The inverse matrix {0e,0b,0d,09} factors into {05,00,04,00} followed by the forward {02,03,01,01}, so
// a pre-step of two doublings and MixColumns give it without general field multiplications.
void InvMixColumns(uint8_t* s) {
    for (int c = 0; c < 4; ++c) {
        uint8_t* col = s + 4 * c;
        const uint8_t u = XTime(XTime(static_cast<uint8_t>(col[0] ^ col[2])));
        const uint8_t v = XTime(XTime(static_cast<uint8_t>(col[1] ^ col[3])));
        col[0] ^= u;
        col[1] ^= v;
        col[2] ^= u;
        col[3] ^= v;
    }
    MixColumns(s);
}

}  // namespace

CNetChk_Aes256::CNetChk_Aes256(const uint8_t* pKey) {
    const uint8_t* sbox = Boxes().aForward;
    // Key expansion over 4-byte words: Nk = 8, 4 * (Nr + 1) = 60 words.
    constexpr int kNk = 8;
    constexpr int kWords = 4 * (kRounds + 1);
    std::memcpy(m_aRoundKeys, pKey, kKeyBytes);
    uint8_t rcon = 1;
    for (int i = kNk; i < kWords; ++i) {
        uint8_t t[4];
        std::memcpy(t, m_aRoundKeys + 4 * (i - 1), 4);
        if (i % kNk == 0) {
            const uint8_t first = t[0];
            t[0] = static_cast<uint8_t>(sbox[t[1]] ^ rcon);
            t[1] = sbox[t[2]];
            t[2] = sbox[t[3]];
            t[3] = sbox[first];
            rcon = XTime(rcon);
        } else if (i % kNk == 4) {
            for (uint8_t& b : t) b = sbox[b];
        }
        for (int j = 0; j < 4; ++j) m_aRoundKeys[4 * i + j] = static_cast<uint8_t>(m_aRoundKeys[4 * (i - kNk) + j] ^ t[j]);
    }
}

CNetChk_Aes256::~CNetChk_Aes256() {
    // volatile so that the wipe of an object about to die is not optimised away.
    volatile uint8_t* p = m_aRoundKeys;
    for (uint32_t i = 0; i < sizeof(m_aRoundKeys); ++i) p[i] = 0;
}

void CNetChk_Aes256::EncryptBlock(uint8_t* s) const {
    const uint8_t* sbox = Boxes().aForward;
    AddRoundKey(s, m_aRoundKeys);
    for (uint32_t round = 1; round <= kRounds; ++round) {
        for (int i = 0; i < 16; ++i) s[i] = sbox[s[i]];
        ShiftRows(s);
        if (round != kRounds) MixColumns(s);
        AddRoundKey(s, m_aRoundKeys + kBlockBytes * round);
    }
}

void CNetChk_Aes256::DecryptBlock(uint8_t* s) const {
    const uint8_t* inv = Boxes().aInverse;
    AddRoundKey(s, m_aRoundKeys + kBlockBytes * kRounds);
    for (uint32_t round = kRounds; round-- > 0;) {
        InvShiftRows(s);
        for (int i = 0; i < 16; ++i) s[i] = inv[s[i]];
        AddRoundKey(s, m_aRoundKeys + kBlockBytes * round);
        if (round != 0) InvMixColumns(s);
    }
}
