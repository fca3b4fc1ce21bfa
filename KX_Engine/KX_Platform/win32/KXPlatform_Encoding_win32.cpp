// Text conversions on Windows. The system's ANSI code page is 936, so program text crosses to the system
// and comes back from children unchanged; only UTF-8 is converted, one character at a time so that a
// byte the code page does not know becomes U+FFFD (never a private-use character).
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_Utf8.h"

#include "KXPlatform_Win32.h"

namespace KXPlatform {

namespace {

constexpr UINT kGbk = 936;

bool IsPrivateUse(wchar_t w) { return w >= 0xE000 && w <= 0xF8FF; }

void AppendUtf8(std::string& out, uint32_t uCode) {
    if (uCode < 0x80) {
        out += static_cast<char>(uCode);
    } else if (uCode < 0x800) {
        out += static_cast<char>(0xC0 | (uCode >> 6));
        out += static_cast<char>(0x80 | (uCode & 0x3F));
    } else if (uCode < 0x10000) {
        out += static_cast<char>(0xE0 | (uCode >> 12));
        out += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (uCode & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (uCode >> 18));
        out += static_cast<char>(0x80 | ((uCode >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (uCode & 0x3F));
    }
}

// One GBK character of uLen bytes as a UTF-16 unit; false when the code page has no character there.
bool DecodeGbk(const char* p, int nLen, wchar_t& w) {
    wchar_t buffer[2] = {};
    const int n = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, p, nLen, buffer, 2);
    if (n != 1 || IsPrivateUse(buffer[0])) return false;
    // Some systems answer an unmapped pair with the default character instead of an error; "?" is a
    // single byte, so it never legitimately comes from a lead byte.
    if (buffer[0] == L'?') return false;
    w = buffer[0];
    return true;
}

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

}  // namespace

std::string GbkToUtf8(const std::string& strGbk) {
    std::string out;
    out.reserve(strGbk.size() * 3 / 2 + 4);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strGbk.data());
    const size_t n = strGbk.size();
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            out += static_cast<char>(p[i++]);
            continue;
        }
        wchar_t w = 0;
        if (IsGbkLead(p[i]) && i + 1 < n && IsGbkTrail(p[i + 1]) &&
            DecodeGbk(reinterpret_cast<const char*>(p + i), 2, w)) {
            AppendUtf8(out, w);
            i += 2;
        } else if (p[i] == 0x80 && DecodeGbk(reinterpret_cast<const char*>(p + i), 1, w)) {
            AppendUtf8(out, w);  // the euro sign of code page 936
            ++i;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string Utf8ToGbk(const std::string& strUtf8) {
    std::string out;
    out.reserve(strUtf8.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strUtf8.data());
    const size_t n = strUtf8.size();
    for (size_t i = 0; i < n;) {
        const int nLen = Utf8CharLength(p + i, n - i);
        if (nLen == 1) {
            out += static_cast<char>(p[i++]);
            continue;
        }
        if (nLen <= 0) {
            out += '?';
            ++i;
            while (i < n && (p[i] & 0xC0u) == 0x80u) ++i;
            continue;
        }
        wchar_t units[2] = {};
        const int nUnits = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p + i),
                                                 nLen, units, 2);
        char bytes[8] = {};
        BOOL bDefault = FALSE;
        const int nBytes = nUnits > 0 ? ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, nUnits, bytes,
                                                              sizeof(bytes), "?", &bDefault)
                                      : 0;
        if (nBytes <= 0 || bDefault)
            out += '?';
        else
            out.append(bytes, static_cast<size_t>(nBytes));
        i += static_cast<size_t>(nLen);
    }
    return out;
}

std::string ToSystemText(const std::string& strGbk) { return strGbk; }

std::string FromChildOutput(const std::string& strBytes) { return strBytes; }

size_t ChildOutputCut(const std::string& strBytes, size_t uMax) {
    if (uMax >= strBytes.size()) return strBytes.size();
    // A byte below 0x40 is never part of a double-byte character, so counting from just after the last
    // one before the cut tells lead bytes from trail bytes; a lead byte left alone at the cut waits.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    size_t i = uMax;
    while (i > 0 && p[i - 1] >= 0x40) --i;
    while (i < uMax) {
        if (IsGbkLead(p[i]) && i + 1 < strBytes.size() && IsGbkTrail(p[i + 1])) {
            if (i + 1 == uMax) return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return uMax;
}

}  // namespace KXPlatform
