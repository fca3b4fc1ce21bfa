// The console on POSIX: ANSI colours and UTF-8 conversion when the standard output is a terminal.
#include "../KXPlatform_Console.h"
#include "../KXPlatform_Encoding.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace KXPlatform {

const char* AnsiColourOfAttribute(uint16_t uAttribute) {
    // Windows orders the colour bits blue, green, red; ANSI orders them red, green, blue.
    static const char* const kNormal[8] = {"\x1b[30m", "\x1b[34m", "\x1b[32m", "\x1b[36m",
                                           "\x1b[31m", "\x1b[35m", "\x1b[33m", "\x1b[37m"};
    static const char* const kBright[8] = {"\x1b[90m", "\x1b[94m", "\x1b[92m", "\x1b[96m",
                                           "\x1b[91m", "\x1b[95m", "\x1b[93m", "\x1b[97m"};
    const unsigned colour = uAttribute & 0x7u;
    return (uAttribute & 0x8u) ? kBright[colour] : kNormal[colour];
}

void SetBinaryStandardStreams() {}

void WriteErrorText(const std::string& strGbk) {
    const std::string strText = ToSystemText(strGbk);
    std::fwrite(strText.data(), 1, strText.size(), stderr);
    std::fflush(stderr);
}

namespace {
bool TerminalIsUtf8() {
    const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* var : vars) {
        const char* value = std::getenv(var);
        if (value && *value) {
            std::string text(value);
            return text.find("UTF-8") != std::string::npos || text.find("utf8") != std::string::npos ||
                   text.find("utf-8") != std::string::npos || text.find("UTF8") != std::string::npos;
        }
    }
    return false;
}
}  // namespace

void WriteConsoleLine(const char* pText, size_t uLength, uint16_t uAttribute) {
    static const bool bTerminal = isatty(STDOUT_FILENO) == 1;
    static const bool bUtf8 = TerminalIsUtf8();
    if (!bTerminal) {
        std::fwrite(pText, 1, uLength, stdout);
        std::fflush(stdout);
        return;
    }
    std::fputs(AnsiColourOfAttribute(uAttribute), stdout);
    if (bUtf8) {
        const std::string converted = GbkToUtf8(std::string(pText, uLength));
        std::fwrite(converted.data(), 1, converted.size(), stdout);
    } else {
        std::fwrite(pText, 1, uLength, stdout);
    }
    // Restore the terminal's own colour, as the Windows console gets its remembered attribute back.
    std::fputs("\x1b[0m", stdout);
    std::fflush(stdout);
}

}  // namespace KXPlatform
