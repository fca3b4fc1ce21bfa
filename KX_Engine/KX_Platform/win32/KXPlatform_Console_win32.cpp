// The console on Windows: the text attribute of the console window when the standard output is one,
// the bytes unchanged (GBK, the console's code page) everywhere.
#include "KX_Platform/KXPlatform_Console.h"

#include "KXPlatform_Win32.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace KXPlatform {

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
