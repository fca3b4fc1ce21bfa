// The check's scripts on Windows: batch files for cmd.exe, CRLF line ends, GBK text as it is.
#include "KX_Platform/KXPlatform_Shell.h"

#include <cstring>

namespace KXPlatform {

namespace {

bool IsPlainWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("._-+:@/", c) != nullptr);
}

}  // namespace

// Inside double quotes cmd.exe splits nothing and redirects nothing; only "%" still expands, so it is
// doubled. A double quote cannot be part of a quoted word at all (nor of a Windows file name); it is
// dropped, and so are line breaks, which would end the command. "," "=" and ";" separate arguments.
std::string QuoteShellWord(const std::string& strWord) {
    bool bPlain = !strWord.empty();
    for (char c : strWord) bPlain = bPlain && IsPlainWordByte(static_cast<unsigned char>(c));
    if (bPlain) return strWord;
    std::string out = "\"";
    for (char c : strWord) {
        if (c == '"' || c == '\r' || c == '\n' || c == '\0') continue;
        if (c == '%') out += '%';
        out += c;
    }
    out += "\"";
    return out;
}

const char* ScriptFileExtension() { return ".bat"; }

// "@echo off" keeps the interpreter from echoing the command line; with bEchoLine the line is printed
// first, as the interpreter would have.
std::string BuildCommandScript(const std::string& strLine, bool bEchoLine) {
    std::string strScript = "@echo off\r\n";
    if (bEchoLine) {
        std::string strEcho;
        for (char c : strLine) {
            if (c == '\r' || c == '\n') continue;
            if (std::strchr("&|<>^()", c) != nullptr) strEcho += '^';
            if (c == '%') strEcho += '%';
            strEcho += c;
        }
        strScript += "echo." + strEcho + "\r\n";
    }
    strScript += strLine + "\r\nexit\r\n";
    return strScript;
}

}  // namespace KXPlatform
