// The server address check and the server's file name.
#include "netcheck/catalogue/NetChk_ServerArgs.h"

bool NetChk_IsDottedIPv4(const std::string& strText) {
    int nParts = 0;
    size_t i = 0;
    for (;;) {
        size_t uDigits = 0;
        int nValue = 0;
        while (i < strText.size() && strText[i] >= '0' && strText[i] <= '9' && uDigits < 4) {
            nValue = nValue * 10 + (strText[i] - '0');
            ++uDigits;
            ++i;
        }
        // A leading zero would read as octal to some resolvers: "010.0.0.1" is not 10.0.0.1 for them.
        if (uDigits == 0 || uDigits > 3 || nValue > 255 || (uDigits > 1 && strText[i - uDigits] == '0')) return false;
        ++nParts;
        if (i == strText.size()) return nParts == 4;
        if (strText[i] != '.' || nParts == 4) return false;
        ++i;
    }
}

std::string NetChk_TargetFileName(const std::string& strServerName) {
    std::string strName;
    strName.reserve(strServerName.size() + 4);
    for (size_t i = 0; i < strServerName.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(strServerName[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < strServerName.size()) {
            // A GBK character: its second byte may be 0x5C and is no separator.
            strName += strServerName[i];
            strName += strServerName[++i];
        } else if (c == '/' || c == '\\') {
            strName += '_';
        } else {
            strName += strServerName[i];
        }
    }
    return strName + ".txt";
}
