// GBK and UTF-8 conversions on POSIX through iconv ("CP936").
#include "../KXPlatform_Encoding.h"
#include "../KXPlatform_Utf8.h"

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

std::string ToSystemText(const std::string& strGbk) { return GbkToUtf8(strGbk); }

namespace {

// 1: valid UTF-8 with at least one non-ASCII character; 0: plain ASCII; -1: not UTF-8.
int ClassifyLine(const unsigned char* p, size_t n) {
    int nResult = 0;
    for (size_t i = 0; i < n;) {
        const int nLen = Utf8CharLength(p + i, n - i);
        if (nLen <= 0) return -1;
        if (nLen > 1) nResult = 1;
        i += static_cast<size_t>(nLen);
    }
    return nResult;
}

}  // namespace

std::string FromChildOutput(const std::string& strBytes) {
    std::string out;
    out.reserve(strBytes.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    for (size_t start = 0; start < strBytes.size();) {
        const size_t lf = strBytes.find('\n', start);
        const size_t end = lf == std::string::npos ? strBytes.size() : lf + 1;
        if (ClassifyLine(p + start, end - start) == 1)
            out += Utf8ToGbk(strBytes.substr(start, end - start));
        else
            out.append(strBytes, start, end - start);
        start = end;
    }
    return out;
}

size_t ChildOutputCut(const std::string& strBytes, size_t uMax) {
    if (uMax >= strBytes.size()) return strBytes.size();
    // Only the last three bytes before the cut can begin a character that runs past it.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    for (size_t back = 1; back <= 3 && back <= uMax; ++back) {
        const size_t i = uMax - back;
        if (p[i] < 0x80) break;
        const int nWhole = Utf8CharLength(p + i, strBytes.size() - i);
        if (nWhole > static_cast<int>(back)) return i;  // a character of the output straddles the cut
        if ((p[i] & 0xC0u) != 0x80u) break;            // a lead byte that ends before the cut
    }
    return uMax;
}

}  // namespace KXPlatform
