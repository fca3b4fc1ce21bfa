// The stored form of a catalogue document, as downloaded and as kept in net_check.xml:
//
//   offset 0       16 * k bytes   the plain text zero-padded to a multiple of 16 (k = n / 16 rounded up),
//                                 each block encrypted on its own with AES-256 (ECB, no IV, no chaining)
//   offset 16 * k  4 bytes        n, the plain length, unsigned 32-bit little-endian, not encrypted
//
// So a stored document is always 4 bytes longer than a multiple of 16; the trailer, not the padding,
// gives the length, which lets plain texts that end in zero bytes survive.
#pragma once

#include <string>

namespace NetChk_StorageCipher {

// The cipher key is the first 32 bytes of the key text (zero-filled when the text is shorter).
std::string EncryptString(const std::string& strPlain, const std::string& strKey);

// The plain bytes of a stored document. A length that is not 16 * k + 4 writes "源文件错误" to the
// standard error stream and gives "". A trailer larger than the decrypted data throws
// std::out_of_range: the catalogue loader ends the whole new-format search on it.
std::string DecryptString(const std::string& strStored, const std::string& strKey);

}  // namespace NetChk_StorageCipher
