// The console on POSIX: UTF-8 text, with ANSI colours when the standard output is a terminal.
#include "../KXPlatform_Console.h"
#include "../KXPlatform_Encoding.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace KXPlatform {

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
