// Block-by-block AES-256 of the catalogue storage, with zero padding and the length trailer.
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include "netcheck/catalogue/NetChk_Aes256.h"
#include "KX_Platform/KXPlatform_Console.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace NetChk_StorageCipher {

namespace {

constexpr size_t kBlock = CNetChk_Aes256::kBlockBytes;
constexpr size_t kTrailer = 4;

// The first 32 bytes of the key text; wiped by the owner after use.
struct KeyBytes {
    uint8_t a[CNetChk_Aes256::kKeyBytes] = {};
    explicit KeyBytes(const std::string& strKey) {
        std::memcpy(a, strKey.data(), std::min(strKey.size(), sizeof(a)));
    }
    ~KeyBytes() {
        volatile uint8_t* p = a;
        for (size_t i = 0; i < sizeof(a); ++i) p[i] = 0;
    }
};

}  // namespace

std::string EncryptString(const std::string& strPlain, const std::string& strKey) {
    const KeyBytes key(strKey);
    const size_t n = strPlain.size();
    const size_t k = (n + kBlock - 1) / kBlock;
    std::string strOut;
    strOut.reserve(k * kBlock + kTrailer);
    for (size_t i = 0; i < k; ++i) {
        uint8_t block[kBlock] = {};
        std::memcpy(block, strPlain.data() + i * kBlock, std::min(kBlock, n - i * kBlock));
        // A fresh schedule per block, wiped when it goes out of scope: no key material stays around.
        const CNetChk_Aes256 aes(key.a);
        aes.EncryptBlock(block);
        strOut.append(reinterpret_cast<const char*>(block), kBlock);
    }
    const uint32_t uLength = static_cast<uint32_t>(n);
    for (int shift = 0; shift < 32; shift += 8) strOut.push_back(static_cast<char>((uLength >> shift) & 0xFF));
    return strOut;
}

std::string DecryptString(const std::string& strStored, const std::string& strKey) {
    if (strStored.size() % kBlock != kTrailer) {
        KXPlatform::WriteErrorText("源文件错误\n");
        return std::string();
    }
    const KeyBytes key(strKey);
    const size_t k = (strStored.size() - kTrailer) / kBlock;
    std::string strPlain;
    strPlain.reserve(k * kBlock);
    for (size_t i = 0; i < k; ++i) {
        uint8_t block[kBlock];
        std::memcpy(block, strStored.data() + i * kBlock, kBlock);
        const CNetChk_Aes256 aes(key.a);
        aes.DecryptBlock(block);
        strPlain.append(reinterpret_cast<const char*>(block), kBlock);
    }
    const unsigned char* pTrailer = reinterpret_cast<const unsigned char*>(strStored.data()) + k * kBlock;
    uint32_t uLength = 0;
    for (int i = 3; i >= 0; --i) uLength = (uLength << 8) | pTrailer[i];
    if (uLength > strPlain.size()) throw std::out_of_range("catalogue length trailer beyond the data");
    strPlain.resize(uLength);
    return strPlain;
}

}  // namespace NetChk_StorageCipher
