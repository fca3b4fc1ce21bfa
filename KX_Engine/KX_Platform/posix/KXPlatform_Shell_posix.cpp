// The check's scripts on POSIX: /bin/sh single quotes, LF line ends, UTF-8 text.
#include "../KXPlatform_Shell.h"
#include "../KXPlatform_Encoding.h"

#include <cstring>

namespace KXPlatform {

namespace {
bool IsPlainWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("._-+,:@%=/", c) != nullptr);
}
}  // namespace

std::string QuoteShellWord(const std::string& strWord) {
    bool bPlain = !strWord.empty();
    for (char c : strWord) bPlain = bPlain && IsPlainWordByte(static_cast<unsigned char>(c));
    if (bPlain) return strWord;
    // Inside single quotes nothing is special but the quote itself, which becomes '\''. The quote byte
    // is never the second byte of a GBK character, so the word survives the script's conversion to
    // UTF-8 with its quoting intact.
    std::string out = "'";
    for (char c : strWord) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += "'";
    return out;
}

const char* ScriptFileExtension() { return ".sh"; }

std::string BuildCommandScript(const std::string& strLine, bool bEchoLine) {
    std::string strScript;
    if (bEchoLine) strScript = "printf '%s\\n' " + QuoteShellWord(strLine) + "\n";
    strScript += strLine + "\nexit\n";
    return ToSystemText(strScript);
}

}  // namespace KXPlatform
