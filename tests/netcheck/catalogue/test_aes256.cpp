// The AES-256 block cipher against published vectors, and the storage format built on it.
#include "netcheck/catalogue/NetChk_Aes256.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include "KX_Platform/KXPlatform_Encoding.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string FromHex(const char* szHex) {
    std::string out;
    for (const char* p = szHex; p[0] && p[1]; p += 2) out.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 15]);
    }
    return out;
}

std::string EncryptOne(const std::string& key, const std::string& plain) {
    std::string block = plain;
    CNetChk_Aes256 aes(reinterpret_cast<const uint8_t*>(key.data()));
    aes.EncryptBlock(reinterpret_cast<uint8_t*>(&block[0]));
    return block;
}

std::string DecryptOne(const std::string& key, const std::string& cipher) {
    std::string block = cipher;
    CNetChk_Aes256 aes(reinterpret_cast<const uint8_t*>(key.data()));
    aes.DecryptBlock(reinterpret_cast<uint8_t*>(&block[0]));
    return block;
}

TEST(Aes256, PublishedVectorsBothWays) {
    struct Vector {
        const char* szKey;
        const char* szPlain;
        const char* szCipher;
    };
    const Vector vectors[] = {
        // FIPS-197 appendix C.3.
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "00112233445566778899aabbccddeeff",
         "8ea2b7ca516745bfeafc49904b496089"},
        // NIST SP 800-38A F.1.5, ECB-AES256, first and last blocks.
        {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "6bc1bee22e409f96e93d7e117393172a",
         "f3eed1bdb5d2a03c064b5a7e3db181f8"},
        {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "f69f2445df4f9b17ad2b417be66c3710",
         "23304b7a39f9f3ff067d8d8f9e24ecc7"},
    };
    for (const Vector& v : vectors) {
        const std::string key = FromHex(v.szKey);
        EXPECT_EQ(v.szCipher, ToHex(EncryptOne(key, FromHex(v.szPlain)))) << v.szPlain;
        EXPECT_EQ(v.szPlain, ToHex(DecryptOne(key, FromHex(v.szCipher)))) << v.szCipher;
    }
}

TEST(StorageCipher, LengthsPaddingAndTrailer) {
    const std::string key = NetChk_CatalogueKey::kBuiltInKey;
    EXPECT_EQ(std::string(4, '\0'), NetChk_StorageCipher::EncryptString("", key));

    const std::string sixteen(16, 'a');
    const std::string stored16 = NetChk_StorageCipher::EncryptString(sixteen, key);
    ASSERT_EQ(20u, stored16.size());
    EXPECT_EQ(std::string("\x10\0\0\0", 4), stored16.substr(16));

    // 17 bytes: two blocks, the second holds one plain byte and fifteen zeros.
    const std::string seventeen = sixteen + "b";
    const std::string stored17 = NetChk_StorageCipher::EncryptString(seventeen, key);
    ASSERT_EQ(36u, stored17.size());
    EXPECT_EQ(stored16.substr(0, 16), stored17.substr(0, 16));
    const std::string lastBlock = std::string("b") + std::string(15, '\0');
    EXPECT_EQ(EncryptOne(key.substr(0, 32), lastBlock), stored17.substr(16, 16));
    EXPECT_EQ(std::string("\x11\0\0\0", 4), stored17.substr(32));

    // A length above 255 uses the higher trailer bytes, least significant first.
    const std::string stored300 = NetChk_StorageCipher::EncryptString(std::string(300, 'x'), key);
    ASSERT_EQ(16u * 19 + 4, stored300.size());
    EXPECT_EQ(std::string("\x2c\x01\0\0", 4), stored300.substr(stored300.size() - 4));
}

TEST(StorageCipher, RoundTripsKeepTrailingZerosAndEcbRepeatsBlocks) {
    const std::string key = NetChk_CatalogueKey::kBuiltInKey;
    const std::string texts[] = {"", "x", std::string("ends in zeros\0\0\0", 16), std::string("\0\0\0", 3),
                                 std::string(1000, '\xB2'), "<net_check>网络检测</net_check>"};
    for (const std::string& plain : texts)
        EXPECT_EQ(plain, NetChk_StorageCipher::DecryptString(NetChk_StorageCipher::EncryptString(plain, key), key));

    const std::string twoEqual = std::string(16, 'q') + std::string(16, 'q');
    const std::string stored = NetChk_StorageCipher::EncryptString(twoEqual, key);
    EXPECT_EQ(stored.substr(0, 16), stored.substr(16, 16));
    EXPECT_NE(twoEqual.substr(0, 16), stored.substr(0, 16));
}

TEST(StorageCipher, OnlyTheFirst32KeyBytesCountAndShortKeysAreZeroFilled) {
    const std::string plain = "same plain text for every key";
    const std::string key32(32, 'K');
    EXPECT_EQ(NetChk_StorageCipher::EncryptString(plain, key32),
              NetChk_StorageCipher::EncryptString(plain, key32 + "anything after the 32nd byte"));
    EXPECT_EQ(NetChk_StorageCipher::EncryptString(plain, "short"),
              NetChk_StorageCipher::EncryptString(plain, std::string("short") + std::string(27, '\0')));
    EXPECT_NE(NetChk_StorageCipher::EncryptString(plain, key32), NetChk_StorageCipher::EncryptString(plain, "short"));

    // The wrong key gives bytes of the right length that are not the plain text.
    const std::string wrong = NetChk_StorageCipher::DecryptString(NetChk_StorageCipher::EncryptString(plain, key32), "short");
    EXPECT_EQ(plain.size(), wrong.size());
    EXPECT_NE(plain, wrong);
}

TEST(StorageCipher, BadLengthsAreRefusedAndTrailerBeyondDataThrows) {
    const std::string key = NetChk_CatalogueKey::kBuiltInKey;
    for (size_t n : {size_t(0), size_t(3), size_t(16), size_t(21), size_t(35)}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ("", NetChk_StorageCipher::DecryptString(std::string(n, '\x07'), key)) << n;
        EXPECT_EQ(KXPlatform::ToSystemText("源文件错误\n"), testing::internal::GetCapturedStderr()) << n;
    }
    // Only the trailer: an empty plain text.
    EXPECT_EQ("", NetChk_StorageCipher::DecryptString(std::string(4, '\0'), key));

    std::string stored = NetChk_StorageCipher::EncryptString("sixteen bytes!!!", key);
    stored[16] = 17;  // one byte more than the single block holds
    EXPECT_THROW(NetChk_StorageCipher::DecryptString(stored, key), std::out_of_range);
    stored[16] = 0;
    stored[19] = '\x80';  // a huge length must not be taken as a size either
    EXPECT_THROW(NetChk_StorageCipher::DecryptString(stored, key), std::out_of_range);
}

}  // namespace
