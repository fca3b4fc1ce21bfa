// Profile (INI) files with the private-profile functions' reading rules.
#include "KX_Kernal/fileandpath/KXKernal_IniFile.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// ASCII letters only: GBK trail bytes may fall in the letter range and must not be folded as letters
// of their own, so a double-byte character is compared as its two bytes.
bool SameName(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    bool bTrail = false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (bTrail) {
            if (x != y) return false;
            bTrail = false;
            continue;
        }
        if (x >= 0x81 && x <= 0xFE) bTrail = true;
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

bool CKXKernal_IniFile::Load(const char* szPath) {
    m_vecSections.clear();
    std::FILE* f = szPath ? std::fopen(szPath, "rb") : nullptr;
    if (!f) return false;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) text.append(buf, n);
    std::fclose(f);
    Parse(text);
    return true;
}

void CKXKernal_IniFile::Parse(const std::string& strText) {
    m_vecSections.clear();
    size_t pos = 0;
    // A file saved by an editor that marks UTF-8 starts with the byte-order mark; it is no part of a name.
    if (strText.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    Section* pCurrent = nullptr;
    while (pos < strText.size()) {
        size_t end = strText.find('\n', pos);
        if (end == std::string::npos) end = strText.size();
        const std::string line = Trim(strText.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            // "[name]"; without the closing bracket the rest of the line is the name.
            size_t close = line.rfind(']');
            std::string name = line.substr(1, close == std::string::npos || close == 0 ? std::string::npos : close - 1);
            m_vecSections.push_back(Section{Trim(name), {}, {}});
            pCurrent = &m_vecSections.back();
            continue;
        }
        if (!pCurrent) continue;  // entries before the first section belong to none
        const size_t eq = line.find('=');
        const std::string key = Trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
        if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        pCurrent->vecKeys.emplace_back(key, value);
        pCurrent->vecHasValue.push_back(eq != std::string::npos);
    }
}

const std::string* CKXKernal_IniFile::Find(const char* szSection, const char* szKey) const {
    if (!szSection || !szKey) return nullptr;
    const std::string section = Trim(szSection);
    const std::string key = Trim(szKey);
    for (const Section& s : m_vecSections) {
        if (!SameName(s.strName, section.c_str())) continue;
        for (size_t i = 0; i < s.vecKeys.size(); ++i) {
            if (SameName(s.vecKeys[i].first, key.c_str())) return s.vecHasValue[i] ? &s.vecKeys[i].second : nullptr;
        }
        return nullptr;  // only the first section of a name is searched
    }
    return nullptr;
}

std::string CKXKernal_IniFile::GetString(const char* szSection, const char* szKey, const char* szDefault,
                                         uint32_t uBufferSize) const {
    if (uBufferSize == 0) return std::string();
    const std::string* pValue = Find(szSection, szKey);
    std::string value;
    if (pValue) {
        value = *pValue;
    } else {
        value = szDefault ? szDefault : "";
        while (!value.empty() && IsBlank(value.back())) value.pop_back();
    }
    if (value.size() > uBufferSize - 1) value.resize(uBufferSize - 1);
    return value;
}

int32_t CKXKernal_IniFile::GetInt(const char* szSection, const char* szKey, int32_t nDefault) const {
    const std::string* pValue = Find(szSection, szKey);
    if (!pValue || pValue->empty()) return nDefault;
    const char* p = pValue->c_str();
    bool bNegative = false;
    if (*p == '+' || *p == '-') bNegative = *p++ == '-';
    uint32_t uValue = 0;  // unsigned, so an overflow wraps instead of being undefined
    for (; *p >= '0' && *p <= '9'; ++p) uValue = uValue * 10u + static_cast<uint32_t>(*p - '0');
    if (bNegative) uValue = 0u - uValue;
    return static_cast<int32_t>(uValue);
}

std::string KXKernal_GetProfileString(const char* szSection, const char* szKey, const char* szDefault,
                                      const char* szPath, uint32_t uBufferSize) {
    CKXKernal_IniFile ini;
    ini.Load(szPath);
    return ini.GetString(szSection, szKey, szDefault, uBufferSize);
}

int32_t KXKernal_GetProfileInt(const char* szSection, const char* szKey, int32_t nDefault, const char* szPath) {
    CKXKernal_IniFile ini;
    ini.Load(szPath);
    return ini.GetInt(szSection, szKey, nDefault);
}
