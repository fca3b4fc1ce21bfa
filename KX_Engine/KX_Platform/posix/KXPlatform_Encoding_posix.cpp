// GBK and UTF-8 conversions on POSIX through iconv ("CP936").
#include "../KXPlatform_Encoding.h"

#include <iconv.h>

#include <cerrno>

namespace KXPlatform {

namespace {
// Converts as much as iconv accepts; at a byte it refuses, emits the replacement and skips one byte
// (for UTF-8 input, the whole character with its continuation bytes).
std::string Convert(const char* to, const char* from, const std::string& input, const std::string& replacement,
                    bool bUtf8Input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return input;
    std::string output;
    output.reserve(input.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char chunk[256];
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof(chunk);
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk, sizeof(chunk) - outLeft);
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a lead byte cut off at the end): one bad byte.
        output += replacement;
        ++in;
        --inLeft;
        while (bUtf8Input && inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0u) == 0x80u) {
            ++in;
            --inLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}
}  // namespace

std::string GbkToUtf8(const std::string& strGbk) { return Convert("UTF-8", "CP936", strGbk, "\xEF\xBF\xBD", false); }

std::string Utf8ToGbk(const std::string& strUtf8) { return Convert("CP936", "UTF-8", strUtf8, "?", true); }

}  // namespace KXPlatform
