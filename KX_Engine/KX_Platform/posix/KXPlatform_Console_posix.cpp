// The console on POSIX: UTF-8 text, with ANSI colours when the standard output is a terminal.
#include "../KXPlatform_Console.h"
#include "../KXPlatform_Encoding.h"

#include <unistd.h>

#include <cstdio>
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

// Lines leave as UTF-8 whether standard output is a terminal, a pipe or a file, as every text that
// crosses to the system here; only a terminal gets the colours.
void WriteConsoleLine(const char* pText, size_t uLength, uint16_t uAttribute) {
    static const bool bTerminal = isatty(STDOUT_FILENO) == 1;
    const std::string converted = GbkToUtf8(std::string(pText, uLength));
    if (bTerminal) std::fputs(AnsiColourOfAttribute(uAttribute), stdout);
    std::fwrite(converted.data(), 1, converted.size(), stdout);
    // Restore the terminal's own colour, as the Windows console gets its remembered attribute back.
    if (bTerminal) std::fputs("\x1b[0m", stdout);
    std::fflush(stdout);
}

}  // namespace KXPlatform
