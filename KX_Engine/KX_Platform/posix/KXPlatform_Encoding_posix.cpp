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

std::string ToSystemText(const std::string& strGbk) { return GbkToUtf8(strGbk); }

namespace {

// The length of the well-formed UTF-8 character at p (at most n bytes available): 1 to 4, or 0 when the
// bytes are no character (overlong forms, surrogates and values past U+10FFFF included), or -1 when they
// are the start of one that is cut off by the end.
int Utf8CharLength(const unsigned char* p, size_t n) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    int nLen = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) nLen = 2;
    else if (c == 0xE0) { nLen = 3; lo = 0xA0; }
    else if (c == 0xED) { nLen = 3; hi = 0x9F; }
    else if (c >= 0xE1 && c <= 0xEF) nLen = 3;
    else if (c == 0xF0) { nLen = 4; lo = 0x90; }
    else if (c == 0xF4) { nLen = 4; hi = 0x8F; }
    else if (c >= 0xF1 && c <= 0xF3) nLen = 4;
    else return 0;
    for (int i = 1; i < nLen; ++i) {
        if (static_cast<size_t>(i) >= n) return -1;
        const unsigned char lower = i == 1 ? lo : 0x80, upper = i == 1 ? hi : 0xBF;
        if (p[i] < lower || p[i] > upper) return 0;
    }
    return nLen;
}

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
