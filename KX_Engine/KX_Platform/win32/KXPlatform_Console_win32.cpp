// The console on Windows: the text attribute of the console window when the standard output is one,
// the bytes unchanged (GBK, the console's code page) everywhere.
#include "KX_Platform/KXPlatform_Console.h"

#include "KXPlatform_Win32.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

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

void SetBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void WriteErrorText(const std::string& strGbk) {
    std::fwrite(strGbk.data(), 1, strGbk.size(), stderr);
    std::fflush(stderr);
}

void WriteConsoleLine(const char* pText, size_t uLength, uint16_t uAttribute) {
    HANDLE hOut = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    const bool bConsole = hOut && hOut != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(hOut, &info);
    std::fflush(stdout);
    if (bConsole) ::SetConsoleTextAttribute(hOut, uAttribute);
    std::fwrite(pText, 1, uLength, stdout);
    std::fflush(stdout);
    // The console gets its remembered attribute back.
    if (bConsole) ::SetConsoleTextAttribute(hOut, info.wAttributes);
}

}  // namespace KXPlatform
