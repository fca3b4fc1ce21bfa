// The index cipher against values worked out by hand from its definition, so that a reader and writer
// that were wrong in the same way could not pass by round-tripping alone.
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const uint8_t* p, size_t n) {
    static const char* const kDigits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) s += std::string{kDigits[p[i] >> 4], kDigits[p[i] & 15]};
    return s;
}

TEST(PackIndexCipher, DescramblesKnownBlocksAndCarriesItsStateAcross) {
    uint8_t aBlocks[2][16];
    for (int b = 0; b < 2; ++b) {
        for (int i = 0; i < 16; ++i) aBlocks[b][i] = static_cast<uint8_t>(i);
    }
    CKXKernal_PackIndexCipher cipher(0x04030201u, 0x12345678u);
    cipher.Descramble(aBlocks[0]);
    cipher.Descramble(aBlocks[1]);
    // Equal stored blocks decode differently, and the 16th byte of each stays as stored.
    EXPECT_EQ(Hex(aBlocks[0], 16), "ea4012a6939d300c463ca3649ced100f");
    EXPECT_EQ(Hex(aBlocks[1], 16), "88c4b25dbc2726d47e0e9188a248f60f");
}

TEST(PackIndexCipher, ScrambleIsTheInverseOverASequence) {
    CKXKernal_PackIndexCipher writer;
    CKXKernal_PackIndexCipher reader;
    for (int b = 0; b < 5; ++b) {
        uint8_t aPlain[16], aBlock[16];
        for (int i = 0; i < 16; ++i) aPlain[i] = aBlock[i] = static_cast<uint8_t>(b * 37 + i * 11);
        writer.Scramble(aBlock);
        EXPECT_NE(Hex(aBlock, 15), Hex(aPlain, 15));
        reader.Descramble(aBlock);
        EXPECT_EQ(Hex(aBlock, 16), Hex(aPlain, 16)) << "block " << b;
    }
}

TEST(PackContents, KeyPositionStartsAtTheGivenOffset) {
    uint8_t aData[40] = {};
    KXKernal_PackScrambleContents(aData, 40, 19);
    uint8_t aShifted[37] = {};
    KXKernal_PackScrambleContents(aShifted, 37, 22);
    EXPECT_EQ(Hex(aData + 3, 37), Hex(aShifted, 37));
    EXPECT_EQ(Hex(aData, 16), Hex(aData + 16, 16)) << "the key repeats every 16 bytes";
    KXKernal_PackScrambleContents(aData, 40, 19);
    EXPECT_EQ(Hex(aData, 40), std::string(80, '0'));
}

}  // namespace
