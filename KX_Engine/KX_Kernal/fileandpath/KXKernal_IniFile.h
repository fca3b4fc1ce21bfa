// Profile (INI) files read the way the system's private-profile functions read them.
//
// A file is lines of "[section]" headers and "key=value" entries. Section and key names compare without
// regard to ASCII letter case; blanks around names and values are dropped; a value wrapped in a matching
// pair of double or single quotes loses them; lines starting with ';' are comments; a key that occurs
// twice (or a section that occurs twice) answers with its first occurrence; a line without '=' is a
// key without a value and reads as absent. Values are GBK bytes and pass through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CKXKernal_IniFile {
public:
    // The buffer size the program reads text values into: at most 259 bytes come back.
    static constexpr uint32_t kDefaultValueSize = 260;

    // Reads the whole file; false when it cannot be opened (every lookup then gives its default).
    bool Load(const char* szPath);
    // Parses a file's contents held in memory.
    void Parse(const std::string& strText);

    // As GetPrivateProfileString: the value, or the default (without its trailing blanks) when the
    // section or key is absent; cut to uBufferSize - 1 bytes (nothing for a size of 0).
    std::string GetString(const char* szSection, const char* szKey, const char* szDefault,
                          uint32_t uBufferSize = kDefaultValueSize) const;
    // As GetPrivateProfileInt: an absent or empty value gives the default; otherwise the decimal number
    // the value starts with (an optional sign, then digits; "12abc" is 12, "abc" is 0), wrapping on
    // overflow as the 32-bit result does.
    int32_t GetInt(const char* szSection, const char* szKey, int32_t nDefault) const;

private:
    struct Section {
        std::string strName;
        std::vector<std::pair<std::string, std::string>> vecKeys;
        std::vector<bool> vecHasValue;
    };
    // The value of the first matching key of the first matching section; null when absent.
    const std::string* Find(const char* szSection, const char* szKey) const;

    std::vector<Section> m_vecSections;
};

// The two lookups on a file read afresh, as the system functions do on every call.
std::string KXKernal_GetProfileString(const char* szSection, const char* szKey, const char* szDefault,
                                      const char* szPath,
                                      uint32_t uBufferSize = CKXKernal_IniFile::kDefaultValueSize);
int32_t KXKernal_GetProfileInt(const char* szSection, const char* szKey, int32_t nDefault, const char* szPath);
